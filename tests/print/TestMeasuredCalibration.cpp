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

#include <cmath>

using print::MeasuredCalibration;
using Crosses = std::array<QPointF, 3>;
Q_DECLARE_METATYPE(Crosses)

namespace {

// A printer that displaces what it prints: scaled from the paper's corner, turned, shifted.
struct Displacement {
    double tx = 0;
    double ty = 0;
    double sx = 1;
    double sy = 1;
    double degrees = 0;

    QPointF map(const QPointF& p) const {
        const double a = degrees * 3.14159265358979323846 / 180;
        const double x = sx * p.x();
        const double y = sy * p.y();
        return {tx + x * std::cos(a) - y * std::sin(a), ty + x * std::sin(a) + y * std::cos(a)};
    }
};

// Shifts 3.0 mm right and 2.0 mm up, stretches 1.5 % across, shrinks 0.8 % down, turns 0.5°.
const Displacement kWorn{3.0, -2.0, 1.015, 0.992, 0.5};

QPointF rounded(const QPointF& p, double step) {
    return {std::round(p.x() / step) * step, std::round(p.y() / step) * step};
}

// What the clerk reads off a page printed under `correction` by `printer`.
Crosses measure(const Displacement& printer, const QTransform& correction, double ruler) {
    Crosses out;
    for (int i = 0; i < 3; ++i)
        out[i] = rounded(printer.map(correction.map(MeasuredCalibration::kCrosses[i])), ruler);
    return out;
}

// The worst distance between where a grid of paper positions lands and where it should.
double worstLanding(const Displacement& printer, const QTransform& correction) {
    double worst = 0;
    for (double x = 10; x <= 230; x += 20)
        for (double y = 10; y <= 130; y += 20) {
            const QPointF p(x, y);
            worst = std::max(worst, QLineF(printer.map(correction.map(p)), p).length());
        }
    return worst;
}

// A device position (pixels from the printable area) on paper, in millimetres.
QPointF onPaper(const print::RecordingPrintDevice& d, const QPointF& px) {
    return {(px.x() + d.offsetX) * 25.4 / d.dpiX, (px.y() + d.offsetY) * 25.4 / d.dpiY};
}

// Where the recording device's marks land on paper: through the correction, then the printer.
QVector<QPointF> landings(const print::RecordingPrintDevice& d, const QTransform& correction,
                          const Displacement& printer) {
    const QTransform t = MeasuredCalibration::devicePixels(correction, d);
    QVector<QPointF> out;
    for (const auto& text : d.texts)
        out << printer.map(onPaper(d, t.map(QPointF(text.x, text.y))));
    for (const auto& line : d.lines)
        out << printer.map(onPaper(d, t.map(QPointF(line.x1, line.y1))))
            << printer.map(onPaper(d, t.map(QPointF(line.x2, line.y2))));
    return out;
}

} // namespace

class TestMeasuredCalibration : public QObject {
    Q_OBJECT

private slots:
    void exactMeasurements_data() {
        QTest::addColumn<double>("tx");
        QTest::addColumn<double>("ty");
        QTest::addColumn<double>("sx");
        QTest::addColumn<double>("sy");
        QTest::addColumn<double>("degrees");
        QTest::newRow("true printer") << 0.0 << 0.0 << 1.0 << 1.0 << 0.0;
        QTest::newRow("shift only") << -4.5 << 6.25 << 1.0 << 1.0 << 0.0;
        QTest::newRow("worn tractor") << 3.0 << -2.0 << 1.015 << 0.992 << 0.5;
        QTest::newRow("turned the other way") << 1.0 << 1.0 << 0.95 << 1.05 << -2.0;
        QTest::newRow("at the limits") << 0.0 << 0.0 << 0.901 << 1.099 << 2.99;
    }
    void exactMeasurements() {
        QFETCH(double, tx);
        QFETCH(double, ty);
        QFETCH(double, sx);
        QFETCH(double, sy);
        QFETCH(double, degrees);
        const Displacement printer{tx, ty, sx, sy, degrees};
        const MeasuredCalibration::Fit fit = MeasuredCalibration::solve(measure(printer, {}, 1e-9));
        QVERIFY2(fit.ok(), qPrintable(fit.error));
        QVERIFY(std::abs(fit.offsetX - tx) < 1e-6);
        QVERIFY(std::abs(fit.offsetY - ty) < 1e-6);
        QVERIFY(std::abs(fit.scaleX - sx) < 1e-7);
        QVERIFY(std::abs(fit.scaleY - sy) < 1e-7);
        QVERIFY(std::abs(fit.skewDegrees - degrees) < 1e-5);
        for (double r : fit.residuals)
            QVERIFY(r < 1e-6);
        QVERIFY(worstLanding(printer, fit.correction) < 1e-5);
    }

    // A ruler read to half a millimetre: accepted, with residuals, and what is printed lands
    // within about the reading's error.
    void noisyMeasurements() {
        const MeasuredCalibration::Fit fit = MeasuredCalibration::solve(measure(kWorn, {}, 0.5));
        QVERIFY2(fit.ok(), qPrintable(fit.error));
        QVERIFY(fit.residuals[0] + fit.residuals[1] + fit.residuals[2] > 0);
        QVERIFY(std::abs(fit.skewDegrees - 0.5) < 0.3);
        QVERIFY2(worstLanding(kWorn, fit.correction) < 1.0,
                 qPrintable(QString::number(worstLanding(kWorn, fit.correction))));
    }

    // A second calibration measures what the first left over and keeps the first.
    void secondCalibrationRefines() {
        const MeasuredCalibration::Fit first = MeasuredCalibration::solve(measure(kWorn, {}, 0.5));
        QVERIFY2(first.ok(), qPrintable(first.error));
        const MeasuredCalibration::Fit second =
            MeasuredCalibration::solve(measure(kWorn, first.correction, 1e-9), first.correction);
        QVERIFY2(second.ok(), qPrintable(second.error));
        // What is left is small, and the second correction keeps the first: a second fit that
        // forgot it would undo the first calibration.
        QVERIFY(std::abs(second.scaleX - 1) < 0.01 && std::abs(second.offsetX) < 1);
        const double before = worstLanding(kWorn, first.correction);
        const double after = worstLanding(kWorn, second.correction);
        QVERIFY2(after < 0.05 && after < before / 4,
                 qPrintable(QStringLiteral("%1 → %2").arg(before).arg(after)));
    }

    void refusals_data() {
        QTest::addColumn<Crosses>("measured");
        QTest::addColumn<QString>("reason");
        const Crosses good = measure(kWorn, {}, 0.1);
        QTest::newRow("2 and 3 swapped") << Crosses{good[0], good[2], good[1]} << QStringLiteral("顺序不对");
        QTest::newRow("1 and 2 swapped") << Crosses{good[1], good[0], good[2]} << QStringLiteral("顺序不对");
        QTest::newRow("left and top swapped")
            << Crosses{good[0].transposed(), good[1].transposed(), good[2].transposed()}
            << QStringLiteral("顺序不对");
        QTest::newRow("all six the same") << Crosses{good[0], good[0], good[0]} << QStringLiteral("顺序不对");
        QTest::newRow("inches across") << measure({0, 0, 0.85, 1, 0}, {}, 0.1) << QStringLiteral("横向比例");
        QTest::newRow("stretched down") << measure({0, 0, 1, 1.12, 0}, {}, 0.1) << QStringLiteral("纵向比例");
        QTest::newRow("paper fed askew") << measure({0, 0, 1, 1, 4}, {}, 0.1) << QStringLiteral("歪斜");
        QTest::newRow("turned the other way")
            << measure({0, 0, 1, 1, -3.5}, {}, 0.1) << QStringLiteral("歪斜");
        Crosses misread = good;
        misread[2].rx() += 3; // cross 3 read 3 mm too far right
        QTest::newRow("a misread cross") << misread << QStringLiteral("残差");
    }
    void refusals() {
        QFETCH(Crosses, measured);
        QFETCH(QString, reason);
        const MeasuredCalibration::Fit fit = MeasuredCalibration::solve(measured);
        QVERIFY(!fit.ok());
        QVERIFY2(fit.error.contains(reason), qPrintable(fit.error));
        QVERIFY(fit.correction.isIdentity());
    }

    void storedPerPrinterSourceAndDirection() {
        QTemporaryDir dir;
        core::IniFile ini(dir.filePath(QStringLiteral("Config.ini")));
        MeasuredCalibration store(ini);
        using O = print::PrintDevice::Orientation;
        const QTransform c = MeasuredCalibration::solve(measure(kWorn, {}, 0.1)).correction;
        store.remember(QStringLiteral("EPSON LQ-630K"), 2, O::Landscape, c);
        core::IniFile again(ini.fileName());
        MeasuredCalibration reread(again);
        const QTransform back = reread.recall(QStringLiteral("EPSON LQ-630K"), 2, O::Landscape);
        for (const QPointF& p : {QPointF(0, 0), QPointF(240, 0), QPointF(0, 140)})
            QVERIFY(QLineF(back.map(p), c.map(p)).length() < 1e-6);
        QVERIFY(reread.recall(QStringLiteral("EPSON LQ-630K"), 1, O::Landscape).isIdentity());
        QVERIFY(reread.recall(QStringLiteral("EPSON LQ-630K"), 2, O::Portrait).isIdentity());
        QVERIFY(reread.recall(QStringLiteral("OKI 5860"), 2, O::Landscape).isIdentity());
        // A hand-edited entry that is no correction is not applied.
        for (const char* bad : {"1 0 0 1 3", "1 0 0 x 3 4", "0 0 0 0 1 1", "nan 0 0 1 0 0"}) {
            again.writeString(MeasuredCalibration::kSection, QStringLiteral("OKI 5860.S-1.P"),
                              QString::fromLatin1(bad));
            QVERIFY2(reread.recall(QStringLiteral("OKI 5860"), -1, O::Portrait).isIdentity(), bad);
        }
        reread.remember(QStringLiteral("EPSON LQ-630K"), 2, O::Landscape, QTransform());
        QVERIFY(!again.valueExists(MeasuredCalibration::kSection, QStringLiteral("EPSON LQ-630K.S2.L")));
    }

    // The worn printer calibrated from its own printout of the calibration page (read to a
    // tenth of a millimetre): every value of the test page of both shipped templates lands
    // within 0.2 mm of where the true printer puts it.
    void wornPrinterCalibratedFromItsOwnPage() {
        TestHome home;
        QVERIFY(home.isValid());
        home.app().setCurrentPrinter(QString());
        core::Recordset templates =
            home.db().query(QStringLiteral("select CheckTypeID, HVPrint from CKTypeTable where "
                                           "TypeFirstName='出货单' order by CheckTypeID"));
        QCOMPARE(templates.recordCount(), 2);
        for (templates.first(); !templates.eof(); templates.next()) {
            const int id = int(templates.integer(QStringLiteral("CheckTypeID")));
            print::RecordingPrintDevice device;
            device.offsetX = 71;
            device.offsetY = 47;
            device.paperNow = {QPageSize(QPageSize::A3), -1};
            QVERIFY(print::TestPage::print(home.app(), device, id, print::TestPage::Mode::Values));
            // Where the true printer puts every mark: the device's calls without any correction.
            const QVector<QPointF> wanted = landings(device, {}, {});
            QVERIFY(wanted.size() > 20);

            device.clearDrawing();
            QVERIFY(MeasuredCalibration::printPage(home.app(), device, device.orientation()));
            QCOMPARE(device.lines.size(), 6);
            Crosses measured;
            const QTransform t = MeasuredCalibration::devicePixels(device.correction(), device);
            for (int i = 0; i < 3; ++i) {
                const auto& across = device.lines[2 * i];
                const auto& down = device.lines[2 * i + 1];
                measured[i] = rounded(kWorn.map(onPaper(device, t.map(QPointF(down.x1, across.y1)))), 0.1);
            }
            MeasuredCalibration store(home.app().userIni());
            const QTransform previous =
                store.recall(device.printerName(), device.paper().source, device.orientation());
            const MeasuredCalibration::Fit fit = MeasuredCalibration::solve(measured, previous);
            QVERIFY2(fit.ok(), qPrintable(fit.error));
            store.remember(device.printerName(), device.paper().source, device.orientation(), fit.correction);

            device.clearDrawing();
            QVERIFY(print::TestPage::print(home.app(), device, id, print::TestPage::Mode::Values));
            const QVector<QPointF> landed = landings(device, device.correction(), kWorn);
            QCOMPARE(landed.size(), wanted.size());
            double worst = 0;
            for (int i = 0; i < landed.size(); ++i)
                worst = std::max(worst, QLineF(landed[i], wanted[i]).length());
            QVERIFY2(worst <= 0.2, qPrintable(QStringLiteral("template %1: %2 mm off").arg(id).arg(worst)));
            QVERIFY(home.dialogs().shown.isEmpty());
        }
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
