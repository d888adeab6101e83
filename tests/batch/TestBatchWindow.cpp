#include "TestHome.h"
#include "TestRegistry.h"
#include "batch/ui/TfrmMutiPrintOrder.h"
#include "core/ui/DataGrid.h"
#include "entry/FakeEntryHost.h"
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
        batchWindow->btStartPrintAllClick();
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
        QVERIFY(third.contains("四") && !third.contains("五") && !third.contains("六"));
        QVERIFY(third.contains("DD-3")); // the order number stands in for missing article numbers
        QVERIFY(dialogs().shown.isEmpty());
        QVERIFY(batchWindow->grid().isEnabled());
        QCOMPARE(home->db().scalar("select count(*) from OrderList where 订单状态='未打印'").toInt(), 3);
    }

    void remarkFollowsTheListColumn() {
        auto* remark = entryWindow->findChild<QPlainTextEdit*>("zdRemark");
        remark->setPlainText("手写备注");
        core::ui::DataGrid& grid = batchWindow->grid();
        grid.setColumnHidden(grid.fieldIndex("备注"), true);
        QVERIFY(!batchWindow->remarkSwitch());
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
                 (QStringList{"begin", "newPage", "end"})); // the first note is kept
        QVERIFY(!home->app().printReady);
        QVERIFY(batchWindow->grid().isEnabled());
        QVERIFY(!batchWindow->isPrinting());
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
