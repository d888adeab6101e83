#include "print/ItemRenderer.h"

#include "core/AppContext.h"
#include "print/PrintDevice.h"
#include "print/PrintError.h"
#include "print/PrintGeometry.h"
#include "print/TextBreaking.h"

namespace print {

namespace {

const QString kBreakMarker = QStringLiteral("##");

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

} // namespace

ItemRenderer::ItemRenderer(core::AppContext& app, PrintDevice& device)
    : m_app(app), m_device(device), m_controls(app) {}

void ItemRenderer::printBill(QWidget* container, const QString& kind, int checkTypeId, int xOffset,
                             int yOffset) {
    core::Recordset items = m_app.db().query(
        QStringLiteral("select * from namedict where CheckTypeName=:kind and PrintItem=1 order by showord"),
        {{QStringLiteral("kind"), kind}});
    for (items.first(); !items.eof(); items.next()) {
        const QString name = items.text(QStringLiteral("CtlName"));
        QString type = items.text(QStringLiteral("CtlType")).trimmed().toUpper();
        if (type.isEmpty())
            type = QStringLiteral("TEXT");
        if (m_itemObserver)
            m_itemObserver(name);
        if (type == QLatin1String("TEXT")) {
            QString value = m_controls.getControlValue(container, name);
            value.replace(QLatin1Char('\n'), kBreakMarker);
            value.remove(QLatin1Char('\r'));
            printCheckItem(checkTypeId, xOffset, yOffset, name, value, kBreakMarker);
        } else if (type == QLatin1String("CHECKBOX")) {
            // A tick item prints its mark ("√") only when ticked: an unticked box stays blank on
            // paper as it is on screen.
            printCheckItem(checkTypeId, xOffset, yOffset, name, m_controls.getControlValue(container, name),
                           QString());
        } else if (type == QLatin1String("LINE")) {
            printCheckItem(checkTypeId, xOffset, yOffset, name, QStringLiteral("-"), QString());
        }
    }
}

bool ItemRenderer::printCheckItem(int checkTypeId, int xOffset, int yOffset, const QString& name,
                                  const QString& value, const QString& breakMarker) {
    if (TextBreaking::isBlank(value))
        return true;
    try {
        core::Recordset row = m_app.db().query(
            QStringLiteral("select * from CkControl where CheckTypeId=:typeid and CtlName=:cname and "
                           "NeedPrint=1 and NeedShow=1"),
            {{QStringLiteral("typeid"), checkTypeId}, {QStringLiteral("cname"), name}});
        if (row.isEmpty())
            return true;
        row.first();
        const QString fontName = row.text(QStringLiteral("ctlFontName"));
        const QString colour = row.text(QStringLiteral("ctlFontColor"));
        const int fontSize = static_cast<int>(row.integer(QStringLiteral("ctlFontSize")));
        const int bold = static_cast<int>(row.integer(QStringLiteral("Bold")));
        const int italic = static_cast<int>(row.integer(QStringLiteral("Italic")));
        const int underline = static_cast<int>(row.integer(QStringLiteral("Underline")));
        const int breakFontSize = qMax(6, static_cast<int>(row.integer(QStringLiteral("BreakFontSize"))));
        const double lineHeight = row.number(QStringLiteral("CtlLH"));
        const QString fitParam = row.text(QStringLiteral("FitParam"));
        const int align = toAlign(row.text(QStringLiteral("Align")));
        const int width = static_cast<int>(row.integer(QStringLiteral("ctlw")));
        const int height = static_cast<int>(row.integer(QStringLiteral("ctlh")));
        int x = static_cast<int>(row.integer(QStringLiteral("ctlx"))) + xOffset;
        const int y = static_cast<int>(row.integer(QStringLiteral("ctly"))) + yOffset;

        const QString breakNum = row.text(QStringLiteral("breaknum"));
        int perLine = -1;
        if (TextBreaking::isDigitText(breakNum)) {
            bool ok = false;
            perLine = breakNum.toInt(&ok);
            if (!ok)
                perLine = -1; // too long to be a count: nothing is that wide
        }

        if (row.text(QStringLiteral("CtlType")) == QLatin1String("LINE")) {
            printLine(x, y, height, width, bold);
            return true;
        }

        const int pitch = lineHeight < 1 ? 50 : static_cast<int>(PrintGeometry::roundHalfEven(lineHeight));
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
                lines << TextBreaking::splitByWidth(piece, perLine);
        }
        const int size = lines.size() == 1 ? fontSize : breakFontSize;

        // A currency abbreviation printed alone sits in the amount cells: a full-width one moves
        // left by a millimetre, a Latin one so that it ends just before the first digit cell.
        if (lines.size() == 1 && text == m_app.moneyCode) {
            const int bytes = TextBreaking::byteLength(text);
            if (hasDoubleByte(text))
                x -= 10;
            else if (bytes > 1 && m_app.cellWidth > 0)
                x = x + 4 - (bytes - 2) * m_app.cellWidth;
        }

        for (int i = 0; i < lines.size(); ++i)
            printFitText(x, y + i * pitch, lines.at(i), fontName, colour, size, fitParam, bold, italic,
                         underline, width, align);
        return true;
    } catch (const std::exception&) {
        m_app.dialogs().alert(QStringLiteral("打印") + name + QStringLiteral("出现错误！"),
                              QStringLiteral("错误"), false);
        return false;
    }
}

void ItemRenderer::printFitText(int x, int y, const QString& text, const QString& fontName,
                                const QString& colour, int size, const QString& fitParam, int bold,
                                int italic, int underline, int width, int align) {
    if (TextBreaking::isBlank(text))
        return;
    if (!TextBreaking::isNumberText(fitParam)) {
        printTextAt(x, y, text, fontName, colour, size, bold, italic, underline, width, align);
        return;
    }
    bool ok = false;
    const int cell = fitParam.toInt(&ok);
    if (!ok)
        throw PrintError(QStringLiteral("FitParam is no whole number: ") + fitParam);
    const QStringList chars = TextBreaking::characters(text);
    for (int k = 0; k < chars.size(); ++k)
        printTextAt(x + k * cell, y, chars.at(k), fontName, colour, size, bold, italic, underline, width,
                    align);
}

void ItemRenderer::printTextAt(int x, int y, const QString& text, const QString& fontName,
                               const QString& colour, int size, int bold, int italic, int underline,
                               int width, int align) {
    if (TextBreaking::isBlank(text))
        return;
    const DeviceMetrics m = PrintGeometry::metrics(m_device);
    QPoint p = PrintGeometry::devicePosition(x, y, m);
    const int widthPx = PrintGeometry::widthToPixels(width, m);

    m_device.setFontName(fontName.isEmpty() ? QStringLiteral("宋体") : fontName);
    m_device.setFontSize(size);
    m_device.setBold(bold > 0);
    m_device.setItalic(italic > 0);
    m_device.setUnderline(underline > 0);
    m_device.setColor(colorFromText(colour));

    if (align == 2)
        p.rx() += widthPx - m_device.textWidth(text);
    else if (align == 1)
        p.rx() += static_cast<int>(PrintGeometry::roundHalfEven((widthPx - m_device.textWidth(text)) / 2.0));
    m_device.drawText(p.x(), p.y(), text);
}

void ItemRenderer::printLine(int x, int y, int height, int width, int bold) {
    const DeviceMetrics m = PrintGeometry::metrics(m_device);
    const QPoint p = PrintGeometry::devicePosition(x, y, m);
    m_device.setPenWidth(bold > 0 ? 2 : 1);
    if (height > width)
        m_device.drawLine(p.x(), p.y(), p.x(), p.y() + PrintGeometry::heightToPixels(height, m));
    else
        m_device.drawLine(p.x(), p.y(), p.x() + PrintGeometry::widthToPixels(width, m), p.y());
}

QColor ItemRenderer::colorFromText(const QString& colour) {
    bool ok = false;
    const qint64 value = colour.trimmed().toLongLong(&ok);
    if (!ok || value < 0 || value > 0xFFFFFF)
        return QColor(Qt::black);
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace print
