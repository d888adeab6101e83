#include "imports/SheetCells.h"

#include "imports/CellText.h"

namespace imports {

void SheetCells::set(int row, int column, const QString& text) {
    const QString value = CellText::trimmed(text);
    if (value.isEmpty() || row < 0 || column < 0)
        return;
    if (row >= m_rows.size())
        m_rows.resize(row + 1);
    QStringList& cells = m_rows[row];
    while (cells.size() <= column)
        cells.append(QString());
    cells[column] = value;
    m_columns = qMax(m_columns, column + 1);
}

QString SheetCells::cell(int row, int column) const {
    if (row < 1 || row > m_rows.size() || column < 1)
        return QString();
    const QStringList& cells = m_rows.at(row - 1);
    return column <= cells.size() ? cells.at(column - 1) : QString();
}

} // namespace imports
