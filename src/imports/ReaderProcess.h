#pragma once

#include "imports/WorkbookStream.h"

#include <QString>

namespace imports {

// Workbooks whose only reader is a library we cannot mend are read by the program itself,
// started again as a child in a reader mode: no window, no database, under limits of memory
// and time, handing the cells back over a pipe. Whatever the file does to the library there, a
// crash, a hang or a limit, the program that started it only gets a workbook it cannot open.
namespace ReaderProcess {

// The program's and the test programs' main() start with this: true when started as a reader.
bool requested(int argc, char** argv);
// The reader mode: reads the file named on the command line, writes the stream to standard
// output and gives the exit code.
int run(int argc, char** argv);

// In the parent: the child's workbook. Throws SpreadsheetError when the child fails, takes too
// long, or sends something that is not a complete workbook.
WorkbookStream::Workbook readXls(const QString& path);

} // namespace ReaderProcess

} // namespace imports
