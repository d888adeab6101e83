#include "cli/BackupCommands.h"

#include "backup/BackupPlan.h"
#include "backup/BackupRestore.h"
#include "backup/BackupWriter.h"
#include "cli/ConsoleDialogs.h"
#include "core/AppContext.h"
#include "core/StoreCopy.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

#include <csignal>

namespace cli {

namespace {

QJsonObject countsJson(const backup::Manifest& m) {
    return {{QStringLiteral("notes"), m.notes()},
            {QStringLiteral("customers"), m.customers()},
            {QStringLiteral("templates"), m.templates()},
            {QStringLiteral("images"), m.images}};
}

} // namespace

void killAtNamedStep() {
    const QString at = qEnvironmentVariable("OVERPRINT_KILL_AT");
    if (at.isEmpty())
        return;
    const auto kill = [at](const QString& step) {
        if (step == at)
            ::raise(SIGKILL);
    };
    backup::setStepHook(kill);
    core::StoreCopy::setStepHook(kill);
}

Outcome runBackup(core::AppContext& app, const Invocation& call) {
    Outcome out;
    const backup::BackupSettings settings = backup::BackupSettings::load(app.userIni());
    const QString folder = call.has(QStringLiteral("to")) ? call.value(QStringLiteral("to"))
                                                          : settings.folderFor(app.getRunPath());
    backup::BackupWriter writer(app.db(), app.getRunPath(), folder);
    if (!writer.run()) {
        writeError(QStringLiteral("错误：") + writer.error());
        out.exit = DataError;
        out.result.insert(QStringLiteral("error"), writer.error());
        return out;
    }
    const QStringList removed = backup::rotateFolder(folder, settings.keep);
    const backup::Manifest& m = writer.manifest();
    out.result = countsJson(m);
    out.result.insert(QStringLiteral("file"), writer.path());
    out.result.insert(QStringLiteral("size"), QFileInfo(writer.path()).size());
    out.result.insert(QStringLiteral("removed"), QJsonArray::fromStringList(removed));
    out.lines << QStringLiteral("已备份到 %1").arg(QDir::toNativeSeparators(writer.path()))
              << QStringLiteral("出货单 %1 张，客户 %2 个，模板 %3 个，图片 %4 个")
                     .arg(m.notes())
                     .arg(m.customers())
                     .arg(m.templates())
                     .arg(m.images);
    for (const QString& name : removed)
        out.lines << QStringLiteral("已删除旧备份 %1").arg(name);
    return out;
}

Outcome runRestore(core::AppContext& app, const Invocation& call) {
    Outcome out;
    const QString file = call.positional.value(0);
    const backup::Inspection checked = backup::BackupFile::inspect(file, false);
    if (!checked.ok) {
        writeError(QStringLiteral("错误：") + checked.error + QStringLiteral("；数据没有改变"));
        out.exit = BadUse;
        out.result.insert(QStringLiteral("error"), checked.error);
        return out;
    }
    const backup::Manifest& m = checked.manifest;
    if (!app.dialogs().ask(
            QStringLiteral("用 %1 时的备份（出货单 %2 张，客户 %3 个，模板 %4 个）替换现在的全部数据吗？"
                           "现在的数据会先备份一份。")
                .arg(m.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                .arg(m.notes())
                .arg(m.customers())
                .arg(m.templates()),
            QStringLiteral("从备份恢复"))) {
        out.exit = BadUse;
        return out;
    }
    const backup::BackupSettings settings = backup::BackupSettings::load(app.userIni());
    const backup::RestoreResult result = backup::restore(app, file, settings.folderFor(app.getRunPath()));
    if (!result.ok) {
        writeError(QStringLiteral("错误：") + result.error);
        out.exit = DataError;
        out.result.insert(QStringLiteral("error"), result.error);
        return out;
    }
    out.result = countsJson(result.manifest);
    out.result.insert(QStringLiteral("file"), file);
    out.result.insert(QStringLiteral("safety"), result.safety);
    if (!result.kept.isEmpty())
        out.result.insert(QStringLiteral("kept"), result.kept);
    out.lines << QStringLiteral("已从 %1 恢复数据").arg(QDir::toNativeSeparators(file))
              << QStringLiteral("恢复前的数据已备份到 %1").arg(QDir::toNativeSeparators(result.safety));
    return out;
}

} // namespace cli
