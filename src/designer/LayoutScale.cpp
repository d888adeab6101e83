#include "designer/LayoutScale.h"

#include "print/PrintGeometry.h"

#include <QtGlobal>
#include <cmath>

namespace designer {

const int LayoutScale::kZooms[5] = {150, 120, 100, 80, 50};

LayoutScale::LayoutScale(int screenDpi, int zoomPercent)
    : m_dpi(qMax(
          1, int(print::PrintGeometry::roundHalfEven(qMax(1, screenDpi) * qMax(1, zoomPercent) / 100.0)))),
      m_zoom(zoomPercent) {}

double LayoutScale::k() const {
    return 25.4 / m_dpi;
}

int LayoutScale::toPixels(double tenths) const {
    return print::PrintGeometry::tenthsToPixels(tenths, m_dpi);
}

int LayoutScale::toTenths(double pixels) const {
    // Whole pixels are converted in integers, so a true half goes to the even neighbour.
    if (pixels == std::floor(pixels) && std::fabs(pixels) < 1e9) {
        const qint64 num = qint64(pixels) * 254;
        qint64 q = num / m_dpi;
        qint64 r = num % m_dpi;
        if (r < 0) {
            r += m_dpi;
            --q;
        }
        if (2 * r > m_dpi || (2 * r == m_dpi && q % 2 != 0))
            ++q;
        return int(q);
    }
    return int(print::PrintGeometry::roundHalfEven(pixels * 254.0 / m_dpi));
}

QSize LayoutScale::surfaceSize(int paperWidth, int paperHeight) const {
    return {qMax(1, toPixels(paperWidth)), qMax(1, toPixels(paperHeight))};
}

bool isDrag(const QPoint& delta, int dragDistance) {
    return delta.manhattanLength() >= qMax(1, dragDistance);
}

} // namespace designer
