#pragma once

#include "imports/Spreadsheet.h"

#include <QStringList>

// Every cell of the active sheet, row by row, for comparisons with a readable failure.
inline QStringList allCells(const imports::Spreadsheet& book) {
    QStringList rows;
    for (int r = 1; r <= book.usedRows(); ++r) {
        QStringList cells;
        for (int c = 1; c <= book.usedColumns(); ++c)
            cells.append(book.cell(r, c));
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
}
