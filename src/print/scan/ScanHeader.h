#pragma once

#include <QByteArray>

namespace print::scan {

// What a scan file says about itself before anything is decoded: its kind by content, its
// resolution, whether it ends as its format ends, and what its decoding will cost. Read from the
// bytes alone, in one pass, whatever they hold.
struct ScanHeader {
    enum Kind { Unknown, Png, Jpeg, Tiff, Pdf };
    Kind kind = Unknown;
    // The file reaches its end mark (PNG IEND, JPEG EOI; a TIFF's directories all lie inside the
    // file). A copy that broke off does not; the decoders would hand back half a picture.
    bool complete = false;
    // Pixels per inch across and down as the file declares them (PNG pHYs, JPEG JFIF density or
    // else its Exif resolution, TIFF resolution tags); 0 when it declares none.
    double dpiX = 0;
    double dpiY = 0;
    // TIFF: the full-size images in the file (reduced-resolution previews not counted).
    int images = 1;
    // JPEG: a progressive file keeps every coefficient of the whole picture while it decodes,
    // whatever the scaled size asked for: the bytes per pixel of that buffer, 0 for baseline.
    double coefficientBytesPerPixel = 0;
};

ScanHeader readScanHeader(const QByteArray& bytes);

} // namespace print::scan
