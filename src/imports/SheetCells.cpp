#include "imports/SheetCells.h"

#include "imports/CellText.h"

#include <algorithm>

namespace imports {

bool SheetCells::canAdd(qint64 cells, qint64 text) const {
    return cells >= 0 && text >= 0 && cells <= maxCells - m_cellCount && text <= maxText - m_textLength;
}

bool SheetCells::set(int row, int column, const QString& text) {
    if (row < 0 || row >= maxRows || column < 0 || column >= maxColumns)
        return false;
    const QString value = CellText::trimmed(text);
    if (value.isEmpty())
        return true;
    // Readers write rows and cells in order, so the common case appends.
    auto rowIt = m_rows.end();
    if (m_rows.empty() || m_rows.back().index < row) {
        if (!canAdd(1, value.size()))
            return false;
    } else {
        rowIt = std::lower_bound(m_rows.begin(), m_rows.end(), row,
                                 [](const Row& r, int index) { return r.index < index; });
    }
    std::vector<Cell>* cells = rowIt != m_rows.end() && rowIt->index == row ? &rowIt->cells : nullptr;
    auto cellIt = cells ? std::lower_bound(cells->begin(), cells->end(), column,
                                           [](const Cell& c, int index) { return c.first < index; })
                        : std::vector<Cell>::iterator();
    if (cells && cellIt != cells->end() && cellIt->first == column) {
        if (!canAdd(0, qMax<qint64>(0, value.size() - cellIt->second.size())))
            return false;
        m_textLength += value.size() - cellIt->second.size();
        cellIt->second = value;
        return true;
    }
    if (!canAdd(1, value.size()))
        return false;
    if (!cells) {
        rowIt = m_rows.insert(rowIt, Row{row, {}});
        cells = &rowIt->cells;
        cellIt = cells->end();
    }
    cells->insert(cellIt, Cell(column, value));
    ++m_cellCount;
    m_textLength += value.size();
    m_columns = qMax(m_columns, column + 1);
    return true;
}

QString SheetCells::cell(int row, int column) const {
    const auto rowIt = std::lower_bound(m_rows.begin(), m_rows.end(), row - 1,
                                        [](const Row& r, int index) { return r.index < index; });
    if (rowIt == m_rows.end() || rowIt->index != row - 1)
        return QString();
    const auto cellIt = std::lower_bound(rowIt->cells.begin(), rowIt->cells.end(), column - 1,
                                         [](const Cell& c, int index) { return c.first < index; });
    return cellIt != rowIt->cells.end() && cellIt->first == column - 1 ? cellIt->second : QString();
}

QString SheetCells::tooLargeMessage(const QString& sheet, const QString& path) {
    return QStringLiteral(
               "工作表“%1”超过了可导入的上限（%2万个单元格或%3万个字符），请分成几个文件后再导入：%4")
        .arg(sheet)
        .arg(maxCells / 10000)
        .arg(maxText / 10000)
        .arg(path);
}

} // namespace imports
