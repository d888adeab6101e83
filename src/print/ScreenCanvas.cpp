#include "print/ScreenCanvas.h"

#include "print/PainterDrawing.h"
#include "print/QtPrintDevice.h"

#include <QFontMetrics>

namespace print {

ScreenCanvas::ScreenCanvas(QPainter& painter, int dpiX, int dpiY)
    : m_painter(painter), m_dpiX(qMax(1, dpiX)), m_dpiY(qMax(1, dpiY)) {
    QtPrintDevice::installFontSubstitutes();
    setFontName(QString());
}

void ScreenCanvas::setFontName(const QString& face) {
    PainterDrawing::setFace(m_font, face);
}

QFont ScreenCanvas::sizedFont() const {
    return PainterDrawing::sized(m_font, m_points, m_dpiY);
}

int ScreenCanvas::textWidth(const QString& text) const {
    return QFontMetrics(sizedFont(), m_painter.device()).horizontalAdvance(text);
}

void ScreenCanvas::drawText(int x, int y, const QString& text) {
    PainterDrawing::text(m_painter, sizedFont(), m_color, x, y, text);
}

void ScreenCanvas::drawLine(int x1, int y1, int x2, int y2) {
    PainterDrawing::line(m_painter, m_penWidth, x1, y1, x2, y2);
}

void ScreenCanvas::drawImage(const QRect& target, const QImage& image) {
    PainterDrawing::image(m_painter, target, image);
}

} // namespace print
