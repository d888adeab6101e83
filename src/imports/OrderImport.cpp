#include "imports/OrderImport.h"

#include "core/Database.h"
#include "core/Dialogs.h"
#include "core/OrderNumberKey.h"
#include "imports/ColumnMatching.h"
#include "imports/ImportLog.h"
#include "imports/Spreadsheet.h"

#include <QDateTime>

namespace imports {

namespace {

constexpr int kNumberItem = 0; // the order number leads both item tables

QString suspiciousText(const QString& number) {
    return QStringLiteral("可疑的订单号(超过15位的数字单元格已丢失末位，请把订单号作为文本导出)，订单号=") +
           number;
}

} // namespace

OrderImport::OrderImport(core::Database& db, core::Dialogs& dialogs, ImportLog& log, RunObserver& observer)
    : m_db(db), m_dialogs(dialogs), m_log(log), m_observer(observer), m_statements(db) {}

std::function<void(const char*)>& OrderImport::stepHook() {
    static std::function<void(const char*)> hook;
    return hook;
}

OrderImport::Result OrderImport::run(const Half& orders, const Half& lines) {
    Result r;
    if (!orders.sheet || !lines.sheet) {
        if (orders.sheet)
            r.orders = runOrders(*orders.sheet, orders.columns, orders.workbook);
        if (lines.sheet)
            r.lines = runLines(*lines.sheet, lines.columns, lines.workbook);
        return r;
    }
    const auto passing = [](const char* step) {
        if (stepHook())
            stepHook()(step);
    };
    // Both halves fail together: what the first wrote is gone with the second.
    const auto failed = [&](const QString& report, bool shown) {
        m_db.rollback();
        for (RunResult* half : {&r.orders, &r.lines}) {
            half->failed = true;
            half->imported = 0;
            half->report = report;
        }
        m_log.info(QStringLiteral("Finish"), report);
        m_log.flush();
        if (!shown)
            m_dialogs.message(report);
        return r;
    };
    // The key in a transaction of its own, before the import's: a store it merged stays merged
    // whatever becomes of the import.
    RunResult key;
    if (!keyReady(key)) {
        r.orders = r.lines = key;
        return r;
    }
    try {
        m_db.begin();
        r.orders = runOrders(*orders.sheet, orders.columns, orders.workbook);
        if (r.orders.failed)
            return failed(r.orders.report, true);
        passing(kOrdersWritten);
        r.lines = runLines(*lines.sheet, lines.columns, lines.workbook);
        if (r.lines.failed)
            return failed(r.lines.report, true);
        passing(kLinesWritten);
        m_db.commit();
    } catch (const core::DbError& e) {
        return failed(SheetRun::failurePrefix() + e.message(), false);
    }
    return r;
}

QVector<int> OrderImport::autoMatchOrders(core::Database& db, const QStringList& columnList) {
    return ColumnMatching::autoMatch(
        columnList,
        ColumnMatching::loadAllConstColumnPairs(db, ImportItems::rules(orderItems()), matchtype::orders));
}

QVector<int> OrderImport::autoMatchLines(core::Database& db, const QStringList& columnList) {
    return ColumnMatching::autoMatch(
        columnList,
        ColumnMatching::loadAllConstColumnPairs(db, ImportItems::rules(lineItems()), matchtype::orderLines));
}

bool OrderImport::isLossyNumber(const QString& number) {
    if (number.size() < 16)
        return false;
    for (qsizetype i = 0; i < number.size(); ++i) {
        const QChar c = number.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        if (i >= 15 && c != QLatin1Char('0'))
            return false;
    }
    return true;
}

QString OrderImport::missingOrderColumnMessage() {
    return QStringLiteral("订单号不能为空，请选择有效的Excel数据文件并匹配项目！");
}

QString OrderImport::orderSkippedText() {
    return QStringLiteral(" 条无效(订单号为空)的记录！");
}

QString OrderImport::cell(const Spreadsheet& sheet, int row, int item) const {
    const int column = m_columns.value(item, -1);
    return column > 0 ? sheet.cell(row, column) : QString();
}

bool OrderImport::keyReady(RunResult& result) {
    if (m_keyReady)
        return true;
    try {
        core::OrderNumberKey::ensure(m_db);
        m_keyReady = true;
        return true;
    } catch (const core::DbError& e) {
        result.failed = true;
        result.report = SheetRun::failurePrefix() + e.message();
        m_log.info(QStringLiteral("Finish"), result.report);
        m_log.flush();
        m_dialogs.message(result.report);
        return false;
    }
}

bool OrderImport::checkOrderColumn(const QVector<int>& columns) {
    m_columns = columns;
    m_seen.clear();
    m_missingOrderColumn = columns.value(kNumberItem, -1) <= 0;
    if (m_missingOrderColumn)
        m_dialogs.notice(missingOrderColumnMessage(), QStringLiteral("提示"));
    return !m_missingOrderColumn;
}

RunResult OrderImport::runOrders(const Spreadsheet& sheet, const QVector<int>& columns,
                                 const QString& workbook) {
    m_log.clear();
    m_log.flush();
    m_observer.status(QStringLiteral("正在验证数据文件有效性！"));
    if (!checkOrderColumn(columns))
        return {};
    if (RunResult failed; !keyReady(failed))
        return failed;
    m_log.info(QStringLiteral("File"), QStringLiteral("数据文件来源:") + workbook);
    SheetRun rows(m_db, m_dialogs, m_log, m_observer);
    return rows.run(
        sheet, [&](int row) { return saveOrderInfo(sheet, row); }, orderSkippedText());
}

RunResult OrderImport::runLines(const Spreadsheet& sheet, const QVector<int>& columns,
                                const QString& workbook) {
    m_observer.status(QStringLiteral("正在验证数据文件有效性！"));
    if (!checkOrderColumn(columns))
        return {};
    if (RunResult failed; !keyReady(failed))
        return failed;
    m_log.info(QStringLiteral("File"), QStringLiteral("Excel明细数据文件来源:") + workbook);
    SheetRun rows(m_db, m_dialogs, m_log, m_observer);
    return rows.run(
        sheet, [&](int row) { return saveOrderDetailInfo(sheet, row); }, orderSkippedText());
}

bool OrderImport::saveOrderInfo(const Spreadsheet& sheet, int row) {
    const QString number = cell(sheet, row, kNumberItem).trimmed();
    if (number.isEmpty()) {
        m_log.log(row, QStringLiteral("无效行，订单号为空！"));
        return false;
    }
    const bool suspicious = isLossyNumber(number);
    if (suspicious) {
        // Two rows reading alike are two orders whose last digits were lost, not one order.
        if (m_seen.contains(m_db.caseKey(number))) {
            m_log.log(row, suspiciousText(number) + QStringLiteral("，与前面的行读成了同一个号，未导入"));
            return false;
        }
        m_seen.insert(m_db.caseKey(number));
    }
    const QVector<ImportItem>& items = orderItems();
    const auto value = [&](int item) {
        QString text = cell(sheet, row, item);
        if (items.at(item).chooser == u"cbPhone" || items.at(item).chooser == u"cbHandset") {
            const qsizetype quote = text.indexOf(QLatin1Char('\''));
            if (quote >= 0)
                text.remove(quote, 1);
        }
        return text;
    };
    try {
        m_db.lockName(core::OrderNumberKey::lockName(m_db, number));
        const QVariant id =
            m_statements.scalar(QStringLiteral("select top 1 ID from OrderList where 订单号=:n order by ID"),
                                {{QStringLiteral("n"), number}});
        core::Params params{{QStringLiteral("state"), QStringLiteral("未打印")},
                            {QStringLiteral("date"), QDateTime::currentDateTime()}};
        QStringList notes;
        if (!id.isValid()) {
            QStringList columns{QStringLiteral("订单号"), QStringLiteral("订单状态"),
                                QStringLiteral("订单日期")};
            QStringList values{QStringLiteral(":n"), QStringLiteral(":state"), QStringLiteral(":date")};
            params.insert(QStringLiteral("n"), number);
            for (int i = kNumberItem + 1; i < items.size(); ++i) {
                const QString key = QStringLiteral("v") + QString::number(i);
                columns << items.at(i).column;
                values << QLatin1Char(':') + key;
                params.insert(key, value(i));
            }
            m_statements.exec(QStringLiteral("insert into OrderList (") + columns.join(QLatin1Char(',')) +
                                  QStringLiteral(") values (") + values.join(QLatin1Char(',')) +
                                  QLatin1Char(')'),
                              params);
        } else {
            // Only the columns the sheet has: a remark edited in the batch list survives a
            // sheet without one.
            QStringList sets{QStringLiteral("订单状态=:state"), QStringLiteral("订单日期=:date")};
            for (int i = kNumberItem + 1; i < items.size(); ++i) {
                if (m_columns.value(i, -1) <= 0)
                    continue;
                const QString key = QStringLiteral("v") + QString::number(i);
                sets << items.at(i).column + QStringLiteral("=:") + key;
                params.insert(key, value(i));
            }
            params.insert(QStringLiteral("id"), id);
            m_statements.exec(QStringLiteral("update OrderList set ") + sets.join(QLatin1Char(',')) +
                                  QStringLiteral(" where ID=:id"),
                              params);
            notes << QStringLiteral("已经存在的订单号，订单号=") + number;
        }
        if (suspicious)
            notes << suspiciousText(number);
        if (!notes.isEmpty())
            m_log.log(row, notes.join(QStringLiteral("；")));
        return true;
    } catch (const core::DbError& e) {
        return rowFailed(row, e);
    }
}

bool OrderImport::rowFailed(int row, const core::DbError& e) {
    m_log.err(row, QStringLiteral("订单导入错误：") + e.message());
    m_log.flush();
    SheetRun::ensureTransaction(m_db);
    return false;
}

bool OrderImport::saveOrderDetailInfo(const Spreadsheet& sheet, int row) {
    const QString number = cell(sheet, row, kNumberItem).trimmed();
    if (number.isEmpty()) {
        m_log.log(row, QStringLiteral("无效行，订单号为空！"));
        return false;
    }
    const QVector<ImportItem>& items = lineItems();
    try {
        QStringList notes;
        const core::Params key{{QStringLiteral("n"), number}};
        // Looked up as the delete below compares: one order written in two letter cases is
        // one order, whose lines replace the stored ones once.
        if (!m_seen.contains(m_db.caseKey(number))) {
            // The sheet holds all of an order's lines: those stored before are replaced, so
            // an import of the same sheet again leaves the same lines; under the order's lock,
            // so a seat importing it at the same moment replaces them after this one commits.
            m_db.lockName(core::OrderNumberKey::lockName(m_db, number));
            const int removed =
                m_statements.exec(QStringLiteral("delete from OrderDetail where 订单号=:n"), key);
            m_seen.insert(m_db.caseKey(number));
            if (removed > 0)
                notes << QStringLiteral("已经存在的订单号，原有") + QString::number(removed) +
                             QStringLiteral("条明细已替换，订单号=") + number;
            if (!m_statements.scalar(QStringLiteral("select top 1 ID from OrderList where 订单号=:n"), key)
                     .isValid())
                notes << QStringLiteral("订单列表中没有此订单号，明细已导入，订单号=") + number;
            if (isLossyNumber(number))
                notes << suspiciousText(number);
        }
        QStringList columns;
        QStringList values;
        core::Params params;
        for (int i = 0; i < items.size(); ++i) {
            const QString name = QStringLiteral("v") + QString::number(i);
            columns << items.at(i).column;
            values << QLatin1Char(':') + name;
            params.insert(name, i == kNumberItem ? number : cell(sheet, row, i));
        }
        m_statements.exec(QStringLiteral("insert into OrderDetail (") + columns.join(QLatin1Char(',')) +
                              QStringLiteral(") values (") + values.join(QLatin1Char(',')) + QLatin1Char(')'),
                          params);
        if (!notes.isEmpty())
            m_log.log(row, notes.join(QStringLiteral("；")));
        return true;
    } catch (const core::DbError& e) {
        return rowFailed(row, e);
    }
}

} // namespace imports
