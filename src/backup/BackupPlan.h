#pragma once

#include "backup/BackupRotation.h"

#include <QDate>
#include <QString>

namespace core {
class Database;
class IniFile;
} // namespace core

namespace backup {

// The clerk's backup settings, Config.ini [Backup]: on or off, the folder, how many to keep,
// and the day of the last automatic backup.
struct BackupSettings {
    bool enabled = true;
    QString folder; // empty: <program folder>/Backup
    Keep keep;
    QDate lastDay;

    static BackupSettings load(const core::IniFile& ini);
    void save(core::IniFile& ini) const;
    QString folderFor(const QString& runPath) const;
    // The first start of a day backs up.
    bool dueAtStart(const QDate& today) const { return enabled && lastDay != today; }
};

// A mark that moves whenever the store is written: the changes of this connection on the
// local file; on a server the rows written into this store's tables by any seat. A backup at
// exit runs when the mark differs from the one taken after the start.
qint64 changeMark(core::Database& store);

// Removes the backups the rotation lets go from the folder. Returns the names removed.
QStringList rotateFolder(const QString& folder, const Keep& keep);

} // namespace backup
