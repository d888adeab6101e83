#pragma once

#include <QPoint>
#include <QSize>

namespace designer {

// The design surface's scale: the paper at its real size at the screen's pixels per inch,
// scaled by the zoom. The zoomed resolution is rounded to whole dots per inch once, so the
// surface converts with exactly the rounding the printer uses (ItemPlan at that resolution):
// a length v in tenths of a millimetre is rnd(v ÷ 10 ÷ k) pixels and a pixel length p is
// rnd(p × 10 × k) tenths, k = 25.4 ÷ dpi millimetres per pixel, halves to the even neighbour.
class LayoutScale {
public:
    LayoutScale(int screenDpi = 96, int zoomPercent = 100);

    int dpi() const { return m_dpi; }
    int zoom() const { return m_zoom; }
    double k() const; // millimetres per surface pixel

    int toPixels(double tenths) const;
    int toTenths(double pixels) const;
    // The paper in surface pixels.
    QSize surfaceSize(int paperWidth, int paperHeight) const;

    // A stored position moved by a distance dragged on the surface: the old value plus the
    // converted distance, so which part of an item was grabbed and where the pointer sat
    // within a pixel never matter.
    int moved(int stored, int pixels) const { return stored + toTenths(pixels); }

    static const int kZooms[5]; // 150, 120, 100, 80, 50

private:
    int m_dpi;
    int m_zoom;
};

// A pointer that went down and moved by delta is a drag only once it has gone at least the
// platform's drag distance; a smaller wobble is a click.
bool isDrag(const QPoint& delta, int dragDistance);

} // namespace designer
