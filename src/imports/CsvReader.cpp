#include "imports/CsvReader.h"

#include "imports/SpreadsheetError.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace imports {

CsvReader::CsvReader(const QString& path) : m_name(QFileInfo(path).completeBaseName()) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SpreadsheetError(QStringLiteral("无法打开文件：") + path);
    if (file.size() > maxFileSize)
        throw SpreadsheetError(SheetCells::tooLargeMessage(m_name, path));
    const QByteArray bytes = file.read(maxFileSize);
    if (bytes.contains('\0'))
        throw SpreadsheetError(QStringLiteral("文件不是文本格式的CSV：") + path);
    m_cells = parse(decode(bytes), m_name, path);
}

QString CsvReader::decode(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gbk("GBK");
    return gbk.isValid() ? QString(gbk(bytes)) : QString::fromLocal8Bit(bytes);
}

SheetCells CsvReader::parse(const QString& text, const QString& name, const QString& path) {
    SheetCells cells;
    const auto store = [&](int row, int column, const QString& field) {
        // Blank lines and fields past the grid are padding; the file's size bounds the counts.
        if (field.trimmed().isEmpty())
            return;
        if (row >= SheetCells::maxRows || column >= SheetCells::maxColumns)
            throw SpreadsheetError(QStringLiteral("工作表“%1”超出了表格的范围（%2行、%3列），无法读取：%4")
                                       .arg(name)
                                       .arg(SheetCells::maxRows)
                                       .arg(SheetCells::maxColumns)
                                       .arg(path));
        if (!cells.set(row, column, field))
            throw SpreadsheetError(SheetCells::tooLargeMessage(name, path));
    };
    int row = 0;
    int column = 0;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            store(row, column++, field);
            field.clear();
            fieldStarted = false;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            store(row, column, field);
            field.clear();
            fieldStarted = false;
            ++row;
            column = 0;
        } else {
            field += c;
            // Blanks before an opening quote do not make the field unquoted.
            if (!c.isSpace())
                fieldStarted = true;
        }
    }
    store(row, column, field);
    return cells;
}

} // namespace imports
