#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace imports {

// The cell texts of one sheet, row by row. The used range starts at A1 and ends at the last row
// and the last column that hold a non-empty text, so formatted but empty cells do not count.
class SheetCells {
public:
    // 0-based row and column; the text is trimmed here, empty texts are not stored.
    void set(int row, int column, const QString& text);
    // 1-based as in a spreadsheet; outside the used range the text is empty.
    QString cell(int row, int column) const;
    int rows() const { return m_rows.size(); }
    int columns() const { return m_columns; }

private:
    QVector<QStringList> m_rows;
    int m_columns = 0;
};

} // namespace imports
