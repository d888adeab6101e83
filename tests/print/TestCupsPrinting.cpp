#include "PrintedBill.h"
#include "print/PrintLookups.h"
#include "print/QtPrintDevice.h"
#include "support/CupsPdfOutput.h"
#include "support/PdfWords.h"
#include "support/TestRegistry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

// A bill printed through the CUPS queue BillPDF (cups-pdf), read back from the PDF it writes.
// The spooler's PDF carries the glyphs but not their characters (its converter re-encodes the
// fonts), so each value is identified by the word or glyph that starts at its place: every
// value must have its own there, with nothing just before it on its line.
class TestCupsPrinting : public QObject {
    Q_OBJECT

private slots:
    void positionsOnPaper_data() {
        QTest::addColumn<QString>("hvPrint");
        QTest::addColumn<bool>("landscape");
        QTest::newRow("portrait") << QStringLiteral("0") << false;
        QTest::newRow("landscape") << QStringLiteral("1") << true;
    }
    void positionsOnPaper() {
        QFETCH(QString, hvPrint);
        QFETCH(bool, landscape);
        if (const QString reason = cups_pdf::unavailableReason(); !reason.isEmpty())
            QSKIP(qPrintable(reason));

        PrintFixture f;
        QVERIFY(f.home.isValid());
        const int xMove = -45;
        const int yMove = 60;
        f.placeTemplate(xMove, yMove, hvPrint);
        f.home.app().setCurrentPrinter(cups_pdf::queue());
        PrintedBill bill(f);
        // The converter's PDF never reads back the first glyph it encoded, so a mark that is
        // not checked goes first.
        auto* mark = new QLineEdit(QStringLiteral("Z"), bill.panel);
        mark->setObjectName(QStringLiteral("zdMark"));
        f.addItem(QStringLiteral("ZDMARK"), 0);
        f.addLayout(QStringLiteral("zdMark"),
                    {{QStringLiteral("CtlX"), 100}, {QStringLiteral("CtlY"), 1400}});
        print::QtPrintDevice device;
        device.printer().setPageSize(QPageSize(QPageSize::A4));

        const QStringList folders = cups_pdf::outputFolders();
        const QSet<QString> before = cups_pdf::pdfsIn(folders);
        print::BillPrinter job(f.home.app(), device, &bill.form);
        QVERIFY(job.printCurrentBill(1));
        QCOMPARE(device.printerName(), cups_pdf::queue());
        QVERIFY2(f.home.dialogs().shown.isEmpty(),
                 qPrintable(f.home.dialogs().texts().join(QLatin1Char('|'))));
        const print::DeviceMetrics m = print::PrintGeometry::metrics(device);

        const QString pdf = cups_pdf::waitForNewPdf(folders, before, device.title(), 60000);
        QVERIFY2(!pdf.isEmpty(),
                 qPrintable(QStringLiteral("no PDF appeared in ") + folders.join(QLatin1Char(' '))));
        const PdfWords words = PdfWords::read(pdf);
        QFile::remove(pdf);
        QVERIFY2(words.error.isEmpty(), qPrintable(words.error));
        QCOMPARE(words.pages.size(), 1);
        const auto& page = words.pages.first();
        // Landscape goes to the portrait paper turned a quarter: the text runs upwards, one
        // word per glyph, x being the baseline and y the glyph's start.
        QVERIFY(page.width < page.height);
        QFont font(QStringLiteral("宋体"));
        font.setPixelSize(qRound(11 * m.dpiY / 72.0));
        const double ascent = QFontMetrics(font, &device.printer()).ascent() * 25.4 / m.dpiY;
        QVector<QPointF> starts; // left and top of every word or glyph, in the page's own frame
        for (const PdfWords::Word& w : words.words)
            starts << (landscape ? QPointF(page.height - w.top, w.left - ascent) : QPointF(w.left, w.top));

        QVector<double> topResidues;
        QSet<int> used;
        for (const PrintedBill::Value& v : bill.values) {
            const QPointF want = PrintedBill::expectedMm(v, xMove, yMove, m);
            int nearest = -1;
            double distance = 1e9;
            for (int i = 0; i < starts.size(); ++i) {
                const double d = qAbs(starts[i].x() - want.x()) + qAbs(starts[i].y() - want.y());
                if (d < distance) {
                    distance = d;
                    nearest = i;
                }
            }
            QVERIFY2(nearest >= 0, "nothing printed");
            const QPointF got = starts.at(nearest);
            QVERIFY2(!used.contains(nearest), qPrintable(v.text + QStringLiteral(" shares its word")));
            used.insert(nearest);
            QVERIFY2(
                qAbs(got.x() - want.x()) <= 0.3,
                qPrintable(
                    QStringLiteral("%1 left %2 mm, expected %3").arg(v.text).arg(got.x()).arg(want.x())));
            QVERIFY2(qAbs(got.y() - want.y()) <= 0.5,
                     qPrintable(
                         QStringLiteral("%1 top %2 mm, expected %3").arg(v.text).arg(got.y()).arg(want.y())));
            // Nothing printed just before it on its line: it is where the value begins.
            for (const QPointF& other : starts)
                QVERIFY2(
                    !(qAbs(other.y() - got.y()) < 0.2 && other.x() < got.x() && other.x() > got.x() - 2.0),
                    qPrintable(v.text + QStringLiteral(" does not start where expected")));
            topResidues << got.y() - want.y();
        }
        const auto [low, high] = std::minmax_element(topResidues.cbegin(), topResidues.cend());
        QVERIFY2(*high - *low <= 0.1, qPrintable(QStringLiteral("tops spread %1 mm").arg(*high - *low)));
    }

    // Tick items on the template's own paper (a 241 × 93 mm continuous form): the page has
    // that size, the ticked item leaves its mark, the unticked one nothing. Looked for in the
    // ink of the page the queue wrote.
    void tickItemsOnTemplatePaper() {
        if (const QString reason = cups_pdf::unavailableReason(); !reason.isEmpty())
            QSKIP(qPrintable(reason));
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        PrintFixture f;
        QVERIFY(f.home.isValid());
        f.home.app().setCurrentPrinter(cups_pdf::queue());
        QWidget form;
        auto* panel = new QWidget(&form);
        panel->setObjectName(QStringLiteral("panelImgBg"));
        auto* variant = new QComboBox(&form);
        variant->setObjectName(QStringLiteral("cbFirstTypeName"));
        variant->addItem(QStringLiteral("勾选"));
        auto* mark = new QLineEdit(QStringLiteral("Z"), panel);
        mark->setObjectName(QStringLiteral("zdMark"));
        f.addItem(QStringLiteral("ZDMARK"), 0);
        f.addLayout(QStringLiteral("zdMark"), {{QStringLiteral("CtlX"), 100}, {QStringLiteral("CtlY"), 100}});
        f.home.db().exec(
            QStringLiteral("update CKTypeTable set PWidth=2410, PHeight=930 where CheckTypeID=:id"),
            {{QStringLiteral("id"), PrintFixture::kTemplate}});
        QVERIFY(f.home.app().templates().setCheckConfigByName(
            PrintFixture::kTemplate, print::PrintLookups::kTemplatePaperOption, QStringLiteral("1")));
        const PrintedBill::Value ticked{QStringLiteral("defCheck0"), QStringLiteral("√"), 400, 300};
        const PrintedBill::Value unticked{QStringLiteral("defCheck1"), QString(), 800, 300};
        for (const PrintedBill::Value& v : {ticked, unticked}) {
            auto* box = new QCheckBox(QStringLiteral("现金"), panel);
            box->setObjectName(v.name);
            box->setChecked(!v.text.isEmpty());
            f.addItem(v.name.toUpper(), 1, QStringLiteral("CHECKBOX"));
            f.addLayout(v.name, {{QStringLiteral("CtlType"), QStringLiteral("CHECKBOX")},
                                 {QStringLiteral("CtlX"), v.x},
                                 {QStringLiteral("CtlY"), v.y},
                                 {QStringLiteral("CtlFontSize"), 11}});
        }
        print::QtPrintDevice device;
        device.printer().setPageSize(QPageSize(QPageSize::A4));
        const QStringList folders = cups_pdf::outputFolders();
        const QSet<QString> before = cups_pdf::pdfsIn(folders);
        print::BillPrinter job(f.home.app(), device, &form);
        QVERIFY(job.PrintPrepare());
        job.PrinterTransBegin(1);
        const print::DeviceMetrics m = print::PrintGeometry::metrics(device);
        job.SendCheckToPrinter(0);
        job.PrinterTransEnd();
        QVERIFY2(f.home.dialogs().shown.isEmpty(),
                 qPrintable(f.home.dialogs().texts().join(QLatin1Char('|'))));
        QCOMPARE(device.paper().size.id(), QPageSize::A4); // the printer's own paper again
        const QString pdf = cups_pdf::waitForNewPdf(folders, before, device.title(), 60000);
        QVERIFY2(!pdf.isEmpty(), "no PDF appeared");
        const PdfWords words = PdfWords::read(pdf);
        QCOMPARE(words.pages.size(), 1);
        // The spooler's PDF measures its page in whole points.
        const PdfWords::Page sheet = words.pages.first();
        QVERIFY2(qAbs(sheet.width - 241) < 0.5 && qAbs(sheet.height - 93) < 0.5,
                 qPrintable(QStringLiteral("page %1 × %2 mm").arg(sheet.width).arg(sheet.height)));
        QTemporaryDir scratch;
        const QString png = scratch.filePath(QStringLiteral("page"));
        const int run = QProcess::execute(QStringLiteral("pdftoppm"),
                                          {QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("150"),
                                           QStringLiteral("-gray"), QStringLiteral("-png"),
                                           QStringLiteral("-singlefile"), pdf, png});
        QFile::remove(pdf);
        QCOMPARE(run, 0);
        const QImage page(png + QStringLiteral(".png"));
        QVERIFY(!page.isNull());
        // The ink within the item's line box (an 11 pt em is 3.9 mm) from its top-left, in mm.
        auto inkAt = [&page](const QPointF& mm) {
            const double px = 150 / 25.4;
            QRect ink;
            for (int y = int(mm.y() * px); y < int((mm.y() + 5.5) * px); ++y)
                for (int x = int(mm.x() * px); x < int((mm.x() + 4.0) * px); ++x)
                    if (page.valid(x, y) && qGray(page.pixel(x, y)) < 128)
                        ink |= QRect(x, y, 1, 1);
            return QSizeF(ink.width() / px, ink.height() / px);
        };
        // A tick is as tall as it is wide, not a dash.
        const QSizeF tick = inkAt(PrintedBill::expectedMm(ticked, 0, 0, m));
        QVERIFY2(tick.height() > 2.0 && tick.width() > 1.5,
                 qPrintable(QStringLiteral("ticked: ink %1 × %2 mm").arg(tick.width()).arg(tick.height())));
        QCOMPARE(inkAt(PrintedBill::expectedMm(unticked, 0, 0, m)), QSizeF(0, 0));
    }
};

OVERPRINT_TEST(TestCupsPrinting)
#include "TestCupsPrinting.moc"
