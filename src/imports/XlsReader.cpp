#include "imports/XlsReader.h"

#include "imports/ReaderProcess.h"
#include "imports/SpreadsheetError.h"

namespace imports {

XlsReader::XlsReader(const QString& path) : m_path(path), m_book(ReaderProcess::readXls(path)) {
    if (m_book.names.isEmpty())
        throw SpreadsheetError(QStringLiteral("工作簿里没有工作表：") + path);
}

SheetCells XlsReader::readSheet(int index) {
    if (index < 0 || index >= m_book.names.size())
        throw SpreadsheetError(
            QStringLiteral("无法读取工作表“%1”：%2").arg(m_book.names.value(index), m_path));
    if (!m_book.refusals.at(index).isEmpty())
        throw SpreadsheetError(m_book.refusals.at(index));
    return m_book.sheets.at(size_t(index));
}

} // namespace imports
