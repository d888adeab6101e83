#include "print/ExtentProbe.h"

#include <QStringList>

namespace print {

void ExtentProbe::setFontSize(int points) {
    m_points = points;
    m_device.setFontSize(points);
}

void ExtentProbe::drawText(int x, int y, const QString& text) {
    const int em = qMax(1, qRound(qMax(1, m_points) * resolutionY() / 72.0));
    m_extents.append({m_item, QRect(x, y, qMax(1, textWidth(text)), em)});
}

void ExtentProbe::drawLine(int x1, int y1, int x2, int y2) {
    const QRect stroke = QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized();
    m_extents.append({m_item, stroke.adjusted(0, 0, m_pen - 1, m_pen - 1)});
}

void ExtentProbe::drawImage(const QRect& target, const QImage&) {
    m_extents.append({m_item, target.normalized()});
}

QStringList ExtentProbe::itemsOutside(const QSize& printable, int margin) const {
    const QRect allowed = QRect(QPoint(0, 0), printable).adjusted(-margin, -margin, margin, margin);
    QStringList out;
    for (const Extent& e : m_extents)
        if (!allowed.contains(e.rect) && !out.contains(e.item))
            out << e.item;
    return out;
}

} // namespace print
