#pragma once

#include "imports/SheetCells.h"

#include <QStringList>

namespace imports {

// One file format. A reader is made for one file and throws SpreadsheetError with a text for
// the user when the file cannot be read.
class WorkbookReader {
public:
    virtual ~WorkbookReader() = default;
    // Names of all sheets in workbook order.
    virtual QStringList sheetNames() const = 0;
    // Index of the sheet shown when the file was last saved.
    virtual int activeSheet() const = 0;
    virtual SheetCells readSheet(int index) = 0;
};

} // namespace imports
