#include "support/TestHome.h"
#include "support/TestRegistry.h"
#include "support/Typing.h"

#include "core/ui/DataGrid.h"
#include "entry/ui/BillBoxes.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "masterdata/ui/Tfm_PersonManage.h"
#include "masterdata/ui/Tfrm_PersonInfo.h"
#include "print/RecordingPrintDevice.h"
#include "program/Program.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using masterdata::ui::Tfm_PersonManage;
using masterdata::ui::Tfrm_PersonInfo;

namespace {

template <typename W> void whenShown(std::function<void(W&)> act) {
    QTimer::singleShot(0, [act] {
        auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
        QVERIFY(w);
        act(*w);
    });
}

QStringList gridNames(core::ui::DataGrid& grid) {
    QStringList out;
    for (int r = 0; r < grid.rowCount(); ++r)
        out << grid.value(r, QStringLiteral("全称")).toString();
    return out;
}

void doubleClickRow(core::ui::DataGrid& grid, int row) {
    const QPoint at = grid.visualRect(grid.model()->index(row, 1)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestAddressBookFlow : public QObject {
    Q_OBJECT
private slots:
    // The clerk picks a customer from the red square and saves a new one from the bill.
    void pickAndSaveCustomer() {
        TestHome home;
        QVERIFY(home.isValid());
        home.db().exec(
            QStringLiteral("insert into CKPersonalInfoTable (全称,联系人,地址,电话,手机,单位类型) values "
                           "('华南电子''s 公司','王五','广州市天河路1号','020-1','13800000000','往来单位')"));
        print::RecordingPrintDevice device;
        program::Program program(home.app(), device);
        QVERIFY(program.startUp(false));
        core::ui::Tfm_Main& main = program.mainWindow();
        auto* entry =
            qobject_cast<entry::ui::TfmCheckFHDSHD*>(main.mdiArea()->subWindowList().first()->widget());
        QVERIFY(entry);
        const entry::ui::BillBoxes& b = entry->boxes();

        QString caption;
        whenShown<Tfm_PersonManage>([&caption](Tfm_PersonManage& w) {
            caption = w.windowTitle();
            // The picking hint is shown beside the list, not over its first row.
            const auto* hint = w.findChild<QLabel*>(QStringLiteral("lbHint"));
            QVERIFY(hint && hint->isVisible());
            const QRect hintArea(hint->mapTo(&w, QPoint(0, 0)), hint->size());
            QVERIFY(!hintArea.intersects(QRect(w.grid().mapTo(&w, QPoint(0, 0)), w.grid().size())));
            const int row = gridNames(w.grid()).indexOf(QStringLiteral("华南电子's 公司"));
            QVERIFY(row >= 0);
            doubleClickRow(w.grid(), row);
        });
        QTest::mouseClick(b.shpSKR, Qt::LeftButton, {}, b.shpSKR->rect().center());
        QCOMPARE(caption, QStringLiteral("选取客户名称"));
        QCOMPARE(b.zdGKMC->currentText(), QStringLiteral("华南电子's 公司"));
        QCOMPARE(b.zdGKLXR->text(), QStringLiteral("王五"));
        QCOMPARE(b.zdGKAddr->text(), QStringLiteral("广州市天河路1号"));

        // A new customer typed on the bill.
        b.zdGKMC->setFocus();
        b.zdGKMC->setEditText(QString());
        typeText(b.zdGKMC, QStringLiteral("新客户50%_商行"));
        b.zdGKLXR->setText(QStringLiteral("O'Neil"));
        b.zdGKAddr->setText(QStringLiteral("深圳市福田区1号"));
        QString shownName, shownContact, shownId;
        whenShown<Tfrm_PersonInfo>([&](Tfrm_PersonInfo& form) {
            shownName = form.findChild<QLineEdit*>(QStringLiteral("edtName"))->text();
            shownContact = form.findChild<QLineEdit*>(QStringLiteral("edtContactor"))->text();
            shownId = form.findChild<QLabel*>(QStringLiteral("edtID"))->text();
            QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("btSaveClose")), Qt::LeftButton);
        });
        auto* save = entry->findChild<QToolButton*>(QStringLiteral("btSaveSKRen"));
        QVERIFY(save && save->isEnabled());
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(shownName, QStringLiteral("新客户50%_商行"));
        QCOMPARE(shownContact, QStringLiteral("O'Neil"));
        QCOMPARE(shownId, QString());
        QVERIFY(home.dialogs().sawText(QStringLiteral("新增单位资料添加成功！")));

        // Found in the manager, searched by a keyword with its wildcard characters ...
        QStringList found;
        whenShown<Tfm_PersonManage>([&found](Tfm_PersonManage& w) {
            auto* key = w.findChild<QLineEdit*>(QStringLiteral("KeyEdit"));
            key->setText(QStringLiteral("50%_"));
            QTest::keyClick(key, Qt::Key_Return);
            found = gridNames(w.grid());
            w.reject();
        });
        main.action(QStringLiteral("actAddressBook"))->trigger();
        QCOMPARE(found, QStringList{QStringLiteral("新客户50%_商行")});

        // ... and offered by the customer drop-down.
        // Entering the box (the kept manager window still holds the application's focus offscreen).
        QFocusEvent enter(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(b.zdGKMC, &enter);
        QVERIFY(b.zdGKMC->findText(QStringLiteral("新客户50%_商行")) >= 0);
    }
};

OVERPRINT_TEST(TestAddressBookFlow)
#include "TestAddressBookFlow.moc"
