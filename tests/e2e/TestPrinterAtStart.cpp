#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "print/BillPrinter.h"
#include "print/PrintLookups.h"
#include "print/RecordingPrintDevice.h"
#include "print/TemplatePaperSwitch.h"
#include "program/Program.h"

#include <QAction>
#include <QMenu>
#include <QPrinterInfo>
#include <QTest>

// The program as started: the bill printer of the options is the print device's printer before
// any job, so the printer set-up opens on it; the print menu carries the template paper switch.
class TestPrinterAtStart : public QObject {
    Q_OBJECT

private slots:
    void setupOpensOnTheBillPrinter() {
        const QStringList installed = QPrinterInfo::availablePrinterNames();
        if (installed.isEmpty())
            QSKIP("no printer is installed (cupsd is not reachable)");
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        const QString bill = installed.last();
        home.app().setConfigByname(QStringLiteral("DefaultPrinter"), bill);
        print::RecordingPrintDevice device;
        device.printers = installed;
        program::Program program(home.app(), device);
        QVERIFY(program.startUp(false));
        QCOMPARE(device.printerName(), bill);
        program.mainWindow().action(QStringLiteral("actPrinterSetup"))->trigger();
        QCOMPARE(device.setupPrinter, bill);
    }

    void templatePaperSwitch() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        print::RecordingPrintDevice device;
        program::Program program(home.app(), device);
        QVERIFY(program.startUp(false));
        core::ui::Tfm_Main& main = program.mainWindow();
        auto* menu = main.findChild<QMenu*>(QStringLiteral("mPrint"));
        QAction* paper = main.action(QStringLiteral("actTemplatePaper"));
        QVERIFY(menu && paper);
        const int shown = home.app().currentCheckTypeId;
        QVERIFY(shown > 0);

        emit menu->aboutToShow();
        QVERIFY(paper->isEnabled());
        QVERIFY(!paper->isChecked());
        paper->trigger();
        QVERIFY(print::PrintLookups::printsOnTemplatePaper(home.db(), shown));

        const int other = shown == 1 ? 2 : 1; // the other shipped variant keeps its own switch
        home.app().currentCheckTypeId = other;
        emit menu->aboutToShow();
        QVERIFY(!paper->isChecked());
        home.app().currentCheckTypeId = shown;
        emit menu->aboutToShow();
        QVERIFY(paper->isChecked());
        paper->trigger();
        QVERIFY(!print::PrintLookups::printsOnTemplatePaper(home.db(), shown));
    }

    // The printer's switch: every template printed on the bill printer goes on its own paper,
    // which the template's switch shows while it waits.
    void printerWideTemplatePaperSwitch() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        print::RecordingPrintDevice device;
        device.printers << QStringLiteral("Tractor");
        program::Program program(home.app(), device);
        QVERIFY(program.startUp(false));
        home.app().setCurrentPrinter(QStringLiteral("Tractor"));
        core::ui::Tfm_Main& main = program.mainWindow();
        auto* menu = main.findChild<QMenu*>(QStringLiteral("mPrint"));
        QAction* own = main.action(QStringLiteral("actTemplatePaper"));
        QAction* wide = main.action(QStringLiteral("actPrinterTemplatePaper"));
        QVERIFY(menu && own && wide);
        QCOMPARE(wide->text(), print::BillPrinter::kPrinterWideCaption);
        const print::TemplatePaperSwitch paper(home.db(), home.app().userIni());

        emit menu->aboutToShow();
        QVERIFY(wide->isEnabled() && !wide->isChecked());
        wide->trigger();
        QVERIFY(paper.forPrinter(QStringLiteral("Tractor")));
        QVERIFY(!paper.forPrinter(QStringLiteral("Recorder")));
        emit menu->aboutToShow();
        QVERIFY(wide->isChecked());
        QVERIFY(own->isChecked() && !own->isEnabled());
        QVERIFY(!paper.forTemplate(home.app().currentCheckTypeId));

        home.app().setCurrentPrinter(QStringLiteral("Recorder"));
        emit menu->aboutToShow();
        QVERIFY(!wide->isChecked());
        QVERIFY(!own->isChecked() && own->isEnabled());
        home.app().setCurrentPrinter(QStringLiteral("Tractor"));
        emit menu->aboutToShow();
        wide->trigger();
        QVERIFY(!paper.forPrinter(QStringLiteral("Tractor")));
    }
};

OVERPRINT_TEST(TestPrinterAtStart)
#include "TestPrinterAtStart.moc"
