#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "ImportTesting.h"
#include "core/IniFile.h"
#include "imports/ColumnList.h"
#include "imports/ImportLog.h"
#include "imports/OrderImport.h"
#include "imports/Spreadsheet.h"

#include <QDateTime>
#include <QProcess>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <thread>

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

// Both halves as the window runs them; an empty path leaves that workbook unopened. The log
// goes to the program folder unless another is given (each seat has its own).
Halves importOrders(core::AppContext& app, const QString& ordersPath, const QString& linesPath,
                    const QString& logFolder = QString()) {
    ScriptedObserver observer;
    imports::ImportLog log(logFolder.isEmpty() ? app.getRunPath() : logFolder);
    OrderImport import(app.db(), app.dialogs(), log, observer);
    imports::Spreadsheet orderBook;
    imports::Spreadsheet lineBook;
    OrderImport::Half orders;
    OrderImport::Half lines;
    if (!ordersPath.isEmpty()) {
        orderBook.open(ordersPath);
        orders = {&orderBook, OrderImport::autoMatchOrders(app.db(), imports::ColumnList::build(orderBook)),
                  ordersPath};
    }
    if (!linesPath.isEmpty()) {
        lineBook.open(linesPath);
        lines = {&lineBook, OrderImport::autoMatchLines(app.db(), imports::ColumnList::build(lineBook)),
                 linesPath};
    }
    const OrderImport::Result result = import.run(orders, lines);
    return {result.orders, result.lines};
}

Halves importOrders(TestHome& home, const QString& ordersPath, const QString& linesPath) {
    return importOrders(home.app(), ordersPath, linesPath);
}

// Stops the write of a two-half import at a named point: by a failure there, or, in a child
// process of this test program, by killing the process.
struct StopAt {
    explicit StopAt(const QString& step, bool kill = false) {
        OrderImport::stepHook() = [step, kill](const char* passing) {
            if (step != QLatin1String(passing))
                return;
            if (kill)
                ::raise(SIGKILL);
            throw core::DbError(QStringLiteral("停在") + step);
        };
    }
    ~StopAt() { OrderImport::stepHook() = nullptr; }
};

const char* const kKillStep = "OVERPRINT_KILL_IMPORT_AT";
const char* const kKillHome = "OVERPRINT_KILL_IMPORT_HOME";

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

        // Printed, the same sheets again leave every order as it was, state and date included.
        home.db().exec(
            QStringLiteral("update OrderList set 订单状态='已打印', 订单日期='2020-01-02 03:04:05'"));
        const QStringList printedOrders = tableRows(home, kOrders + QStringLiteral(",订单日期"));
        Halves again = importOrders(home, sheetFile(orders), sheetFile(lines));
        QCOMPARE(again.orders.imported, 20);
        QCOMPARE(again.lines.imported, 68);
        QCOMPARE(tableRows(home, kOrders + QStringLiteral(",订单日期")), printedOrders);
        QCOMPARE(tableRows(home, kLines), storedLines);
        QVERIFY2(!again.lines.report.contains(QStringLiteral("已改为未打印")),
                 qPrintable(again.lines.report));
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
                 QStringLiteral("导入结束，共有 1 条导入成功！\n 其中跳过了1 条无效(订单号为空)的记录！"
                                "\n以下1个已有订单的内容有变，已改为未打印：A-1"));
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

    // Imported again, an order whose row and goods lines the sheets bring unchanged keeps its
    // state and date; one they change is 未打印 again, dated now, and named at the end.
    void reimportChangesOnlyChangedOrders_data() {
        QTest::addColumn<QStringList>("orders"); // empty: no order sheet in the second import
        QTest::addColumn<QStringList>("lines");  // empty: no goods-line sheet
        QTest::addColumn<QStringList>("changed");
        const QStringList orders{"订单号,客户全称,客户电话", "A-1,甲公司,'0755", "A-2,乙公司,"};
        const QStringList lines{"订单号,商品名,数量", "A-1,螺丝,2", "A-2,螺母,1", "A-1,垫圈,10"};
        QTest::newRow("the same sheets") << orders << lines << QStringList();
        QTest::newRow("numbers in another letter case")
            << QStringList{"订单号,客户全称,客户电话", "a-1,甲公司,'0755", "a-2,乙公司,"}
            << QStringList{"订单号,商品名,数量", "a-1,螺丝,2", "a-2,螺母,1", "a-1,垫圈,10"} << QStringList();
        QTest::newRow("order sheet alone, unchanged") << orders << QStringList() << QStringList();
        QTest::newRow("goods-line sheet alone, unchanged") << QStringList() << lines << QStringList();
        QTest::newRow("a customer changed")
            << QStringList{"订单号,客户全称,客户电话", "A-1,甲公司,'0755", "A-2,乙公司(新),"} << lines
            << QStringList{"A-2"};
        QTest::newRow("a telephone added")
            << QStringList{"订单号,客户全称,客户电话", "A-1,甲公司,'0755", "A-2,乙公司,021"} << QStringList()
            << QStringList{"A-2"};
        QTest::newRow("a quantity changed")
            << orders << QStringList{"订单号,商品名,数量", "A-1,螺丝,3", "A-2,螺母,1", "A-1,垫圈,10"}
            << QStringList{"A-1"};
        QTest::newRow("a line more, sheet alone")
            << QStringList()
            << QStringList{"订单号,商品名,数量", "A-1,螺丝,2", "A-2,螺母,1", "A-1,垫圈,10", "A-2,螺钉,1"}
            << QStringList{"A-2"};
        QTest::newRow("a line fewer")
            << orders << QStringList{"订单号,商品名,数量", "A-1,螺丝,2", "A-1,垫圈,10"}
            << QStringList(); // A-2 is not in the sheet: its line stays
        QTest::newRow("lines in another order")
            << orders << QStringList{"订单号,商品名,数量", "A-1,垫圈,10", "A-2,螺母,1", "A-1,螺丝,2"}
            << QStringList{"A-1"};
        QTest::newRow("order and lines both changed")
            << QStringList{"订单号,客户全称,客户电话", "A-1,甲公司,'0756", "A-2,乙公司,"}
            << QStringList{"订单号,商品名,数量", "A-1,螺丝,2", "A-2,螺母,1", "A-1,垫圈,10", "A-1,螺钉,1"}
            << QStringList{"A-1"};
    }
    void reimportChangesOnlyChangedOrders() {
        QFETCH(QStringList, orders);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, changed);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QTemporaryDir dir;
        const Halves first =
            importOrders(home,
                         writeCsv(dir.filePath(QStringLiteral("o.csv")),
                                  {"订单号,客户全称,客户电话", "A-1,甲公司,'0755", "A-2,乙公司,"}),
                         writeCsv(dir.filePath(QStringLiteral("l.csv")),
                                  {"订单号,商品名,数量", "A-1,螺丝,2", "A-2,螺母,1", "A-1,垫圈,10"}));
        QCOMPARE(first.lines.imported, 3);
        // A first import changes nothing that was there.
        QVERIFY(!first.lines.report.contains(QStringLiteral("已改为未打印")));
        const QDateTime printedOn(QDate(2020, 1, 2), QTime(3, 4, 5));
        home.db().exec(QStringLiteral("update OrderList set 订单状态='已打印', 订单日期=:d"),
                       {{"d", printedOn}});

        const QString orderPath = orders.isEmpty() ? QString() : writeCsv(dir.filePath("o2.csv"), orders);
        const QString linePath = lines.isEmpty() ? QString() : writeCsv(dir.filePath("l2.csv"), lines);
        ScriptedObserver observer;
        imports::ImportLog log(home.path());
        OrderImport import(home.db(), home.dialogs(), log, observer);
        imports::Spreadsheet orderBook, lineBook;
        OrderImport::Half orderHalf, lineHalf;
        if (!orderPath.isEmpty()) {
            orderBook.open(orderPath);
            orderHalf = {&orderBook,
                         OrderImport::autoMatchOrders(home.db(), imports::ColumnList::build(orderBook)),
                         orderPath};
        }
        if (!linePath.isEmpty()) {
            lineBook.open(linePath);
            lineHalf = {&lineBook,
                        OrderImport::autoMatchLines(home.db(), imports::ColumnList::build(lineBook)),
                        linePath};
        }
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        const OrderImport::Result result = import.run(orderHalf, lineHalf);
        QCOMPARE(result.changed, changed);
        for (const QString& number : {QStringLiteral("A-1"), QStringLiteral("A-2")}) {
            const QString state =
                home.db()
                    .scalar("select 订单状态 from OrderList where 订单号=:n", {{"n", number}})
                    .toString();
            // Text on the file, a timestamp on the server.
            const QVariant stored =
                home.db().scalar("select 订单日期 from OrderList where 订单号=:n", {{"n", number}});
            const QDateTime date = stored.typeId() == QMetaType::QDateTime
                                       ? stored.toDateTime()
                                       : QDateTime::fromString(stored.toString().left(19).replace('T', ' '),
                                                               "yyyy-MM-dd HH:mm:ss");
            if (changed.contains(number)) {
                QCOMPARE(state, QStringLiteral("未打印"));
                QVERIFY2(date >= before, qPrintable(stored.toString()));
            } else {
                QCOMPARE(state, QStringLiteral("已打印"));
                QCOMPARE(date, printedOn);
            }
        }
        // The end message of the last half names them.
        const QString report = linePath.isEmpty() ? result.orders.report : result.lines.report;
        QCOMPARE(report.contains(QStringLiteral("已改为未打印")), !changed.isEmpty());
        for (const QString& number : changed)
            QVERIFY2(report.endsWith(number), qPrintable(report));
    }

    // Swapped sheets, or a sheet of the other kind alone, are refused and nothing is written:
    // an order sheet needs a column of the customer, a goods-line sheet one of the goods.
    void sheetOfTheWrongKindIsRefused_data() {
        QTest::addColumn<QString>("orders");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("named");
        QTest::newRow("swapped") << "order-details.xlsx"
                                 << "orders.xlsx"
                                 << "订单表“order-details.xlsx”的工作表“明细”里没有客户的列";
        QTest::newRow("goods lines as orders") << "order-details.xls" << QString() << "order-details.xls";
        QTest::newRow("orders as goods lines") << QString() << "orders.xlsx"
                                               << "订单明细表“orders.xlsx”的工作表“订单”里没有商品的列";
    }
    void sheetOfTheWrongKindIsRefused() {
        QFETCH(QString, orders);
        QFETCH(QString, lines);
        QFETCH(QString, named);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        importOrders(home, QString(), sheetFile(QStringLiteral("order-details.xlsx")));
        const QStringList stored = tableRows(home, kLines);
        home.dialogs().clear();
        const Halves result = importOrders(home, orders.isEmpty() ? QString() : sheetFile(orders),
                                           lines.isEmpty() ? QString() : sheetFile(lines));
        QVERIFY(!result.orders.ran && !result.lines.ran);
        QVERIFY2(home.dialogs().sawText(named), qPrintable(home.dialogs().texts().join('\n')));
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from OrderList")).toInt(), 0);
        QCOMPARE(tableRows(home, kLines), stored);
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

    // One order number written in two letter cases is one order, as the tables compare it: its
    // lines all stay, also where the store folds full-width letters (the server) or not.
    void numberCaseIsOneOrder_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("stored"); // order number, goods
        QTest::newRow("upper, lower, upper")
            << QStringList{"DD1,甲", "dd1,乙", "DD1,丙"} << QStringList{"DD1|甲", "dd1|乙", "DD1|丙"};
        QTest::newRow("mixed case first")
            << QStringList{"Dd-7,甲", "dD-7,乙"} << QStringList{"Dd-7|甲", "dD-7|乙"};
        QTest::newRow("full-width letters are not folded")
            << QStringList{"ＤＤ1,甲", "ｄｄ1,乙"} << QStringList{"ＤＤ1|甲", "ｄｄ1|乙"};
    }
    void numberCaseIsOneOrder() {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, stored);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QTemporaryDir dir;
        const QString lines =
            writeCsv(dir.filePath(QStringLiteral("l.csv")), QStringList{"订单号,商品名"} + rows);
        for (int run = 1; run <= 2; ++run) { // again: the same lines, not twice as many
            const Halves result = importOrders(home, QString(), lines);
            QCOMPARE(result.lines.imported, rows.size());
            QCOMPARE(tableRows(home, QStringLiteral("select 订单号,商品名 from OrderDetail order by ID")),
                     stored);
        }
    }

    // Two seats import the same sheets at the same moment on a server (two connections, each
    // in its own thread): whether the orders are new or stored already, every round ends with
    // one order row per number and the sheet's lines once, and neither seat loses a row.
    void twoSeatsImportOneSheetAtOnce() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        if (!home.onServer())
            QSKIP("two seats at once need a server: set OVERPRINT_TEST_PG");
        const QString orders = sheetFile(QStringLiteral("orders.xlsx"));
        const QString lines = sheetFile(QStringLiteral("order-details.xlsx"));
        importOrders(home, orders, lines);
        const QStringList expectedOrders = tableRows(home, kOrders);
        const QStringList expectedLines = tableRows(home, kLines);
        for (int round = 1; round <= 6; ++round) {
            if (round % 2 == 1) { // new orders every other round, stored ones in between
                home.db().exec(QStringLiteral("delete from OrderDetail"));
                home.db().exec(QStringLiteral("delete from OrderList"));
            }
            QSemaphore connected;
            QSemaphore go;
            Halves results[2];
            QString errors[2];
            QTemporaryDir logs[2];
            const auto seat = [&](int i) {
                core::ScriptedDialogs dialogs;
                core::AppContext app(home.path(), dialogs);
                try {
                    app.connect();
                } catch (const core::DbError& e) {
                    errors[i] = e.message();
                }
                connected.release();
                go.acquire();
                if (errors[i].isEmpty())
                    results[i] = importOrders(app, orders, lines, logs[i].path());
            };
            std::thread first(seat, 0);
            std::thread second(seat, 1);
            connected.acquire(2);
            go.release(2);
            first.join();
            second.join();
            for (int i = 0; i < 2; ++i) {
                QVERIFY2(errors[i].isEmpty(), qPrintable(errors[i]));
                QCOMPARE(results[i].orders.imported, 20);
                QCOMPARE(results[i].lines.imported, 68);
                QVERIFY(!results[i].orders.failed && !results[i].lines.failed);
            }
            QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from OrderList")).toInt(), 20);
            QCOMPARE(tableRows(home, kOrders), expectedOrders);
            QCOMPARE(tableRows(home, kLines), expectedLines);
        }
    }

    // A store from before the order number had its key, holding orders twice as two seats'
    // imports left them, is merged at the next start or the next import: one row per number,
    // the printed one kept, its lines once (a line its sheet lists twice stays twice); an
    // order stored once keeps all of its lines. The key then refuses a second row, in any case.
    void storeHoldingOrdersTwiceIsMerged_data() {
        QTest::addColumn<bool>("atImport");
        QTest::newRow("at the next start") << false;
        QTest::newRow("at the next import") << true;
    }
    void storeHoldingOrdersTwiceIsMerged() {
        QFETCH(bool, atImport);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        core::Database& db = home.db();
        db.exec(QStringLiteral("drop index if exists uq_orderlist_number"));
        db.exec(QStringLiteral("create index if not exists idx_orderlist_number on OrderList (订单号)"));
        const auto order = [&](const char* number, const char* state, const char* customer) {
            db.exec(QStringLiteral("insert into OrderList (订单号,订单状态,客户全称) values (:n,:s,:c)"),
                    {{QStringLiteral("n"), QString::fromUtf8(number)},
                     {QStringLiteral("s"), QString::fromUtf8(state)},
                     {QStringLiteral("c"), QString::fromUtf8(customer)}});
        };
        const auto line = [&](const char* number, const char* goods) {
            db.exec(QStringLiteral("insert into OrderDetail (订单号,商品名,数量) values (:n,:g,'1')"),
                    {{QStringLiteral("n"), QString::fromUtf8(number)},
                     {QStringLiteral("g"), QString::fromUtf8(goods)}});
        };
        order("A-1", "未打印", "甲");
        for (const char* goods : {"螺丝", "螺丝", "螺母"})
            line("A-1", goods);
        order("a-1", "已打印", "甲");
        for (const char* goods : {"螺丝", "螺丝", "螺母"})
            line("a-1", goods);
        order("B-2", "未打印", "乙");
        order("B-2", "未打印", "乙(后)");
        line("B-2", "垫片"); // the second seat replaced the first one's lines
        order("C-3", "未打印", "丙");
        line("C-3", "钉");
        line("C-3", "钉");

        core::ScriptedDialogs dialogs;
        std::unique_ptr<core::AppContext> seat;
        if (atImport) {
            QTemporaryDir dir;
            const Halves other = importOrders(
                home, writeCsv(dir.filePath(QStringLiteral("o.csv")), {"订单号,客户全称", "D-4,丁"}),
                QString());
            QCOMPARE(other.orders.imported, 1);
        } else {
            seat = home.secondSeat(dialogs);
        }
        QCOMPARE(
            tableRows(home, QStringLiteral("select 订单号,订单状态,客户全称 from OrderList order by ID")),
            (atImport ? QStringList{"a-1|已打印|甲", "B-2|未打印|乙", "C-3|未打印|丙", "D-4|未打印|丁"}
                      : QStringList{"a-1|已打印|甲", "B-2|未打印|乙", "C-3|未打印|丙"}));
        QCOMPARE(tableRows(home, QStringLiteral("select 订单号,商品名 from OrderDetail order by ID")),
                 (QStringList{"A-1|螺丝", "A-1|螺丝", "A-1|螺母", "B-2|垫片", "C-3|钉", "C-3|钉"}));
        for (const char* number : {"C-3", "c-3"}) {
            try {
                order(number, "未打印", "戊");
                QFAIL(qPrintable(QStringLiteral("a second row for ") + QString::fromUtf8(number)));
            } catch (const core::DbError&) {
            }
        }
    }

    // With both halves, the orders and their lines are one transaction: stopped at any point of
    // the write, the tables are as they were before the import, and both halves say so.
    void stoppedImportLeavesNothingHalfDone_data() {
        QTest::addColumn<QString>("step");
        QTest::newRow("between the halves") << OrderImport::kOrdersWritten;
        QTest::newRow("before the commit") << OrderImport::kLinesWritten;
    }
    void stoppedImportLeavesNothingHalfDone() {
        QFETCH(QString, step);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QTemporaryDir dir;
        importOrders(home,
                     writeCsv(dir.filePath(QStringLiteral("o.csv")), {"订单号,客户全称", "DD000001,旧客户"}),
                     writeCsv(dir.filePath(QStringLiteral("l.csv")), {"订单号,商品名", "DD000001,旧商品"}));
        const QStringList orders = tableRows(home, kOrders);
        const QStringList lines = tableRows(home, kLines);
        home.dialogs().clear();
        Halves result;
        {
            StopAt stop(step);
            result = importOrders(home, sheetFile(QStringLiteral("orders.xlsx")),
                                  sheetFile(QStringLiteral("order-details.xlsx")));
        }
        QCOMPARE(tableRows(home, kOrders), orders);
        QCOMPARE(tableRows(home, kLines), lines);
        QVERIFY(result.orders.failed && result.lines.failed);
        QCOMPARE(result.orders.imported + result.lines.imported, 0);
        QCOMPARE(home.dialogs().shown.size(), 1);
        QVERIFY2(home.dialogs().lastText().startsWith(QStringLiteral("意外导入错误,E=")),
                 qPrintable(home.dialogs().lastText()));
        QVERIFY(!home.db().inTransaction());
        // The program goes on: the next import writes both halves.
        result = importOrders(home, sheetFile(QStringLiteral("orders.xlsx")),
                              sheetFile(QStringLiteral("order-details.xlsx")));
        QCOMPARE(result.orders.imported, 20);
        QCOMPARE(result.lines.imported, 68);
    }

    // The same, with the process killed at the point: a child process of this program imports
    // into this test's program folder and dies there.
    void killedImportLeavesNothingHalfDone_data() {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("orders");
        QTest::addColumn<int>("lines");
        QTest::newRow("killed between the halves") << OrderImport::kOrdersWritten << 0 << 0;
        QTest::newRow("killed before the commit") << OrderImport::kLinesWritten << 0 << 0;
        QTest::newRow("not killed") << "" << 20 << 68;
    }
    void killedImportLeavesNothingHalfDone() {
        QFETCH(QString, step);
        QFETCH(int, orders);
        QFETCH(int, lines);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(kKillStep), step.isEmpty() ? QStringLiteral("-") : step);
        env.insert(QLatin1String(kKillHome), home.path());
        child.setProcessEnvironment(env);
        child.start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("-class"), QStringLiteral("TestOrderImport"), QStringLiteral("importInChild")});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), step.isEmpty() ? QProcess::NormalExit : QProcess::CrashExit);
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from OrderList")).toInt(), orders);
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from OrderDetail")).toInt(), lines);
        // A killed client cannot damage a server's store; the local file is checked.
        if (home.db().engine() == core::Engine::SQLite)
            QCOMPARE(home.db().scalar(QStringLiteral("pragma integrity_check")).toString(),
                     QStringLiteral("ok"));
    }

    // The child of the test above; on its own it has nothing to do.
    void importInChild() {
        const QString step = qEnvironmentVariable(kKillStep);
        if (step.isEmpty())
            QSKIP("runs only as the child process of killedImportLeavesNothingHalfDone");
        core::ScriptedDialogs dialogs;
        core::AppContext app(qEnvironmentVariable(kKillHome), dialogs);
        app.connect();
        StopAt stop(step, true);
        const Halves result = importOrders(app, sheetFile(QStringLiteral("orders.xlsx")),
                                           sheetFile(QStringLiteral("order-details.xlsx")));
        QCOMPARE(result.lines.imported, 68);
    }
};

OVERPRINT_TEST(TestOrderImport)
#include "TestOrderImport.moc"
