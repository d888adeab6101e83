#include "PrintFixture.h"
#include "print/BillPrinter.h"
#include "print/PrintLookups.h"
#include "print/PrinterSetup.h"
#include "print/TemplatePaperSwitch.h"
#include "support/TestRegistry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPrinter>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

using print::BillPrinter;
using print::PrintDevice;
using print::RecordingPrintDevice;

namespace {

// The parts of the entry window the job reads: the variant box, the option boxes, the panel
// of input boxes.
struct EntryForm {
    QWidget form;
    QWidget* panel;
    QComboBox* variant;
    QCheckBox* printPrice;
    QCheckBox* printNumber;
    QCheckBox* printRemark;

    EntryForm() {
        panel = new QWidget(&form);
        panel->setObjectName(QStringLiteral("panelImgBg"));
        variant = new QComboBox(&form);
        variant->setObjectName(QStringLiteral("cbFirstTypeName"));
        variant->addItem(QStringLiteral("测试"));
        printPrice = check("cfgPrintPriceJE", true);
        printNumber = check("cfgPrintDH", true);
        printRemark = check("cfgPrintRemark", false);
    }
    QCheckBox* check(const char* name, bool on) {
        auto* box = new QCheckBox(&form);
        box->setObjectName(QString::fromLatin1(name));
        box->setChecked(on);
        return box;
    }
    QLineEdit* edit(const QString& name, const QString& text) {
        auto* e = new QLineEdit(text, panel);
        e->setObjectName(name);
        return e;
    }
};

// Runs the job of one bill; the paper's width in mm while the document was open, 0 when none was.
int printedWidth(BillPrinter& job, const RecordingPrintDevice& device) {
    if (!job.PrintPrepare())
        return 0;
    job.PrinterTransBegin(1);
    const int width =
        device.isPrinting() ? qRound(device.paperNow.size.size(QPageSize::Millimeter).width()) : 0;
    job.SendCheckToPrinter(0);
    job.PrinterTransEnd();
    return width;
}

} // namespace

class TestBillPrinter : public QObject {
    Q_OBJECT

private slots:
    void prepareRefuses_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("caption");
        QTest::newRow("no variant") << QStringLiteral("variant") << QStringLiteral("请选择出货单模板的类型!")
                                    << QString();
        QTest::newRow("no printer") << QStringLiteral("printers")
                                    << QStringLiteral("你需要安装打印机才能打印！") << QString();
        QTest::newRow("no template row")
            << QStringLiteral("template")
            << QStringLiteral("Err:\"\"没有进行初始化，无法取得整体打印偏移量！") << QStringLiteral("提示");
        QTest::newRow("orientation refused")
            << QStringLiteral("orientation") << QStringLiteral("打印出错，请检查打印机是否可用！")
            << QStringLiteral("提示");
    }
    void prepareRefuses() {
        QFETCH(QString, scenario);
        QFETCH(QString, message);
        QFETCH(QString, caption);
        PrintFixture f;
        QVERIFY(f.home.isValid());
        EntryForm entry;
        entry.edit(QStringLiteral("zdA"), QStringLiteral("v"));
        f.addItem(QStringLiteral("zdA"), 1);
        f.addLayout(QStringLiteral("zdA"));
        if (scenario == QLatin1String("variant")) {
            entry.variant->clear();
            entry.variant->hide();
        } else if (scenario == QLatin1String("printers")) {
            f.device.printers.clear();
        } else if (scenario == QLatin1String("template")) {
            f.home.app().currentCheckTypeId = 12345;
        } else {
            f.device.orientationFails = true;
        }
        BillPrinter job(f.home.app(), f.device, &entry.form);
        QVERIFY(!job.printCurrentBill(1));
        QVERIFY(!f.home.app().printReady);
        QVERIFY(!f.device.events.contains(QStringLiteral("begin")));
        QVERIFY(f.device.texts.isEmpty());
        QCOMPARE(f.home.dialogs().shown.size(), 1);
        QCOMPARE(f.home.dialogs().shown.first().text, message);
        QCOMPARE(f.home.dialogs().shown.first().caption, caption);
        if (scenario == QLatin1String("variant"))
            QVERIFY(!entry.variant->isHidden());
        if (scenario == QLatin1String("orientation"))
            QVERIFY(f.device.events.contains(QStringLiteral("abort")));
    }

    void copiesTitleAndOrientation_data() {
        QTest::addColumn<int>("copies");
        QTest::addColumn<QString>("hvPrint");
        QTest::addColumn<int>("expectedCopies");
        QTest::addColumn<bool>("landscape");
        QTest::newRow("0 copies, portrait") << 0 << QStringLiteral("0") << 1 << false;
        QTest::newRow("1 copy, landscape") << 1 << QStringLiteral("1") << 1 << true;
        QTest::newRow("3 copies, 2 is portrait") << 3 << QStringLiteral("2") << 3 << false;
        QTest::newRow("empty is portrait") << 1 << QString() << 1 << false;
    }
    void copiesTitleAndOrientation() {
        QFETCH(int, copies);
        QFETCH(QString, hvPrint);
        QFETCH(int, expectedCopies);
        QFETCH(bool, landscape);
        PrintFixture f;
        QVERIFY(f.home.isValid());
        f.home.db().exec(QStringLiteral("update CKTypeTable set HVPrint=:hv where CheckTypeID=:id"),
                         {{QStringLiteral("hv"), hvPrint}, {QStringLiteral("id"), PrintFixture::kTemplate}});
        f.device.setOrientation(landscape ? PrintDevice::Orientation::Portrait
                                          : PrintDevice::Orientation::Landscape);
        EntryForm entry;
        BillPrinter job(f.home.app(), f.device, &entry.form);
        QVERIFY(job.printCurrentBill(copies));
        QCOMPARE(f.device.copies(), expectedCopies);
        QCOMPARE(f.device.orientation(),
                 landscape ? PrintDevice::Orientation::Landscape : PrintDevice::Orientation::Portrait);
        QCOMPARE(f.device.title(), QStringLiteral("青木鸟打印-测试"));
        QCOMPARE(f.device.documents, 1);
        QVERIFY(!f.home.app().printReady);
        QVERIFY(f.home.dialogs().shown.isEmpty());
    }

    // 600 dpi with 100 px horizontal and 50 px vertical printable-area offsets, XMove -20, YMove 15.
    void positionsWithOffsets() {
        PrintFixture f;
        QVERIFY(f.home.isValid());
        f.device.dpiX = f.device.dpiY = 600;
        f.device.offsetX = 100;
        f.device.offsetY = 50;
        f.home.db().exec(QStringLiteral("update CKTypeTable set XMove=-20, YMove=15 where CheckTypeID=:id"),
                         {{QStringLiteral("id"), PrintFixture::kTemplate}});
        EntryForm entry;
        entry.edit(QStringLiteral("zdGKMC"), QStringLiteral("客户"));
        f.addItem(QStringLiteral("ZDGKMC"), 1);
        f.addLayout(QStringLiteral("zdGKMC"), {{QStringLiteral("CtlX"), 500}, {QStringLiteral("CtlY"), 300}});
        BillPrinter job(f.home.app(), f.device, &entry.form);
        QVERIFY(job.printCurrentBill(1));
        QCOMPARE(f.drawn(), QStringList{QStringLiteral("1084,644,10:客户")});
    }

    void setupDialogBeforePrinting_data() {
        QTest::addColumn<int>("answer"); // 1 OK, 0 Cancel, -1 the dialog fails
        QTest::addColumn<bool>("printed");
        QTest::addColumn<QString>("message");
        QTest::newRow("OK") << 1 << true << QString();
        QTest::newRow("Cancel") << 0 << false << QString();
        QTest::newRow("dialog fails")
            << -1 << true << QStringLiteral("打开打印机设置对话框出错，请确认打印机是否可用！");
    }
    void setupDialogBeforePrinting() {
        QFETCH(int, answer);
        QFETCH(bool, printed);
        QFETCH(QString, message);
        PrintFixture f;
        QVERIFY(f.home.isValid());
        f.home.app().popPrinterSetup = true;
        f.device.setupAnswer =
            answer == 1 ? PrintDevice::SetupResult::Accepted : PrintDevice::SetupResult::Rejected;
        f.device.setupFails = answer < 0;
        EntryForm entry;
        entry.edit(QStringLiteral("zdA"), QStringLiteral("v"));
        f.addItem(QStringLiteral("zdA"), 1);
        f.addLayout(QStringLiteral("zdA"));
        BillPrinter job(f.home.app(), f.device, &entry.form);
        QCOMPARE(job.printCurrentBill(1), printed);
        QVERIFY(f.device.events.contains(QStringLiteral("setup")));
        QCOMPARE(f.device.documents, printed ? 1 : 0);
        QCOMPARE(f.device.texts.size(), printed ? 1 : 0);
        QCOMPARE(f.home.dialogs().lastText(), message);
    }

    void setupCommand() {
        PrintFixture f;
        QVERIFY(f.home.isValid());
        f.device.printers << QStringLiteral("Second");
        f.device.selectPrinter(QStringLiteral("Second"));
        print::PrinterSetup::run(f.home.app(), f.device);
        QVERIFY(f.home.app().printReady);
        QCOMPARE(f.home.app().currentPrinter(), QStringLiteral("Second"));
        f.device.setupAnswer = PrintDevice::SetupResult::Rejected;
        print::PrinterSetup::run(f.home.app(), f.device);
        QVERIFY(!f.home.app().printReady);
        f.device.printers.clear();
        print::PrinterSetup::run(f.home.app(), f.device);
        QCOMPARE(f.home.dialogs().lastText(),
                 QStringLiteral("没有检测到任何打印机驱动，无法设置,如果是新添加的打印机，请重新打开软件！"));
        QCOMPARE(f.device.events.count(QStringLiteral("setup")), 2);
    }

    void jobGoesToTheCurrentPrinter() {
        PrintFixture f;
        QVERIFY(f.home.isValid());
        f.device.printers << QStringLiteral("Bills");
        f.home.app().setCurrentPrinter(QStringLiteral("Bills"));
        EntryForm entry;
        BillPrinter job(f.home.app(), f.device, &entry.form);
        QVERIFY(job.printCurrentBill(1));
        QCOMPARE(f.device.printerName(), QStringLiteral("Bills"));
    }

    // The set-up's paper outlives a restart: the printer chosen at start gets it back, and so
    // does every job on it, even after a job on a template's own paper.
    void paperRememberedAcrossRestart() {
        PrintFixture f;
        QVERIFY(f.home.isValid());
        f.device.printers << QStringLiteral("Bills");
        f.device.selectPrinter(QStringLiteral("Bills"));
        f.device.setupPaper = {QPageSize(QPageSize::A3), int(QPrinter::Tractor)};
        print::PrinterSetup::run(f.home.app(), f.device);
        QCOMPARE(f.home.app().currentPrinter(), QStringLiteral("Bills"));

        f.home.app().OpenUserIniFile(); // read back from the file, as a new start does
        RecordingPrintDevice restarted;
        restarted.dpiX = restarted.dpiY = 254;
        restarted.printers << QStringLiteral("Bills");
        print::PrinterSetup::follow(f.home.app(), restarted);
        const auto unhook = qScopeGuard([&f] { f.home.app().setPrinterSelector({}); });
        f.home.app().setCurrentPrinter(QStringLiteral("Bills"));
        QCOMPARE(restarted.paperNow.size.id(), QPageSize::A3);
        QCOMPARE(restarted.paperNow.source, int(QPrinter::Tractor));

        restarted.paperNow = {QPageSize(QPageSize::A4), -1}; // the driver's default creeps back
        f.home.db().exec(
            QStringLiteral("update CKTypeTable set PWidth=2410, PHeight=930 where CheckTypeID=:id"),
            {{QStringLiteral("id"), PrintFixture::kTemplate}});
        QVERIFY(f.home.app().templates().setCheckConfigByName(
            PrintFixture::kTemplate, print::PrintLookups::kTemplatePaperOption, QStringLiteral("1")));
        EntryForm entry;
        BillPrinter job(f.home.app(), restarted, &entry.form);
        QVERIFY(job.PrintPrepare());
        job.PrinterTransBegin(1);
        const QSizeF during = restarted.paperNow.size.size(QPageSize::Millimeter);
        job.PrinterTransEnd();
        QCOMPARE(during, QSizeF(241, 93));
        QCOMPARE(restarted.paperNow.size.id(), QPageSize::A3);
    }

    // Values beyond the printable area of the page are named before the job starts; the clerk
    // may print all the same or cancel. A box that is hidden prints nothing and is not named.
    void printableAreaWarning_data() {
        QTest::addColumn<int>("ctlx");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<int>("answer"); // -1: no question expected
        QTest::addColumn<bool>("printed");
        QTest::newRow("inside") << 850 << false << -1 << true;
        QTest::newRow("just inside the grace") << 985 << false << -1 << true;
        QTest::newRow("outside, cancelled") << 1200 << false << 0 << false;
        QTest::newRow("outside, printed anyway") << 1200 << false << 1 << true;
        QTest::newRow("outside but hidden") << 1200 << true << -1 << true;
    }
    void printableAreaWarning() {
        QFETCH(int, ctlx);
        QFETCH(bool, hidden);
        QFETCH(int, answer);
        QFETCH(bool, printed);
        PrintFixture f;
        QVERIFY(f.home.isValid());
        f.device.printable = QSize(1000, 1500); // 100 × 150 mm at 254 dpi
        EntryForm entry;
        entry.edit(QStringLiteral("zdIn"), QStringLiteral("在内"));
        entry.edit(QStringLiteral("zdJE1"), QStringLiteral("8"))->setVisible(!hidden); // one 10 pt digit
        f.addItem(QStringLiteral("zdIn"), 1);
        f.addItem(QStringLiteral("zdJE1"), 2);
        f.home.db().exec(QStringLiteral("update NameDict set CtlLabel='金额1' where CtlName='zdJE1'"));
        f.addLayout(QStringLiteral("zdIn"));
        f.addLayout(QStringLiteral("zdJE1"), {{QStringLiteral("CtlX"), ctlx}});
        if (answer >= 0)
            f.home.dialogs().answers.enqueue(answer);
        BillPrinter job(f.home.app(), f.device, &entry.form);
        QCOMPARE(job.printCurrentBill(1), printed);
        QCOMPARE(f.device.documents, printed ? 1 : 0);
        QVERIFY(!f.home.app().printReady);
        if (answer < 0) {
            QVERIFY2(f.home.dialogs().shown.isEmpty(),
                     qPrintable(f.home.dialogs().texts().join(QLatin1Char('|'))));
            return;
        }
        QCOMPARE(f.home.dialogs().shown.size(), 1);
        const auto& question = f.home.dialogs().shown.first();
        QCOMPARE(question.kind, QStringLiteral("ask"));
        QCOMPARE(question.caption, QStringLiteral("确认"));
        QVERIFY2(question.text.startsWith(QStringLiteral("票据上的【金额1】超出了打印机【Recorder】")),
                 qPrintable(question.text));
    }

    // A page cut by the printer's paper when the template has a paper of its own: the warning
    // names that paper and one answer prints the job on it; the printer's paper comes back after.
    void printableAreaRemedy_data() {
        QTest::addColumn<int>("pwidth");            // the template's paper, tenths of mm
        QTest::addColumn<QList<int>>("answers");    // yesNoCancel, then ask when a second comes
        QTest::addColumn<QStringList>("questions"); // kinds of the boxes shown
        QTest::addColumn<bool>("printed");
        QTest::addColumn<int>("widthDuringJob"); // mm
        const QStringList remedy{QStringLiteral("yesNoCancel")};
        QTest::newRow("on the template's paper") << 2410 << QList<int>{1} << remedy << true << 241;
        QTest::newRow("on the printer's paper") << 2410 << QList<int>{0} << remedy << true << 100;
        QTest::newRow("cancelled") << 2410 << QList<int>{-1} << remedy << false << 0;
        QTest::newRow("template's paper cuts too, printed anyway")
            << 1100 << QList<int>{1, 1} << QStringList{QStringLiteral("yesNoCancel"), QStringLiteral("ask")}
            << true << 110;
        QTest::newRow("template's paper cuts too, cancelled")
            << 1100 << QList<int>{1, 0} << QStringList{QStringLiteral("yesNoCancel"), QStringLiteral("ask")}
            << false << 0;
        QTest::newRow("no paper of its own")
            << 0 << QList<int>{1} << QStringList{QStringLiteral("ask")} << true << 100;
    }
    void printableAreaRemedy() {
        QFETCH(int, pwidth);
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, questions);
        QFETCH(bool, printed);
        QFETCH(int, widthDuringJob);
        PrintFixture f;
        QVERIFY(f.home.isValid());
        f.device.printableIsPaper = true;
        const QPageSize printerPaper(QSizeF(100, 150), QPageSize::Millimeter, QString(),
                                     QPageSize::ExactMatch);
        f.device.paperNow = {printerPaper, -1};
        f.home.db().exec(
            QStringLiteral("update CKTypeTable set PWidth=:w, PHeight=930 where CheckTypeID=:id"),
            {{QStringLiteral("w"), pwidth}, {QStringLiteral("id"), PrintFixture::kTemplate}});
        EntryForm entry;
        entry.edit(QStringLiteral("zdJE1"), QStringLiteral("8"));
        f.addItem(QStringLiteral("zdJE1"), 1);
        f.home.db().exec(QStringLiteral("update NameDict set CtlLabel='金额1' where CtlName='zdJE1'"));
        f.addLayout(QStringLiteral("zdJE1"), {{QStringLiteral("CtlX"), 1200}});
        for (int answer : answers)
            f.home.dialogs().answers.enqueue(answer);
        BillPrinter job(f.home.app(), f.device, &entry.form);
        QCOMPARE(printedWidth(job, f.device), widthDuringJob);
        QCOMPARE(job.spooled(), printed);
        QVERIFY(f.device.paperNow.size.isEquivalentTo(printerPaper));
        QStringList kinds;
        for (const auto& shown : f.home.dialogs().shown)
            kinds << shown.kind;
        QCOMPARE(kinds, questions);
        const QString first = f.home.dialogs().shown.first().text;
        QVERIFY2(first.startsWith(QStringLiteral("票据上的【金额1】超出了打印机【Recorder】当前纸张（自定义 "
                                                 "100×150毫米）")),
                 qPrintable(first));
        QCOMPARE(first.contains(QStringLiteral("按模板纸张尺寸（自定义 %1×93毫米）打印").arg(pwidth / 10)),
                 pwidth > 0);
        QCOMPARE(first.contains(BillPrinter::kPrinterWideCaption), pwidth > 0);
    }

    // The printer's switch puts every template printed on that printer on its own paper; on
    // another printer the template's own switch alone decides.
    void printerWideTemplatePaper_data() {
        QTest::addColumn<QString>("printer");
        QTest::addColumn<bool>("templateOwn");
        QTest::addColumn<int>("widthDuringJob");
        QTest::newRow("switched printer") << QStringLiteral("Tractor") << false << 241;
        QTest::newRow("other printer") << QStringLiteral("Recorder") << false << 210;
        QTest::newRow("other printer, template's own switch") << QStringLiteral("Recorder") << true << 241;
    }
    void printerWideTemplatePaper() {
        QFETCH(QString, printer);
        QFETCH(bool, templateOwn);
        QFETCH(int, widthDuringJob);
        PrintFixture f;
        QVERIFY(f.home.isValid());
        f.device.printers << QStringLiteral("Tractor");
        f.home.app().setCurrentPrinter(printer);
        f.home.db().exec(
            QStringLiteral("update CKTypeTable set PWidth=2410, PHeight=930 where CheckTypeID=:id"),
            {{QStringLiteral("id"), PrintFixture::kTemplate}});
        QVERIFY(print::TemplatePaperSwitch(f.home.db(), f.home.app().userIni())
                    .setForPrinter(QStringLiteral("Tractor"), true));
        if (templateOwn)
            QVERIFY(f.home.app().templates().setCheckConfigByName(
                PrintFixture::kTemplate, print::PrintLookups::kTemplatePaperOption, QStringLiteral("1")));
        EntryForm entry;
        BillPrinter job(f.home.app(), f.device, &entry.form);
        QCOMPARE(printedWidth(job, f.device), widthDuringJob);
        QVERIFY(job.spooled());
        QCOMPARE(f.device.paperNow.size.id(), QPageSize::A4);
    }

    // The option boxes decide the stored print flags of their items before the page prints.
    void itemSwitches_data() {
        QTest::addColumn<bool>("priceShown");
        QTest::addColumn<bool>("printPrice");
        QTest::addColumn<bool>("printNumber");
        QTest::addColumn<bool>("printRemark");
        QTest::addColumn<QList<int>>("flags"); // ZDJE1, ZDDJ8, ZDJEDX, ZDPJBH, ZDREMARK, ZDGKMC
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("defaults") << true << true << true << false << QList<int>{1, 1, 1, 1, 0, 1}
                                  << QStringList{QStringLiteral("NO.1"), QStringLiteral("9.50")};
        QTest::newRow("no prices") << true << false << true << true << QList<int>{0, 0, 0, 1, 1, 1}
                                   << QStringList{QStringLiteral("NO.1"), QStringLiteral("备注")};
        QTest::newRow("price boxes hidden keep flags")
            << false << false << false << false << QList<int>{1, 1, 1, 0, 0, 1} << QStringList{};
    }
    void itemSwitches() {
        QFETCH(bool, priceShown);
        QFETCH(bool, printPrice);
        QFETCH(bool, printNumber);
        QFETCH(bool, printRemark);
        QFETCH(QList<int>, flags);
        QFETCH(QStringList, texts);
        PrintFixture f;
        QVERIFY(f.home.isValid());
        EntryForm entry;
        entry.printPrice->setChecked(printPrice);
        entry.printNumber->setChecked(printNumber);
        entry.printRemark->setChecked(printRemark);
        const QStringList names{QStringLiteral("ZDJE1"),    QStringLiteral("ZDDJ8"),
                                QStringLiteral("ZDJEDX"),   QStringLiteral("ZDPJBH"),
                                QStringLiteral("ZDREMARK"), QStringLiteral("ZDGKMC")};
        for (int i = 0; i < names.size(); ++i)
            f.addItem(names.at(i), i + 1, QStringLiteral("TEXT"), 1);
        f.addLayout(QStringLiteral("zdPJBH"));
        f.addLayout(QStringLiteral("zdDJ1"));
        f.addItem(QStringLiteral("ZDDJ1"), 10);
        f.addLayout(QStringLiteral("zdRemark"));
        entry.edit(QStringLiteral("zdPJBH"), QStringLiteral("NO.1"));
        entry.edit(QStringLiteral("zdDJ1"), QStringLiteral("9.50"))->setVisible(priceShown);
        entry.edit(QStringLiteral("zdRemark"), QStringLiteral("备注"));
        BillPrinter job(f.home.app(), f.device, &entry.form);
        QVERIFY(job.printCurrentBill(1));
        QList<int> stored;
        for (const QString& name : names)
            stored << f.printItemOf(name);
        QCOMPARE(stored, flags);
        QStringList printed;
        for (const auto& t : f.device.texts)
            printed << t.text;
        QCOMPARE(printed, texts);
    }

    void severalBillsInOneJob() {
        PrintFixture f;
        QVERIFY(f.home.isValid());
        EntryForm entry;
        QLineEdit* name = entry.edit(QStringLiteral("zdGKMC"), QStringLiteral("甲"));
        f.addItem(QStringLiteral("ZDGKMC"), 1);
        f.addLayout(QStringLiteral("zdGKMC"));
        BillPrinter job(f.home.app(), f.device, &entry.form);
        QVERIFY(job.PrintPrepare());
        job.PrinterTransBegin(0);
        job.SendCheckToPrinter(0);
        job.NewCheckPage();
        name->setText(QStringLiteral("乙"));
        job.SendCheckToPrinter(0);
        job.PrinterTransEnd();
        QCOMPARE(f.device.events.filter(QRegularExpression(QStringLiteral("^(begin|newPage|end)$"))),
                 (QStringList{QStringLiteral("begin"), QStringLiteral("newPage"), QStringLiteral("end")}));
        QCOMPARE(f.device.texts.size(), 2);
        QCOMPARE(f.device.texts.at(0).page, 1);
        QCOMPARE(f.device.texts.at(1).page, 2);
        QCOMPARE(f.device.texts.at(1).text, QStringLiteral("乙"));
        // After the end, and after an abort, the job calls do nothing.
        job.SendCheckToPrinter(0);
        job.NewCheckPage();
        QCOMPARE(f.device.texts.size(), 2);
        QVERIFY(job.PrintPrepare());
        job.PrinterTransBegin(1);
        job.AbortPrint();
        job.PrinterTransEnd();
        QVERIFY(!f.device.isPrinting());
        QCOMPARE(f.device.events.last(), QStringLiteral("abort"));
        QVERIFY(f.home.dialogs().shown.isEmpty());
    }

    void currencyOfTheBill() {
        PrintFixture f;
        QVERIFY(f.home.isValid());
        f.home.db().exec(QStringLiteral("delete from coins where 币种=:n"),
                         {{QStringLiteral("n"), QStringLiteral("美元")}});
        f.insert(QStringLiteral("coins"), {{QStringLiteral("币种"), QStringLiteral("美元")},
                                           {QStringLiteral("缩写"), QStringLiteral("USD")}});
        EntryForm entry;
        auto* money = new QComboBox(&entry.form);
        money->setObjectName(QStringLiteral("cfgMoneyType"));
        money->addItem(QStringLiteral("美元"));
        entry.edit(QStringLiteral("zdBZ"), QStringLiteral("USD"));
        f.addItem(QStringLiteral("ZDBZ"), 1);
        f.addLayout(QStringLiteral("zdBZ"), {{QStringLiteral("CtlX"), 500}});
        f.addLayout(QStringLiteral("zdQY"), {{QStringLiteral("CtlX"), 800}});
        f.addLayout(QStringLiteral("zdBY"), {{QStringLiteral("CtlX"), 850}});
        BillPrinter job(f.home.app(), f.device, &entry.form);
        QVERIFY(job.printCurrentBill(1));
        QCOMPARE(f.home.app().moneyCode, QStringLiteral("USD"));
        QCOMPARE(f.home.app().cellWidth, 50);
        QCOMPARE(f.drawn(), QStringList{QStringLiteral("454,200,10:USD")}); // 500 + 4 - 50
    }

    // The pages of one job print each their own currency; what the designer or the currency
    // list changed between two jobs prints in the next one.
    void eachJobReadsLayoutAndCurrencies() {
        PrintFixture f;
        QVERIFY(f.home.isValid());
        for (const auto& [name, code] : {std::pair{QStringLiteral("美元"), QStringLiteral("USD")},
                                         std::pair{QStringLiteral("欧元"), QStringLiteral("EUR")}}) {
            f.home.db().exec(QStringLiteral("delete from coins where 币种=:n"),
                             {{QStringLiteral("n"), name}});
            f.insert(QStringLiteral("coins"),
                     {{QStringLiteral("币种"), name}, {QStringLiteral("缩写"), code}});
        }
        EntryForm entry;
        auto* money = new QComboBox(&entry.form);
        money->setObjectName(QStringLiteral("cfgMoneyType"));
        money->addItems({QStringLiteral("美元"), QStringLiteral("欧元")});
        QLineEdit* code = entry.edit(QStringLiteral("zdBZ"), QStringLiteral("USD"));
        f.addItem(QStringLiteral("ZDBZ"), 1);
        f.addLayout(QStringLiteral("zdBZ"), {{QStringLiteral("CtlX"), 500}});
        f.addLayout(QStringLiteral("zdQY"), {{QStringLiteral("CtlX"), 800}});
        f.addLayout(QStringLiteral("zdBY"), {{QStringLiteral("CtlX"), 850}});
        BillPrinter job(f.home.app(), f.device, &entry.form);
        QVERIFY(job.PrintPrepare());
        job.PrinterTransBegin(0);
        job.SendCheckToPrinter(0);
        job.NewCheckPage();
        money->setCurrentIndex(1);
        code->setText(QStringLiteral("EUR"));
        job.SendCheckToPrinter(0);
        job.PrinterTransEnd();

        f.home.db().exec(QStringLiteral("update CkControl set CtlX=600 where CtlName='zdBZ'"));
        f.home.db().exec(QStringLiteral("update CkControl set CtlX=860 where CtlName='zdBY'"));
        f.home.db().exec(QStringLiteral("update coins set 缩写='US$' where 币种='美元'"));
        money->setCurrentIndex(0);
        code->setText(QStringLiteral("US$"));
        QVERIFY(job.printCurrentBill(1));
        QCOMPARE(f.drawn(), (QStringList{QStringLiteral("454,200,10:USD"), QStringLiteral("454,200,10:EUR"),
                                         QStringLiteral("544,200,10:US$")})); // 600 + 4 - 60
        QVERIFY(f.home.dialogs().shown.isEmpty());
    }

    void cellsWidth_data() {
        QTest::addColumn<QList<int>>("xs"); // ctlx of zdQY, zdBY; -1 = no row
        QTest::addColumn<int>("width");
        QTest::newRow("both") << QList<int>{800, 770} << 30;
        QTest::newRow("only one") << QList<int>{800, -1} << 35;
        QTest::newRow("neither") << QList<int>{-1, -1} << 35;
        QTest::newRow("reversed") << QList<int>{700, 760} << 60;
    }
    void cellsWidth() {
        QFETCH(QList<int>, xs);
        QFETCH(int, width);
        PrintFixture f;
        QVERIFY(f.home.isValid());
        if (xs[0] >= 0)
            f.addLayout(QStringLiteral("zdQY"), {{QStringLiteral("CtlX"), xs[0]}});
        if (xs[1] >= 0)
            f.addLayout(QStringLiteral("zdBY"), {{QStringLiteral("CtlX"), xs[1]}});
        QCOMPARE(print::PrintLookups::getCellsWidth(f.home.db(), PrintFixture::kTemplate,
                                                    QStringLiteral("zdQY"), QStringLiteral("zdBY"), 35),
                 width);
    }
};

OVERPRINT_TEST(TestBillPrinter)
#include "TestBillPrinter.moc"
