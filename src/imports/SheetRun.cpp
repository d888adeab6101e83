#include "imports/SheetRun.h"

#include "core/Database.h"
#include "core/Dialogs.h"
#include "imports/ImportLog.h"
#include "imports/Spreadsheet.h"

#include <QSqlDriver>

#include <sqlite3.h>

namespace imports {

QString SheetRun::overMaxMessage() {
    return QStringLiteral("超过6000条的跳过了，系统设定一次最多可以导入6000行！");
}

void SheetRun::ensureTransaction(core::Database& db) {
    const QVariant handle = db.connection().driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return;
    sqlite3* native = *static_cast<sqlite3* const*>(handle.data());
    if (native && sqlite3_get_autocommit(native) != 0)
        throw core::DbError(QString::fromUtf8(sqlite3_errmsg(native)));
}

RunResult SheetRun::run(const Spreadsheet& sheet, const std::function<bool(int)>& saveRow,
                        const QString& skippedText) {
    RunResult result;
    const int usedRows = sheet.usedRows();
    m_log.info(QStringLiteral("Total"), QStringLiteral("本次任务数据共有：") +
                                            QString::number(qMax(usedRows - 1, 0)) + QStringLiteral("行"));
    m_observer.status(QStringLiteral("数据文件有效！共有数据行：") + QString::number(qMax(usedRows - 1, 0)));
    m_observer.progressStart(usedRows + 1);
    if (usedRows == 0) {
        result.noData = true;
        result.report = QStringLiteral("导入完成，所选数据文件不存在有效数据！");
        m_log.flush();
        return result;
    }
    // Inside a caller's transaction (both halves of the order import) the rows join it, and
    // the caller commits or rolls back.
    const bool own = !m_db.inTransaction();
    bool begun = false;
    try {
        if (own) {
            m_db.begin();
            begun = true;
        }
        result.ran = true;
        int handled = 0;
        for (int row = 2; row <= usedRows; ++row) {
            if (row > maxDataRows + 1) {
                m_dialogs.message(overMaxMessage());
                m_log.info(QStringLiteral("OverMaxLine"), overMaxMessage());
                break;
            }
            if (saveRow(row))
                ++result.imported;
            else
                ++result.skipped;
            // By rows handled rather than rows imported, so a run that skips every row (a
            // second import of the same sheet) stays responsive too.
            if (++handled % 10 == 0)
                m_observer.serviceEvents();
            m_observer.progressStep();
            if (m_observer.stopRequested()) {
                if (m_dialogs.ask(QStringLiteral("需要中止导出操作吗？"), QStringLiteral("询问"))) {
                    result.stopped = true;
                    break;
                }
                m_observer.stopDeclined();
            }
        }
        if (own)
            m_db.commit();
    } catch (const core::DbError& e) {
        // A transaction this run did not begin is not its own to roll back.
        if (begun)
            m_db.rollback();
        result.failed = true;
        result.imported = 0;
        result.report = failurePrefix() + e.message();
        m_observer.progressEnd(true);
        m_log.info(QStringLiteral("Finish"), result.report);
        m_log.flush();
        m_dialogs.message(result.report);
        return result;
    }
    m_observer.progressEnd(result.stopped);
    result.report = QStringLiteral("导入结束，共有 ") + QString::number(result.imported) +
                    QStringLiteral(" 条导入成功！\n");
    if (result.skipped > 0)
        result.report += QStringLiteral(" 其中跳过了") + QString::number(result.skipped) + skippedText;
    m_log.info(QStringLiteral("Finish"), result.report);
    m_log.flush();
    return result;
}

} // namespace imports
