#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QPainter;

namespace print {

// The drawing both the printer and the screen do with a QPainter, kept in one place so that a
// value looks the same on paper and in the preview: a template face (宋体 when none), sized as a
// printer context sizes fonts (em height = points × dpi / 72, at least one pixel), text placed by
// its top, lines with flat caps.
namespace PainterDrawing {
void setFace(QFont& font, const QString& face);
QFont sized(const QFont& font, int points, int dpiY);
void text(QPainter& painter, const QFont& font, const QColor& color, int x, int y, const QString& text);
void line(QPainter& painter, int penWidth, int x1, int y1, int x2, int y2);
void image(QPainter& painter, const QRect& target, const QImage& image);
} // namespace PainterDrawing

} // namespace print
