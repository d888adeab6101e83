#include "designer/ui/LayoutSurface.h"

#include "print/PainterDrawing.h"
#include "print/PrintGeometry.h"
#include "print/ScreenCanvas.h"
#include "print/TextBreaking.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace designer::ui {

namespace {

const QColor kUnselected(132, 161, 249);

} // namespace

LayoutSurface::LayoutSurface(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("imgBg"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    relayout();
}

void LayoutSurface::setScale(const LayoutScale& scale) {
    cancelDrag();
    m_scale = scale;
    relayout();
}

void LayoutSurface::setPaper(int width, int height) {
    m_paperWidth = qMax(1, width);
    m_paperHeight = qMax(1, height);
    relayout();
}

void LayoutSurface::setBackground(const QImage& image) {
    m_image = image;
    m_scaledImage = QPixmap();
    update();
}

void LayoutSurface::setItems(const QVector<LayoutItem>& items) {
    cancelDrag();
    m_items.clear();
    m_order.clear();
    for (const LayoutItem& item : items)
        setItem(item);
    update();
}

void LayoutSurface::setItem(const LayoutItem& item) {
    const QString k = key(item.name);
    if (!m_items.contains(k))
        m_order << k;
    Painted& p = m_items[k];
    p.item = item;
    plan(p);
    update();
}

void LayoutSurface::setSelected(const QStringList& names) {
    m_selected.clear();
    for (const QString& n : names)
        m_selected << key(n);
    update();
}

bool LayoutSurface::isSelected(const QString& name) const {
    return m_selected.contains(key(name));
}

void LayoutSurface::setTransparent(bool on) {
    m_transparent = on;
    update();
}

void LayoutSurface::relayout() {
    const QSize size = m_scale.surfaceSize(m_paperWidth, m_paperHeight);
    setFixedSize(size);
    m_scaledImage = QPixmap();
    for (Painted& p : m_items)
        plan(p);
    update();
}

void LayoutSurface::plan(Painted& p) const {
    const LayoutItem& item = p.item;
    const print::ItemLayout& l = item.layout;
    p.ops.clear();
    p.parts.clear();
    try {
        p.ops = item.plan(m_context);
    } catch (const std::exception&) {
        p.ops.clear(); // the printer reports such an item and prints nothing for it
    }
    const int boxW = l.width > 0 ? m_scale.toPixels(l.width) : item.srcW;
    const int boxH = l.height > 0 ? m_scale.toPixels(l.height) : item.srcH;
    const QString k = key(item.name);
    if (p.ops.isEmpty()) {
        p.parts << Part{item.name, k,
                        QRect(m_scale.toPixels(l.x), m_scale.toPixels(l.y), qMax(8, boxW), qMax(8, boxH)),
                        false};
        return;
    }
    const int pitch = l.lineHeight < 1 ? 50 : int(print::PrintGeometry::roundHalfEven(l.lineHeight));
    const bool spread = print::TextBreaking::isNumberText(l.fitParam);
    const int cell = spread ? l.fitParam.toInt() : 0;
    int lines = 1;
    for (const print::DrawOp& op : p.ops)
        if (op.kind == print::DrawOp::Kind::Text)
            lines = qMax(lines, 1 + qRound(double(op.y - l.y) / pitch));
    const bool broken = lines > 1;
    int lastLine = -1;
    int character = 0;
    for (const print::DrawOp& op : p.ops) {
        const QPoint at(m_scale.toPixels(op.x), m_scale.toPixels(op.y));
        if (op.kind == print::DrawOp::Kind::Line) {
            const int len = m_scale.toPixels(op.length);
            const QRect r = op.vertical ? QRect(at.x() - 3, at.y(), 7, qMax(1, len))
                                        : QRect(at.x(), at.y() - 3, qMax(1, len), 7);
            p.parts << Part{item.name, k, r, true};
            continue;
        }
        const int line = qRound(double(op.y - l.y) / pitch);
        character = line == lastLine ? character + 1 : 1;
        lastLine = line;
        QFont font;
        print::PainterDrawing::setFace(font, op.font);
        font = print::PainterDrawing::sized(font, op.size, m_scale.dpi());
        const QFontMetrics fm(font);
        int w = cell > 0 ? m_scale.toPixels(cell) : boxW;
        w = qMax(w, fm.horizontalAdvance(op.text));
        const int h = qMax(broken ? m_scale.toPixels(pitch) : boxH, 4);
        QString name = item.name;
        if (broken)
            name += QLatin1Char('L') + QString::number(line);
        if (spread)
            name += QLatin1Char('R') + QString::number(character);
        p.parts << Part{name, k, QRect(at, QSize(qMax(4, w), h)), true};
    }
}

QVector<LayoutSurface::Part> LayoutSurface::parts() const {
    QVector<Part> out;
    for (const QString& k : m_order)
        out += m_items.value(k).parts;
    return out;
}

QVector<LayoutSurface::Part> LayoutSurface::partsOf(const QString& item) const {
    return m_items.value(key(item)).parts;
}

const LayoutSurface::Part* LayoutSurface::partAt(const QPoint& point) const {
    // Later items are painted over earlier ones, so they are hit first.
    for (auto k = m_order.crbegin(); k != m_order.crend(); ++k) {
        const Painted& p = *m_items.find(*k);
        for (const Part& part : p.parts)
            if (part.rect.contains(point))
                return &part;
    }
    return nullptr;
}

void LayoutSurface::cancelDrag() {
    const bool was = m_dragging;
    m_pressItem.clear();
    m_dragging = false;
    m_dragItem.clear();
    m_dragDelta = QPoint();
    if (was)
        update();
}

void LayoutSurface::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_image.isNull()) {
        if (m_scaledImage.size() != size())
            m_scaledImage =
                QPixmap::fromImage(m_image.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        painter.drawPixmap(0, 0, m_scaledImage);
    }
    print::ScreenCanvas canvas(painter, m_scale.dpi(), m_scale.dpi());
    for (const QString& k : m_order) {
        const Painted& p = *m_items.find(k);
        const bool selected = m_selected.contains(k);
        painter.save();
        if (m_dragging && k == m_dragItem)
            painter.translate(m_dragDelta);
        for (const Part& part : p.parts) {
            if (!part.prints) {
                painter.setPen(QPen(selected ? Qt::red : Qt::darkGray, 1, Qt::DashLine));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(part.rect.adjusted(0, 0, -1, -1));
            } else if (selected) {
                painter.fillRect(part.rect, Qt::red);
            } else if (!m_transparent) {
                painter.fillRect(part.rect, kUnselected);
            }
        }
        print::ItemPlan::draw(p.ops, canvas);
        painter.restore();
    }
}

void LayoutSurface::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    cancelDrag();
    const Part* part = partAt(event->position().toPoint());
    if (!part) {
        emit paperClicked();
        return;
    }
    const QString item = part->item;
    const QString name = m_items.value(item).item.name;
    emit partPressed(name, part->name);
    // Only the one selected item is dragged.
    if (m_selected.size() == 1 && m_selected.first() == item) {
        m_pressItem = item;
        m_pressPos = event->position().toPoint();
    }
}

void LayoutSurface::mouseMoveEvent(QMouseEvent* event) {
    if (m_pressItem.isEmpty() || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint delta = event->position().toPoint() - m_pressPos;
    if (!m_dragging && !isDrag(delta, QApplication::startDragDistance()))
        return;
    m_dragging = true;
    m_dragItem = m_pressItem;
    m_dragDelta = delta;
    update();
    emit dragMoved(m_items.value(m_dragItem).item.name, delta);
}

void LayoutSurface::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const bool dragged = m_dragging;
    const QString name = m_items.value(m_dragItem).item.name;
    const QPoint delta = event->position().toPoint() - m_pressPos;
    cancelDrag();
    if (dragged && isDrag(delta, QApplication::startDragDistance()))
        emit dragFinished(name, delta);
}

void LayoutSurface::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    cancelDrag();
    if (const Part* part = partAt(event->position().toPoint()))
        emit partDoubleClicked(m_items.value(part->item).item.name);
}

void LayoutSurface::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        emit keyMove(-1, 0);
        break;
    case Qt::Key_Right:
        emit keyMove(1, 0);
        break;
    case Qt::Key_Up:
        emit keyMove(0, -1);
        break;
    case Qt::Key_Down:
        emit keyMove(0, 1);
        break;
    case Qt::Key_Escape:
        if (m_dragging) {
            cancelDrag();
            break;
        }
        QWidget::keyPressEvent(event);
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace designer::ui
