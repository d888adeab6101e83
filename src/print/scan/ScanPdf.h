#pragma once

#include "print/scan/ScanFile.h"

namespace print::scan {

// How long a PDF page may take to draw before it is given up as too complex.
constexpr int kPdfDrawSeconds = 4;

// The one page of a scanned PDF drawn at kScanDpi, or the clerk's message why not. The PDF
// library runs in a child process forked for it and killed at the deadline: the library asks
// its abort callback only between the operators of a content stream, so a form nested in
// forms, or one huge embedded picture, would otherwise draw for minutes; and a crash in it only
// refuses the file.
ScanPicture renderScanPdf(const QByteArray& bytes, const QString& name);

} // namespace print::scan
