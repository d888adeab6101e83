#include "TestHome.h"
#include "TestRegistry.h"
#include "batch/ui/TfrmMutiPrintOrder.h"
#include "core/ui/DataGrid.h"
#include "entry/FakeEntryHost.h"
#include "entry/ui/NoteCommands.h"
#include "entry/ui/NoteEditing.h"
#include "entry/ui/TfmCheckFHDSHD.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using batch::ui::TfrmMutiPrintOrder;
using entry::ui::TfmCheckFHDSHD;

namespace {

struct Line {
    QString article, name, quantity, price, amount;
};

void addOrder(core::Database& db, const QString& number, const QString& customer, const QString& remark,
              const QList<Line>& lines) {
    db.exec(
        QStringLiteral(
            "insert into OrderList (订单号, 订单状态, 客户全称, 客户电话, 备注) values (:n, '未打印', :c, "
            ":p, :r)"),
        {{QStringLiteral("n"), number},
         {QStringLiteral("c"), customer},
         {QStringLiteral("p"), QStringLiteral("tel-") + number},
         {QStringLiteral("r"), remark}});
    for (const Line& l : lines)
        db.exec(
            QStringLiteral(
                "insert into OrderDetail (订单号, 货号, 商品名, 数量, 单价, 金额) values (:n, :a, :g, :q, "
                ":p, :m)"),
            {{QStringLiteral("n"), number},
             {QStringLiteral("a"), l.article},
             {QStringLiteral("g"), l.name},
             {QStringLiteral("q"), l.quantity},
             {QStringLiteral("p"), l.price},
             {QStringLiteral("m"), l.amount}});
}

// The texts of page n (from 1).
QStringList page(const print::RecordingPrintDevice& device, int n) {
    QStringList out;
    for (const auto& text : device.texts)
        if (text.page == n)
            out << text.text;
    return out;
}

// The order numbers of the journal's pages, job by job, in page order.
QString journalOrders(core::Database& db) {
    QCoreApplication::processEvents(); // the journal's rows follow the hand-over
    return db
        .scalar("select group_concat(JobNo || ':' || PageNo || '=' || OrderNo, ' ') from (select * from "
                "PrintJournal order by JobNo, PageNo) as pages")
        .toString();
}

QString tableDump(core::Database& db) {
    QStringList rows;
    for (const char* table : {"OrderList", "OrderDetail"}) {
        core::Recordset rs =
            db.query(QStringLiteral("select * from ") + QLatin1String(table) + " order by ID");
        for (rs.first(); !rs.eof(); rs.next()) {
            QStringList cells;
            for (int i = 0; i < rs.fieldCount(); ++i)
                cells << rs.text(i);
            rows << cells.join('|');
        }
    }
    return rows.join('\n');
}

} // namespace

class TestBatchWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<FakeEntryHost> host;
    std::unique_ptr<TfmCheckFHDSHD> entryWindow;
    std::unique_ptr<TfrmMutiPrintOrder> batchWindow;

    print::RecordingPrintDevice& device() { return host->device; }
    core::ScriptedDialogs& dialogs() { return home->dialogs(); }

private slots:
    void init() {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->isValid(), qPrintable(home->error()));
        core::Database& db = home->db();
        addOrder(db, "DD-1", "星河's 电子", "加急",
                 {{"A-1", "螺栓", "2", "1.5", "3"}, {"", "垫圈", "10", "0.2", "2"}});
        addOrder(db, "DD-2", "华强五金", "", {{"", "螺母", "1", "7", "7"}});
        addOrder(db, "DD-3", "50% 折扣店", "",
                 {{"", "一", "1", "1", "1"},
                  {"", "二", "1", "1", "1"},
                  {"", "三", "1", "1", "1"},
                  {"", "四", "1", "1", "1"},
                  {"", "五", "1", "1", "1"},
                  {"", "六", "1", "1", "1"}});
        host = std::make_unique<FakeEntryHost>(home->app());
        entryWindow = std::make_unique<TfmCheckFHDSHD>(home->app(), *host);
        entryWindow->setAttribute(Qt::WA_DeleteOnClose, false);
        QPointer<TfmCheckFHDSHD> guarded(entryWindow.get());
        batchWindow = std::make_unique<TfrmMutiPrintOrder>(home->app(), host->gridServices,
                                                           [guarded] { return guarded.data(); });
        batchWindow->show();
        QCOMPARE(batchWindow->grid().rowCount(), 3);
        dialogs().clear();
    }

    void cleanup() {
        batchWindow.reset();
        entryWindow.reset();
    }

    void threeOrdersThreePagesInOneJob() {
        // What the previous note held must not reach any page.
        entryWindow->editing().setText("zdGKAddr", "旧地址");
        entryWindow->editing().setText("zdSFNR6", "旧商品");
        entryWindow->editing().setText("KPRen", "王芳");
        dialogs().answers.enqueue(1); // the typed note may go
        batchWindow->btStartPrintAllClick();
        QVERIFY2(dialogs().lastText().contains("批量打印"), qPrintable(dialogs().lastText()));
        dialogs().clear();
        QCOMPARE(device().documents, 1);
        QCOMPARE(device().events.filter(QRegularExpression("^(begin|newPage|end|abort)$")),
                 (QStringList{"begin", "newPage", "newPage", "end"}));
        QCOMPARE(device().pages, 3);
        const QStringList first = page(device(), 1), second = page(device(), 2), third = page(device(), 3);
        QVERIFY2(first.contains("DD-1") && first.contains("星河's 电子") && first.contains("垫圈"),
                 qPrintable(first.join('|')));
        QVERIFY(first.contains("A-1")); // the line's own article number
        QVERIFY(second.contains("DD-2") && second.contains("螺母") && second.contains("￥7.00"));
        QVERIFY2(second.contains("柒元整"), qPrintable(second.join('|')));
        for (const char* other : {"DD-1", "星河's 电子", "垫圈", "螺栓", "A-1", "￥5.00", "旧地址", "旧商品"})
            QVERIFY2(!second.contains(other), qPrintable(other));
        QVERIFY(second.contains("王芳")); // the issuer stays on every note
        // All six lines and their total, not the first four.
        for (const char* goods : {"一", "二", "三", "四", "五", "六"})
            QVERIFY2(third.contains(goods), goods);
        QVERIFY2(third.contains("￥6.00") && third.contains("陆元整"), qPrintable(third.join('|')));
        QVERIFY(third.contains("DD-3")); // the order number stands in for missing article numbers
        QVERIFY(dialogs().shown.isEmpty());
        QVERIFY(batchWindow->grid().isEnabled());
        // Handed to the printer, the three are marked, and the list shows it.
        QCOMPARE(home->db().scalar("select count(*) from OrderList where 订单状态='已打印'").toInt(), 3);
        QCOMPARE(batchWindow->grid().value(0, "订单状态").toString(), QStringLiteral("已打印"));
    }

    // The clerk lets a typed note go for a run whose preparation is refused (no printer): nothing
    // replaced the note, so it still counts as unsaved and closing still asks.
    void refusedRunLeavesTheTypedNoteUnsaved() {
        entryWindow->editing().setText("zdGKLXR", "李先生");
        QVERIFY(entryWindow->commands().hasUnsavedNote());
        device().printers.clear();
        dialogs().answers.enqueue(1); // the typed note may go
        batchWindow->btStartPrintAllClick();
        QVERIFY(dialogs().sawText("需要安装打印机"));
        QCOMPARE(device().pages, 0);
        QCOMPARE(entryWindow->editing().text("zdGKLXR"), QStringLiteral("李先生"));
        QVERIFY(entryWindow->commands().hasUnsavedNote());
    }

    // An order with more goods lines than the form is skipped whole and stays as it was; the
    // run prints the others and names every skipped order at its end. Every note's total is the
    // sum of the lines on it.
    void longOrdersAreSkippedNotCut_data() {
        QTest::addColumn<QString>("variant");
        QTest::addColumn<int>("lines"); // of DD-3
        QTest::addColumn<bool>("fits");
        QTest::newRow("标准, 8 lines") << "标准" << 8 << true;
        QTest::newRow("标准, 9 lines") << "标准" << 9 << false;
        QTest::newRow("三联241, 5 lines") << "三联241" << 5 << true;
        QTest::newRow("三联241, 6 lines") << "三联241" << 6 << false;
    }

    void longOrdersAreSkippedNotCut() {
        QFETCH(QString, variant);
        QFETCH(int, lines);
        QFETCH(bool, fits);
        QVERIFY(entryWindow->selectVariant(variant));
        home->db().exec("delete from OrderDetail where 订单号='DD-3'");
        QList<Line> goods;
        for (int i = 1; i <= lines; ++i)
            goods << Line{"", QStringLiteral("货%1").arg(i), "1", "", QString::number(i * 10)};
        addOrder(home->db(), "DD-4", "长订单公司", "", goods);
        home->db().exec("update OrderList set 客户联系人='O''Brien', 客户地址='福田区华强北路1号', "
                        "客户手机='13912345678' where 订单号='DD-4'");
        batchWindow->ALoadGridData();
        dialogs().clear();
        batchWindow->btStartPrintAllClick();

        QCOMPARE(device().pages, fits ? 4 : 3);
        QCOMPARE(device().events.filter(QRegularExpression("^(begin|end|abort)$")),
                 (QStringList{"begin", "end"}));
        const QStringList last = page(device(), device().pages);
        if (fits) {
            for (int i = 1; i <= lines; ++i)
                QVERIFY2(last.contains(QStringLiteral("货%1").arg(i)), qPrintable(last.join('|')));
            const int total = 10 * lines * (lines + 1) / 2;
            QVERIFY2(last.contains(QStringLiteral("￥%1.00").arg(total)), qPrintable(last.join('|')));
            // The order's own contact, address and mobile, where the form shows them.
            QVERIFY(last.contains("福田区华强北路1号"));
            QCOMPARE(last.contains("O'Brien"), variant == "标准");
            QVERIFY(dialogs().shown.isEmpty());
        } else {
            QVERIFY(!last.contains("长订单公司"));
            QCOMPARE(dialogs().shown.size(), 1);
            QVERIFY2(dialogs().lastText().contains("订单号=DD-4") &&
                         dialogs().lastText().contains("没有打印"),
                     qPrintable(dialogs().lastText()));
        }
        QCOMPARE(home->db().scalar("select 订单状态 from OrderList where 订单号='DD-4'").toString(),
                 fits ? QStringLiteral("已打印") : QStringLiteral("未打印"));
        QCOMPARE(home->db().scalar("select count(*) from OrderList where 订单状态='已打印'").toInt(),
                 fits ? 4 : 3);
    }

    // Only what reached the printer is marked: preview and a dropped job mark nothing.
    void onlyPrintedOrdersAreMarked() {
        batchWindow->grid().setCurrentRow(1);
        batchWindow->previewClick();
        home->db().exec("update OrderDetail set 数量='abc' where 订单号='DD-1'");
        batchWindow->btStartPrintAllClick(); // the first order fails: the job is dropped
        QCOMPARE(device().events.filter(QRegularExpression("^(begin|end|abort)$")),
                 (QStringList{"begin", "abort"}));
        QCOMPARE(home->db().scalar("select count(*) from OrderList where 订单状态='未打印'").toInt(), 3);
        // After a failure later in the run, the notes before it are on paper and marked.
        home->db().exec("update OrderDetail set 数量='2' where 订单号='DD-1'");
        home->db().exec("update OrderDetail set 数量='abc' where 订单号='DD-2'");
        batchWindow->btStartPrintAllClick();
        QCOMPARE(home->db()
                     .scalar("select group_concat(订单号) from OrderList where 订单状态='已打印'")
                     .toString(),
                 QStringLiteral("DD-1"));
    }

    void remarkFollowsTheListColumn() {
        auto* remark = entryWindow->findChild<QPlainTextEdit*>("zdRemark");
        remark->setPlainText("手写备注");
        core::ui::DataGrid& grid = batchWindow->grid();
        grid.setColumnHidden(grid.fieldIndex("备注"), true);
        QVERIFY(!batchWindow->remarkSwitch());
        dialogs().answers.enqueue(1); // the typed remark may go
        batchWindow->btStartPrintAllClick();
        QCOMPARE(remark->toPlainText(), QStringLiteral("手写备注"));
        grid.setColumnHidden(grid.fieldIndex("备注"), false);
        grid.setCurrentRow(0);
        batchWindow->previewClick();
        QCOMPARE(remark->toPlainText(), QStringLiteral("加急"));
        QVERIFY(batchWindow->isHidden());
    }

    void badOrderEndsTheRunWithOneMessage_data() {
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("reason");
        QTest::newRow("quantity abc") << "abc"
                                      << "1"
                                      << "abc";
        QTest::newRow("amount beyond the money range") << "1"
                                                       << "2000000000"
                                                       << "超出范围";
    }

    void badOrderEndsTheRunWithOneMessage() {
        QFETCH(QString, quantity);
        QFETCH(QString, amount);
        QFETCH(QString, reason);
        home->db().exec("update OrderDetail set 数量=:q, 金额=:m where 订单号='DD-2'",
                        {{"q", quantity}, {"m", amount}});
        const QString before = tableDump(home->db());
        batchWindow->btStartPrintAllClick();
        QCOMPARE(dialogs().shown.size(), 1);
        QVERIFY2(dialogs().lastText().contains("DD-2") && dialogs().lastText().contains(reason),
                 qPrintable(dialogs().lastText()));
        QCOMPARE(device().events.filter(QRegularExpression("^(begin|newPage|end|abort)$")),
                 (QStringList{"begin", "end"})); // the first note is kept
        QVERIFY(!home->app().printReady);
        QVERIFY(batchWindow->grid().isEnabled());
        QVERIFY(!batchWindow->isPrinting());
        // The note on paper is marked; nothing else changed.
        QCOMPARE(home->db()
                     .scalar("select group_concat(订单号) from OrderList where 订单状态='已打印'")
                     .toString(),
                 QStringLiteral("DD-1"));
        home->db().exec("update OrderList set 订单状态='未打印'");
        QCOMPARE(tableDump(home->db()), before);
    }

    void closedEntryWindowPrintsNothingAndSaysSo() {
        entryWindow.reset();
        batchWindow->btStartPrintAllClick();
        batchWindow->previewClick();
        QCOMPARE(device().events, QStringList{});
        QCOMPARE(dialogs().shown.size(), 2);
        QVERIFY(dialogs().lastText().contains("填单窗口已经关闭"));
    }

    void stopEndsTheJobAfterThePageInHand() {
        home->db().begin();
        for (int i = 0; i < 400; ++i)
            addOrder(home->db(), QStringLiteral("S%1").arg(i), "客户", "", {{"", "货", "1", "1", "1"}});
        home->db().commit();
        batchWindow->ALoadGridData();
        auto* stop = batchWindow->findChild<QPushButton*>("btStopPrint");
        QVERIFY(!stop->isEnabled());
        bool enabledDuringRun = false;
        QTimer::singleShot(0, stop, [&] {
            enabledDuringRun = stop->isEnabled();
            QTest::mouseClick(stop, Qt::LeftButton);
        });
        batchWindow->btStartPrintAllClick();
        QVERIFY(enabledDuringRun);
        QVERIFY2(device().pages < 403, qPrintable(QString::number(device().pages)));
        QCOMPARE(device().events.last(), QStringLiteral("end"));
        QVERIFY(dialogs().lastText().contains(QStringLiteral("已中止")));
        QVERIFY(!stop->isEnabled());
        QVERIFY(!entryWindow->batchRunning());
    }

    // After a jam the clerk goes on from order k: exactly orders k … n are printed, each page
    // journalled with its order, and the orders before k stay as they were.
    void runStartsAtTheChosenOrder_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("fromMenu"); // "从当前条目起打印" on row start-1
        QTest::addColumn<QStringList>("printed");
        QTest::newRow("from the top") << 1 << false << QStringList{"DD-1", "DD-2", "DD-3"};
        QTest::newRow("from the second") << 2 << false << QStringList{"DD-2", "DD-3"};
        QTest::newRow("only the last") << 3 << false << QStringList{"DD-3"};
        QTest::newRow("from the current row") << 2 << true << QStringList{"DD-2", "DD-3"};
    }
    void runStartsAtTheChosenOrder() {
        QFETCH(int, start);
        QFETCH(bool, fromMenu);
        QFETCH(QStringList, printed);
        auto* startAt = batchWindow->findChild<QSpinBox*>("edtStartAt");
        QVERIFY(startAt && startAt->isEnabled());
        QCOMPARE(startAt->maximum(), 3);
        if (fromMenu) {
            batchWindow->grid().setCurrentRow(start - 1);
            batchWindow->printFromCurrentClick();
        } else {
            startAt->setValue(start);
            QTest::mouseClick(batchWindow->findChild<QPushButton*>("btStartPrintAll"), Qt::LeftButton);
        }
        QCOMPARE(device().pages, printed.size());
        for (int i = 0; i < printed.size(); ++i)
            QVERIFY2(page(device(), i + 1).contains(printed[i]), qPrintable(page(device(), i + 1).join('|')));
        QCOMPARE(home->db()
                     .scalar("select group_concat(订单号) from (select 订单号 from OrderList where "
                             "订单状态='已打印' order by 订单号) as printed")
                     .toString(),
                 printed.join(','));
        QStringList journal;
        for (int i = 0; i < printed.size(); ++i)
            journal << QStringLiteral("1:%1=%2").arg(i + 1).arg(printed[i]);
        QCOMPARE(journalOrders(home->db()), journal.join(' '));
        // A run that went to its end: the next one starts at the top again.
        QCOMPARE(startAt->value(), 1);
    }

    // A run that stops names the last page the printer took: its place in the job, its order
    // and the order's place in the list, so the clerk knows where to go on.
    void stoppedRunNamesTheLastPageHandedOver_data() {
        QTest::addColumn<QString>("badOrder"); // empty: the clerk stops after the first page
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("lastPage");
        QTest::newRow("bad second order")
            << "DD-2" << 1 << QStringLiteral("最后交给打印机的是本次第1张，订单号DD-1（列表第1条）。");
        QTest::newRow("bad third order, started at the second")
            << "DD-3" << 2 << QStringLiteral("最后交给打印机的是本次第1张，订单号DD-2（列表第2条）。");
        QTest::newRow("bad first order") << "DD-1" << 1 << QStringLiteral("打印机没有收到本次的任何一张。");
        QTest::newRow("stopped after the first page")
            << "" << 1 << QStringLiteral("最后交给打印机的是本次第1张，订单号DD-1（列表第1条）。");
    }
    void stoppedRunNamesTheLastPageHandedOver() {
        QFETCH(QString, badOrder);
        QFETCH(int, start);
        QFETCH(QString, lastPage);
        if (!badOrder.isEmpty())
            home->db().exec("update OrderDetail set 数量='abc' where 订单号=:n", {{"n", badOrder}});
        else
            QTimer::singleShot(0, batchWindow.get(), [this] { batchWindow->btStopPrintClick(); });
        batchWindow->findChild<QSpinBox*>("edtStartAt")->setValue(start);
        if (badOrder.isEmpty()) {
            // Enough orders that the run is still going when the stop is heard.
            home->db().begin();
            for (int i = 0; i < 400; ++i)
                addOrder(home->db(), QStringLiteral("S%1").arg(i, 3, 10, QLatin1Char('0')), "客户", "",
                         {{"", "货", "1", "1", "1"}});
            home->db().commit();
            batchWindow->ALoadGridData();
        }
        batchWindow->btStartPrintAllClick();
        QCOMPARE(dialogs().shown.size(), 1);
        const QString message = dialogs().lastText();
        if (badOrder.isEmpty()) {
            // The page in hand when the stop was heard is the last one.
            QCoreApplication::processEvents(); // the journal's rows follow the hand-over
            const QStringList printed =
                home->db().scalar("select group_concat(OrderNo) from PrintJournal").toString().split(',');
            QVERIFY(!printed.isEmpty());
            const int n = int(printed.size());
            int row = -1;
            for (int r = 0; r < batchWindow->grid().rowCount(); ++r)
                if (batchWindow->grid().value(r, "订单号").toString() == printed.last())
                    row = r;
            lastPage = QStringLiteral("最后交给打印机的是本次第%1张，订单号%2（列表第%3条）。")
                           .arg(n)
                           .arg(printed.last())
                           .arg(row + 1);
            QCOMPARE(device().pages, n);
        }
        QVERIFY2(message.contains(lastPage), qPrintable(message));
        // Stopped, the run keeps k for the clerk to go on.
        QCOMPARE(batchWindow->findChild<QSpinBox*>("edtStartAt")->value(), start);
    }

    // The end message and the printing bring the main window forward; the clerk goes on in the
    // batch window, which is in front again after the run.
    void batchWindowIsInFrontAfterARun_data() {
        QTest::addColumn<QString>("badOrder"); // empty: the run goes to its end without a message
        QTest::newRow("finished") << QString();
        QTest::newRow("stopped with a message") << "DD-2";
    }
    void batchWindowIsInFrontAfterARun() {
        QFETCH(QString, badOrder);
        if (!badOrder.isEmpty())
            home->db().exec("update OrderDetail set 数量='abc' where 订单号=:n", {{"n", badOrder}});
        QWidget mainWindow;
        mainWindow.show();
        mainWindow.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        batchWindow->btStartPrintAllClick();
        QVERIFY(device().pages > 0);
        QVERIFY(QTest::qWaitForWindowActive(batchWindow.get()));
    }

    void testPageFromTheBatchWindow() {
        auto* testPage = batchWindow->findChild<QPushButton*>("btTestPage");
        QVERIFY(testPage && !testPage->isEnabled());
        int opened = 0;
        batchWindow->setTestPageCommand([&] { ++opened; });
        QVERIFY(testPage->isEnabled());
        QTest::mouseClick(testPage, Qt::LeftButton);
        QCOMPARE(opened, 1);
    }

    void entryWindowStaysOpenDuringARun() {
        entryWindow->setBatchRunning(true);
        QVERIFY(!entryWindow->close());
        QVERIFY(dialogs().lastText().contains("中止"));
        entryWindow->setBatchRunning(false);
    }

    void commandsFollowTheSelection() {
        core::ui::DataGrid& grid = batchWindow->grid();
        grid.clearSelection();
        batchWindow->updateCommands();
        auto* deleteSelected = batchWindow->findChild<QPushButton*>("btDelSelected");
        QVERIFY(!deleteSelected->isEnabled());
        QVERIFY(batchWindow->findChild<QPushButton*>("btStartPrintAll")->isEnabled());
        grid.selectRow(0);
        grid.selectionModel()->select(grid.model()->index(2, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        batchWindow->updateCommands();
        QVERIFY(deleteSelected->isEnabled());
        QCOMPARE(batchWindow->findChild<QLineEdit*>("edtSelectedCount")->text(), QStringLiteral("2"));
        QStringList entries;
        for (QAction* a : batchWindow->orderMenu()->actions())
            entries << a->text();
        QVERIFY2(entries.contains("【删除】选中条目(2条)") && entries.contains("【批量打印选中】条目(2条)"),
                 qPrintable(entries.join('|')));
        // Printing the selection goes in list order.
        batchWindow->printSelectedClick();
        QCOMPARE(device().pages, 2);
        QVERIFY(page(device(), 1).contains("DD-1") && page(device(), 2).contains("DD-3"));
        // Deleting them takes their goods lines along, in one go.
        dialogs().answers.enqueue(1);
        batchWindow->btDelSelectedClick();
        QCOMPARE(dialogs().lastText(), QStringLiteral("2个订单删除成功~"));
        QCOMPARE(home->db().scalar("select count(*) from OrderDetail").toInt(), 1);
        QCOMPARE(grid.rowCount(), 1);
    }

    // Orders printed before are printed again only when the clerk says so, asked with how many:
    // a second click on the same list, or a list holding some printed ones.
    void printedOrdersAskFirst_data() {
        QTest::addColumn<QString>("printedBefore"); // "" : all three by a first click
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QStringList>("printed");
        const QString allThree = QStringLiteral("要打印的3个订单都已经打印过");
        const QString oneOfThree = QStringLiteral("要打印的3个订单中有1个已经打印过");
        QTest::newRow("second click, no") << "" << 0 << allThree << QStringList();
        QTest::newRow("second click, yes") << "" << 1 << allThree << QStringList{"DD-1", "DD-2", "DD-3"};
        QTest::newRow("one printed, only the others")
            << "DD-2" << 0 << oneOfThree << QStringList{"DD-1", "DD-3"};
        QTest::newRow("one printed, all") << "DD-2" << 1 << oneOfThree << QStringList{"DD-1", "DD-2", "DD-3"};
        QTest::newRow("one printed, cancel") << "DD-2" << -1 << oneOfThree << QStringList();
    }
    void printedOrdersAskFirst() {
        QFETCH(QString, printedBefore);
        QFETCH(int, answer);
        QFETCH(QString, question);
        QFETCH(QStringList, printed);
        auto* printAll = batchWindow->findChild<QPushButton*>("btStartPrintAll");
        if (printedBefore.isEmpty()) {
            QTest::mouseClick(printAll, Qt::LeftButton);
            QCOMPARE(device().pages, 3);
            QVERIFY(dialogs().shown.isEmpty()); // none printed before: no question
        } else {
            home->db().exec("update OrderList set 订单状态='已打印' where 订单号=:n", {{"n", printedBefore}});
            batchWindow->ALoadGridData();
        }
        const int documents = device().documents;
        device().texts.clear();
        dialogs().answers.enqueue(answer);
        QTest::mouseClick(printAll, Qt::LeftButton);
        QVERIFY(!dialogs().shown.isEmpty());
        QVERIFY2(dialogs().shown.first().text.startsWith(question), qPrintable(dialogs().shown.first().text));
        QCOMPARE(dialogs().shown.first().caption, QStringLiteral("批量打印"));
        QCOMPARE(device().documents - documents, printed.isEmpty() ? 0 : 1);
        if (!printed.isEmpty())
            QCOMPARE(device().pages, printed.size());
        for (int i = 0; i < printed.size(); ++i)
            QVERIFY2(page(device(), i + 1).contains(printed[i]), qPrintable(page(device(), i + 1).join('|')));
    }

    void clearAllAndCleanUp() {
        batchWindow->btFromWriteClick(); // an order row without a number
        QVERIFY(batchWindow->grid().postPending());
        home->db().exec("delete from OrderList where 订单号='DD-3'");
        batchWindow->BitBtn1Click();
        QCOMPARE(dialogs().lastText(), QStringLiteral("共清除6条垃圾记录！"));
        dialogs().answers << 1 << 0;
        batchWindow->btDelAllClick();
        QCOMPARE(home->db().scalar("select count(*) from OrderList").toInt(), 3);
        dialogs().answers << 1 << 1;
        batchWindow->btDelAllClick();
        QCOMPARE(dialogs().lastText(), QStringLiteral("所有订单清空成功~"));
        QCOMPARE(home->db().scalar("select count(*) from OrderDetail").toInt(), 0);
        QCOMPARE(batchWindow->grid().rowCount(), 0);
    }

    void importWaitsForItsWindow() {
        auto* import = batchWindow->findChild<QPushButton*>("btFromExcel");
        QVERIFY(!import->isEnabled());
        QVERIFY(!import->toolTip().isEmpty());
        int opened = 0;
        batchWindow->setImportCommand([&] {
            ++opened;
            addOrder(home->db(), "DD-9", "新客户", "", {});
            batchWindow->reloadList();
        });
        QVERIFY(import->isEnabled());
        QTest::mouseClick(import, Qt::LeftButton);
        QCOMPARE(opened, 1);
        QCOMPARE(batchWindow->grid().rowCount(), 4);
    }
};

OVERPRINT_TEST(TestBatchWindow)
#include "TestBatchWindow.moc"
