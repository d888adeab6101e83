#include "print/ItemPlan.h"

#include "core/Recordset.h"
#include "print/PlanCanvas.h"
#include "print/PrintError.h"
#include "print/PrintGeometry.h"
#include "print/TextBreaking.h"

namespace print {

const QString ItemPlan::kBreakMarker = QStringLiteral("##");

namespace {

int toAlign(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return 0;
    bool ok = false;
    const int value = t.toInt(&ok);
    if (!ok)
        throw PrintError(QStringLiteral("Align is no integer: ") + text);
    return value;
}

bool hasDoubleByte(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return true;
    return false;
}

int perLineOf(const QString& breakNum) {
    if (!TextBreaking::isDigitText(breakNum))
        return -1;
    bool ok = false;
    const int n = breakNum.toInt(&ok);
    return ok ? n : -1; // too long to be a count: nothing is that wide
}

} // namespace

ItemLayout ItemLayout::fromRecord(const core::Recordset& row) {
    ItemLayout l;
    l.type = row.text(QStringLiteral("CtlType"));
    l.x = static_cast<int>(row.integer(QStringLiteral("ctlx")));
    l.y = static_cast<int>(row.integer(QStringLiteral("ctly")));
    l.width = static_cast<int>(row.integer(QStringLiteral("ctlw")));
    l.height = static_cast<int>(row.integer(QStringLiteral("ctlh")));
    l.fontName = row.text(QStringLiteral("ctlFontName"));
    l.colour = row.text(QStringLiteral("ctlFontColor"));
    l.fontSize = static_cast<int>(row.integer(QStringLiteral("ctlFontSize")));
    l.bold = static_cast<int>(row.integer(QStringLiteral("Bold")));
    l.italic = static_cast<int>(row.integer(QStringLiteral("Italic")));
    l.underline = static_cast<int>(row.integer(QStringLiteral("Underline")));
    l.breakFontSize = static_cast<int>(row.integer(QStringLiteral("BreakFontSize")));
    l.lineHeight = row.number(QStringLiteral("CtlLH"));
    l.fitParam = row.text(QStringLiteral("FitParam"));
    l.align = row.text(QStringLiteral("Align"));
    l.breakNum = row.text(QStringLiteral("breaknum"));
    return l;
}

bool DrawOp::operator==(const DrawOp& o) const {
    return kind == o.kind && x == o.x && y == o.y && text == o.text && font == o.font && size == o.size &&
           bold == o.bold && italic == o.italic && underline == o.underline && color == o.color &&
           boxWidth == o.boxWidth && align == o.align && length == o.length && vertical == o.vertical &&
           penWidth == o.penWidth;
}

QVector<DrawOp> ItemPlan::plan(const ItemLayout& item, const QString& value, const QString& breakMarker,
                               const PlanContext& context) {
    QVector<DrawOp> ops;
    if (TextBreaking::isBlank(value))
        return ops;
    int x = item.x + context.xOffset;
    const int y = item.y + context.yOffset;
    const int align = toAlign(item.align);

    if (item.type == QLatin1String("LINE")) {
        DrawOp line;
        line.kind = DrawOp::Kind::Line;
        line.x = x;
        line.y = y;
        line.vertical = item.height > item.width;
        line.length = line.vertical ? item.height : item.width;
        line.penWidth = item.bold > 0 ? 2 : 1;
        ops << line;
        return ops;
    }

    const int perLine = perLineOf(item.breakNum);
    int pitch = item.lineHeight < 1 ? 50 : static_cast<int>(PrintGeometry::roundHalfEven(item.lineHeight));
    const QString text = TextBreaking::trimBlanks(value);
    const QStringList pieces = (breakMarker.isEmpty() || !text.contains(breakMarker))
                                   ? QStringList{text}
                                   : TextBreaking::splitText(text, breakMarker);
    QStringList lines;
    for (const QString& piece : pieces) {
        if (piece.isEmpty())
            continue;
        if (perLine < 1)
            lines << piece;
        else
            lines << TextBreaking::breakLines(piece, perLine);
    }
    int size = lines.size() == 1 ? item.fontSize : qMax(6, item.breakFontSize);
    // Broken lines that would run a little past the box (the last one on the cell's rule) are
    // pulled inside it, the size following the pitch; a pitch that runs well past the box was
    // chosen so and stays.
    if (const qsizetype count = lines.size(); count > 1 && item.height > 0) {
        const qint64 needed = count * qint64(pitch);
        if (needed > item.height && needed * 4 <= qint64(item.height) * 5) {
            pitch = item.height / int(count);
            size = qMin(size, qMax(6, pitch * 72 / 254)); // points to tenths of a millimetre
        }
    }

    // A currency abbreviation printed alone sits in the amount cells: a full-width one moves
    // left by a millimetre, a Latin one so that it ends just before the first digit cell.
    if (lines.size() == 1 && text == context.moneyCode) {
        const int bytes = TextBreaking::byteLength(text);
        if (hasDoubleByte(text))
            x -= 10;
        else if (bytes > 1 && context.cellWidth > 0)
            x = x + 4 - (bytes - 2) * context.cellWidth;
    }

    // A pitch that reads as a number spreads every character into its own cell; one that reads
    // as a number but is no whole number cannot print.
    int cell = 0;
    const bool spread = TextBreaking::isNumberText(item.fitParam);
    if (spread) {
        bool ok = false;
        cell = item.fitParam.toInt(&ok);
        if (!ok)
            throw PrintError(QStringLiteral("FitParam is no whole number: ") + item.fitParam);
    }

    DrawOp mark;
    mark.font = item.fontName.isEmpty() ? QStringLiteral("宋体") : item.fontName;
    mark.size = size;
    mark.bold = item.bold > 0;
    mark.italic = item.italic > 0;
    mark.underline = item.underline > 0;
    mark.color = colorFromText(item.colour);
    mark.boxWidth = item.width;
    mark.align = align;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (TextBreaking::isBlank(line))
            continue;
        mark.y = y + i * pitch;
        const QStringList parts = spread ? TextBreaking::characters(line) : QStringList{line};
        for (int k = 0; k < parts.size(); ++k) {
            if (TextBreaking::isBlank(parts.at(k)))
                continue;
            mark.x = x + k * cell;
            mark.text = parts.at(k);
            ops << mark;
        }
    }
    return ops;
}

void ItemPlan::draw(const DrawOp& op, PlanCanvas& canvas) {
    const DeviceMetrics m = PrintGeometry::metrics(canvas);
    QPoint p = PrintGeometry::devicePosition(op.x, op.y, m);
    if (op.kind == DrawOp::Kind::Line) {
        canvas.setPenWidth(op.penWidth);
        if (op.vertical)
            canvas.drawLine(p.x(), p.y(), p.x(), p.y() + PrintGeometry::heightToPixels(op.length, m));
        else
            canvas.drawLine(p.x(), p.y(), p.x() + PrintGeometry::widthToPixels(op.length, m), p.y());
        return;
    }
    canvas.setFontName(op.font);
    canvas.setFontSize(op.size);
    canvas.setBold(op.bold);
    canvas.setItalic(op.italic);
    canvas.setUnderline(op.underline);
    canvas.setColor(op.color);
    const int widthPx = PrintGeometry::widthToPixels(op.boxWidth, m);
    canvas.setTextRoom(widthPx);
    if (op.align == 2)
        p.rx() += widthPx - canvas.textWidth(op.text);
    else if (op.align == 1)
        p.rx() += static_cast<int>(PrintGeometry::roundHalfEven((widthPx - canvas.textWidth(op.text)) / 2.0));
    canvas.drawText(p.x(), p.y(), op.text);
}

void ItemPlan::draw(const QVector<DrawOp>& ops, PlanCanvas& canvas) {
    for (const DrawOp& op : ops)
        draw(op, canvas);
}

QColor ItemPlan::colorFromText(const QString& colour) {
    bool ok = false;
    const qint64 value = colour.trimmed().toLongLong(&ok);
    if (!ok || value < 0 || value > 0xFFFFFF)
        return QColor(Qt::black);
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace print
