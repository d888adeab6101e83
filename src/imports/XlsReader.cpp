#include "imports/XlsReader.h"

#include "imports/CellText.h"
#include "imports/SpreadsheetError.h"

#include <QFile>
#include <freexl.h>

namespace imports {

namespace {

// Encrypted xlsx files are compound files holding an "EncryptedPackage" stream.
bool isEncryptedPackage(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    static const QByteArray name = QByteArray("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32);
    return file.readAll().contains(name);
}

QString passwordMessage(const QString& path) {
    return QStringLiteral("工作簿设有密码保护，请先在表格软件中取消密码后再导入：") + path;
}

} // namespace

XlsReader::XlsReader(const QString& path) : m_path(path) {
    const int rc = freexl_open(QFile::encodeName(path).constData(), &m_handle);
    if (rc != FREEXL_OK) {
        if (m_handle)
            freexl_close(m_handle);
        m_handle = nullptr;
        if (isEncryptedPackage(path))
            throw SpreadsheetError(passwordMessage(path));
        throw SpreadsheetError(
            QStringLiteral("工作簿已损坏或不是可读的Excel文件（错误%1）：%2").arg(rc).arg(path));
    }
    unsigned int info = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED) {
        freexl_close(m_handle);
        m_handle = nullptr;
        throw SpreadsheetError(passwordMessage(path));
    }
    unsigned int count = 0;
    freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &count);
    for (unsigned int i = 0; i < count; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(m_handle, static_cast<unsigned short>(i), &name) == FREEXL_OK)
            m_names.append(QString::fromUtf8(name));
    }
    if (m_names.isEmpty()) {
        freexl_close(m_handle);
        m_handle = nullptr;
        throw SpreadsheetError(QStringLiteral("工作簿里没有工作表：") + path);
    }
}

XlsReader::~XlsReader() {
    if (m_handle)
        freexl_close(m_handle);
}

SheetCells XlsReader::readSheet(int index) {
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (index < 0 || index >= m_names.size() ||
        freexl_select_active_worksheet(m_handle, static_cast<unsigned short>(index)) != FREEXL_OK ||
        freexl_worksheet_dimensions(m_handle, &rows, &columns) != FREEXL_OK)
        throw SpreadsheetError(QStringLiteral("无法读取工作表“%1”：%2").arg(m_names.value(index), m_path));
    SheetCells cells;
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(m_handle, r, c, &value) != FREEXL_OK)
                continue;
            QString text;
            switch (value.type) {
            case FREEXL_CELL_INT:
                text = QString::number(value.value.int_value);
                break;
            case FREEXL_CELL_DOUBLE:
                text = CellText::number(value.value.double_value);
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
                text = QString::fromUtf8(value.value.text_value);
                break;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                text = CellText::isoDateTime(QString::fromUtf8(value.value.text_value));
                break;
            default:
                break;
            }
            cells.set(static_cast<int>(r), c, text);
        }
    }
    return cells;
}

} // namespace imports
