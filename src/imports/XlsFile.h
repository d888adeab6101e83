#pragma once

#include <QString>

namespace imports {

namespace WorkbookStream {
class Writer;
}

// Binary workbooks (.xls, .xlw, and the .et files WPS writes in the same format), through
// FreeXL. The library has memory-safety faults that malformed files trigger, so this runs only
// in a reader process (ReaderProcess), never in the program a clerk works in: it writes every
// sheet with its cells, or the reason the workbook or a sheet cannot be read, to the stream.
namespace XlsFile {
void read(const QString& path, WorkbookStream::Writer& out);
}

} // namespace imports
