#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace backup {

// How many backups a folder keeps: the newest of each of the last `daily` days that have one,
// of the last `weekly` weeks (Monday to Sunday) and of the last `monthly` months.
struct Keep {
    int daily = 7;
    int weekly = 4;
    int monthly = 12;
};

// The backups among names (file names of BackupFile::fileName) that the rotation removes;
// names of no backup are never among them, and neither is the newest backup.
QStringList rotateOut(const QStringList& names, const Keep& keep);

} // namespace backup
