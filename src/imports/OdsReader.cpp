#include "imports/OdsReader.h"

#include "imports/CellText.h"
#include "imports/SpreadsheetError.h"
#include "imports/ZipArchive.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace imports {

namespace {

const QString tableNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString officeNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString textNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString configNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:config:1.0");

// Thrown inside a sheet that passes what a sheet may hold.
struct SheetFull {};

// Repeat counts are clamped to the grid, so no sum of them can overflow.
qint64 repeatCount(const QXmlStreamReader& xml, QLatin1String name) {
    const qint64 n = xml.attributes().value(tableNs, name).toLongLong();
    return n > 0 ? qMin<qint64>(n, SheetCells::maxRows) : 1;
}

// "PT10H30M05S" (hours may pass 24 for durations).
QString durationText(const QString& value) {
    static const QRegularExpression re(QStringLiteral(R"(^PT(\d+)H(\d+)M(\d+)(?:[.,]\d+)?S$)"));
    const auto m = re.match(value);
    if (!m.hasMatch())
        return value;
    const int hours = m.captured(1).toInt();
    const int minutes = m.captured(2).toInt();
    const int seconds = m.captured(3).toInt();
    if (hours < 24)
        return CellText::time(QTime(hours, minutes, seconds));
    return QStringLiteral("%1:%2:%3")
        .arg(hours)
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'));
}

// Paragraph text of a cell: spans and links flattened, <text:s/> as spaces, tabs and line
// breaks kept, paragraphs on their own lines; comments (office:annotation) left out.
QString paragraphs(QXmlStreamReader& xml) {
    QString text;
    const auto grow = [&text](qint64 more) {
        if (text.size() + more > SheetCells::maxText)
            throw SheetFull();
    };
    int paragraphCount = 0;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
        } else if (token == QXmlStreamReader::Characters) {
            grow(xml.text().size());
            text += xml.text();
        } else if (token == QXmlStreamReader::StartElement) {
            const auto name = xml.name();
            if (xml.namespaceUri() == officeNs && name == u"annotation") {
                xml.skipCurrentElement();
            } else if (xml.namespaceUri() == textNs && name == u"s") {
                const qint64 c =
                    qMax<qint64>(1, xml.attributes().value(textNs, QLatin1String("c")).toLongLong());
                grow(c);
                text += QString(qsizetype(c), QLatin1Char(' '));
                xml.skipCurrentElement();
            } else if (xml.namespaceUri() == textNs && name == u"tab") {
                text += QLatin1Char('\t');
                xml.skipCurrentElement();
            } else if (xml.namespaceUri() == textNs && name == u"line-break") {
                text += QLatin1Char('\n');
                xml.skipCurrentElement();
            } else {
                if (xml.namespaceUri() == textNs && name == u"p" && paragraphCount++ > 0)
                    text += QLatin1Char('\n');
                ++depth;
            }
        }
    }
    return text;
}

// Reads one table-cell or covered-table-cell to its end and gives its text.
QString cellText(QXmlStreamReader& xml) {
    const auto a = xml.attributes();
    const auto type = a.value(officeNs, QLatin1String("value-type"));
    QString text;
    if (type == u"float" || type == u"percentage" || type == u"currency")
        text = CellText::number(a.value(officeNs, QLatin1String("value")).toDouble());
    else if (type == u"date")
        text = CellText::isoDateTime(a.value(officeNs, QLatin1String("date-value")).toString());
    else if (type == u"time")
        text = durationText(a.value(officeNs, QLatin1String("time-value")).toString());
    else if (type == u"boolean")
        text = CellText::boolean(a.value(officeNs, QLatin1String("boolean-value")) == u"true");
    else if (a.hasAttribute(officeNs, QLatin1String("string-value")))
        text = a.value(officeNs, QLatin1String("string-value")).toString();
    else
        return paragraphs(xml);
    xml.skipCurrentElement();
    return text;
}

} // namespace

OdsReader::OdsReader(const QString& path) : m_path(path) {
    ZipArchive zip(path);
    if (!zip.contains(QStringLiteral("content.xml")))
        throw SpreadsheetError(QStringLiteral("文件不是OpenDocument表格（缺少content.xml）：") + path);
    // Kept as read, so a sheet chosen later is parsed again but never inflated again.
    m_content = zip.read(QStringLiteral("content.xml"));
    QXmlStreamReader xml(m_content);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.namespaceUri() != tableNs)
            continue;
        if (xml.name() == u"table")
            m_names.append(xml.attributes().value(tableNs, QLatin1String("name")).toString());
    }
    if (xml.hasError())
        throw SpreadsheetError(QStringLiteral("工作簿内容有误（content.xml，第%1行：%2）：%3")
                                   .arg(xml.lineNumber())
                                   .arg(xml.errorString(), path));
    if (m_names.isEmpty())
        throw SpreadsheetError(QStringLiteral("工作簿里没有工作表：") + path);

    if (zip.contains(QStringLiteral("settings.xml"))) {
        QXmlStreamReader settings(zip.read(QStringLiteral("settings.xml")));
        while (!settings.atEnd()) {
            if (settings.readNext() == QXmlStreamReader::StartElement && settings.name() == u"config-item" &&
                settings.attributes().value(configNs, QLatin1String("name")) == u"ActiveTable") {
                m_active = qMax(0, m_names.indexOf(settings.readElementText()));
                break;
            }
        }
    }
}

SheetCells OdsReader::readSheet(int index) {
    QXmlStreamReader xml(m_content);
    int table = -1;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.namespaceUri() == tableNs &&
            xml.name() == u"table" && ++table == index)
            break;
    }
    SheetCells cells;
    if (table != index)
        return cells;
    try {
        qint64 row = 0;
        int depth = 1;
        while (depth > 0 && !xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndElement) {
                --depth;
                continue;
            }
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (xml.namespaceUri() != tableNs || xml.name() != u"table-row") {
                ++depth;
                continue;
            }
            const qint64 repeat = repeatCount(xml, QLatin1String("number-rows-repeated"));
            const Row values = readRow(xml);
            // A repeated row with values is the same row several times over; repeats past the
            // grid are padding, and empty repeats only move on.
            if (!values.empty()) {
                const qint64 times =
                    qMin(repeat, SheetCells::maxRows - qMin<qint64>(row, SheetCells::maxRows));
                qint64 text = 0;
                for (const auto& cell : values)
                    text += cell.second.size();
                if (!cells.canAdd(times * qint64(values.size()), times * text))
                    throw SheetFull();
                for (qint64 r = 0; r < times; ++r) {
                    for (const auto& cell : values)
                        cells.set(int(row + r), cell.first, cell.second);
                }
            }
            row += repeat;
        }
    } catch (const SheetFull&) {
        throw SpreadsheetError(SheetCells::tooLargeMessage(m_names.value(index), m_path));
    }
    if (xml.hasError())
        throw SpreadsheetError(QStringLiteral("工作簿内容有误（content.xml，第%1行：%2）：%3")
                                   .arg(xml.lineNumber())
                                   .arg(xml.errorString(), m_path));
    return cells;
}

OdsReader::Row OdsReader::readRow(QXmlStreamReader& xml) {
    Row values;
    qint64 column = 0;
    qint64 text = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"table-row")
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() != u"table-cell" && xml.name() != u"covered-table-cell") {
            xml.skipCurrentElement();
            continue;
        }
        const qint64 repeat =
            qMin<qint64>(repeatCount(xml, QLatin1String("number-columns-repeated")), SheetCells::maxColumns);
        const QString value = CellText::trimmed(cellText(xml));
        if (!value.isEmpty()) {
            const qint64 end = qMin<qint64>(column + repeat, SheetCells::maxColumns);
            if (end > column && (SheetCells::maxCells < qint64(values.size()) + end - column ||
                                 SheetCells::maxText < text + (end - column) * value.size()))
                throw SheetFull();
            for (qint64 c = column; c < end; ++c)
                values.emplace_back(int(c), value);
            text += qMax<qint64>(0, end - column) * value.size();
        }
        column = qMin<qint64>(column + repeat, SheetCells::maxColumns);
    }
    return values;
}

} // namespace imports
