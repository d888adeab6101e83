#pragma once

#include "print/PrintDevice.h"

#include <QPointF>
#include <QString>
#include <QTransform>

#include <array>

namespace core {
class AppContext;
class IniFile;
} // namespace core

namespace print {

class PlanCanvas;

// A printer's own displacement of what it prints (a worn tractor, a new printer: everything
// shifted, stretched or slightly turned), measured on paper and cancelled at print time.
//
// The calibration page ("打印校准页") prints three numbered crosses at kCrosses; the clerk
// measures each cross with a ruler in millimetres from the paper's left and top edges. solve()
// fits what the printer did as offset, scale across, scale down and skew (the page turned by a
// small angle), five numbers from six measurements, so each cross keeps a residual that shows a
// misread ruler. The correction is the inverse of that fit; it is stored per printer, paper
// source and direction in Config.ini and set on the device when a job begins, so templates,
// their offsets and the preview never see it. A page printed under a correction measures what
// is left, so a second calibration refines the first.
class MeasuredCalibration {
public:
    // Millimetres from the paper's left and top edges: two crosses along the top, the third
    // below the first, inside the smallest form the program ships (241 × 93 mm) and A4 upright.
    static const std::array<QPointF, 3> kCrosses;

    struct Fit {
        QString error; // the reason for refusing, empty when accepted
        // What the printer did to the page as it was sent: millimetres right and down, scale
        // factors, the turn in degrees (clockwise positive on paper).
        double offsetX = 0;
        double offsetY = 0;
        double scaleX = 1;
        double scaleY = 1;
        double skewDegrees = 0;
        std::array<double, 3> residuals{}; // millimetres, per cross
        QTransform correction;             // the correction to store
        bool ok() const { return error.isEmpty(); }
    };

    // The fit to the crosses as measured on a page printed under `previous`; refuses crosses in
    // the wrong order, a scale outside 0.9–1.1, a skew over 3° and a residual over 1 mm, with a
    // message for the clerk.
    static Fit solve(const std::array<QPointF, 3>& measured, const QTransform& previous = QTransform());

    // The transform of device pixels (origin at the printable area) that a paper correction
    // means on this canvas.
    static QTransform devicePixels(const QTransform& paperMm, const PlanCanvas& canvas);

    // Draws the calibration page on the open page of the canvas; the texts name printer, paper
    // source and direction.
    static void drawPage(PlanCanvas& canvas, const QString& printer, int source, bool landscape);

    // Prints the calibration page on the app's current printer, with its kept paper, in the
    // direction given, under the correction stored for it. True when the page was handed to the
    // printer; failures are reported through app.dialogs().
    static bool printPage(core::AppContext& app, PrintDevice& device, PrintDevice::Orientation orientation);

    explicit MeasuredCalibration(core::IniFile& ini) : m_ini(ini) {}

    // Section "MeasuredCalibration", key <printer>.S<source>.<P|L>: "m11 m12 m21 m22 dx dy".
    // Identity when nothing (or nothing readable) is stored.
    QTransform recall(const QString& printer, int source, PrintDevice::Orientation orientation) const;
    // Written at once; the identity removes the entry.
    void remember(const QString& printer, int source, PrintDevice::Orientation orientation,
                  const QTransform& correction);
    // Sets on the device the correction stored for its printer, paper source and direction.
    void applyTo(PrintDevice& device) const;

    static const QString kSection;

private:
    core::IniFile& m_ini;
};

} // namespace print
