#include "imports/OrderImport.h"

#include "core/Database.h"
#include "core/Dialogs.h"
#include "core/OrderNumberKey.h"
#include "imports/ColumnMatching.h"
#include "imports/ImportLog.h"
#include "imports/Spreadsheet.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <tuple>

namespace imports {

namespace {

constexpr int kNumberItem = 0; // the order number leads both item tables

// Items that tell an order sheet (its customer) and a goods-line sheet (its goods) from
// any other sheet with an order-number column.
const QStringList kCustomerRules = {QStringLiteral("客户全称"), QStringLiteral("客户联系人"),
                                    QStringLiteral("客户电话"), QStringLiteral("客户手机"),
                                    QStringLiteral("客户地址"), QStringLiteral("会员Id")};
const QStringList kGoodsRules = {QStringLiteral("货号"), QStringLiteral("商品名"), QStringLiteral("规格"),
                                 QStringLiteral("单位"), QStringLiteral("数量"),   QStringLiteral("单价"),
                                 QStringLiteral("金额")};
// A long list of changed orders is cut in the message; the log and --json name them all.
constexpr int kChangedNamed = 20;

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
    m_added.clear();
    m_changedKeys.clear();
    m_changed.clear();
    m_sheetLines.clear();
    // A refused sheet is said before anything is written, the log included.
    bool refused = false;
    for (const auto& [half, orderSheet, result] :
         {std::tuple{&orders, true, &r.orders}, std::tuple{&lines, false, &r.lines}}) {
        if (!half->sheet)
            continue;
        result->report = sheetRefusal(*half, orderSheet);
        if (!result->report.isEmpty()) {
            refused = true;
            m_dialogs.notice(result->report, QStringLiteral("提示"));
        }
    }
    if (refused)
        return r;
    // Named at the end of the last half's report, once the rows are stored.
    const auto named = [this, &r, &lines]() -> Result& {
        r.changed = m_changed;
        RunResult& last = lines.sheet && (r.lines.ran || !r.orders.ran) ? r.lines : r.orders;
        const QString text = changedText(r.changed);
        if (!text.isEmpty() && !last.failed) {
            last.report += text;
            m_log.info(QStringLiteral("Changed"), text);
            m_log.flush();
        }
        return r;
    };
    if (!orders.sheet || !lines.sheet) {
        if (orders.sheet)
            r.orders = runOrders(*orders.sheet, orders.columns, orders.workbook);
        if (lines.sheet)
            r.lines = runLines(*lines.sheet, lines.columns, lines.workbook);
        if (r.orders.failed || r.lines.failed)
            m_changed.clear(); // rolled back
        return named();
    }
    const auto passing = [](const char* step) {
        if (stepHook())
            stepHook()(step);
    };
    // Both halves fail together: what the first wrote is gone with the second.
    const auto failed = [&](const QString& report, bool shown) {
        m_db.rollback();
        m_changed.clear();
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
    return named();
}

QString OrderImport::sheetRefusal(const Half& half, bool orderSheet) {
    if (!half.sheet || half.columns.value(kNumberItem, -1) <= 0)
        return {};
    const QVector<ImportItem>& items = orderSheet ? orderItems() : lineItems();
    const QStringList& wanted = orderSheet ? kCustomerRules : kGoodsRules;
    for (int i = kNumberItem + 1; i < items.size(); ++i)
        if (half.columns.value(i, -1) > 0 && wanted.contains(items.at(i).rule))
            return {};
    const QString kind = orderSheet ? QStringLiteral("订单表") : QStringLiteral("订单明细表");
    const QString what = orderSheet ? QStringLiteral("客户") : QStringLiteral("商品");
    const QString sheetName = half.sheet->sheetNames().value(half.sheet->activeSheet());
    return kind + QStringLiteral("“") + QFileInfo(half.workbook).fileName() + QStringLiteral("”") +
           (sheetName.isEmpty() ? QString() : QStringLiteral("的工作表“") + sheetName + QStringLiteral("”")) +
           QStringLiteral("里没有%1的列（%2），不像%3，没有导入任何数据。请检查订单表和明细表是否放反了。")
               .arg(what, wanted.join(QStringLiteral("、")), kind);
}

QString OrderImport::changedText(const QStringList& changed) {
    if (changed.isEmpty())
        return {};
    QString names = changed.mid(0, kChangedNamed).join(QStringLiteral("、"));
    if (changed.size() > kChangedNamed)
        names += QStringLiteral("等");
    return QStringLiteral("\n以下%1个已有订单的内容有变，已改为未打印：").arg(changed.size()) + names;
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
    readSheetLines(sheet);
    SheetRun rows(m_db, m_dialogs, m_log, m_observer);
    return rows.run(
        sheet, [&](int row) { return saveOrderDetailInfo(sheet, row); }, orderSkippedText());
}

void OrderImport::readSheetLines(const Spreadsheet& sheet) {
    m_sheetLines.clear();
    const int items = int(lineItems().size());
    const int last = std::min(sheet.usedRows(), SheetRun::maxDataRows + 1);
    for (int row = 2; row <= last; ++row) {
        const QString number = cell(sheet, row, kNumberItem).trimmed();
        if (number.isEmpty())
            continue;
        QStringList values;
        for (int i = kNumberItem + 1; i < items; ++i)
            values << cell(sheet, row, i);
        m_sheetLines[m_db.caseKey(number)] << values;
    }
}

void OrderImport::nameChanged(const QString& number) {
    const QString key = m_db.caseKey(number);
    if (m_changedKeys.contains(key))
        return;
    m_changedKeys.insert(key);
    m_changed << number;
}

void OrderImport::orderChanged(const QVariant& id, const QString& number) {
    m_statements.exec(QStringLiteral("update OrderList set 订单状态=:state,订单日期=:date where ID=:id"),
                      {{QStringLiteral("state"), QStringLiteral("未打印")},
                       {QStringLiteral("date"), QDateTime::currentDateTime()},
                       {QStringLiteral("id"), id}});
    nameChanged(number);
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
        // The stored order with the columns this sheet brings, to tell whether it changes.
        QVector<int> brought;
        QStringList select{QStringLiteral("ID")};
        for (int i = kNumberItem + 1; i < items.size(); ++i)
            if (m_columns.value(i, -1) > 0) {
                brought << i;
                select << items.at(i).column;
            }
        const QList<QVariantList> stored =
            m_statements.rows(QStringLiteral("select top 1 ") + select.join(QLatin1Char(',')) +
                                  QStringLiteral(" from OrderList where 订单号=:n order by ID"),
                              {{QStringLiteral("n"), number}});
        core::Params params{{QStringLiteral("state"), QStringLiteral("未打印")},
                            {QStringLiteral("date"), QDateTime::currentDateTime()}};
        QStringList notes;
        if (stored.isEmpty()) {
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
            m_added.insert(m_db.caseKey(number));
        } else {
            bool changed = false;
            for (int k = 0; k < brought.size() && !changed; ++k)
                changed = stored.first().at(k + 1).toString() != value(brought.at(k));
            // An order the sheet brings as it is stays as it is: printed, it is not printed
            // again because the same sheet was imported again. A changed one goes back to
            // 未打印 and takes only the columns the sheet has: a remark edited in the batch list
            // survives a sheet without one.
            if (changed) {
                QStringList sets{QStringLiteral("订单状态=:state"), QStringLiteral("订单日期=:date")};
                for (int i : brought) {
                    const QString key = QStringLiteral("v") + QString::number(i);
                    sets << items.at(i).column + QStringLiteral("=:") + key;
                    params.insert(key, value(i));
                }
                params.insert(QStringLiteral("id"), stored.first().first());
                m_statements.exec(QStringLiteral("update OrderList set ") + sets.join(QLatin1Char(',')) +
                                      QStringLiteral(" where ID=:id"),
                                  params);
                nameChanged(number);
                notes << QStringLiteral("已经存在的订单号，内容有变，已改为未打印，订单号=") + number;
            } else {
                notes << QStringLiteral("已经存在的订单号，订单号=") + number;
            }
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

QString OrderImport::lineSelect() {
    QStringList columns;
    const QVector<ImportItem>& items = lineItems();
    for (int i = kNumberItem + 1; i < items.size(); ++i)
        columns << items.at(i).column;
    return QStringLiteral("select ") + columns.join(QLatin1Char(',')) +
           QStringLiteral(" from OrderDetail where 订单号=:n order by ID");
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
            // Read whole before the delete (a statement of the cache reads forward only).
            QList<QStringList> before;
            core::Recordset stored = m_db.query(lineSelect(), key);
            for (stored.first(); !stored.eof(); stored.next()) {
                QStringList values;
                for (int c = 0; c < stored.fieldCount(); ++c)
                    values << stored.text(c);
                before << values;
            }
            const int removed =
                m_statements.exec(QStringLiteral("delete from OrderDetail where 订单号=:n"), key);
            m_seen.insert(m_db.caseKey(number));
            if (removed > 0)
                notes << QStringLiteral("已经存在的订单号，原有") + QString::number(removed) +
                             QStringLiteral("条明细已替换，订单号=") + number;
            const QVariant id =
                m_statements.scalar(QStringLiteral("select top 1 ID from OrderList where 订单号=:n"), key);
            if (!id.isValid())
                notes << QStringLiteral("订单列表中没有此订单号，明细已导入，订单号=") + number;
            else if (!m_added.contains(m_db.caseKey(number)) &&
                     before != m_sheetLines.value(m_db.caseKey(number))) {
                // Other goods on paper: the order is printed again.
                orderChanged(id, number);
                notes << QStringLiteral("明细有变，订单已改为未打印");
            }
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
