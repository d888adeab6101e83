#include "backup/BackupPlan.h"

#include "backup/BackupFile.h"
#include "core/Database.h"
#include "core/IniFile.h"

#include <QDir>
#include <QFile>
#include <QSqlDriver>

#include <sqlite3.h>

namespace backup {

namespace {
const QString kSection = QStringLiteral("Backup");
}

BackupSettings BackupSettings::load(const core::IniFile& ini) {
    BackupSettings s;
    s.enabled = ini.readBool(kSection, QStringLiteral("Enabled"), true);
    s.folder = ini.readString(kSection, QStringLiteral("Folder"));
    s.keep.daily = qBound(1, ini.readInteger(kSection, QStringLiteral("Daily"), 7), 366);
    s.keep.weekly = qBound(0, ini.readInteger(kSection, QStringLiteral("Weekly"), 4), 520);
    s.keep.monthly = qBound(0, ini.readInteger(kSection, QStringLiteral("Monthly"), 12), 1200);
    s.lastDay = QDate::fromString(ini.readString(kSection, QStringLiteral("LastDay")), Qt::ISODate);
    return s;
}

void BackupSettings::save(core::IniFile& ini) const {
    ini.writeString(kSection, QStringLiteral("Enabled"), enabled ? QStringLiteral("1") : QStringLiteral("0"));
    ini.writeString(kSection, QStringLiteral("Folder"), folder);
    ini.writeInteger(kSection, QStringLiteral("Daily"), keep.daily);
    ini.writeInteger(kSection, QStringLiteral("Weekly"), keep.weekly);
    ini.writeInteger(kSection, QStringLiteral("Monthly"), keep.monthly);
    ini.writeString(kSection, QStringLiteral("LastDay"), lastDay.toString(Qt::ISODate));
    ini.flush();
}

QString BackupSettings::folderFor(const QString& runPath) const {
    return folder.trimmed().isEmpty() ? QDir(runPath).filePath(QStringLiteral("Backup")) : folder.trimmed();
}

qint64 changeMark(core::Database& store) {
    if (store.engine() == core::Engine::SQLite) {
        const QVariant v = store.connection().driver()->handle();
        if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
            return sqlite3_total_changes64(*static_cast<sqlite3* const*>(v.constData()));
        return 0;
    }
    try {
        return store
            .scalar(QStringLiteral("select coalesce(sum(n_tup_ins + n_tup_upd + n_tup_del), 0) from "
                                   "pg_stat_user_tables where schemaname = current_schema()"))
            .toLongLong();
    } catch (const core::DbError&) {
        return 0;
    }
}

QStringList rotateFolder(const QString& folder, const Keep& keep) {
    QStringList removed;
    for (const QString& name : rotateOut(BackupFile::list(folder), keep))
        if (QFile::remove(QDir(folder).filePath(name)))
            removed << name;
    return removed;
}

} // namespace backup
