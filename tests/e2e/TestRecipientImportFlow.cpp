#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "batch/ui/TfrmMutiPrintOrder.h"
#include "core/ui/DataGrid.h"
#include "imports/ui/ImportRunPanel.h"
#include "imports/ui/TfrmImportMatch.h"
#include "imports/ui/TfrmImportMatchOrder.h"
#include "masterdata/ui/Tfm_PersonManage.h"
#include "print/RecordingPrintDevice.h"
#include "program/Program.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using imports::ui::TfrmImportMatch;
using masterdata::ui::Tfm_PersonManage;

namespace {

template <typename W> void whenShown(std::function<void(W&)> act) {
    QTimer::singleShot(0, [act] {
        auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
        QVERIFY(w);
        act(*w);
    });
}

} // namespace

class TestRecipientImportFlow : public QObject {
    Q_OBJECT
private slots:
    // "Excel导入" of the address book on the shop's sheet: the manager lists the new units at
    // once.
    void managerImportsRecipients() {
        TestHome home;
        QVERIFY(home.isValid());
        print::RecordingPrintDevice device;
        program::Program program(home.app(), device);
        QVERIFY(program.startUp(false));
        QStringList listed;
        int before = -1;
        bool scenarioLocked = false;
        whenShown<Tfm_PersonManage>([&](Tfm_PersonManage& manager) {
            before = manager.grid().rowCount();
            whenShown<TfrmImportMatch>([&](TfrmImportMatch& import) {
                scenarioLocked = !import.findChild<QWidget*>(QStringLiteral("grpCase"))->isEnabled();
                import.runPanel().setLogOpener([](const QString&){});
                QVERIFY(import.openWorkbook(TestHome::testData(QStringLiteral("sheets/recipients.xlsx"))));
                QTest::mouseClick(import.findChild<QPushButton*>(QStringLiteral("btStart")), Qt::LeftButton);
            });
            QTest::mouseClick(manager.findChild<QPushButton*>(QStringLiteral("btImport")), Qt::LeftButton);
            for (int r = 0; r < manager.grid().rowCount(); ++r)
                listed << manager.grid().value(r, QStringLiteral("全称")).toString();
            manager.close();
        });
        program.mainWindow().action(QStringLiteral("actAddressBook"))->trigger();
        QVERIFY(scenarioLocked);
        QCOMPARE(listed.size(), before + 40);
        QVERIFY(listed.contains(QStringLiteral("O'Brien's 商店")));
        QVERIFY(listed.contains(QStringLiteral("上海金源贸易有限公司")));
    }

    // The batch window's "导入Excel" imports the shop's orders and lists them at once.
    void batchWindowImportsOrders() {
        TestHome home;
        QVERIFY(home.isValid());
        print::RecordingPrintDevice device;
        program::Program program(home.app(), device);
        QVERIFY(program.startUp(false));
        program.mainWindow().action(QStringLiteral("actDeliveryNote"))->trigger();
        QWidget* entry = program.mainWindow().entryWindow();
        QVERIFY(entry);
        auto* batchButton = entry->findChild<QAbstractButton*>(QStringLiteral("btMultiPrintS"));
        QVERIFY(batchButton && batchButton->isVisible());
        batchButton->click();
        batch::ui::TfrmMutiPrintOrder* batchWindow = program.batchWindow();
        QVERIFY(batchWindow && batchWindow->isVisible());
        const int before = batchWindow->grid().rowCount();
        whenShown<imports::ui::TfrmImportMatchOrder>([&](imports::ui::TfrmImportMatchOrder& window) {
            window.runPanel().setLogOpener([](const QString&) {});
            QVERIFY(window.openOrderWorkbook(TestHome::testData(QStringLiteral("sheets/orders.xlsx"))));
            QVERIFY(
                window.openDetailWorkbook(TestHome::testData(QStringLiteral("sheets/order-details.xlsx"))));
            window.btStartClick();
        });
        batchWindow->findChild<QPushButton*>(QStringLiteral("btFromExcel"))->click();
        QCOMPARE(before, 0);
        QCOMPARE(batchWindow->grid().totalRows(), 20);
        batchWindow->close();
    }
};

OVERPRINT_TEST(TestRecipientImportFlow)
#include "TestRecipientImportFlow.moc"
