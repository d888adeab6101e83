#pragma once

#include "print/EscpTextDevice.h"
#include "print/PlanCanvas.h"

#include <QVector>

namespace print {

// Lays an item plan out as the dot-matrix printer in text mode prints it, for the preview: the
// device's own movement units as resolution (so positions round as on paper), its own metrics
// for widths (so centred and right-aligned values sit where they print) and every character in
// its fixed cell. Lines and pictures are left out, as the device leaves them out.
class TextCellCanvas final : public PlanCanvas {
public:
    // One character in its cell, in 1/3600 inch from the paper's top-left corner.
    struct Cell {
        int x;
        int y;
        int width;
        int height;
        QString character;
        EscpTextDevice::Size size;
    };

    explicit TextCellCanvas(const TextModeSettings& settings);

    const QVector<Cell>& cells() const { return m_cells; }
    // Height of a cell in 1/3600 inch: a line of 1/6 inch, twice that for the tall sizes.
    static int cellHeight3600(EscpTextDevice::Size size);

    int resolutionX() const override { return m_device.resolutionX(); }
    int resolutionY() const override { return m_device.resolutionY(); }
    int physicalOffsetX() const override { return 0; }
    int physicalOffsetY() const override { return 0; }
    void setFontName(const QString&) override {}
    void setFontSize(int points) override;
    void setBold(bool) override {}
    void setItalic(bool) override {}
    void setUnderline(bool) override {}
    void setColor(const QColor&) override {}
    int textWidth(const QString& text) const override { return m_device.textWidth(text); }
    void setTextRoom(int widthPx) override { m_device.setTextRoom(widthPx); }
    void drawText(int x, int y, const QString& text) override;
    void setPenWidth(int) override {}
    void drawLine(int, int, int, int) override {}
    void drawImage(const QRect&, const QImage&) override {}

private:
    EscpTextDevice m_device; // asked for metrics only; it never starts a job
    QVector<Cell> m_cells;
};

} // namespace print
