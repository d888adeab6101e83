#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QImage;

namespace print {

// Where an item plan is drawn: a printer page or a screen. Resolution in dots per inch and the
// physical offset of the drawable area in device pixels (0 on a screen); drawing in device
// pixels. A printer's failures throw PrintError.
class PlanCanvas {
public:
    virtual ~PlanCanvas() = default;

    virtual int resolutionX() const = 0;
    virtual int resolutionY() const = 0;
    virtual int physicalOffsetX() const = 0;
    virtual int physicalOffsetY() const = 0;

    // The font of the following texts; the size is in points of the canvas's resolution.
    virtual void setFontName(const QString& face) = 0;
    virtual void setFontSize(int points) = 0;
    virtual void setBold(bool on) = 0;
    virtual void setItalic(bool on) = 0;
    virtual void setUnderline(bool on) = 0;
    virtual void setColor(const QColor& color) = 0;
    // Width in device pixels of text in the current font.
    virtual int textWidth(const QString& text) const = 0;
    // Draws text with the top-left corner of its line box at (x, y).
    virtual void drawText(int x, int y, const QString& text) = 0;
    // The room (device pixels) the following text has in its box, told after the font. A canvas
    // drawing the template's own fonts has nothing to do with it: the plan already broke the
    // text for them. A printer font of fixed cells (text mode) narrows a value that would run
    // past its box instead.
    virtual void setTextRoom(int widthPx) { (void)widthPx; }

    virtual void setPenWidth(int pixels) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2) = 0;
    // Draws image scaled into target (device pixels). Reports, charts and a note's copy carry
    // pictures; a device that prints only text (the form carries the rest) leaves them out.
    virtual void drawImage(const QRect& target, const QImage& image) = 0;
};

} // namespace print
