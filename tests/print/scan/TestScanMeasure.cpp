#include "print/MeasuredCalibration.h"
#include "print/scan/ScanMeasure.h"
#include "support/ScanSimulator.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QLineF>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <map>
#include <memory>

using print::MeasuredCalibration;
using print::scan::measureScan;

namespace {

// The worst distance between where a grid over the crosses' span lands through the correction
// and where it should.
double worstLanding(const scansim::WornPrinter& printer, const QTransform& correction,
                    const QVector<QPointF>& crosses) {
    double worst = 0;
    const QPointF first = crosses.front();
    const QPointF last = crosses.back();
    for (int i = 0; i <= 10; ++i)
        for (int j = 0; j <= 10; ++j) {
            const QPointF p(first.x() + (last.x() - first.x()) * i / 10,
                            first.y() + (last.y() - first.y()) * j / 10);
            worst = std::max(worst, QLineF(printer.land(correction.map(p)), p).length());
        }
    return worst;
}

} // namespace

class TestScanMeasure : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    QTemporaryDir m_dir;
    std::map<int, scansim::PrintedPage> m_printed;

    // Each template's page is printed once: the worn printers and scanners differ after that.
    const scansim::PrintedPage& printed(int templateId) {
        auto it = m_printed.find(templateId);
        if (it == m_printed.end())
            it = m_printed
                     .emplace(templateId,
                              scansim::printCalibrationPage(m_home->app(), templateId, m_dir.path()))
                     .first;
        return it->second;
    }

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        m_home = std::make_unique<TestHome>();
        QVERIFY2(m_home->isValid(), qPrintable(m_home->error()));
        for (int id : {1, 2})
            QVERIFY2(printed(id).error.isEmpty(), qPrintable(printed(id).error));
    }

    // Worn printers and careless placements on the glass: every cross is found within 0.05 mm of
    // where it truly is, and the correction fitted to them puts the page back within 0.1 mm.
    void measuresWornPrinters_data() {
        QTest::addColumn<int>("templateId");
        QTest::addColumn<unsigned>("seed");
        QTest::addColumn<double>("turn");
        QTest::addColumn<QPointF>("placed");
        QTest::addColumn<QSizeF>("glass");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<bool>("dpiKnown"); // whether the file says
        QTest::addColumn<bool>("grey");
        const QSizeF landscape(297, 210);
        const QSizeF portrait(216, 297);
        QTest::newRow("标准, turned 3°")
            << 1 << 1u << 3.0 << QPointF(150, 105) << landscape << 300 << true << false;
        QTest::newRow("标准, turned −5°, dpi unknown")
            << 1 << 2u << -5.0 << QPointF(136, 92) << landscape << 300 << false << false;
        QTest::newRow("标准, square in a corner")
            << 1 << 3u << 0.0 << QPointF(125, 75) << landscape << 300 << true << false;
        QTest::newRow("标准, along a portrait glass, 250 dpi unknown")
            << 1 << 6u << 92.0 << QPointF(100, 150) << portrait << 250 << false << false;
        QTest::newRow("标准, in shades of grey")
            << 1 << 8u << 2.0 << QPointF(150, 100) << landscape << 300 << true << true;
        QTest::newRow("三联241, in shades of grey")
            << 2 << 9u << -2.5 << QPointF(150, 110) << landscape << 300 << true << true;
        QTest::newRow("三联241, turned 1.5°")
            << 2 << 4u << 1.5 << QPointF(160, 120) << landscape << 300 << true << false;
        QTest::newRow("三联241, turned −4°, dpi unknown")
            << 2 << 5u << -4.0 << QPointF(140, 60) << landscape << 300 << false << false;
    }
    void measuresWornPrinters() {
        QFETCH(int, templateId);
        QFETCH(unsigned, seed);
        QFETCH(double, turn);
        QFETCH(QPointF, placed);
        QFETCH(QSizeF, glass);
        QFETCH(int, dpi);
        QFETCH(bool, dpiKnown);
        QFETCH(bool, grey);
        const scansim::PrintedPage& page = printed(templateId);
        // A wave of 0.05 mm: an affine correction leaves a wave of 0.1 mm at about 0.1 mm on its own.
        const scansim::WornPrinter printer = scansim::WornPrinter::seeded(seed, 0.05);
        scansim::Scanner scanner;
        scanner.turnDegrees = turn;
        scanner.paperCentreMm = placed;
        scanner.glassMm = glass;
        scanner.dpi = dpi;
        scanner.seed = seed;
        scanner.grey = grey;
        const scansim::Scan scan = scansim::scan(page, printer, scanner);

        const print::scan::ScanMeasurement m =
            measureScan(scan.image, dpiKnown ? dpi : 0, page.form, page.page);
        QVERIFY2(m.ok(), qPrintable(m.error));
        double worst = 0;
        for (int i = 0; i < page.page.crosses.size(); ++i) {
            QVERIFY2(m.crossesMm[i], qPrintable(QStringLiteral("cross %1 not found").arg(i + 1)));
            worst = std::max(worst, QLineF(*m.crossesMm[i], scan.truthMm[i]).length());
        }
        QVERIFY2(worst <= 0.05, qPrintable(QStringLiteral("a cross %1 mm off").arg(worst)));

        const MeasuredCalibration::Fit fit = MeasuredCalibration::solve(page.page.crosses, m.crossesMm);
        QVERIFY2(fit.ok(), qPrintable(fit.error));
        const double landing = worstLanding(printer, fit.correction, page.page.crosses);
        QVERIFY2(landing <= 0.1,
                 qPrintable(QStringLiteral("the corrected page lands %1 mm off").arg(landing)));
    }

    // Scans that cannot be measured are refused with the reason, and no crosses.
    void refusals_data() {
        QTest::addColumn<int>("printedOn");
        QTest::addColumn<int>("measuredAgainst");
        QTest::addColumn<double>("blurMm");
        QTest::addColumn<bool>("upsideDown");
        QTest::addColumn<QVector<int>>("blanked");
        QTest::addColumn<QString>("reason");
        QTest::newRow("三联241 against 标准")
            << 2 << 1 << 0.06 << false << QVector<int>{} << QStringLiteral("对不上");
        QTest::newRow("标准 against 三联241")
            << 1 << 2 << 0.06 << false << QVector<int>{} << QStringLiteral("对不上");
        QTest::newRow("heavily blurred")
            << 1 << 1 << 0.6 << false << QVector<int>{} << QStringLiteral("模糊");
        QTest::newRow("upside down") << 2 << 2 << 0.06 << true << QVector<int>{} << QStringLiteral("倒");
        QTest::newRow("six crosses blanked out")
            << 1 << 1 << 0.06 << false << QVector<int>{0, 1, 2, 4, 6, 8} << QStringLiteral("只找到 3 个十字");
    }
    void refusals() {
        QFETCH(int, printedOn);
        QFETCH(int, measuredAgainst);
        QFETCH(double, blurMm);
        QFETCH(bool, upsideDown);
        QFETCH(QVector<int>, blanked);
        QFETCH(QString, reason);
        scansim::Scanner scanner;
        scanner.turnDegrees = 2;
        scanner.blurMm = blurMm;
        scanner.upsideDown = upsideDown;
        scanner.blankCrosses = blanked;
        const scansim::Scan scan =
            scansim::scan(printed(printedOn), scansim::WornPrinter::seeded(7), scanner);
        const scansim::PrintedPage& against = printed(measuredAgainst);
        const print::scan::ScanMeasurement m = measureScan(scan.image, 300, against.form, against.page);
        QVERIFY(!m.ok());
        QVERIFY2(m.error.contains(reason), qPrintable(m.error));
    }

    // Whatever the file held, the answer is a refusal, not a crash.
    void imagesWithNoFormRefused_data() {
        QTest::addColumn<QImage>("scan");
        QImage white(2480, 3508, QImage::Format_RGB888);
        white.fill(Qt::white);
        QImage tiny(5, 3, QImage::Format_RGB888);
        tiny.fill(Qt::black);
        QImage noise(1200, 900, QImage::Format_RGB888);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y,
                               qRgb((x * 7919 + y * 104729) % 251, (x * 31 + y * 17) % 256, (x ^ y) & 255));
        QTest::newRow("white") << white;
        QTest::newRow("a few pixels") << tiny;
        QTest::newRow("noise") << noise;
        QTest::newRow("none") << QImage();
    }
    void imagesWithNoFormRefused() {
        QFETCH(QImage, scan);
        const scansim::PrintedPage& page = printed(1);
        for (double dpi : {300.0, 0.0}) {
            const print::scan::ScanMeasurement m = measureScan(scan, dpi, page.form, page.page);
            QVERIFY(!m.ok());
            QVERIFY2(m.error.contains(QStringLiteral("对不上")) || m.error.contains(QStringLiteral("空")),
                     qPrintable(m.error));
        }
    }

    // The picture for the window: each found cross ringed where it is on the scaled scan, the
    // refused one in red, one not found not at all.
    void drawsTheCrossesFound() {
        QImage scan(2000, 1000, QImage::Format_RGB888);
        scan.fill(Qt::white);
        print::scan::ScanMeasurement m;
        m.formMmToScan = QTransform::fromScale(10, 10); // 254 dpi, square on the glass
        const double nan = std::nan("");
        m.crossesPx = {QPointF(300, 200), QPointF(1500, 700), QPointF(nan, nan)};
        MeasuredCalibration::Fit fit;
        fit.refused = 1;
        fit.residuals = {0.02, 1.4, nan};
        const QImage out = print::scan::drawMeasurement(scan, m, fit, QSize(1000, 1000));
        QCOMPARE(out.size(), QSize(1000, 500));
        // A ring of 4 mm: 20 px on the half-size picture, left of each centre.
        const auto ring = [&out](QPointF centre) {
            const QColor c = out.pixelColor((centre / 2 - QPointF(20, 0)).toPoint());
            return c.red() > 150 && c.green() < 100   ? QStringLiteral("red")
                   : c.green() > 100 && c.red() < 100 ? QStringLiteral("green")
                                                      : c.name();
        };
        QCOMPARE(ring(m.crossesPx[0]), QStringLiteral("green"));
        QCOMPARE(ring(m.crossesPx[1]), QStringLiteral("red"));
        QCOMPARE(ring(QPointF(300, 700)), QStringLiteral("#ffffff"));
    }
};

OVERPRINT_TEST(TestScanMeasure)
#include "TestScanMeasure.moc"
