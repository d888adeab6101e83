#include "cli/DbCopy.h"

#include "cli/ConsoleDialogs.h"
#include "core/AppContext.h"
#include "core/Database.h"
#include "core/Dialogs.h"
#include "core/ProgramFolder.h"
#include "core/StoreCopy.h"
#include "entry/NoteDayTotals.h"

#include <QDir>
#include <QJsonArray>

#include <csignal>

namespace cli {

namespace {

void report(Outcome& out, const core::StoreCopy::Result& result) {
    QJsonArray tables;
    for (const core::StoreCopy::Count& c : result.counts) {
        tables.append(QJsonObject{{QStringLiteral("table"), c.table},
                                  {QStringLiteral("source"), c.source},
                                  {QStringLiteral("target"), c.target}});
        out.lines << QStringLiteral("%1\t%2\t%3").arg(c.table).arg(c.source).arg(c.target);
    }
    out.lines.prepend(QStringLiteral("表\t源行数\t目标行数"));
    out.lines << QStringLiteral("图片 %1 个").arg(result.images);
    out.result.insert(QStringLiteral("tables"), tables);
    out.result.insert(QStringLiteral("images"), result.images);
}

// With the login on at either end, its operator (one --user and one password for both): the
// data leaving a store, or the data a copy replaces, is that store's operators' to move.
int loginAtBothEnds(core::AppContext& first, core::AppContext& second, const Invocation& call) {
    QString typed;
    if (const int refused = login(first, call, &typed); refused != Done)
        return refused;
    return login(second, call, &typed);
}

Outcome toServer(const QString& runPath, core::Dialogs& dialogs, const Invocation& call,
                 const core::ServerAddress& server) {
    Outcome out;
    core::AppContext source(runPath, dialogs);
    core::AppContext target(runPath, dialogs);
    try {
        source.db().open(core::ProgramFolder::databasePath(runPath));
        target.db().openServer(server, core::ServerUse::CopyTarget);
        core::StoreCopy::reachStep(core::StoreCopy::kTargetBuilt);
        if ((out.exit = loginAtBothEnds(source, target, call)) != Done)
            return out;
        const qint64 notes =
            target.db().scalar(QStringLiteral("select count(*) from DataCheckFHDSHD")).toLongLong();
        if (notes > 0 &&
            !dialogs.ask(QStringLiteral("服务器上的数据（%1）已有 %2 张出货单，复制将全部替换。继续吗？")
                             .arg(server.describe())
                             .arg(notes),
                         QStringLiteral("复制数据"))) {
            out.exit = BadUse;
            return out;
        }
    } catch (const core::DbError& e) {
        writeError(QStringLiteral("错误：") + e.message());
        out.exit = DataError;
        return out;
    }
    const core::StoreCopy::Result result =
        core::StoreCopy::copy(source.db(), target.db(), runPath + QStringLiteral("Image"), QString(),
                              entry::NoteDayTotals::copyRecount());
    if (!result.ok) {
        writeError(QStringLiteral("错误：") + result.error);
        out.exit = DataError;
        return out;
    }
    report(out, result);
    out.lines.prepend(QStringLiteral("已复制到 ") + server.describe());
    return out;
}

// The local store is replaced only by a whole, counted copy (StoreCopy::replaceLocal); a run
// stopped half way is finished or undone by the next start.
Outcome fromServer(const QString& runPath, core::Dialogs& dialogs, const Invocation& call,
                   const core::ServerAddress& server) {
    Outcome out;
    const QString local = core::ProgramFolder::databasePath(runPath);
    core::AppContext source(runPath, dialogs);
    try {
        source.db().openServer(server);
        core::AppContext replaced(runPath, dialogs);
        replaced.db().open(local);
        if ((out.exit = loginAtBothEnds(replaced, source, call)) != Done)
            return out;
    } catch (const core::DbError& e) {
        writeError(QStringLiteral("错误：") + e.message());
        out.exit = DataError;
        return out;
    }
    const core::StoreCopy::Result result =
        core::StoreCopy::replaceLocal(source.db(), runPath, entry::NoteDayTotals::copyRecount());
    if (!result.ok) {
        writeError(QStringLiteral("错误：") + result.error);
        out.exit = DataError;
        return out;
    }
    report(out, result);
    out.lines.prepend(
        QStringLiteral("已从 %1 复制到 %2（原文件保留为 %3）")
            .arg(server.describe(), QDir::toNativeSeparators(local), QDir::toNativeSeparators(result.kept)));
    out.result.insert(QStringLiteral("kept"), result.kept);
    return out;
}

} // namespace

Outcome runDbCopy(const QString& runPath, core::Dialogs& dialogs, const Invocation& call) {
    const bool to = call.has(QStringLiteral("to"));
    QString error;
    const core::ServerAddress server =
        core::ServerAddress::parse(call.value(to ? QStringLiteral("to") : QStringLiteral("from")), &error);
    if (server.isEmpty()) {
        writeError(error);
        return {BadUse, {}, {}};
    }
    // A test names a step at which the command kills itself, to see what a kill there leaves.
    if (const QString at = qEnvironmentVariable("OVERPRINT_KILL_AT"); !at.isEmpty())
        core::StoreCopy::setStepHook([at](const QString& step) {
            if (step == at)
                ::raise(SIGKILL);
        });
    return to ? toServer(runPath, dialogs, call, server) : fromServer(runPath, dialogs, call, server);
}

} // namespace cli
