#pragma once

#include "print/MeasuredCalibration.h"
#include "print/scan/ScanMeasure.h"

#include <QByteArray>
#include <QImage>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QTransform>
#include <QVector>

namespace core {
class AppContext;
}

// The calibration page through a worn printer onto a pre-printed form and through a flatbed
// scanner, for testing the scan measurement against a truth it never sees. The page goes through
// the real print path (PDF, rasterised by pdftoppm); the printer's displacement is not the
// solver's model: an affine part plus a smooth wave no affine map can express.
namespace scansim {

// Where a worn printer puts what it was sent to a paper position: scaled and sheared from the
// paper's corner, turned about it, shifted, plus a smooth displacement made of low-frequency
// sines.
struct WornPrinter {
    double offsetX = 0; // mm
    double offsetY = 0;
    double scaleX = 1;
    double scaleY = 1;
    double turnDegrees = 0;
    double shearDegrees = 0;
    struct Wave {
        double amplitudeX; // mm
        double amplitudeY;
        double kx; // radians per mm
        double ky;
        double phase;
    };
    QVector<Wave> waves;

    QPointF land(const QPointF& paperMm) const;
    // The inverse of land(), to well under a micrometre.
    QPointF sentFor(const QPointF& landedMm) const;
    QTransform affine() const;
    // A printer drawn at random: offsets to ±5 mm, scales 98–102 %, turn and shear to ±1°, and a
    // wave of up to `waveMm`.
    static WornPrinter seeded(unsigned seed, double waveMm = 0.1);
};

// The calibration page of a template as printed through the program's print path onto the
// template's paper: the ink at 600 dpi, and the template's form image.
struct PrintedPage {
    QString error;
    print::MeasuredCalibration::Page page;
    QImage ink; // Grayscale8, 600 dpi over the page's paper, 255 = no ink
    print::scan::FormImage form;
    int templateId = 0;
};
PrintedPage printCalibrationPage(core::AppContext& app, int templateId, const QString& workDir);

struct Scanner {
    int dpi = 300;
    QSizeF glassMm{297, 210};
    QPointF paperCentreMm{148, 105}; // where the paper's centre lies on the glass
    double turnDegrees = 0;          // clockwise on the glass
    bool upsideDown = false;
    double blurMm = 0.06; // the optics' Gaussian sigma
    double noise = 2.5;   // grey levels, sigma
    int jpegQuality = 75;
    bool grey = false;         // scanned in shades of grey
    QVector<int> blankCrosses; // crosses (from 0) covered over on the paper before scanning
    unsigned seed = 1;
};

struct Scan {
    QByteArray jpeg;
    QImage image;             // decoded RGB888
    QVector<QPointF> truthMm; // where each cross centre is on the form
    QTransform formMmToScan;  // the paper's true placement: form mm -> scan pixels
};
Scan scan(const PrintedPage& printed, const WornPrinter& printer, const Scanner& scanner);

} // namespace scansim
