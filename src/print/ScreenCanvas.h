#pragma once

#include "print/PlanCanvas.h"

#include <QFont>

class QPainter;

namespace print {

// Draws item plans on a painter at a screen's pixels per inch, with no physical offset: the
// painter's origin is the paper's corner. Fonts are sized and substituted as on the printer
// (em height = points × dpi / 72), so lines break and align on screen as they do on paper.
class ScreenCanvas final : public PlanCanvas {
public:
    ScreenCanvas(QPainter& painter, int dpiX, int dpiY);

    int resolutionX() const override { return m_dpiX; }
    int resolutionY() const override { return m_dpiY; }
    int physicalOffsetX() const override { return 0; }
    int physicalOffsetY() const override { return 0; }
    void setFontName(const QString& face) override;
    void setFontSize(int points) override { m_points = points; }
    void setBold(bool on) override { m_font.setBold(on); }
    void setItalic(bool on) override { m_font.setItalic(on); }
    void setUnderline(bool on) override { m_font.setUnderline(on); }
    void setColor(const QColor& color) override { m_color = color; }
    int textWidth(const QString& text) const override;
    void drawText(int x, int y, const QString& text) override;
    void setPenWidth(int pixels) override { m_penWidth = pixels; }
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawImage(const QRect& target, const QImage& image) override;

private:
    QFont sizedFont() const;

    QPainter& m_painter;
    int m_dpiX;
    int m_dpiY;
    QFont m_font;
    int m_points = 9;
    QColor m_color = Qt::black;
    int m_penWidth = 1;
};

} // namespace print
