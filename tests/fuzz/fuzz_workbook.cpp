// The whole way a window opens a workbook: format by content, every sheet activated; .xls goes
// through the reader process. Replayed by the test suite; slow as a fuzzer because of the
// process per .xls input.
#include "FuzzInput.h"
#include "imports/Spreadsheet.h"
#include "imports/SpreadsheetError.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    imports::Spreadsheet book;
    try {
        book.open(fuzzFile(data, size));
        for (int i = 0; i < book.sheetCount(); ++i) {
            try {
                book.activate(i);
            } catch (const imports::SpreadsheetError&) {
            }
        }
    } catch (const imports::SpreadsheetError&) {
    }
    return 0;
}
