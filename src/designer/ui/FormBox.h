#pragma once

#include <QString>
#include <QWidget>

namespace designer::ui {

// One item's box on the designer's image, drawn by its kind: a text box, an outlined shape, a
// line, a tick box or a transparent label. Pressing it selects and drags it; the window decides
// where it goes.
class FormBox final : public QWidget {
    Q_OBJECT
public:
    enum class Highlight { None, Selected, Unselected };

    FormBox(const QString& name, const QString& kind, const QString& label, QWidget* parent);

    QString kind() const { return m_kind; }
    QString label() const { return m_label; }
    // What a text box or label shows: the default value, or else the label; a tick box's caption.
    void setText(const QString& text);
    QString text() const { return m_text; }
    void setHighlight(Highlight highlight);
    Highlight highlight() const { return m_highlight; }

    static QColor textBackground(Highlight highlight);

signals:
    void pressed(designer::ui::FormBox* box, QPoint globalPos);
    void dragged(QPoint globalPos);
    void released();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_kind;
    QString m_label;
    QString m_text;
    Highlight m_highlight = Highlight::None;
    bool m_pressed = false;
};

} // namespace designer::ui
