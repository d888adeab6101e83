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

// The most a sheet can hold; repeats beyond it are padding.
constexpr int maxRows = 1048576;
constexpr int maxColumns = 16384;

int repeatCount(const QXmlStreamReader& xml, QLatin1String name) {
    const int n = xml.attributes().value(tableNs, name).toInt();
    return n > 0 ? n : 1;
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
    int paragraphCount = 0;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
        } else if (token == QXmlStreamReader::Characters) {
            text += xml.text();
        } else if (token == QXmlStreamReader::StartElement) {
            const auto name = xml.name();
            if (xml.namespaceUri() == officeNs && name == u"annotation") {
                xml.skipCurrentElement();
            } else if (xml.namespaceUri() == textNs && name == u"s") {
                const int c = xml.attributes().value(textNs, QLatin1String("c")).toInt();
                text += QString(c > 0 ? c : 1, QLatin1Char(' '));
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

OdsReader::OdsReader(const QString& path) {
    ZipArchive zip(path);
    if (!zip.contains(QStringLiteral("content.xml")))
        throw SpreadsheetError(QStringLiteral("文件不是OpenDocument表格（缺少content.xml）：") + path);
    QXmlStreamReader xml(zip.read(QStringLiteral("content.xml")));
    SheetCells* sheet = nullptr;
    int row = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.namespaceUri() != tableNs)
            continue;
        if (xml.name() == u"table") {
            m_names.append(xml.attributes().value(tableNs, QLatin1String("name")).toString());
            m_sheets.append(SheetCells());
            sheet = &m_sheets.last();
            row = 0;
        } else if (xml.name() == u"table-row" && sheet) {
            const int repeat = repeatCount(xml, QLatin1String("number-rows-repeated"));
            readRow(xml, *sheet, row);
            // A repeated row with values is the same row several times over.
            for (int r = 1; r < repeat && row + r < maxRows; ++r) {
                for (int c = 1; c <= sheet->columns() && row < sheet->rows(); ++c)
                    sheet->set(row + r, c - 1, sheet->cell(row + 1, c));
            }
            row += repeat;
        }
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

void OdsReader::readRow(QXmlStreamReader& xml, SheetCells& cells, int row) {
    int column = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"table-row")
            return;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() != u"table-cell" && xml.name() != u"covered-table-cell") {
            xml.skipCurrentElement();
            continue;
        }
        const int repeat = repeatCount(xml, QLatin1String("number-columns-repeated"));
        const QString text = cellText(xml);
        if (!CellText::trimmed(text).isEmpty() && row < maxRows) {
            for (int c = column; c < column + repeat && c < maxColumns; ++c)
                cells.set(row, c, text);
        }
        column += repeat;
    }
}

} // namespace imports
