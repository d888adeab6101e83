#include "core/IniFile.h"
#include "print/TextModeSettings.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"
#include "templates/ui/TfrmPrinterParam.h"

#include <QComboBox>
#include <QFile>
#include <QTest>

using print::TextModeSettings;
using templates::ui::TfrmPrinterParam;

// The printer window's 打印方式 boxes through real widgets: each printer shows its own way, the
// text boxes follow the mode, and only what the clerk changed reaches Config.ini.
class TestPrintModeOptions : public QObject {
    Q_OBJECT

    static QString iniText(TestHome& home) {
        QFile f(home.app().userIni().fileName());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private slots:
    void boxesShowAndStoreEachPrinter() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        TextModeSettings dotMatrix;
        dotMatrix.mode = TextModeSettings::Mode::Text;
        dotMatrix.charset = TextModeSettings::Charset::GB2312;
        dotMatrix.verticalUnit = 360;
        dotMatrix.write(home.app().userIni(), QStringLiteral("针打"));

        TfrmPrinterParam window(home.app(), {QStringLiteral("激光"), QStringLiteral("针打")}, {});
        auto* printer = window.findChild<QComboBox*>(QStringLiteral("cb_PrintersClient"));
        auto* mode = window.findChild<QComboBox*>(QStringLiteral("cbPrintMode"));
        auto* charset = window.findChild<QComboBox*>(QStringLiteral("cbCharset"));
        auto* vUnit = window.findChild<QComboBox*>(QStringLiteral("cbVUnit"));
        auto* hUnit = window.findChild<QComboBox*>(QStringLiteral("cbHUnit"));
        QVERIFY(printer && mode && charset && vUnit && hUnit);

        QCOMPARE(mode->currentText(), QStringLiteral("图形"));
        QVERIFY(!charset->isEnabled() && !vUnit->isEnabled() && !hUnit->isEnabled());

        const QString before = iniText(home);
        printer->setCurrentText(QStringLiteral("针打"));
        QCOMPARE(mode->currentText(), QStringLiteral("文本（针式打印机）"));
        QCOMPARE(charset->currentText(), QStringLiteral("GB2312"));
        QCOMPARE(vUnit->currentText(), QStringLiteral("1/360 英寸"));
        QCOMPARE(hUnit->currentText(), QStringLiteral("1/180 英寸"));
        QVERIFY(charset->isEnabled() && vUnit->isEnabled() && hUnit->isEnabled());
        QCOMPARE(iniText(home), before); // showing a printer stores nothing

        hUnit->setCurrentIndex(hUnit->findData(60));
        TextModeSettings expected = dotMatrix;
        expected.horizontalUnit = 60;
        QCOMPARE(TextModeSettings::read(home.app().userIni().fileName(), QStringLiteral("针打")), expected);
        QVERIFY(TextModeSettings::read(home.app().userIni().fileName(), QStringLiteral("激光")).mode ==
                TextModeSettings::Mode::Graphics);

        // Text mode for the other printer: only its mode is written, the rest stays unwritten.
        printer->setCurrentText(QStringLiteral("激光"));
        mode->setCurrentIndex(1);
        QVERIFY(charset->isEnabled());
        const QString after = iniText(home);
        QVERIFY(after.contains(QStringLiteral("激光=text")));
        QVERIFY(!after.contains(QStringLiteral("激光.")));
        mode->setCurrentIndex(0);
        QVERIFY(!hUnit->isEnabled());
    }
};

OVERPRINT_TEST(TestPrintModeOptions)
#include "TestPrintModeOptions.moc"
