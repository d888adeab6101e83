// Comma-separated files, from the byte-order mark and encoding guess to the cells.
#include "imports/CsvReader.h"
#include "imports/SpreadsheetError.h"

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        imports::CsvReader::parse(
            imports::CsvReader::decode(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))));
    } catch (const imports::SpreadsheetError&) {
    }
    return 0;
}
