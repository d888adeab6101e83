#include "core/IniFile.h"
#include "print/MeasuredCalibration.h"
#include "print/QtPrintDevice.h"
#include "print/RecordingPrintDevice.h"
#include "print/TestPage.h"
#include "support/PdfWords.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <random>

using print::MeasuredCalibration;
using Readings = QVector<std::optional<QPointF>>;

namespace {

constexpr double kPi = 3.14159265358979323846;

// A printer that displaces what it prints as worn printers do: turned and sheared about its
// feed, stretched, shifted, and a little wavy where the paper slips, which no straight map
// expresses.
struct WornPrinter {
    double tx = 0;
    double ty = 0;
    double sx = 1;
    double sy = 1;
    double turn = 0;  // degrees
    double shear = 0; // degrees
    double wave = 0;  // mm

    QPointF land(const QPointF& p) const {
        const double t = turn * kPi / 180;
        const double k = std::tan(shear * kPi / 180);
        const double x = sx * p.x() + k * sy * p.y();
        const double y = sy * p.y();
        return {tx + x * std::cos(t) - y * std::sin(t) + wave * std::sin(p.y() / 37.0),
                ty + x * std::sin(t) + y * std::cos(t) + wave * std::cos(p.x() / 53.0)};
    }
};

const QSizeF kForm(241, 140);
const QSizeF kA4(210, 297);

MeasuredCalibration::Page pageOf(const QSizeF& paper) {
    return MeasuredCalibration::layout(paper, QRectF(QPointF(3, 3), paper - QSizeF(6, 6)));
}

Readings read(const WornPrinter& printer, const MeasuredCalibration::Page& page,
              const std::function<QPointF()>& noise = {}) {
    Readings out;
    for (const QPointF& c : page.crosses)
        out << printer.land(c) + (noise ? noise() : QPointF());
    return out;
}

// Every distance between where a grid of the paper lands through the correction and where it belongs.
QVector<double> errors(const WornPrinter& printer, const QTransform& correction, const QSizeF& paper) {
    QVector<double> out;
    for (double x = 10; x <= paper.width() - 10; x += paper.width() / 12)
        for (double y = 10; y <= paper.height() - 10; y += paper.height() / 12)
            out << QLineF(printer.land(correction.map(QPointF(x, y))), QPointF(x, y)).length();
    return out;
}

double percentile(QVector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min<qsizetype>(v.size() - 1, qsizetype(p * v.size()))];
}

// A device position (pixels from the printable area) on paper, in millimetres.
QPointF onPaper(const print::RecordingPrintDevice& d, const QPointF& px) {
    return {(px.x() + d.offsetX) * 25.4 / d.dpiX, (px.y() + d.offsetY) * 25.4 / d.dpiY};
}

// Where the recording device's marks land on paper: through the device's correction, then the printer.
QVector<QPointF> landings(const print::RecordingPrintDevice& d, const WornPrinter& printer,
                          bool corrected = true) {
    const QTransform t = MeasuredCalibration::devicePixels(corrected ? d.correction() : QTransform(), d);
    QVector<QPointF> out;
    for (const auto& text : d.texts)
        out << printer.land(onPaper(d, t.map(QPointF(text.x, text.y))));
    for (const auto& line : d.lines)
        out << printer.land(onPaper(d, t.map(QPointF(line.x1, line.y1))));
    return out;
}

// The page as the printer put it on paper, read by the clerk to a tenth of a millimetre: the
// crossing of each cross's two arms (the first two lines of its marks).
Readings readPrintedPage(const print::RecordingPrintDevice& d, const WornPrinter& printer, int crosses) {
    const int perCross = int(d.lines.size()) / crosses;
    const QTransform t = MeasuredCalibration::devicePixels(d.correction(), d);
    Readings out;
    for (int i = 0; i < crosses; ++i) {
        const auto& across = d.lines[perCross * i];
        const auto& down = d.lines[perCross * i + 1];
        const QPointF at = printer.land(onPaper(d, t.map(QPointF(down.x1, across.y1))));
        out << QPointF(std::round(at.x() * 10) / 10, std::round(at.y() * 10) / 10);
    }
    return out;
}

const WornPrinter kWorn{3.0, -2.0, 1.015, 0.992, 0.5, 0.5, 0};

} // namespace

class TestMeasuredCalibration : public QObject {
    Q_OBJECT

private slots:
    // The page reaches over the whole paper and stays inside what the printer can print.
    void pageCoversThePaper_data() {
        QTest::addColumn<QSizeF>("paper");
        QTest::addColumn<QRectF>("printable");
        QTest::newRow("241 form, tractor") << kForm << QRectF(0, 0, 241, 140);
        QTest::newRow("A4, laser margins") << kA4 << QRectF(4.2, 4.2, 201.6, 288.6);
        QTest::newRow("wide bottom margin") << QSizeF(241, 93) << QRectF(3, 3, 235, 70);
    }
    void pageCoversThePaper() {
        QFETCH(QSizeF, paper);
        QFETCH(QRectF, printable);
        const MeasuredCalibration::Page page = MeasuredCalibration::layout(paper, printable);
        QCOMPARE(page.crosses.size(), MeasuredCalibration::kCrossCount);
        QRectF spread;
        for (const QPointF& c : page.crosses) {
            const QRectF cross(c - QPointF(MeasuredCalibration::kArm, MeasuredCalibration::kArm),
                               QSizeF(2 * MeasuredCalibration::kArm, 2 * MeasuredCalibration::kArm));
            QVERIFY(printable.contains(cross));
            QVERIFY(!page.textMm.intersects(cross));
            spread = spread.isNull() ? QRectF(c, QSizeF(0.001, 0.001))
                                     : spread.united(QRectF(c, QSizeF(0.001, 0.001)));
        }
        QVERIFY(page.printableMm == printable);
        QVERIFY(spread.left() <= std::max(10.5, printable.left() + 7) &&
                spread.right() >= std::min(paper.width() - 10.5, printable.right() - 7));
        QVERIFY(spread.bottom() >= std::min(paper.height() - 10.5, printable.bottom() - 7));
        QVERIFY(page.textMm.width() > 40 && page.textMm.height() > 10);
    }

    // Exact readings give the printer back, whatever it did within the limits.
    void exactReadings_data() {
        QTest::addColumn<double>("tx");
        QTest::addColumn<double>("ty");
        QTest::addColumn<double>("sx");
        QTest::addColumn<double>("sy");
        QTest::addColumn<double>("turn");
        QTest::addColumn<double>("shear");
        QTest::newRow("true printer") << 0.0 << 0.0 << 1.0 << 1.0 << 0.0 << 0.0;
        QTest::newRow("shift only") << -4.5 << 6.25 << 1.0 << 1.0 << 0.0 << 0.0;
        QTest::newRow("worn tractor") << 3.0 << -2.0 << 1.015 << 0.992 << 0.5 << 0.0;
        QTest::newRow("half a degree of shear") << 0.0 << 0.0 << 1.0 << 1.0 << 0.0 << 0.5;
        QTest::newRow("at the limits") << 5.0 << -5.0 << 0.901 << 1.099 << 2.99 << -2.99;
    }
    void exactReadings() {
        QFETCH(double, tx);
        QFETCH(double, ty);
        QFETCH(double, sx);
        QFETCH(double, sy);
        QFETCH(double, turn);
        QFETCH(double, shear);
        const WornPrinter printer{tx, ty, sx, sy, turn, shear, 0};
        for (const QSizeF& paper : {kForm, kA4}) {
            const MeasuredCalibration::Page page = pageOf(paper);
            const MeasuredCalibration::Fit fit =
                MeasuredCalibration::solve(page.crosses, read(printer, page));
            QVERIFY2(fit.ok(), qPrintable(fit.error));
            QCOMPARE(fit.used, 9);
            QVERIFY(std::abs(fit.scaleX - sx) < 1e-9);
            QVERIFY(std::abs(fit.turnDegrees - turn) < 1e-6);
            QVERIFY2(std::abs(fit.shearDegrees - shear) < 1e-6,
                     qPrintable(QString::number(fit.shearDegrees)));
            for (double r : fit.residuals)
                QVERIFY(r < 1e-9);
            QVERIFY(percentile(errors(printer, fit.correction, paper), 1.0) < 1e-6);
        }
    }

    // Each refusal, with the crosses the clerk would have typed; nothing is corrected.
    void refusals_data() {
        QTest::addColumn<Readings>("readings");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("cross");
        const MeasuredCalibration::Page page = pageOf(kForm);
        const Readings good = read(kWorn, page);
        QTest::newRow("three crosses")
            << Readings{good[0], good[1], good[3]} << QStringLiteral("至少要填四个") << -1;
        Readings transposed;
        for (const auto& r : good)
            transposed << r->transposed();
        QTest::newRow("left and top swapped") << transposed << QStringLiteral("顺序不对") << -1;
        // Misreads that a model of too few unknowns took with a residual of nothing.
        for (const auto& [cross, dx, dy] :
             {std::tuple{3, 0.0, 3.0}, std::tuple{2, 3.0, 0.0}, std::tuple{1, 0.0, 3.0},
              std::tuple{9, -1.5, 0.0}, std::tuple{5, 0.0, 1.5}}) {
            Readings misread = good;
            *misread[cross - 1] += QPointF(dx, dy);
            QTest::addRow("cross %d misread", cross)
                << misread << QStringLiteral("第 %1 个十字").arg(cross) << cross - 1;
        }
        Readings swapped = good;
        std::swap(swapped[4], swapped[5]);
        QTest::newRow("crosses 5 and 6 swapped") << swapped << QStringLiteral("对不上") << -2;
        QTest::newRow("inches across")
            << read({0, 0, 0.85, 1, 0, 0, 0}, page) << QStringLiteral("横向比例") << -1;
        QTest::newRow("stretched down")
            << read({0, 0, 1, 1.12, 0, 0, 0}, page) << QStringLiteral("纵向比例") << -1;
        QTest::newRow("paper fed askew") << read({0, 0, 1, 1, 4, 0, 0}, page) << QStringLiteral("歪斜") << -1;
        QTest::newRow("feed slipping on one side")
            << read({0, 0, 1, 1, 0, -3.5, 0}, page) << QStringLiteral("斜切") << -1;
    }
    void refusals() {
        QFETCH(Readings, readings);
        QFETCH(QString, reason);
        QFETCH(int, cross);
        const MeasuredCalibration::Fit fit = MeasuredCalibration::solve(pageOf(kForm).crosses, readings);
        QVERIFY(!fit.ok());
        QVERIFY2(fit.error.contains(reason), qPrintable(fit.error));
        if (cross >= 0)
            QCOMPARE(fit.refused, cross);
        else if (cross == -2)
            QVERIFY(fit.refused == 4 || fit.refused == 5);
        QVERIFY(fit.correction.isIdentity());
    }

    // A thousand worn printers, nine crosses read to ±0.25 mm: never refused, and 95 % of every
    // value lands within 0.3 mm; one reading 1.5 mm off among them is caught every time, by name.
    void rulerReadings_data() {
        QTest::addColumn<QSizeF>("paper");
        QTest::newRow("241 × 140 form") << kForm;
        QTest::newRow("A4") << kA4;
    }
    void rulerReadings() {
        QFETCH(QSizeF, paper);
        const MeasuredCalibration::Page page = pageOf(paper);
        std::mt19937 random(20261211);
        std::uniform_real_distribution<double> noise(-0.25, 0.25);
        std::uniform_real_distribution<double> offset(-5, 5);
        std::uniform_real_distribution<double> scale(0.98, 1.02);
        std::uniform_real_distribution<double> angle(-1, 1);
        std::uniform_int_distribution<int> which(0, 8);
        QVector<double> all;
        for (int run = 0; run < 1000; ++run) {
            const WornPrinter printer{offset(random),
                                      offset(random),
                                      scale(random),
                                      scale(random),
                                      angle(random),
                                      angle(random),
                                      0.1};
            const Readings readings =
                read(printer, page, [&] { return QPointF(noise(random), noise(random)); });
            const MeasuredCalibration::Fit fit = MeasuredCalibration::solve(page.crosses, readings);
            QVERIFY2(fit.ok(), qPrintable(QStringLiteral("run %1: %2").arg(run).arg(fit.error)));
            all << errors(printer, fit.correction, paper);

            Readings misread = readings;
            const int cross = which(random);
            const double off = (random() % 2 ? 1.5 : -1.5);
            *misread[cross] += random() % 2 ? QPointF(off, 0) : QPointF(0, off);
            const MeasuredCalibration::Fit refused = MeasuredCalibration::solve(page.crosses, misread);
            QVERIFY2(!refused.ok() && refused.refused == cross,
                     qPrintable(
                         QStringLiteral("run %1, cross %2: %3").arg(run).arg(cross + 1).arg(refused.error)));
        }
        const double p95 = percentile(all, 0.95);
        QVERIFY2(p95 <= 0.3, qPrintable(QStringLiteral("95th percentile %1 mm").arg(p95)));
    }

    // The page goes out without the stored correction, so calibrating the same printer twice
    // stores the same correction instead of piling one on the other; values printed under it land.
    void calibratingAgainReplaces() {
        TestHome home;
        QVERIFY(home.isValid());
        home.app().setCurrentPrinter(QString());
        for (const int id : {1, 2}) {
            print::RecordingPrintDevice device;
            device.offsetX = 71;
            device.offsetY = 47;
            device.paperNow = {QPageSize(QPageSize::A3), -1};
            QVERIFY(print::TestPage::print(home.app(), device, id, print::TestPage::Mode::Values));
            // Where the true printer puts every mark: the device's calls without any correction.
            const QVector<QPointF> wanted = landings(device, {}, false);
            QVERIFY(wanted.size() > 20);

            MeasuredCalibration store(home.app().userIni());
            QVector<QTransform> stored;
            for (int round = 0; round < 2; ++round) {
                device.clearDrawing();
                const std::optional<MeasuredCalibration::Page> page =
                    MeasuredCalibration::printPage(home.app(), device, id);
                QVERIFY(page);
                QVERIFY(device.correction().isIdentity());
                const MeasuredCalibration::Fit fit = MeasuredCalibration::solve(
                    page->crosses, readPrintedPage(device, kWorn, int(page->crosses.size())));
                QVERIFY2(fit.ok(), qPrintable(fit.error));
                store.remember(device.printerName(), device.paper().source, device.orientation(),
                               fit.correction);
                stored << store.recall(device.printerName(), device.paper().source, device.orientation());
            }
            for (const QPointF& p : {QPointF(0, 0), QPointF(241, 0), QPointF(0, 140), QPointF(241, 140)})
                QVERIFY(QLineF(stored[0].map(p), stored[1].map(p)).length() < 0.05);

            device.clearDrawing();
            QVERIFY(print::TestPage::print(home.app(), device, id, print::TestPage::Mode::Values));
            const QVector<QPointF> landed = landings(device, kWorn);
            QCOMPARE(landed.size(), wanted.size());
            double worst = 0;
            for (int i = 0; i < landed.size(); ++i)
                worst = std::max(worst, QLineF(landed[i], wanted[i]).length());
            QVERIFY2(worst <= 0.2, qPrintable(QStringLiteral("template %1: %2 mm off").arg(id).arg(worst)));
            QVERIFY(home.dialogs().shown.isEmpty());
        }
    }

    // The scan's correction of a template takes the place of the ruler's for that template only;
    // what nobody could have stored is not applied.
    void correctionInForce() {
        QTemporaryDir dir;
        core::IniFile ini(dir.filePath(QStringLiteral("Config.ini")));
        MeasuredCalibration store(ini);
        using O = print::PrintDevice::Orientation;
        using P = MeasuredCalibration::Path;
        const QTransform ruler = QTransform::fromTranslate(1, 2);
        const QTransform scan = QTransform::fromTranslate(-3, 0.5);
        const QString tally = QStringLiteral("EPSON LQ-630K");
        store.remember(tally, 2, O::Landscape, ruler);
        store.rememberScan(tally, 7, scan);
        core::IniFile again(ini.fileName());
        MeasuredCalibration reread(again);
        QCOMPARE(reread.inForce(tally, 2, O::Landscape, 7).path, P::Scan);
        QCOMPARE(reread.inForce(tally, 2, O::Landscape, 7).correction, scan);
        QVERIFY(reread.inForce(tally, 2, O::Landscape, 7).since.isValid());
        QCOMPARE(reread.inForce(tally, 2, O::Landscape, 8).correction, ruler);
        QCOMPARE(reread.inForce(tally, 1, O::Landscape, 8).path, P::None);
        QCOMPARE(reread.inForce(tally, 2, O::Portrait, 8).path, P::None);
        QCOMPARE(reread.inForce(QStringLiteral("OKI 5860"), 2, O::Landscape, 7).path, P::None);
        print::RecordingPrintDevice device;
        device.printers = {tally};
        QVERIFY(device.selectPrinter(tally));
        device.paperNow = {QPageSize(QPageSize::A4), 2};
        device.setOrientation(O::Landscape);
        reread.applyTo(device, 7);
        QCOMPARE(device.correction(), scan);
        reread.applyTo(device, 8);
        QCOMPARE(device.correction(), ruler);
        for (const char* bad : {"1 0 0 1 3", "1 0 0 x 3 4", "0 0 0 0 1 1", "nan 0 0 1 0 0"}) {
            again.writeString(MeasuredCalibration::kScanSection, tally + QStringLiteral(".T7"),
                              QString::fromLatin1(bad));
            QCOMPARE(reread.inForce(tally, 2, O::Landscape, 7).correction, ruler);
        }
        reread.remember(tally, 2, O::Landscape, QTransform());
        QVERIFY(!again.valueExists(MeasuredCalibration::kSection, tally + QStringLiteral(".S2.L")));
        QVERIFY(!again.valueExists(MeasuredCalibration::kSection, tally + QStringLiteral(".S2.L.Date")));
    }

    // The Qt device draws under the correction on every page, read back from its PDF.
    void pdfFollowsTheCorrection() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QTemporaryDir dir;
        const auto printed = [&dir](const QString& name, const QTransform& correction) {
            print::QtPrintDevice device(dir.filePath(name));
            device.printer().setPageSize(QPageSize(QPageSize::A4));
            device.setPdfMargins(QMarginsF(4, 9, 4, 9));
            device.setCorrection(correction);
            device.beginDocument();
            device.setFontSize(12);
            device.drawText(600, 900, QStringLiteral("MARKONE"));
            device.newPage();
            device.drawText(2400, 3000, QStringLiteral("MARKTWO"));
            device.endDocument();
            return PdfWords::read(dir.filePath(name));
        };
        const QTransform correction = QTransform::fromScale(1.02, 0.99) * QTransform::fromTranslate(3, -2);
        const PdfWords plain = printed(QStringLiteral("plain.pdf"), {});
        const PdfWords corrected = printed(QStringLiteral("corrected.pdf"), correction);
        QVERIFY2(plain.error.isEmpty() && corrected.error.isEmpty(),
                 qPrintable(plain.error + corrected.error));
        for (const QString& mark : {QStringLiteral("MARKONE"), QStringLiteral("MARKTWO")}) {
            const PdfWords::Word* a = plain.find(mark);
            const PdfWords::Word* b = corrected.find(mark);
            QVERIFY2(a && b, qPrintable(mark));
            const QPointF want = correction.map(QPointF(a->left, a->top));
            QVERIFY2(QLineF(want, QPointF(b->left, b->top)).length() < 0.2,
                     qPrintable(QStringLiteral("%1 at %2,%3, expected %4,%5")
                                    .arg(mark)
                                    .arg(b->left)
                                    .arg(b->top)
                                    .arg(want.x())
                                    .arg(want.y())));
        }
    }
};

OVERPRINT_TEST(TestMeasuredCalibration)
#include "TestMeasuredCalibration.moc"
