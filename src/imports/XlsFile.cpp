#include "imports/XlsFile.h"

#include "imports/CellText.h"
#include "imports/SheetCells.h"
#include "imports/WorkbookStream.h"

#include <QFile>
#include <QtEndian>
#include <freexl.h>

namespace imports::XlsFile {

namespace {

// The most a sheet of the binary format can hold.
constexpr quint32 xlsRows = 65536;
constexpr quint32 xlsColumns = 256;

// Encrypted xlsx files are compound files holding an "EncryptedPackage" stream.
bool isEncryptedPackage(const QByteArray& bytes) {
    static const QByteArray name = QByteArray("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32);
    return bytes.contains(name);
}

// The first sheet size record (DIMENSIONS: first row, row after the last, first column, column
// after the last) that declares more than the format allows, as "rows × columns"; empty when
// none does. FreeXL refuses such a file without saying why.
QString impossibleDimensions(const QByteArray& bytes) {
    static const QByteArray record("\x00\x02\x0E\x00", 4);
    for (qsizetype at = bytes.indexOf(record); at >= 0 && at + 18 <= bytes.size();
         at = bytes.indexOf(record, at + 1)) {
        const quint32 rows = qFromLittleEndian<quint32>(bytes.constData() + at + 8);
        const quint16 columns = qFromLittleEndian<quint16>(bytes.constData() + at + 14);
        if (rows > xlsRows || columns > xlsColumns)
            return QStringLiteral("%1行、%2列").arg(rows).arg(columns);
    }
    return QString();
}

QString passwordMessage(const QString& path) {
    return QStringLiteral("工作簿设有密码保护，请先在表格软件中取消密码后再导入：") + path;
}

QString cellText(const FreeXL_CellValue& value) {
    switch (value.type) {
    case FREEXL_CELL_INT:
        return QString::number(value.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return CellText::number(value.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return QString::fromUtf8(value.value.text_value);
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return CellText::isoDateTime(QString::fromUtf8(value.value.text_value));
    default:
        return QString();
    }
}

void readSheet(const void* handle, unsigned short index, const QString& name, const QString& path,
               WorkbookStream::Writer& out) {
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle, index) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK) {
        out.sheetRefused(QStringLiteral("无法读取工作表“%1”：%2").arg(name, path));
        return;
    }
    if (rows > xlsRows || columns > xlsColumns) {
        out.sheetRefused(QStringLiteral("工作表“%1”声明了%2行、%3列，超出了Excel文件的范围，无法读取：%4")
                             .arg(name)
                             .arg(rows)
                             .arg(columns)
                             .arg(path));
        return;
    }
    qint64 cells = 0;
    for (unsigned int r = 0; r < rows && out.ok(); ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(handle, r, c, &value) != FREEXL_OK)
                continue;
            const QString text = cellText(value);
            if (CellText::trimmed(text).isEmpty())
                continue;
            // The parent refuses the sheet at the same count; nothing more need be sent.
            if (++cells > SheetCells::maxCells) {
                out.sheetRefused(SheetCells::tooLargeMessage(name, path));
                return;
            }
            out.cell(r, c, text);
        }
    }
}

} // namespace

void read(const QString& path, WorkbookStream::Writer& out) {
    const void* handle = nullptr;
    const int rc = freexl_open(QFile::encodeName(path).constData(), &handle);
    if (rc != FREEXL_OK || !handle) {
        if (handle)
            freexl_close(handle);
        QFile file(path);
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.read(qint64(64) << 20) : QByteArray();
        const QString dimensions = impossibleDimensions(bytes);
        if (isEncryptedPackage(bytes))
            out.failed(passwordMessage(path));
        else if (!dimensions.isEmpty())
            out.failed(QStringLiteral(
                           "工作簿里的工作表声明了%1，超出了Excel文件的范围（最多%2行、%3列），无法读取：%4")
                           .arg(dimensions)
                           .arg(xlsRows)
                           .arg(xlsColumns)
                           .arg(path));
        else
            out.failed(QStringLiteral("工作簿已损坏或不是可读的Excel文件（错误%1）：%2").arg(rc).arg(path));
        out.end();
        return;
    }
    unsigned int info = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED) {
        freexl_close(handle);
        out.failed(passwordMessage(path));
        out.end();
        return;
    }
    unsigned int count = 0;
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count);
    QStringList names;
    for (unsigned int i = 0; i < count && i <= 0xFFFF; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(i), &name) == FREEXL_OK)
            names.append(QString::fromUtf8(name));
    }
    if (names.isEmpty())
        out.failed(QStringLiteral("工作簿里没有工作表：") + path);
    for (int i = 0; i < names.size() && out.ok(); ++i) {
        out.sheet(names[i]);
        readSheet(handle, static_cast<unsigned short>(i), names[i], path, out);
    }
    freexl_close(handle);
    out.end();
}

} // namespace imports::XlsFile
