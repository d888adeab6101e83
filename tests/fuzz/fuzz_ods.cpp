// OpenDocument spreadsheets: content.xml with its repeats, and settings.xml.
#include "FuzzInput.h"
#include "imports/OdsReader.h"
#include "imports/SpreadsheetError.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        imports::OdsReader reader(fuzzFile(data, size));
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
