// What a reader process hands back for an .xls workbook. The library inside that process cannot
// be trusted with a malformed file, so whatever it writes must be safe to decode here.
#include "imports/WorkbookStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    imports::WorkbookStream::decode(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                                    QStringLiteral("fuzz.xls"));
    return 0;
}
