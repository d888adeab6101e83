#include "TestHome.h"
#include "TestRegistry.h"
#include "entry/ui/BillBoxes.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "masterdata/TPerson.h"
#include "print/RecordingPrintDevice.h"
#include "program/Program.h"
#include "recognition/ui/TfrmMatchAddr.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using recognition::ui::TfrmMatchAddr;

namespace {

const QString kPasted =
    QStringLiteral("公司：杭州云杉贸易有限公司\n联系人：周婷\n电话：0571-86012345\n手机：15867123456\n"
                   "地址：浙江省杭州市滨江区江南大道588号\n邮编：310051");

QString boxText(QWidget& w, const char* name) {
    auto* box = w.findChild<QComboBox*>(QString::fromLatin1(name));
    return box ? box->currentText() : QStringLiteral("<missing>");
}

// Acts inside the modal window once its loop runs (the window pastes and recognises on showing).
void whenShown(const std::function<void(TfrmMatchAddr&)>& act) {
    QTimer::singleShot(0, [act] {
        auto* w = qobject_cast<TfrmMatchAddr*>(QApplication::activeModalWidget());
        QVERIFY(w);
        act(*w);
    });
}

void clickButton(QWidget& w, const char* name) {
    auto* button = w.findChild<QPushButton*>(QString::fromLatin1(name));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class TestMatchAddrWindow : public QObject {
    Q_OBJECT
private slots:
    void handsTheFieldsOver() {
        TestHome home;
        QVERIFY(home.isValid());
        TfrmMatchAddr window(home.app());
        QCOMPARE(window.windowTitle(), QStringLiteral("青木鸟软件-收发件人资料识别"));
        QVERIFY(window.findChild<QCheckBox*>(QStringLiteral("ckContainProviceCity"))->isChecked());
        QApplication::clipboard()->setText(kPasted);
        QStringList seen;
        whenShown([&seen](TfrmMatchAddr& w) {
            for (const char* name : {"edtCompany", "edtName", "edtPhone", "edtHandset", "edtProvince",
                                     "edtCity", "edtTown", "edtAddress", "edtZipcode"})
                seen << boxText(w, name);
            clickButton(w, "btPasteToSJR");
        });
        const std::unique_ptr<masterdata::TPerson> person = window.run();
        QCOMPARE(seen, QStringList({"杭州云杉贸易有限公司", "周婷", "0571-86012345", "15867123456", "浙江省",
                                    "杭州市", "滨江区", "浙江省杭州市滨江区江南大道588号", "310051"}));
        QVERIFY(person);
        QCOMPARE(person->fullName(), QStringLiteral("杭州云杉贸易有限公司"));
        QCOMPARE(person->contact(), QStringLiteral("周婷"));
        QCOMPARE(person->address(), QStringLiteral("浙江省杭州市滨江区江南大道588号"));
        QCOMPARE(person->phone(), QStringLiteral("0571-86012345"));
        QCOMPARE(person->mobile(), QStringLiteral("15867123456"));
        QCOMPARE(person->postcode(), QStringLiteral("310051"));
        QCOMPARE(person->province(), QStringLiteral("浙江省"));
        QCOMPARE(person->city(), QStringLiteral("杭州市"));
        QCOMPARE(person->town(), QStringLiteral("滨江区"));
    }

    // A refused paste shows its message and reads nothing out of it, not even the last run's city;
    // typing beyond the box's limit is refused.
    void refusedPasteRecognisesNothing() {
        TestHome home;
        TfrmMatchAddr window(home.app());
        QApplication::clipboard()->setText(kPasted);
        whenShown([](TfrmMatchAddr& w) { clickButton(w, "btFrmClose"); });
        QVERIFY(!window.run());
        QApplication::clipboard()->setText(QStringLiteral("收件人张三"));
        QString memo, city, address;
        whenShown([&](TfrmMatchAddr& w) {
            auto* memoFrom = w.findChild<QPlainTextEdit*>(QStringLiteral("memoFrom"));
            memoFrom->moveCursor(QTextCursor::End);
            memoFrom->insertPlainText(QStringLiteral("路").repeated(600)); // typing stops at 1024 bytes
            memo = memoFrom->toPlainText();
            city = boxText(w, "edtCity");
            address = boxText(w, "edtAddress");
            clickButton(w, "btFrmClose");
        });
        QVERIFY(!window.run());
        QCOMPARE(memo, QStringLiteral("剪切板中没有复制地址内容~"));
        QCOMPARE(city, QString());
        QCOMPARE(address, QString());
    }

    void unchecksContainOptionAndFormats() {
        TestHome home;
        home.app().setConfigByname(QStringLiteral("checkContainSS"), QStringLiteral("no"));
        TfrmMatchAddr window(home.app());
        QVERIFY(!window.findChild<QCheckBox*>(QStringLiteral("ckContainProviceCity"))->isChecked());
        QApplication::clipboard()->setText(kPasted);
        QString address, announce, sampleCity;
        whenShown([&](TfrmMatchAddr& w) {
            address = boxText(w, "edtAddress");
            QTest::mouseClick(w.findChild<QRadioButton*>(QStringLiteral("rbPaiPai")), Qt::LeftButton);
            announce = w.findChild<QLabel*>(QStringLiteral("lbAnounce"))->text();
            clickButton(w, "Button2");
            sampleCity = boxText(w, "edtCity");
            clickButton(w, "btFrmClose");
        });
        window.run();
        QCOMPARE(address, QStringLiteral("江南大道588号"));
        QCOMPARE(announce, TfrmMatchAddr::explanation(recognition::SourceFormat::PaiPai));
        QCOMPARE(sampleCity, QStringLiteral("南京市"));
    }

    // Leaving the contact box takes a short clipboard text only into an empty box.
    void contactBoxKeepsWhatWasTyped() {
        TestHome home;
        TfrmMatchAddr window(home.app());
        QApplication::clipboard()->setText(kPasted);
        QString kept, taken;
        whenShown([&](TfrmMatchAddr& w) {
            auto* name = w.findChild<QComboBox*>(QStringLiteral("edtName"));
            auto leave = [name] {
                QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
                QApplication::sendEvent(name->lineEdit(), &out);
            };
            QApplication::clipboard()->setText(QStringLiteral("  李四\r\n"));
            leave();
            kept = name->currentText();
            name->setEditText(QString());
            leave();
            taken = name->currentText();
            clickButton(w, "btFrmClose");
        });
        window.run();
        QCOMPARE(kept, QStringLiteral("周婷"));
        QCOMPARE(taken, QStringLiteral("李四"));
    }

    // The clerk's way: text on the clipboard, 地址串识别 in the entry window, 2 粘贴为收货单位.
    void entryWindowTakesTheCustomer() {
        TestHome home;
        QVERIFY(home.isValid());
        print::RecordingPrintDevice device;
        program::Program program(home.app(), device);
        QVERIFY(program.startUp(false));
        core::ui::Tfm_Main& main = program.mainWindow();
        QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
        auto* entry =
            qobject_cast<entry::ui::TfmCheckFHDSHD*>(main.mdiArea()->subWindowList().first()->widget());
        QVERIFY(entry);
        auto* btPaste = entry->findChild<QToolButton*>(QStringLiteral("btPaste"));
        QVERIFY(btPaste && btPaste->isEnabled());
        QApplication::clipboard()->setText(kPasted);
        whenShown([](TfrmMatchAddr& w) { clickButton(w, "btPasteToSJR"); });
        QTest::mouseClick(btPaste, Qt::LeftButton);
        const entry::ui::BillBoxes& b = entry->boxes();
        QCOMPARE(b.zdGKMC->currentText(), QStringLiteral("杭州云杉贸易有限公司"));
        QCOMPARE(b.zdGKLXR->text(), QStringLiteral("周婷"));
        QCOMPARE(b.zdGKAddr->text(), QStringLiteral("浙江省杭州市滨江区江南大道588号"));
        QCOMPARE(b.zdGKPhone->text(), QStringLiteral("0571-86012345"));
        QCOMPARE(b.zdGKHandset->text(), QStringLiteral("15867123456"));
    }
};

OVERPRINT_TEST(TestMatchAddrWindow)
#include "TestMatchAddrWindow.moc"
