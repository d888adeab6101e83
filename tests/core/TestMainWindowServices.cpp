#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/IniFile.h"
#include "core/ui/FormFace.h"
#include "core/ui/Tfm_Main.h"
#include "core/ui/TfrmInputValue.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using core::ui::TfrmInputValue;

namespace {

// Shows the dialog as the active window and gives back the widget that takes its keys.
QWidget* showActive(QDialog& dialog) {
    dialog.show();
    dialog.activateWindow();
    if (!QTest::qWaitForWindowActive(&dialog))
        return nullptr;
    return QApplication::focusWidget();
}

} // namespace

class TestMainWindowServices : public QObject {
    Q_OBJECT
private slots:
    void valueTypes_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("expected");
        const int s = int(TfrmInputValue::ValueType::String), i = int(TfrmInputValue::ValueType::Integer),
                  d = int(TfrmInputValue::ValueType::Double);
        QTest::newRow("integer") << "integer" << i;
        QTest::newRow(" Int ") << " Int " << i;
        QTest::newRow("float") << "float" << d;
        QTest::newRow("REAL") << "REAL" << d;
        QTest::newRow("double") << "Double" << d;
        QTest::newRow("string") << "string" << s;
        QTest::newRow("number is text") << "number" << s;
        QTest::newRow("empty") << "" << s;
    }
    void valueTypes() {
        QFETCH(QString, type);
        QFETCH(int, expected);
        QCOMPARE(int(TfrmInputValue::typeFromText(type)), expected);
    }

    void typedKeys_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hint");
        QTest::newRow("integer refuses point") << "integer"
                                               << "1.5"
                                               << "15"
                                               << "";
        QTest::newRow("integer hint stays on refusal") << "integer"
                                                       << "12."
                                                       << "12"
                                                       << "提示：只能输入数字,谢谢！";
        QTest::newRow("integer at most 7") << "integer"
                                           << "123456789"
                                           << "1234567"
                                           << "";
        QTest::newRow("double takes point") << "double"
                                            << "12.5"
                                            << "12.5"
                                            << "";
        QTest::newRow("double refuses letter") << "float"
                                               << "3a"
                                               << "3"
                                               << "提示:只能输入数字及点(如: 12.5 )！";
        QTest::newRow("integer refuses letter and point") << "integer"
                                                          << "1a.5"
                                                          << "15"
                                                          << "";
        QTest::newRow("string free") << "string"
                                     << "O'Brien 1.5"
                                     << "O'Brien 1.5"
                                     << "";
    }
    void typedKeys() {
        QFETCH(QString, type);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(QString, hint);
        core::ScriptedDialogs dialogs;
        TfrmInputValue dialog(dialogs);
        dialog.setTitle(QStringLiteral("输入重复打印的张数"));
        dialog.setTypeReturn(type);
        auto* box = dialog.findChild<QComboBox*>(QStringLiteral("edtValue"));
        // The keys go where the desktop sends them: to the focus widget of the active dialog.
        QWidget* focus = showActive(dialog);
        QVERIFY(focus && (focus == box || box->isAncestorOf(focus)));
        QTest::keyClicks(focus, typed);
        QCOMPARE(box->currentText(), text);
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lbMessage"))->text(), hint);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("用户输入"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lbTitle"))->text(),
                 QStringLiteral("输入重复打印的张数"));
        QCOMPARE(box->count(), type == QLatin1String("integer") ? 11 : 0);
    }

    void okAndCancel() {
        core::ScriptedDialogs dialogs;
        TfrmInputValue dialog(dialogs);
        dialog.setDefaultValue(QStringLiteral("   "));
        dialog.show();
        auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("btOK"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(dialogs.lastText(), QStringLiteral("请输入正确的值，不能为空"));
        QVERIFY(dialog.isVisible());

        auto* box = dialog.findChild<QComboBox*>(QStringLiteral("edtValue"));
        box->setEditText(QStringLiteral("  20 "));
        QWidget* focus = showActive(dialog);
        QVERIFY(focus);
        QTest::keyClick(focus, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.value(), QStringLiteral("20"));

        TfrmInputValue second(dialogs);
        second.setDefaultValue(QStringLiteral("5"));
        second.show();
        QTest::mouseClick(second.findChild<QPushButton*>(QStringLiteral("btCancel")), Qt::LeftButton);
        QCOMPARE(second.result(), int(QDialog::Rejected));
        QCOMPARE(second.value(), QString());
    }

    void giveMeAnValue_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("given");
        QTest::addColumn<QString>("value");
        QTest::newRow("typed") << "3" << true << "3";
        QTest::newRow("cancelled") << "\x1b" << false << "";
    }
    void giveMeAnValue() {
        QFETCH(QString, answer);
        QFETCH(bool, given);
        QFETCH(QString, value);
        TestHome home;
        core::ui::Tfm_Main main(home.app());
        home.dialogs().inputs.enqueue(answer);
        QString out;
        QCOMPARE(main.giveMeAnValue(QStringLiteral("输入张数"), QStringLiteral("1"), out,
                                    QStringLiteral("integer")),
                 given);
        QCOMPARE(out, value);
    }

    void formFace() {
        TestHome home;
        core::IniFile& ini = home.app().userIni();
        QWidget window;
        window.setObjectName(QStringLiteral("fm_Products"));
        window.resize(500, 400);
        core::ui::FormFace::save(ini, window);
        QCOMPARE(ini.readString(QStringLiteral("FM_PRODUCTS"), QStringLiteral("FormWidth")),
                 QStringLiteral("500"));
        QCOMPARE(ini.readString(QStringLiteral("FM_PRODUCTS"), QStringLiteral("FormHeight")),
                 QStringLiteral("400"));

        window.resize(300, 200);
        core::ui::FormFace::load(ini, window);
        QCOMPARE(window.size(), QSize(500, 400));

        ini.writeInteger(QStringLiteral("FM_PRODUCTS"), QStringLiteral("FormWidth"), 99999);
        core::ui::FormFace::load(ini, window);
        QCOMPARE(window.width(), window.screen()->size().width());

        window.setWindowState(Qt::WindowMaximized);
        ini.writeInteger(QStringLiteral("FM_PRODUCTS"), QStringLiteral("FormWidth"), 10);
        core::ui::FormFace::save(ini, window);
        QCOMPARE(ini.readString(QStringLiteral("FM_PRODUCTS"), QStringLiteral("FormWidth")),
                 QStringLiteral("10"));
    }
};

OVERPRINT_TEST(TestMainWindowServices)
#include "TestMainWindowServices.moc"
