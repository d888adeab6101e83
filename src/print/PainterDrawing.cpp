#include "print/PainterDrawing.h"

#include <QPainter>
#include <QPen>

namespace print::PainterDrawing {

void setFace(QFont& font, const QString& face) {
    font.setFamily(face.isEmpty() ? QStringLiteral("宋体") : face);
    font.setStyleHint(QFont::AnyStyle, QFont::PreferOutline);
}

QFont sized(const QFont& font, int points, int dpiY) {
    QFont out = font;
    out.setPixelSize(qMax(1, qRound(qMax(1, points) * dpiY / 72.0)));
    return out;
}

void text(QPainter& painter, const QFont& font, const QColor& color, int x, int y, const QString& text) {
    painter.setFont(font);
    painter.setPen(QPen(color));
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
}

void line(QPainter& painter, int penWidth, int x1, int y1, int x2, int y2) {
    QPen pen(Qt::black);
    pen.setWidth(penWidth);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(x1, y1, x2, y2);
}

void image(QPainter& painter, const QRect& target, const QImage& image) {
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image);
    painter.restore();
}

} // namespace print::PainterDrawing
