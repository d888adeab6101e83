#pragma once

#include <QString>
#include <utility>
#include <vector>

namespace imports {

// The cell texts of one sheet. The used range starts at A1 and ends at the last row and the
// last column that hold a non-empty text, so formatted but empty cells do not count.
//
// Only non-empty cells are stored, so a lone cell at the end of the grid costs one cell and not
// the billions of empty ones before it. A sheet holds at most maxCells cells and maxText
// characters: a workbook from elsewhere must not be able to exhaust the program, and the imports
// read far less than that.
class SheetCells {
public:
    static constexpr int maxRows = 1048576;
    static constexpr int maxColumns = 16384;
    static constexpr qint64 maxCells = 1000000;
    static constexpr qint64 maxText = 16 * 1024 * 1024;

    // 0-based row and column inside the grid; the text is trimmed here, empty texts are not
    // stored. False, with nothing stored, when the cell lies outside the grid or the sheet
    // would pass its limits.
    bool set(int row, int column, const QString& text);
    // Whether that many more cells with that many more characters stay within the limits.
    bool canAdd(qint64 cells, qint64 text) const;
    // 1-based as in a spreadsheet; outside the used range the text is empty.
    QString cell(int row, int column) const;
    int rows() const { return m_rows.empty() ? 0 : m_rows.back().index + 1; }
    int columns() const { return m_columns; }
    qint64 cellCount() const { return m_cellCount; }
    qint64 textLength() const { return m_textLength; }

    // The message for a sheet refused for its size.
    static QString tooLargeMessage(const QString& sheet, const QString& path);

private:
    using Cell = std::pair<int, QString>; // 0-based column, text
    struct Row {
        int index;
        std::vector<Cell> cells; // ascending columns
    };
    std::vector<Row> m_rows; // ascending rows, only those with a cell
    int m_columns = 0;
    qint64 m_cellCount = 0;
    qint64 m_textLength = 0;
};

} // namespace imports
