// Office Open XML workbooks: the zip layer, the package relationships, shared strings, styles
// and every sheet.
#include "FuzzInput.h"
#include "imports/SpreadsheetError.h"
#include "imports/XlsxReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        imports::XlsxReader reader(fuzzFile(data, size));
        for (int i = 0; i < reader.sheetNames().size(); ++i) {
            try {
                reader.readSheet(i);
            } catch (const imports::SpreadsheetError&) {
            }
        }
    } catch (const imports::SpreadsheetError&) {
    }
    return 0;
}
