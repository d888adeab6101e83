#pragma once

#include "imports/SheetCells.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace imports {

class WorkbookReader;

// The workbook an import window has open, in the terms the windows are written in: sheet names
// in order, the active sheet, its used range and the text of a cell. The file format is found
// from the file's content (a web-shop .xls that is really xlsx still opens): xlsx, ods,
// xls/xlw/et and, for text files named .csv or .txt, csv.
// Every failure throws SpreadsheetError with a text for the user.
class Spreadsheet {
public:
    Spreadsheet();
    ~Spreadsheet();
    Spreadsheet(const Spreadsheet&) = delete;
    Spreadsheet& operator=(const Spreadsheet&) = delete;

    // Opens the file, closing a workbook opened before, and activates its active sheet.
    void open(const QString& path);
    void close();
    bool isOpen() const { return m_reader != nullptr; }
    QString fileName() const { return m_path; }

    QStringList sheetNames() const { return m_names; }
    int sheetCount() const { return m_names.size(); }
    // 0-based index of the sheet that cell() addresses.
    int activeSheet() const { return m_active; }
    QString activeSheetName() const { return m_names.value(m_active); }
    void activate(int index);

    // Used range of the active sheet from A1: rows including the title row.
    int usedRows() const { return m_cells.rows(); }
    int usedColumns() const { return m_cells.columns(); }
    qint64 usedCellCount() const { return qint64(m_cells.rows()) * m_cells.columns(); }
    // Trimmed text of a cell, 1-based row and column; empty outside the used range.
    QString cell(int row, int column) const { return m_cells.cell(row, column); }

private:
    std::unique_ptr<WorkbookReader> m_reader;
    QString m_path;
    QStringList m_names;
    int m_active = -1;
    SheetCells m_cells;
};

} // namespace imports
