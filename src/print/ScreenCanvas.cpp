#include "print/ScreenCanvas.h"

#include "print/QtPrintDevice.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>

namespace print {

ScreenCanvas::ScreenCanvas(QPainter& painter, int dpiX, int dpiY)
    : m_painter(painter), m_dpiX(qMax(1, dpiX)), m_dpiY(qMax(1, dpiY)) {
    QtPrintDevice::installFontSubstitutes();
    setFontName(QString());
}

void ScreenCanvas::setFontName(const QString& face) {
    m_font.setFamily(face.isEmpty() ? QStringLiteral("宋体") : face);
    m_font.setStyleHint(QFont::AnyStyle, QFont::PreferOutline);
}

QFont ScreenCanvas::sizedFont() const {
    QFont font = m_font;
    font.setPixelSize(qMax(1, qRound(qMax(1, m_points) * m_dpiY / 72.0)));
    return font;
}

int ScreenCanvas::textWidth(const QString& text) const {
    return QFontMetrics(sizedFont(), m_painter.device()).horizontalAdvance(text);
}

void ScreenCanvas::drawText(int x, int y, const QString& text) {
    m_painter.setFont(sizedFont());
    m_painter.setPen(QPen(m_color));
    m_painter.drawText(QPoint(x, y + m_painter.fontMetrics().ascent()), text);
}

void ScreenCanvas::drawLine(int x1, int y1, int x2, int y2) {
    QPen pen(Qt::black);
    pen.setWidth(m_penWidth);
    pen.setCapStyle(Qt::FlatCap);
    m_painter.setPen(pen);
    m_painter.drawLine(x1, y1, x2, y2);
}

} // namespace print
