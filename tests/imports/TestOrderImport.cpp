#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "ImportTesting.h"
#include "core/IniFile.h"
#include "imports/ColumnList.h"
#include "imports/ImportLog.h"
#include "imports/OrderImport.h"
#include "imports/Spreadsheet.h"

#include <QTemporaryDir>
#include <QTest>

using imports::OrderImport;
using imports::RunResult;

namespace {

QString sheetFile(const QString& name) {
    return TestHome::testData(QStringLiteral("sheets/") + name);
}

struct Halves {
    RunResult orders;
    RunResult lines;
};

// Both halves as the window runs them; an empty path leaves that workbook unopened.
Halves importOrders(TestHome& home, const QString& ordersPath, const QString& linesPath) {
    ScriptedObserver observer;
    imports::ImportLog log(home.path());
    OrderImport import(home.db(), home.dialogs(), log, observer);
    Halves result;
    if (!ordersPath.isEmpty()) {
        imports::Spreadsheet book;
        book.open(ordersPath);
        result.orders = import.runOrders(
            book, OrderImport::autoMatchOrders(home.db(), imports::ColumnList::build(book)), ordersPath);
    }
    if (!linesPath.isEmpty()) {
        imports::Spreadsheet book;
        book.open(linesPath);
        result.lines = import.runLines(
            book, OrderImport::autoMatchLines(home.db(), imports::ColumnList::build(book)), linesPath);
    }
    return result;
}

QStringList tableRows(TestHome& home, const QString& sql) {
    core::Recordset rows = home.db().query(sql);
    QStringList out;
    for (rows.first(); !rows.eof(); rows.next()) {
        QStringList cells;
        for (int c = 0; c < rows.fieldCount(); ++c)
            cells << rows.text(c);
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

QString logValue(TestHome& home, const QString& section, const QString& key) {
    core::IniFile ini(imports::ImportLog::fileName(home.path()));
    return ini.readString(section, key);
}

const QString kOrders =
    QStringLiteral("select 订单号,订单状态,客户全称,客户联系人,客户电话,客户手机,客户地址,备注 "
                   "from OrderList order by 订单号");
const QString kLines =
    QStringLiteral("select 订单号,商品名,规格,单位,数量,单价,金额 from OrderDetail order by 订单号, ID");

} // namespace

class TestOrderImport : public QObject {
    Q_OBJECT

private slots:
    // 20 orders and all 68 of their lines; importing both again leaves the same rows.
    void ordersWithLines_data() {
        QTest::addColumn<QString>("orders");
        QTest::addColumn<QString>("lines");
        QTest::newRow("xlsx") << "orders.xlsx"
                              << "order-details.xlsx";
        QTest::newRow("xls") << "orders.xls"
                             << "order-details.xls";
    }
    void ordersWithLines() {
        QFETCH(QString, orders);
        QFETCH(QString, lines);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        Halves first = importOrders(home, sheetFile(orders), sheetFile(lines));
        QCOMPARE(first.orders.imported, 20);
        QCOMPARE(first.lines.imported, 68);
        const QStringList storedOrders = tableRows(home, kOrders);
        const QStringList storedLines = tableRows(home, kLines);
        QCOMPARE(storedOrders.size(), 20);
        QCOMPARE(storedLines.size(), 68);
        QCOMPARE(storedLines.first(), QStringLiteral("DD000001|笔记本|A5 80页|本|1|6.5|6.5"));
        QCOMPARE(home.db().scalar(QStringLiteral("select count(distinct 订单号) from OrderDetail")).toInt(),
                 20);

        home.db().exec(QStringLiteral("update OrderList set 订单状态='已打印'"));
        Halves again = importOrders(home, sheetFile(orders), sheetFile(lines));
        QCOMPARE(again.orders.imported, 20);
        QCOMPARE(again.lines.imported, 68);
        QCOMPARE(tableRows(home, kOrders), storedOrders);
        QCOMPARE(tableRows(home, kLines), storedLines);
        // The detail half's log entries replace the order half's of the same row.
        QCOMPARE(logValue(home, QStringLiteral("LOG"), QStringLiteral("N21")),
                 QStringLiteral("已经存在的订单号，订单号=DD000020"));
        QVERIFY(logValue(home, QStringLiteral("LOG"), QStringLiteral("N2"))
                    .startsWith(QStringLiteral("已经存在的订单号，原有")));
        QVERIFY(logValue(home, QStringLiteral("INFO"), QStringLiteral("File"))
                    .startsWith(QStringLiteral("Excel明细数据文件来源:")));
    }

    // An existing order takes only the columns the sheet has.
    void updateKeepsUnmatchedColumns() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QTemporaryDir dir;
        const QString full = writeCsv(dir.filePath(QStringLiteral("a.csv")),
                                      {"订单号,客户全称,备注,客户电话", "A-1,甲公司,原备注,'0755"});
        const QString partial =
            writeCsv(dir.filePath(QStringLiteral("b.csv")), {"订单号,客户全称", "A-1,甲公司(新)", ",无号"});
        importOrders(home, full, QString());
        home.db().exec(QStringLiteral("update OrderList set 备注='文员改过', 订单状态='已打印'"));
        const Halves result = importOrders(home, partial, QString());
        QCOMPARE(result.orders.imported, 1);
        QCOMPARE(result.orders.skipped, 1);
        QCOMPARE(tableRows(home, QStringLiteral("select 客户全称,备注,订单状态,客户电话 from OrderList")),
                 QStringList{"甲公司(新)|文员改过|未打印|0755"});
        QCOMPARE(logValue(home, QStringLiteral("LOG"), QStringLiteral("N3")),
                 QStringLiteral("无效行，订单号为空！"));
        QCOMPARE(result.orders.report,
                 QStringLiteral("导入结束，共有 1 条导入成功！\n 其中跳过了1 条无效(订单号为空)的记录！"));
    }

    // Two long numbers that read alike are not merged into one order.
    void lossyNumbersNotMerged() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QTemporaryDir dir;
        const QString path = writeCsv(dir.filePath(QStringLiteral("a.csv")),
                                      {"订单号,客户全称", "1234567890123450000,甲", "1234567890123450000,乙",
                                       "1234567890123456789,丙"});
        const Halves result = importOrders(home, path, QString());
        QCOMPARE(result.orders.imported, 2);
        QCOMPARE(tableRows(home, QStringLiteral("select 客户全称 from OrderList order by ID")),
                 (QStringList{"甲", "丙"}));
        QVERIFY(logValue(home, QStringLiteral("LOG"), QStringLiteral("N2"))
                    .startsWith(QStringLiteral("可疑的订单号")));
        QVERIFY(
            logValue(home, QStringLiteral("LOG"), QStringLiteral("N3")).endsWith(QStringLiteral("未导入")));
    }

    // Lines of an order missing from the order list still go in, and the log says so; a sheet
    // without an order number column is refused with its message.
    void linesAlone() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QTemporaryDir dir;
        const QString lines = writeCsv(dir.filePath(QStringLiteral("l.csv")),
                                       {"订单号,商品名,数量", "X9,螺丝,000123", "X9,螺母,2"});
        const Halves result = importOrders(home, QString(), lines);
        QCOMPARE(result.lines.imported, 2);
        QCOMPARE(tableRows(home, QStringLiteral("select 商品名,数量 from OrderDetail order by ID")),
                 (QStringList{"螺丝|000123", "螺母|2"}));
        QCOMPARE(logValue(home, QStringLiteral("LOG"), QStringLiteral("N2")),
                 QStringLiteral("订单列表中没有此订单号，明细已导入，订单号=X9"));

        const QString noNumber = writeCsv(dir.filePath(QStringLiteral("n.csv")), {"商品名,数量", "螺丝,1"});
        const Halves refused = importOrders(home, noNumber, noNumber);
        QVERIFY(!refused.orders.ran);
        QVERIFY(!refused.lines.ran);
        QCOMPARE(home.dialogs().lastText(), OrderImport::missingOrderColumnMessage());
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from OrderDetail")).toInt(), 2);
    }
};

OVERPRINT_TEST(TestOrderImport)
#include "TestOrderImport.moc"
