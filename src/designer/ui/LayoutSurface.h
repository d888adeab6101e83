#pragma once

#include "designer/LayoutScale.h"
#include "designer/LayoutStore.h"

#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace designer::ui {

// The paper of the print-layout designer: one painted widget. Every item is drawn from the
// printer's own item plan through the printer's painter routine (ItemPlan::draw on a
// ScreenCanvas at the surface's resolution), so lines break, cells spread and text aligns as
// on paper. The painted parts keep the names a click reports: the item's name, + "L" + line
// (from 0) for a broken line, + "R" + character (from 1) for a character cell. Items that print
// nothing (hidden, of a kind that never prints, no text, a layout the printer refuses) are
// outlined, not drawn as if they printed.
class LayoutSurface final : public QWidget {
    Q_OBJECT
public:
    struct Part {
        QString name;
        QString item; // the item's key (name in upper case)
        QRect rect;
        bool prints = true;
    };

    explicit LayoutSurface(QWidget* parent = nullptr);

    // A new scale ends any drag without writing it: its distance was measured at the old one.
    void setScale(const LayoutScale& scale);
    const LayoutScale& scale() const { return m_scale; }
    void setPaper(int width, int height);
    void setBackground(const QImage& image);
    void setItems(const QVector<LayoutItem>& items);
    // Replaces (or adds) one item, planned again.
    void setItem(const LayoutItem& item);
    void setSelected(const QStringList& names);
    bool isSelected(const QString& name) const;
    void setTransparent(bool on);
    // The context of the plans (the amount-cell width for the currency shift).
    void setPlanContext(const print::PlanContext& context) { m_context = context; }

    QVector<Part> parts() const;
    QVector<Part> partsOf(const QString& item) const;
    // The topmost part under a point, or none.
    const Part* partAt(const QPoint& point) const;

    bool dragging() const { return m_dragging; }
    QString dragItem() const { return m_dragItem; }
    QPoint dragDelta() const { return m_dragDelta; }
    // Ends a drag without reporting it.
    void cancelDrag();

    static QString key(const QString& name) { return name.trimmed().toUpper(); }

signals:
    // A left click on a part (before any drag), with the item's stored name.
    void partPressed(const QString& item, const QString& part);
    void partDoubleClicked(const QString& item);
    void paperClicked();
    // While dragging and when released after at least the drag distance; pixels on the surface.
    void dragMoved(const QString& item, const QPoint& delta);
    void dragFinished(const QString& item, const QPoint& delta);
    // Arrow keys: one step in the direction.
    void keyMove(int dx, int dy);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Painted {
        LayoutItem item;
        QVector<print::DrawOp> ops;
        QVector<Part> parts;
    };
    void plan(Painted& p) const;
    void relayout();

    LayoutScale m_scale;
    int m_paperWidth = 2300;
    int m_paperHeight = 1270;
    QImage m_image;
    QPixmap m_scaledImage;
    QVector<QString> m_order; // keys in painting order
    QHash<QString, Painted> m_items;
    QStringList m_selected; // keys
    bool m_transparent = false;
    print::PlanContext m_context;

    QString m_pressItem; // key of an item whose drag may start
    QPoint m_pressPos;
    bool m_dragging = false;
    QString m_dragItem;
    QPoint m_dragDelta;
};

} // namespace designer::ui
