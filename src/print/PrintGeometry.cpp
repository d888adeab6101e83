#include "print/PrintGeometry.h"

#include "print/PlanCanvas.h"

#include <cmath>

namespace print {

int PrintGeometry::horizontalResolution(const PlanCanvas& device) {
    return device.resolutionX();
}

int PrintGeometry::verticalResolution(const PlanCanvas& device) {
    return device.resolutionY();
}

int PrintGeometry::horizontalPhysicalOffset(const PlanCanvas& device) {
    return device.physicalOffsetX();
}

int PrintGeometry::verticalPhysicalOffset(const PlanCanvas& device) {
    return device.physicalOffsetY();
}

DeviceMetrics PrintGeometry::metrics(const PlanCanvas& device) {
    return {horizontalResolution(device), verticalResolution(device), horizontalPhysicalOffset(device),
            verticalPhysicalOffset(device)};
}

qint64 PrintGeometry::roundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    qint64 result = static_cast<qint64>(floor);
    if (fraction > 0.5 || (fraction == 0.5 && (result % 2 != 0)))
        ++result;
    return result;
}

int PrintGeometry::tenthsToPixels(double tenths, int dpi) {
    // Whole tenths (all stored positions) are converted exactly as tenths × dpi / 254, so a
    // true half such as 127 tenths at 203 dpi is recognised as one despite binary fractions.
    if (tenths == std::floor(tenths) && std::fabs(tenths) < 1e12) {
        const qint64 num = static_cast<qint64>(tenths) * dpi;
        qint64 q = num / 254;
        qint64 r = num % 254;
        if (r < 0) {
            r += 254;
            --q;
        }
        if (2 * r > 254 || (2 * r == 254 && (q % 2 != 0)))
            ++q;
        return static_cast<int>(q);
    }
    return static_cast<int>(roundHalfEven(tenths / 10.0 / 25.4 * dpi));
}

QPoint PrintGeometry::devicePosition(double x, double y, const DeviceMetrics& m) {
    const int px = tenthsToPixels(x, m.dpiX) - m.offsetY;
    int py = tenthsToPixels(y, m.dpiY) - m.offsetX;
    if (py < -2)
        py = -3;
    return {px, py};
}

bool PrintGeometry::isLandscape(const QString& hvPrint) {
    return hvPrint.trimmed() == QLatin1String("1");
}

} // namespace print
