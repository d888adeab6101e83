#include "backup/BackupRestore.h"

#include "backup/BackupWriter.h"
#include "backup/SqliteFile.h"
#include "core/AppContext.h"
#include "core/ProgramFolder.h"
#include "core/StoreCopy.h"
#include "entry/NoteDayTotals.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QUuid>

namespace backup {

const QString kRestoreChecked = QStringLiteral("restore-checked");
const QString kRestoreSafety = QStringLiteral("restore-safety");
const QString kRestoreStored = QStringLiteral("restore-stored");

namespace {

// The backup's Config.ini over the held one; this seat's store and backup sections stay.
void restoreSettings(core::AppContext& app, const QString& file) {
    QByteArray bytes;
    {
        core::Database source(QStringLiteral("overprint-restore-settings-") +
                              QUuid::createUuid().toString(QUuid::Id128));
        source.open(file);
        bytes = source.scalar(QStringLiteral("select Bytes from BackupFiles where Name='Config.ini'"))
                    .toByteArray();
    }
    if (bytes.isEmpty())
        return;
    const QString temp = app.pathOf(QStringLiteral("Temp/restore-Config.ini"));
    QDir().mkpath(QFileInfo(temp).absolutePath());
    {
        QSaveFile out(temp);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
            return;
    }
    {
        const core::IniFile restored(temp);
        core::IniFile& held = app.userIni();
        const QStringList mine = {QStringLiteral("Database"), QStringLiteral("Backup")};
        for (const QString& section : held.sections())
            if (!mine.contains(section, Qt::CaseInsensitive) && !restored.sectionExists(section))
                held.eraseSection(section);
        for (const QString& section : restored.sections()) {
            if (mine.contains(section, Qt::CaseInsensitive))
                continue;
            held.eraseSection(section);
            for (const QString& key : restored.keys(section))
                held.writeString(section, key, restored.readString(section, key));
        }
        held.flush();
    }
    QFile::remove(temp);
}

} // namespace

RestoreResult restore(core::AppContext& app, const QString& file, const QString& folder) {
    RestoreResult out;
    const Inspection checked = BackupFile::inspect(file, true);
    if (!checked.ok) {
        out.error = checked.error + QStringLiteral("；数据没有改变");
        return out;
    }
    out.manifest = checked.manifest;
    reachStep(kRestoreChecked);
    core::Database& store = app.db();
    {
        BackupWriter safety(store, app.getRunPath(), folder);
        if (!safety.run()) {
            out.error = QStringLiteral("恢复前无法备份当前数据（%1）；数据没有改变").arg(safety.error());
            return out;
        }
        out.safety = safety.path();
    }
    reachStep(kRestoreSafety);
    core::StoreCopy::Result result;
    {
        core::Database source(QStringLiteral("overprint-restore-") +
                              QUuid::createUuid().toString(QUuid::Id128));
        try {
            source.open(file);
        } catch (const core::DbError& e) {
            out.error = e.message() + QStringLiteral("；数据没有改变");
            return out;
        }
        if (store.engine() == core::Engine::SQLite) {
            const QString local = store.filePath();
            store.close();
            result = core::StoreCopy::replaceLocal(
                source, app.getRunPath(), entry::NoteDayTotals::restoreRecount(), BackupFile::ownTables());
            try {
                store.open(local);
            } catch (const core::DbError& e) {
                if (result.ok)
                    result.error = e.message();
                result.ok = false;
            }
        } else {
            result = core::StoreCopy::copy(source, store, QString(), app.pathOf(QStringLiteral("Image")),
                                           entry::NoteDayTotals::restoreRecount(), BackupFile::ownTables());
        }
    }
    if (!result.ok) {
        out.error = QStringLiteral("恢复失败：") + result.error;
        return out;
    }
    out.kept = result.kept;
    reachStep(kRestoreStored);
    try {
        restoreSettings(app, file);
    } catch (const core::DbError&) {
        // The settings stay as they were; the data are restored.
    }
    out.ok = true;
    return out;
}

} // namespace backup
