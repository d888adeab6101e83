#pragma once

#include "imports/WorkbookReader.h"

namespace imports {

// Comma-separated files: one sheet named after the file, as office suites show it. Fields
// follow RFC 4180 (quotes around fields, doubled quotes inside, line breaks inside quotes);
// lines end in CRLF, LF or CR. UTF-8 with or without byte-order mark, otherwise GBK. Cells are
// texts as they stand, so 078666 keeps its zero.
class CsvReader final : public WorkbookReader {
public:
    explicit CsvReader(const QString& path);

    QStringList sheetNames() const override { return {m_name}; }
    int activeSheet() const override { return 0; }
    SheetCells readSheet(int) override { return m_cells; }

    // Larger files are refused before they are read.
    static constexpr qint64 maxFileSize = qint64(32) << 20;

    static QString decode(const QByteArray& bytes);
    // Throws SpreadsheetError, naming the sheet and the file, when the text passes the grid or
    // what a sheet may hold.
    static SheetCells parse(const QString& text, const QString& name = {}, const QString& path = {});

private:
    QString m_name;
    SheetCells m_cells;
};

} // namespace imports
