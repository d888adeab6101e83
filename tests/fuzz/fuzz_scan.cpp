// Scan files: the header walk, the size and memory checks before decoding, the decoders behind
// them and the PDF page drawn in its child process. What is read must come back as RGB888.
#include "print/scan/ScanFile.h"

#include <QCoreApplication>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The TIFF and JPEG readers are plugins, found through the application.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const print::scan::ScanPicture picture = print::scan::readScanBytes(bytes, QStringLiteral("fuzz"));
    if (picture.ok() == picture.image.isNull() ||
        (picture.ok() && picture.image.format() != QImage::Format_RGB888))
        std::abort();
    return 0;
}
