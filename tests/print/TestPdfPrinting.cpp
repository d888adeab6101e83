#include "PrintedBill.h"
#include "print/QtPrintDevice.h"
#include "support/PdfWords.h"
#include "support/TestRegistry.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

// The Qt device writing a PDF, read back with pdftotext: every value must land where the
// geometry says, with printable-area margins that differ horizontally and vertically.
class TestPdfPrinting : public QObject {
    Q_OBJECT

private slots:
    void positionsOnPaper_data() {
        QTest::addColumn<QString>("hvPrint");
        QTest::addColumn<double>("paperWidth");
        QTest::newRow("portrait") << QStringLiteral("0") << 210.0;
        QTest::newRow("landscape") << QStringLiteral("1") << 297.0;
    }
    void positionsOnPaper() {
        QFETCH(QString, hvPrint);
        QFETCH(double, paperWidth);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        PrintFixture f;
        QVERIFY(f.home.isValid());
        const int xMove = 35;
        const int yMove = -20;
        f.placeTemplate(xMove, yMove, hvPrint);
        PrintedBill bill(f);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("bill.pdf"));
        print::QtPrintDevice device(pdf);
        device.printer().setPageSize(QPageSize(QPageSize::A4));
        device.setPdfMargins(QMarginsF(4, 9, 4, 9));
        print::BillPrinter job(f.home.app(), device, &bill.form);
        QVERIFY(job.printCurrentBill(1));
        QVERIFY2(f.home.dialogs().shown.isEmpty(),
                 qPrintable(f.home.dialogs().texts().join(QLatin1Char('|'))));

        const print::DeviceMetrics m = print::PrintGeometry::metrics(device);
        QVERIFY(m.offsetX != m.offsetY); // so that crossing the offsets shows
        const PdfWords words = PdfWords::read(pdf);
        QVERIFY2(words.error.isEmpty(), qPrintable(words.error));
        QCOMPARE(words.pages.size(), 1);
        QVERIFY(qAbs(words.pages.first().width - paperWidth) < 0.5);
        QVector<double> topResidues;
        for (const PrintedBill::Value& v : bill.values) {
            const PdfWords::Word* w = words.find(v.text);
            QVERIFY2(w, qPrintable(QStringLiteral("not printed: ") + v.text + QStringLiteral(" in ") +
                                   words.texts()));
            const QPointF want = PrintedBill::expectedMm(v, xMove, yMove, m);
            QVERIFY2(
                qAbs(w->left - want.x()) <= 0.3,
                qPrintable(
                    QStringLiteral("%1 left %2 mm, expected %3").arg(v.text).arg(w->left).arg(want.x())));
            QVERIFY2(qAbs(w->top - want.y()) <= 0.5,
                     qPrintable(
                         QStringLiteral("%1 top %2 mm, expected %3").arg(v.text).arg(w->top).arg(want.y())));
            topResidues << w->top - want.y();
        }
        // The reader's top comes from the font's own ascent, a constant apart from the one the
        // text is drawn with; any item placed wrongly would stand out from that constant.
        const auto [low, high] = std::minmax_element(topResidues.cbegin(), topResidues.cend());
        QVERIFY2(*high - *low <= 0.1, qPrintable(QStringLiteral("tops spread %1 mm").arg(*high - *low)));
    }
};

OVERPRINT_TEST(TestPdfPrinting)
#include "TestPdfPrinting.moc"
