#include "core/IniFile.h"
#include "print/PrintLookups.h"
#include "print/TemplatePaperSwitch.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QTest>

using print::TemplatePaperSwitch;

// The printer's switch covers every template printed on it and is kept in Config.ini; the
// template's own switch, stored as before, keeps working beside it.
class TestTemplatePaperSwitch : public QObject {
    Q_OBJECT

private slots:
    void eitherSwitchIsEnough_data() {
        QTest::addColumn<bool>("printerOn");
        QTest::addColumn<bool>("templateOn");
        QTest::newRow("neither") << false << false;
        QTest::newRow("printer") << true << false;
        QTest::newRow("template") << false << true;
        QTest::newRow("both") << true << true;
    }
    void eitherSwitchIsEnough() {
        QFETCH(bool, printerOn);
        QFETCH(bool, templateOn);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        TemplatePaperSwitch paper(home.db(), home.app().userIni());
        QVERIFY(paper.setForPrinter(QStringLiteral("Tractor 1"), printerOn));
        QVERIFY(home.app().templates().setCheckConfigByName(1, print::PrintLookups::kTemplatePaperOption,
                                                            templateOn ? QStringLiteral("1")
                                                                       : QStringLiteral("0")));
        // Read back from the file, as at the next start.
        core::IniFile reread(home.app().userIni().fileName());
        const TemplatePaperSwitch again(home.db(), reread);
        QCOMPARE(again.applies(1, QStringLiteral("tractor 1")), printerOn || templateOn);
        QCOMPARE(again.applies(2, QStringLiteral("Tractor 1")), printerOn);
        QCOMPARE(again.applies(1, QStringLiteral("Laser")), templateOn);
        QCOMPARE(again.applies(1, QString()), templateOn);
        // Switching the printer off leaves the template's own choice.
        QVERIFY(paper.setForPrinter(QStringLiteral("Tractor 1"), false));
        QCOMPARE(paper.applies(1, QStringLiteral("Tractor 1")), templateOn);
        QVERIFY(!paper.forPrinter(QStringLiteral("Tractor 1")));
    }

    // A name that cannot be a key of the INI file is refused rather than stored under another
    // printer's name.
    void unfitPrinterNames_data() {
        QTest::addColumn<QString>("printer");
        QTest::newRow("empty") << QString();
        QTest::newRow("equals sign") << QStringLiteral("Tractor=1");
        QTest::newRow("bracket") << QStringLiteral("[Tractor]");
        QTest::newRow("semicolon") << QStringLiteral(";Tractor");
        QTest::newRow("line break") << QStringLiteral("Trac\ntor");
        QTest::newRow("blank at an end") << QStringLiteral("Tractor ");
    }
    void unfitPrinterNames() {
        QFETCH(QString, printer);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        TemplatePaperSwitch paper(home.db(), home.app().userIni());
        QVERIFY(!paper.setForPrinter(printer, true));
        QVERIFY(!paper.forPrinter(printer));
        QVERIFY(!paper.forPrinter(QStringLiteral("Tractor")));
        QVERIFY(!home.app().userIni().sectionExists(TemplatePaperSwitch::kSection));
    }
};

OVERPRINT_TEST(TestTemplatePaperSwitch)
#include "TestTemplatePaperSwitch.moc"
