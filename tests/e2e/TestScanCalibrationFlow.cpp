#include "print/MeasuredCalibration.h"
#include "print/QtPrintDevice.h"
#include "print/TemplatePaperSwitch.h"
#include "print/TestPage.h"
#include "print/ui/TfrmMeasuredCalibration.h"
#include "support/PdfWords.h"
#include "support/ScanSimulator.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

constexpr int kDpi = 600;

QImage raster(const QString& pdf) {
    const QString png = pdf + QStringLiteral(".ink");
    if (QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-gray"),
                           QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, png}) != 0)
        return {};
    return QImage(png + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
}

// The middle of the ink inside a box of the page (millimetres), weighed by how dark it is: it
// moves with the value however the value is turned or stretched.
std::optional<QPointF> inkCentre(const QImage& page, const QRectF& mm) {
    const double k = kDpi / 25.4;
    const QRect box = QRect(QPoint(int(mm.left() * k), int(mm.top() * k)),
                            QPoint(int(mm.right() * k), int(mm.bottom() * k)))
                          .intersected(page.rect());
    double sum = 0;
    double sx = 0;
    double sy = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const uchar* row = page.constScanLine(y);
        for (int x = box.left(); x <= box.right(); ++x) {
            const double ink = 255 - row[x];
            sum += ink;
            sx += ink * (x + 0.5);
            sy += ink * (y + 0.5);
        }
    }
    if (sum < 255 * 4)
        return std::nullopt;
    return QPointF(sx / sum / k, sy / sum / k);
}

// A word that occurs once on the page, so that it names one value.
const PdfWords::Word* only(const PdfWords& pdf, const QString& text) {
    const PdfWords::Word* found = nullptr;
    for (const PdfWords::Word& w : pdf.words)
        if (w.text == text) {
            if (found)
                return nullptr;
            found = &w;
        }
    return found;
}

} // namespace

// A worn printer calibrated from a scan of its page printed on the form, the clerk's way: the
// page printed, laid on the glass anywhere and a little askew, opened in "从扫描图校准", saved;
// then every value of the template's test page, printed under the stored correction and read back
// from the page, lands on its place on the form once the worn printer has moved it.
class TestScanCalibrationFlow : public QObject {
    Q_OBJECT

private slots:
    void valuesLandOnTheForm() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        TestHome home;
        QVERIFY(home.isValid());
        QTemporaryDir dir;
        QVector<double> errors;
        for (const int id : {1, 2}) {
            home.app().currentCheckTypeId = id;
            const scansim::PrintedPage printed = scansim::printCalibrationPage(home.app(), id, dir.path());
            QVERIFY2(printed.error.isEmpty(), qPrintable(printed.error));
            // The printer the page went to is a PDF file: the same file prints the values.
            const QString pdf = dir.filePath(QStringLiteral("calibration-%1.pdf").arg(id));
            auto device = [&pdf] {
                auto d = std::make_unique<print::QtPrintDevice>(pdf);
                d->setPdfMargins(QMarginsF(3, 3, 3, 3));
                return d;
            };
            home.app().setCurrentPrinter(QString());

            // Where every value belongs: printed by a true printer, with nothing stored.
            {
                auto d = device();
                QVERIFY(print::TestPage::print(home.app(), *d, id, print::TestPage::Mode::Values));
            }
            const QString nominalPdf = dir.filePath(QStringLiteral("nominal-%1.pdf").arg(id));
            QVERIFY(QFile::copy(pdf, nominalPdf));

            const scansim::WornPrinter worn = scansim::WornPrinter::seeded(unsigned(50 + id), 0.1);
            scansim::Scanner scanner;
            scanner.turnDegrees = id == 1 ? 4.6 : -2.3;
            scanner.paperCentreMm = id == 1 ? QPointF(140, 100) : QPointF(160, 90);
            scanner.seed = unsigned(id);
            const scansim::Scan scanned = scansim::scan(printed, worn, scanner);
            const QString scanFile = dir.filePath(QStringLiteral("scan-%1.jpg").arg(id));
            {
                QFile out(scanFile);
                QVERIFY(out.open(QIODevice::WriteOnly));
                out.write(scanned.jpeg);
            }

            {
                auto d = device();
                print::ui::TfrmMeasuredCalibration window(home.app(), *d);
                QCOMPARE(window.findChild<QComboBox*>(QStringLiteral("cbTemplate"))->currentData().toInt(),
                         id);
                QCOMPARE(window.page().code(), printed.page.code());
                window.measureScanFile(scanFile);
                auto* save = window.findChild<QPushButton*>(QStringLiteral("btSave"));
                QVERIFY2(save->isEnabled(),
                         qPrintable(window.findChild<QLabel*>(QStringLiteral("lbResult"))->text()));
                QTest::mouseClick(save, Qt::LeftButton);
                QVERIFY(window.findChild<QLabel*>(QStringLiteral("lbInForce"))
                            ->text()
                            .contains(QStringLiteral("扫描")));
            }
            {
                auto d = device();
                QVERIFY(print::TestPage::print(home.app(), *d, id, print::TestPage::Mode::Values));
                QVERIFY(!d->correction().isIdentity());
            }

            const PdfWords nominal = PdfWords::read(nominalPdf);
            const PdfWords corrected = PdfWords::read(pdf);
            QVERIFY2(nominal.error.isEmpty() && corrected.error.isEmpty(),
                     qPrintable(nominal.error + corrected.error));
            const QImage nominalInk = raster(nominalPdf);
            const QImage correctedInk = raster(pdf);
            QVERIFY(!nominalInk.isNull() && !correctedInk.isNull());
            int values = 0;
            for (const PdfWords::Word& w : nominal.words) {
                const PdfWords::Word* c = only(corrected, w.text);
                if (!c || only(nominal, w.text) != &w)
                    continue;
                const auto margin = QMarginsF(1, 1, 1, 1);
                const std::optional<QPointF> want = inkCentre(
                    nominalInk, QRectF(QPointF(w.left, w.top), QPointF(w.right, w.bottom)) + margin);
                const std::optional<QPointF> sent = inkCentre(
                    correctedInk, QRectF(QPointF(c->left, c->top), QPointF(c->right, c->bottom)) + margin);
                QVERIFY2(want && sent, qPrintable(w.text));
                errors << QLineF(worn.land(*sent), *want).length();
                ++values;
            }
            QVERIFY2(values >= 10, qPrintable(QStringLiteral("template %1: %2 values").arg(id).arg(values)));
        }
        std::sort(errors.begin(), errors.end());
        const double worst = errors.last();
        const double p95 = errors[qsizetype(0.95 * (errors.size() - 1))];
        qInfo("%lld values: 95th percentile %.3f mm, worst %.3f mm", qlonglong(errors.size()), p95, worst);
        QVERIFY2(worst <= 0.2 && p95 <= 0.1,
                 qPrintable(QStringLiteral("p95 %1 mm, worst %2 mm").arg(p95).arg(worst)));
    }
};

OVERPRINT_TEST(TestScanCalibrationFlow)
#include "TestScanCalibrationFlow.moc"
