#pragma once

#include <QColor>
#include <QString>
#include <QVector>

namespace core {
class Recordset;
}

namespace print {

class PlanCanvas;

// The print layout of one item (a ckControl row), in tenths of a millimetre.
struct ItemLayout {
    QString type; // CtlType of the layout row: "LINE" draws a line, anything else text
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    QString fontName;
    QString colour;
    int fontSize = 0;
    int bold = 0;
    int italic = 0;
    int underline = 0;
    int breakFontSize = 0;
    double lineHeight = 0;
    QString fitParam;
    QString align;
    QString breakNum;

    // The current row of a ckControl record set.
    static ItemLayout fromRecord(const core::Recordset& row);
};

// One mark of a plan. Positions and lengths in tenths of a millimetre, template offsets added.
struct DrawOp {
    enum class Kind { Text, Line };
    Kind kind = Kind::Text;
    int x = 0;
    int y = 0;
    // Text: top-left of its line box, aligned within boxWidth (0 left, 1 centred, 2 right).
    QString text;
    QString font;
    int size = 0; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QColor color = Qt::black;
    int boxWidth = 0;
    int align = 0;
    // Line: from (x, y) down or right.
    int length = 0;
    bool vertical = false;
    int penWidth = 1; // device pixels

    bool operator==(const DrawOp& o) const;
};

// What a plan needs beyond the item: the template offsets, and for the currency shift the
// bill's currency abbreviation and the width of one amount cell.
struct PlanContext {
    int xOffset = 0;
    int yOffset = 0;
    QString moneyCode;
    int cellWidth = 0;
};

// The one place that decides how an item prints: line pitch, break font size, the split at a
// marker and the break by width, equal-width cells, the currency shift, alignment, line items.
// The printer draws a plan on the page, the preview and the designers on the screen; both
// convert with the same rounding at their own resolution, so what the screen shows is what the
// paper gets.
class ItemPlan {
public:
    // The marks of an item with this value; none for a blank value. Throws PrintError for a
    // layout that cannot print: an Align that is no integer, a FitParam such as 12.5.
    static QVector<DrawOp> plan(const ItemLayout& item, const QString& value, const QString& breakMarker,
                                const PlanContext& context);

    // Draws marks with their device positions: x and y converted at the canvas's resolution
    // with its crossed physical offsets, alignment measured in the canvas's font.
    static void draw(const DrawOp& op, PlanCanvas& canvas);
    static void draw(const QVector<DrawOp>& ops, PlanCanvas& canvas);

    // A colour text as stored: decimal signed 32-bit, red in the low byte; negative values are
    // system colours, of which only the window-text colour (black) is used on paper. Empty or
    // not an integer gives black.
    static QColor colorFromText(const QString& colour);

    static const QString kBreakMarker; // ##
};

} // namespace print
