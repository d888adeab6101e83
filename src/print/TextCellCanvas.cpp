#include "print/TextCellCanvas.h"

namespace print {

TextCellCanvas::TextCellCanvas(const TextModeSettings& settings) : m_device(settings) {}

void TextCellCanvas::setFontSize(int points) {
    m_device.setFontSize(points);
}

int TextCellCanvas::cellHeight3600(EscpTextDevice::Size size) {
    const bool tall = size == EscpTextDevice::Size::DoubleHeight || size == EscpTextDevice::Size::Quadruple;
    return tall ? 1200 : 600;
}

void TextCellCanvas::drawText(int x, int y, const QString& text) {
    qint64 left = qint64(x) * 3600 / resolutionX();
    const int top = int(qint64(y) * 3600 / resolutionY());
    const EscpTextDevice::Size size = m_device.sizeFor(text);
    const int height = cellHeight3600(size);
    for (uint c : text.toUcs4()) {
        const int width = EscpTextDevice::cellWidth3600(size, c > 0x7f);
        const char32_t ch = c;
        if (c > 0x20)
            m_cells.push_back({int(left), top, width, height, QString::fromUcs4(&ch, 1), size});
        left += width;
    }
}

} // namespace print
