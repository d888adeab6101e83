#include "imports/XlsxReader.h"

#include "imports/CellText.h"
#include "imports/SpreadsheetError.h"

#include <QDir>
#include <QHash>
#include <QXmlStreamReader>

namespace imports {

namespace {

QString partFolder(const QString& part) {
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash + 1);
}

QString relsOf(const QString& part) {
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

// Relationship targets are relative to the source part's folder, or absolute from the package
// root when they start with '/' (as openpyxl writes them).
QString resolveTarget(const QString& sourcePart, const QString& target) {
    QString path = target.startsWith(QLatin1Char('/')) ? target.mid(1) : partFolder(sourcePart) + target;
    path = QDir::cleanPath(path);
    while (path.startsWith(QLatin1String("../")))
        path = path.mid(3);
    return path;
}

bool endsWithType(const QString& type, QLatin1String name) {
    return type.endsWith(QLatin1Char('/') + name);
}

// "B12" -> column 1 (0-based) and row 11; missing parts are -1.
void parseReference(QStringView ref, int& row, int& column) {
    int c = 0;
    qsizetype i = 0;
    for (; i < ref.size(); ++i) {
        const char16_t ch = ref.at(i).toUpper().unicode();
        if (ch < u'A' || ch > u'Z')
            break;
        c = c * 26 + (ch - u'A' + 1);
    }
    column = c - 1;
    bool ok = false;
    const int r = ref.mid(i).toInt(&ok);
    row = ok ? r - 1 : -1;
}

[[noreturn]] void xmlFailure(const QString& path, const QString& part, const QXmlStreamReader& xml) {
    throw SpreadsheetError(QStringLiteral("工作簿内容有误（%1，第%2行：%3）：%4")
                               .arg(part)
                               .arg(xml.lineNumber())
                               .arg(xml.errorString(), path));
}

// Text of a <si> or <is> element: its <t> and the <t> of its rich runs, without the phonetic
// guides (<rPh>) that Japanese and Chinese editions add.
QString stringItem(QXmlStreamReader& xml) {
    QString text;
    int depth = 1;
    int phonetic = 0;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (xml.name() == u"rPh")
                ++phonetic;
            else if (xml.name() == u"t" && phonetic == 0) {
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
                --depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
            if (xml.name() == u"rPh")
                --phonetic;
        }
    }
    return text;
}

} // namespace

XlsxReader::XlsxReader(const QString& path) : m_zip(path), m_path(path) {
    QString workbookPart;
    for (const Relationship& rel : relationships(QString())) {
        if (endsWithType(rel.type, QLatin1String("officeDocument")))
            workbookPart = rel.target;
    }
    if (workbookPart.isEmpty())
        workbookPart = QStringLiteral("xl/workbook.xml");
    if (!m_zip.contains(workbookPart))
        throw SpreadsheetError(QStringLiteral("文件不是Excel工作簿（缺少工作簿内容）：") + path);
    readWorkbook(workbookPart);
}

QVector<XlsxReader::Relationship> XlsxReader::relationships(const QString& part) const {
    QVector<Relationship> result;
    const QString rels = part.isEmpty() ? QStringLiteral("_rels/.rels") : relsOf(part);
    if (!m_zip.contains(rels))
        return result;
    QXmlStreamReader xml(m_zip.read(rels));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"Relationship")
            continue;
        const auto a = xml.attributes();
        if (a.value(QLatin1String("TargetMode")) != u"External")
            result.append({a.value(QLatin1String("Id")).toString(), a.value(QLatin1String("Type")).toString(),
                           resolveTarget(part, a.value(QLatin1String("Target")).toString())});
    }
    if (xml.hasError())
        xmlFailure(m_path, rels, xml);
    return result;
}

void XlsxReader::readWorkbook(const QString& part) {
    QHash<QString, QString> targets;
    QString stylesPart;
    QString stringsPart;
    for (const Relationship& rel : relationships(part)) {
        targets.insert(rel.id, rel.target);
        if (endsWithType(rel.type, QLatin1String("styles")))
            stylesPart = rel.target;
        else if (endsWithType(rel.type, QLatin1String("sharedStrings")))
            stringsPart = rel.target;
    }

    QXmlStreamReader xml(m_zip.read(part));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        if (xml.name() == u"sheet") {
            QString id;
            for (const auto& attribute : a) {
                if (attribute.name() == u"id" && !attribute.namespaceUri().isEmpty())
                    id = attribute.value().toString();
            }
            m_names.append(a.value(QLatin1String("name")).toString());
            m_sheetParts.append(targets.value(id));
        } else if (xml.name() == u"workbookPr") {
            const auto v = a.value(QLatin1String("date1904"));
            m_date1904 = v == u"1" || v == u"true";
        } else if (xml.name() == u"workbookView" && a.hasAttribute(QLatin1String("activeTab"))) {
            m_active = a.value(QLatin1String("activeTab")).toInt();
        }
    }
    if (xml.hasError())
        xmlFailure(m_path, part, xml);
    if (m_names.isEmpty())
        throw SpreadsheetError(QStringLiteral("工作簿里没有工作表：") + m_path);
    if (m_active < 0 || m_active >= m_names.size())
        m_active = 0;
    if (!stringsPart.isEmpty() && m_zip.contains(stringsPart))
        readSharedStrings(stringsPart);
    if (!stylesPart.isEmpty() && m_zip.contains(stylesPart))
        readStyles(stylesPart);
}

void XlsxReader::readSharedStrings(const QString& part) {
    QXmlStreamReader xml(m_zip.read(part));
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si")
            m_strings.append(stringItem(xml));
    }
    if (xml.hasError())
        xmlFailure(m_path, part, xml);
}

void XlsxReader::readStyles(const QString& part) {
    QHash<int, bool> customDates;
    QXmlStreamReader xml(m_zip.read(part));
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs")
            inCellXfs = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        if (xml.name() == u"numFmt") {
            customDates.insert(a.value(QLatin1String("numFmtId")).toInt(),
                               CellText::isDateFormatCode(a.value(QLatin1String("formatCode")).toString()));
        } else if (xml.name() == u"cellXfs") {
            inCellXfs = true;
        } else if (inCellXfs && xml.name() == u"xf") {
            const int id = a.value(QLatin1String("numFmtId")).toInt();
            m_dateStyles.append(customDates.contains(id) ? customDates.value(id)
                                                         : CellText::isBuiltinDateFormat(id));
        }
    }
    if (xml.hasError())
        xmlFailure(m_path, part, xml);
}

SheetCells XlsxReader::readSheet(int index) {
    const QString part = m_sheetParts.value(index);
    if (part.isEmpty() || !m_zip.contains(part))
        throw SpreadsheetError(QStringLiteral("工作表“%1”不是数据表（可能是图表页），无法读取：%2")
                                   .arg(m_names.value(index), m_path));
    SheetCells cells;
    QXmlStreamReader xml(m_zip.read(part));
    int row = -1;
    int column = -1;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"row") {
            const auto r = xml.attributes().value(QLatin1String("r"));
            row = r.isEmpty() ? row + 1 : r.toInt() - 1;
            column = -1;
            continue;
        }
        if (xml.name() != u"c")
            continue;
        const auto a = xml.attributes();
        const QString type = a.value(QLatin1String("t")).toString();
        const int style = a.value(QLatin1String("s")).toInt();
        const auto ref = a.value(QLatin1String("r"));
        if (ref.isEmpty()) {
            ++column;
        } else {
            int refRow = row;
            parseReference(ref, refRow, column);
            if (refRow >= 0)
                row = refRow;
        }
        QString value;
        QString inlineText;
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && xml.name() == u"c")
                break;
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"v")
                value = xml.readElementText();
            else if (xml.name() == u"is")
                inlineText = stringItem(xml);
            else
                xml.skipCurrentElement();
        }
        QString text;
        if (type == u"s") {
            text = m_strings.value(value.toInt());
        } else if (type == u"inlineStr") {
            text = inlineText;
        } else if (type == u"str" || type == u"e") {
            text = value;
        } else if (type == u"b") {
            text = value.isEmpty() ? QString() : CellText::boolean(value.trimmed() == u"1");
        } else if (type == u"d") {
            text = CellText::isoDateTime(value);
        } else if (!value.isEmpty()) {
            bool ok = false;
            const double number = value.toDouble(&ok);
            if (!ok)
                text = value;
            else if (style >= 0 && style < m_dateStyles.size() && m_dateStyles.at(style))
                text = CellText::serialDate(number, m_date1904);
            else
                text = CellText::number(number);
        }
        cells.set(row, column, text);
    }
    if (xml.hasError())
        xmlFailure(m_path, part, xml);
    return cells;
}

} // namespace imports
