#pragma once

#include "imports/SheetCells.h"

#include <QByteArray>
#include <QStringList>
#include <cstdio>
#include <vector>

namespace imports {

// How a reader process hands a workbook back: a header, then records of a tag byte, a 32-bit
// little-endian length and that many bytes. The parent decodes it as untrusted input: every
// length is checked against what is left, every cell against the grid and the sheet's limits.
namespace WorkbookStream {

// Records: a sheet and its name; a cell of the last sheet (row, column, UTF-8 text); the last
// sheet refused with a message; the workbook refused with a message; the end.
enum Tag : char { Sheet = 'S', Cell = 'C', SheetRefused = 'R', Failed = 'F', End = 'E' };

class Writer {
public:
    explicit Writer(std::FILE* out);
    void sheet(const QString& name);
    void cell(quint32 row, quint32 column, const QString& text);
    void sheetRefused(const QString& message);
    void failed(const QString& message);
    void end();
    // False once a write failed (the parent stopped listening).
    bool ok() const { return m_ok; }

private:
    void record(Tag tag, const QByteArray& payload);
    std::FILE* m_out;
    bool m_ok = true;
};

struct Workbook {
    QStringList names;
    std::vector<SheetCells> sheets;
    QStringList refusals;  // per sheet: empty when it can be read
    QString failure;       // the workbook cannot be read
    bool complete = false; // the end record came, and nothing was malformed
};

// Never throws on content; a malformed stream gives an incomplete workbook. The path only
// words the messages.
Workbook decode(const QByteArray& bytes, const QString& path);

} // namespace WorkbookStream

} // namespace imports
