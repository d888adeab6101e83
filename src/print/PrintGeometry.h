#pragma once

#include <QPoint>
#include <QString>

namespace print {

class PlanCanvas;

// What a conversion needs of the current printer, read from it before every text and line so
// that a change of printer between items is honoured.
struct DeviceMetrics {
    int dpiX = 0;
    int dpiY = 0;
    int offsetX = 0; // printable area from the paper's left edge, device pixels
    int offsetY = 0; // printable area from the paper's top edge, device pixels
};

// Template lengths (tenths of a millimetre) to device pixels. Every conversion rounds to the
// nearest pixel with halves to the even neighbour.
class PrintGeometry {
public:
    static int horizontalResolution(const PlanCanvas& device);
    static int verticalResolution(const PlanCanvas& device);
    static int horizontalPhysicalOffset(const PlanCanvas& device);
    static int verticalPhysicalOffset(const PlanCanvas& device);
    static DeviceMetrics metrics(const PlanCanvas& device);

    static double mmToInches(double mm) { return mm / 25.4; }
    // Nearest integer, halves to the even neighbour.
    static qint64 roundHalfEven(double value);
    // rnd(tenths / 10 / 25.4 × dpi).
    static int tenthsToPixels(double tenths, int dpi);
    // The device position of a template position (offsets already added). The printable-area
    // offsets are crossed (x loses the vertical one, y the horizontal one) and y never goes
    // above −3: the calibrations users stored are tuned against exactly this.
    static QPoint devicePosition(double x, double y, const DeviceMetrics& m);
    static int widthToPixels(double tenths, const DeviceMetrics& m) { return tenthsToPixels(tenths, m.dpiX); }
    static int heightToPixels(double tenths, const DeviceMetrics& m) {
        return tenthsToPixels(tenths, m.dpiY);
    }

    // Copies asked of the driver: below 2 means one.
    static int jobCopies(int requested) { return requested >= 2 ? requested : 1; }
    // HVPrint "1" prints landscape, anything else portrait.
    static bool isLandscape(const QString& hvPrint);
};

} // namespace print
