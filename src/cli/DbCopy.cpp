#include "cli/DbCopy.h"

#include "cli/ConsoleDialogs.h"
#include "core/Database.h"
#include "core/Dialogs.h"
#include "core/ProgramFolder.h"
#include "core/StoreCopy.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QUuid>

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

Outcome toServer(const QString& runPath, core::Dialogs& dialogs, const core::ServerAddress& server) {
    Outcome out;
    core::Database source(QStringLiteral("overprint-copy-source"));
    core::Database target(QStringLiteral("overprint-copy-target"));
    try {
        source.open(core::ProgramFolder::databasePath(runPath));
        target.openServer(server);
        const qint64 notes =
            target.scalar(QStringLiteral("select count(*) from DataCheckFHDSHD")).toLongLong();
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
        core::StoreCopy::copy(source, target, runPath + QStringLiteral("Image"), QString());
    if (!result.ok) {
        writeError(QStringLiteral("错误：") + result.error);
        out.exit = DataError;
        return out;
    }
    report(out, result);
    out.lines.prepend(QStringLiteral("已复制到 ") + server.describe());
    return out;
}

// Into a new file first; the local store is replaced only by a whole, counted copy.
Outcome fromServer(const QString& runPath, const core::ServerAddress& server) {
    Outcome out;
    const QString local = core::ProgramFolder::databasePath(runPath);
    const QString fresh = local + QStringLiteral(".new-") + QUuid::createUuid().toString(QUuid::Id128);
    core::StoreCopy::Result result;
    try {
        core::Database source(QStringLiteral("overprint-copy-source"));
        core::Database target(QStringLiteral("overprint-copy-target"));
        source.openServer(server);
        core::StoreCopy::createLocalStore(target, fresh);
        result = core::StoreCopy::copy(source, target, QString(), runPath + QStringLiteral("Image"));
    } catch (const core::DbError& e) {
        result.error = e.message();
    }
    if (!result.ok) {
        QFile::remove(fresh);
        writeError(QStringLiteral("错误：") + result.error);
        out.exit = DataError;
        return out;
    }
    const QString kept = local + QStringLiteral(".复制前-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if ((QFile::exists(local) && !QFile::rename(local, kept)) || !QFile::rename(fresh, local)) {
        QFile::remove(fresh);
        writeError(QStringLiteral("错误：无法替换 ") + QDir::toNativeSeparators(local));
        out.exit = DataError;
        return out;
    }
    report(out, result);
    out.lines.prepend(
        QStringLiteral("已从 %1 复制到 %2（原文件保留为 %3）")
            .arg(server.describe(), QDir::toNativeSeparators(local), QDir::toNativeSeparators(kept)));
    out.result.insert(QStringLiteral("kept"), kept);
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
    return to ? toServer(runPath, dialogs, server) : fromServer(runPath, server);
}

} // namespace cli
