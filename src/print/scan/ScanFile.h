#pragma once

#include <QImage>
#include <QString>

namespace print::scan {

// The largest glass of a flatbed, A3 with a margin: no scan is larger, in either orientation.
constexpr double kFlatbedShortMm = 320;
constexpr double kFlatbedLongMm = 450;
// Scans finer than this (by more than a few per cent) are decoded down to it; a PDF page is
// drawn at it. Plenty to measure a cross to a tenth of a millimetre.
constexpr double kScanDpi = 300;
// Files larger than this are refused unread.
constexpr qint64 kMaxScanFileBytes = qint64(200) << 20;

struct ScanPicture {
    QImage image;   // QImage::Format_RGB888 (colour matters: printed black vs red/blue form ink)
    double dpi = 0; // resolution of `image` in pixels per inch; 0 when the file does not say
    QString error;  // the clerk's message when refused, empty when read
    bool ok() const { return error.isEmpty(); }
};

// Reads PNG, JPEG, TIFF (one image), or a one-page PDF (drawn at kScanDpi), the kind decided by
// the content. A scan is untrusted: its size is checked from its header before anything is
// decoded, the whole read stays under 300 MiB, and a hostile, truncated or foreign file is
// refused with a message in `error`. Scans finer than kScanDpi come back decoded down to about
// kScanDpi; `dpi` is the resolution of what comes back, when the file's own is plausible.
ScanPicture readScanFile(const QString& path);
// The same from bytes already in memory (fuzzing, tests); `name` only names the file in messages.
ScanPicture readScanBytes(const QByteArray& bytes, const QString& name);

} // namespace print::scan
