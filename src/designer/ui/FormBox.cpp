#include "designer/ui/FormBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace designer::ui {

FormBox::FormBox(const QString& name, const QString& kind, const QString& label, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_label(label), m_text(label) {
    setObjectName(name);
    setToolTip(label);
    setCursor(Qt::SizeAllCursor);
}

void FormBox::setText(const QString& text) {
    m_text = text;
    if (m_kind == QLatin1String("CHECKBOX"))
        setToolTip(text);
    update();
}

void FormBox::setHighlight(Highlight highlight) {
    m_highlight = highlight;
    update();
}

QColor FormBox::textBackground(Highlight highlight) {
    switch (highlight) {
    case Highlight::Selected:
        return Qt::red;
    case Highlight::Unselected:
        return {160, 178, 243};
    case Highlight::None:
        break;
    }
    return {175, 186, 231};
}

void FormBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    const bool selected = m_highlight == Highlight::Selected;
    if (m_kind == QLatin1String("SHAPE") || m_kind == QLatin1String("LINE")) {
        QColor colour = m_kind == QLatin1String("SHAPE") ? QColor(Qt::red) : QColor(Qt::black);
        if (m_highlight != Highlight::None)
            colour = selected ? QColor(Qt::red) : QColor(Qt::blue);
        if (m_kind == QLatin1String("LINE")) {
            p.fillRect(r, colour);
            return;
        }
        p.setPen(QPen(colour, 2));
        p.drawRect(r.adjusted(1, 1, -1, -1));
        return;
    }
    if (m_kind == QLatin1String("CHECKBOX")) {
        if (m_highlight != Highlight::None)
            p.fillRect(r, textBackground(m_highlight));
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = r;
        option.text = m_text;
        option.state |= QStyle::State_Off;
        style()->drawControl(QStyle::CE_CheckBox, &option, &p, this);
        return;
    }
    if (m_kind == QLatin1String("LABEL")) {
        if (selected)
            p.fillRect(r, Qt::red);
    } else {
        p.fillRect(r, textBackground(m_highlight));
    }
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(r.adjusted(2, 0, -1, 0), Qt::AlignLeft | Qt::AlignVCenter, m_text);
}

void FormBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    emit pressed(this, event->globalPosition().toPoint());
}

void FormBox::mouseMoveEvent(QMouseEvent* event) {
    if (m_pressed)
        emit dragged(event->globalPosition().toPoint());
}

void FormBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    emit released();
}

} // namespace designer::ui
