#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/ui/DataGrid.h"
#include "imports/ColumnMatching.h"
#include "imports/ImportLog.h"
#include "imports/ui/ImportRunPanel.h"
#include "imports/ui/TfrmImportColumnCfg.h"
#include "imports/ui/TfrmImportMatch.h"
#include "imports/ui/TfrmImportMatchOrder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using imports::ui::TfrmImportMatch;
using imports::ui::TfrmImportMatchOrder;

namespace {

QString sheetFile(const QString& name) {
    return TestHome::testData(QStringLiteral("sheets/") + name);
}

template <class W> W* child(QWidget& window, const char* name) {
    return window.findChild<W*>(QString::fromLatin1(name));
}

int count(TestHome& home, const QString& table) {
    return home.db().scalar(QStringLiteral("select count(*) from ") + table).toInt();
}

// Counts the reloads the program would run after an import, for the duration of a test.
struct Reloads {
    int addressBook = 0;
    int batchList = 0;
    Reloads() {
        imports::ui::afterImport().addressBook = [this] { ++addressBook; };
        imports::ui::afterImport().batchList = [this] { ++batchList; };
    }
    ~Reloads() { imports::ui::afterImport() = {}; }
};

} // namespace

class TestImportWindows : public QObject {
    Q_OBJECT

private slots:
    // The shop sheet in the address book: the choosers show the matching, the run logs, the
    // lists reload and the window closes.
    void recipientsIntoAddressBook() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        Reloads reloads;
        TfrmImportMatch window(home.app());
        window.setScenario(imports::RecipientImport::Scenario::AddressBook, false);
        QStringList opened;
        window.runPanel().setLogOpener([&](const QString& path) { opened << path; });
        window.show();
        QVERIFY(!child<QWidget>(window, "grpCase")->isEnabled());
        QVERIFY(!child<QPushButton>(window, "btStart")->isEnabled());
        QVERIFY(window.openWorkbook(sheetFile(QStringLiteral("recipients.xlsx"))));
        QCOMPARE(child<QComboBox>(window, "cboWorkSheets")->currentText(), QStringLiteral("收件人"));
        QCOMPARE(child<QComboBox>(window, "cbName")->currentText(), QStringLiteral("列2:公司名称"));
        QCOMPARE(child<QComboBox>(window, "cbRemark")->currentText(), QStringLiteral("列11:买家留言"));
        QCOMPARE(child<QComboBox>(window, "cbACCType")->currentText(), QStringLiteral("收件单位"));
        QVERIFY(child<QPushButton>(window, "btStart")->isEnabled());
        // The clerk corrects a chooser: no remark this time.
        child<QComboBox>(window, "cbRemark")->setCurrentIndex(0);
        const int before = count(home, QStringLiteral("CKPersonalInfoTable"));
        const int start = home.db().scalar(QStringLiteral("select max(ID) from CKPersonalInfoTable")).toInt();
        QTest::mouseClick(child<QPushButton>(window, "btStart"), Qt::LeftButton);
        QCOMPARE(window.lastResult().imported, 40);
        QCOMPARE(count(home, QStringLiteral("CKPersonalInfoTable")), before + 40);
        QCOMPARE(home.db()
                     .scalar(QStringLiteral(
                                 "select count(*) from CKPersonalInfoTable where ID>:id and 扩展信息<>''"),
                             {{QStringLiteral("id"), start}})
                     .toInt(),
                 0);
        QCOMPARE(opened, QStringList{imports::ImportLog::fileName(home.path())});
        QCOMPARE(reloads.addressBook, 1);
        QVERIFY(!window.isVisible());
        QVERIFY(child<QPushButton>(window, "btLog")->isEnabled());
        QCOMPARE(child<QLabel>(window, "lblResult")->text(), window.lastResult().report);
        QVERIFY(home.dialogs().shown.isEmpty());
    }

    // The stop command and closing the window both ask; No offers the command again, Yes
    // keeps the rows done and closes.
    void stopDuringRun_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("answer");
        QTest::newRow("stop, No") << "stop" << 0;
        QTest::newRow("stop, Yes") << "stop" << 1;
        QTest::newRow("close, Yes") << "close" << 1;
        QTest::newRow("escape, Yes") << "escape" << 1;
    }
    void stopDuringRun() {
        QFETCH(QString, how);
        QFETCH(int, answer);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        Reloads reloads;
        TfrmImportMatch window(home.app());
        window.runPanel().setLogOpener([](const QString&) {});
        window.show();
        QVERIFY(window.openWorkbook(sheetFile(QStringLiteral("recipients.xlsx"))));
        auto* stop = child<QPushButton>(window, "btStopIt");
        bool offeredAgain = false;
        // The first pending events are serviced after ten rows; the check after twenty.
        QTimer::singleShot(0, &window, [&] {
            // The workbook cannot be changed under the run.
            QVERIFY(!child<QPushButton>(window, "btBrowse")->isEnabled());
            QVERIFY(!child<QComboBox>(window, "cboWorkSheets")->isEnabled());
            if (how == u"close")
                window.close();
            else if (how == u"escape")
                QTest::keyClick(&window, Qt::Key_Escape);
            else
                QTest::mouseClick(stop, Qt::LeftButton);
            QVERIFY(!stop->isEnabled());
            QTimer::singleShot(0, &window, [&] { offeredAgain = stop->isEnabled(); });
        });
        home.dialogs().answers << answer;
        const int before = count(home, QStringLiteral("CKPersonalInfoTable"));
        window.btStartClick();
        QCOMPARE(home.dialogs().texts(), QStringList{"需要中止导出操作吗？"});
        const int imported = window.lastResult().imported;
        QCOMPARE(imported, answer ? 10 : 40);
        QCOMPARE(count(home, QStringLiteral("CKPersonalInfoTable")), before + imported);
        if (!answer)
            QVERIFY(offeredAgain);
        QVERIFY(!window.isVisible());
    }

    // Before a workbook the batch list's group chooser offers the stored groups.
    void batchListGroups() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        home.db().exec(
            QStringLiteral("insert into ReceiverList (全称,批打分组) values ('a',' 二组 '),('b','一组'),"
                           "('c','一组'),('d',null)"));
        TfrmImportMatch window(home.app());
        window.setScenario(imports::RecipientImport::Scenario::BatchList, true);
        auto* groups = child<QComboBox>(window, "cbListName");
        QStringList items;
        for (int i = 0; i < groups->count(); ++i)
            items << groups->itemText(i);
        // Sorted as stored, then trimmed.
        QCOMPARE(items, (QStringList{"全部列表", "二组", "一组"}));
        QVERIFY(!child<QWidget>(window, "grpAddr")->isVisibleTo(&window));
        // A run into the batch list: the group text without a column means none.
        QVERIFY(window.openWorkbook(sheetFile(QStringLiteral("recipients-utf8.csv"))));
        window.runPanel().setLogOpener([](const QString&) {});
        window.btStartClick();
        QCOMPARE(window.lastResult().imported, 40);
        QCOMPARE(count(home, QStringLiteral("ReceiverList")), 44);
    }

    // Unreadable workbooks name the reason and leave start disabled; a workbook deleted after
    // it was chosen still imports the sheet that was read.
    void unreadableOrDeletedWorkbook() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        TfrmImportMatch window(home.app());
        window.runPanel().setLogOpener([](const QString&) {});
        QVERIFY(!window.openWorkbook(home.path() + QStringLiteral("missing.xlsx")));
        QVERIFY(home.dialogs().lastText().startsWith(QStringLiteral("EXCEL导入错误,")));
        QVERIFY(!child<QPushButton>(window, "btStart")->isEnabled());
        const QString copy = home.path() + QStringLiteral("chosen.xlsx");
        QVERIFY(QFile::copy(sheetFile(QStringLiteral("recipients.xlsx")), copy));
        QVERIFY(window.openWorkbook(copy));
        QVERIFY(QFile::remove(copy));
        window.btStartClick();
        QCOMPARE(window.lastResult().imported, 40);
    }

    // The rule editor cleans what is typed and refuses an empty list; the service code offers
    // adding and deleting items.
    void ruleEditor() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        imports::ui::TfrmImportColumnCfg editor(home.app(), imports::matchtype::recipients);
        core::ui::DataGrid& grid = editor.grid();
        QCOMPARE(grid.rowCount(), imports::ColumnMatching::defaultRules().size());
        QCOMPARE(child<QComboBox>(editor, "cbMatchType")->currentText(), imports::matchtype::recipients);
        grid.setCurrentRow(2);
        auto* columns = child<QLineEdit>(editor, "dbColumns");
        QCOMPARE(child<QLineEdit>(editor, "dbItemName")->text(), QStringLiteral("电话"));
        columns->setText(QStringLiteral(" 收件电话，固定电话,,'座机'? "));
        editor.btSubmitClick();
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select SourceName from MatchColumn where ItemName='电话' and "
                                            "MatchType='收件信息导入'"))
                     .toString(),
                 QStringLiteral("收件电话,固定电话,座机"));
        columns->setText(QStringLiteral(" ,'? "));
        editor.btSubmitClick();
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("请输入有效的Excel/csv列名"));

        auto* add = child<QPushButton>(editor, "btAdd");
        QVERIFY(add->isHidden());
        auto* order = child<QLineEdit>(editor, "dbShowOrder");
        order->clear();
        QTest::keyClicks(order, QStringLiteral("6083952"));
        QVERIFY(!add->isHidden());
        QVERIFY(child<QLineEdit>(editor, "dbItemName")->isEnabled());
        editor.btAddClick();
        QCOMPARE(grid.rowCount(), imports::ColumnMatching::defaultRules().size() + 1);
        editor.btDeleteClick();
        QCOMPARE(grid.rowCount(), imports::ColumnMatching::defaultRules().size());
    }

    // Both workbooks: 20 orders and their 68 lines, two reloads; the detail workbook alone
    // still imports after the order half's failure.
    void orders_data() {
        QTest::addColumn<bool>("withOrders");
        QTest::newRow("both workbooks") << true;
        QTest::newRow("goods lines alone") << false;
    }
    void orders() {
        QFETCH(bool, withOrders);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        Reloads reloads;
        TfrmImportMatchOrder window(home.app());
        window.runPanel().setLogOpener([](const QString&) {});
        window.show();
        if (withOrders)
            QVERIFY(window.openOrderWorkbook(sheetFile(QStringLiteral("orders.xlsx"))));
        QVERIFY(window.openDetailWorkbook(sheetFile(QStringLiteral("order-details.xlsx"))));
        QCOMPARE(child<QComboBox>(window, "cbDetailOrderID")->currentText(), QStringLiteral("列1:订单号"));
        QCOMPARE(child<QComboBox>(window, "cbQuantity")->currentText(), QStringLiteral("列5:数量"));
        QCoreApplication::processEvents();
        const QSize before = window.size();
        window.btStartClick();
        // The progress bar and the end report leave the window its size.
        QCOMPARE(window.size(), before);
        QCOMPARE(count(home, QStringLiteral("OrderList")), withOrders ? 20 : 0);
        QCOMPARE(count(home, QStringLiteral("OrderDetail")), 68);
        QCOMPARE(window.orderResult().imported, withOrders ? 20 : 0);
        QCOMPARE(window.detailResult().imported, 68);
        QCOMPARE(reloads.batchList, 1);
        QCOMPARE(home.dialogs().texts(),
                 withOrders ? QStringList{} : QStringList{"意外导入错误,E=没有打开的工作簿。"});
        QVERIFY(!window.isVisible());
    }

    // "完成后自动弹出查看导入日志": the desktop's program for text files shows the log; without
    // one, a read-only window of the program shows it, so the run never ends unseen.
    void logShownEvenWithoutADesktopProgram_data() {
        QTest::addColumn<bool>("desktopOpens");
        QTest::addColumn<bool>("orderImport");
        QTest::newRow("order import, desktop opens the log") << true << true;
        QTest::newRow("order import, desktop cannot") << false << true;
        QTest::newRow("recipient import, desktop cannot") << false << false;
    }
    void logShownEvenWithoutADesktopProgram() {
        QFETCH(bool, desktopOpens);
        QFETCH(bool, orderImport);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        Reloads reloads;
        std::unique_ptr<QDialog> window;
        imports::ui::ImportRunPanel* panel = nullptr;
        if (orderImport) {
            auto* orders = new TfrmImportMatchOrder(home.app());
            window.reset(orders);
            QVERIFY(orders->openOrderWorkbook(sheetFile(QStringLiteral("orders.xlsx"))));
            QVERIFY(orders->openDetailWorkbook(sheetFile(QStringLiteral("order-details.xlsx"))));
            panel = &orders->runPanel();
        } else {
            auto* recipients = new TfrmImportMatch(home.app());
            window.reset(recipients);
            QVERIFY(recipients->openWorkbook(sheetFile(QStringLiteral("recipients.xlsx"))));
            panel = &recipients->runPanel();
        }
        QStringList desktop;
        panel->setDesktopOpener([&](const QString& path) {
            desktop << path;
            return desktopOpens;
        });
        window->show();
        QVERIFY(child<QCheckBox>(*window, "ckReadLog")->isChecked());
        // The log window is modal: look at it and close it as the clerk would.
        QStringList shown;
        QTimer watch;
        watch.setInterval(20);
        connect(&watch, &QTimer::timeout, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal->objectName() != QLatin1String("frmImportLog"))
                return;
            auto* memo = modal->findChild<QPlainTextEdit*>(QStringLiteral("memoLog"));
            shown << modal->windowTitle() << QString::number(memo->isReadOnly()) << memo->toPlainText();
            QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("btClose")), Qt::LeftButton);
        });
        watch.start();
        QTest::mouseClick(child<QPushButton>(*window, "btStart"), Qt::LeftButton);
        watch.stop();
        QCOMPARE(desktop, QStringList{imports::ImportLog::fileName(home.path())}); // once, for both halves
        QVERIFY(!window->isVisible());
        if (desktopOpens) {
            QVERIFY(shown.isEmpty());
            return;
        }
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown.at(0), QStringLiteral("导入日志 - ImportLog.txt"));
        QCOMPARE(shown.at(1), QStringLiteral("1"));
        QVERIFY2(shown.at(2).contains(orderImport ? QStringLiteral("导入结束，共有 68 条导入成功！")
                                                  : QStringLiteral("导入结束，共有 40 条导入成功！")),
                 qPrintable(shown.at(2)));
        QVERIFY(home.dialogs().shown.isEmpty());
    }
};

OVERPRINT_TEST(TestImportWindows)
#include "TestImportWindows.moc"
