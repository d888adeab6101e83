#include "print/scan/ScanHeader.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace print::scan {

namespace {

// Bounds-checked reads: every offset comes from the file and is checked before use.
struct Bytes {
    const unsigned char* data;
    qint64 size;
    bool bigEndian = true;

    bool has(qint64 at, qint64 n) const { return at >= 0 && n >= 0 && at <= size && n <= size - at; }
    quint32 u8(qint64 at) const { return data[at]; }
    quint32 u16(qint64 at) const {
        return bigEndian ? quint32(data[at]) << 8 | data[at + 1] : quint32(data[at + 1]) << 8 | data[at];
    }
    quint32 u32(qint64 at) const {
        return bigEndian ? u16(at) << 16 | u16(at + 2) : u16(at + 2) << 16 | u16(at);
    }
    bool startsWith(qint64 at, const char* text, qint64 n) const {
        return has(at, n) && std::memcmp(data + at, text, size_t(n)) == 0;
    }
};

constexpr double kCmPerInch = 2.54;
constexpr double kMetresPerInch = 0.0254;
// Far more than any scanner writes (a page and its previews); a file with more is refused anyway.
constexpr int kMaxDirectories = 10000;

struct TiffInfo {
    bool ok = false;
    double dpiX = 0;
    double dpiY = 0;
    int images = 0;
};

// A TIFF structure (a whole file, or the Exif block of a JPEG): the resolution of its first
// directory and the full-size images of the chain. Not ok when a directory lies outside the
// bytes or the chain comes back on itself.
TiffInfo readTiff(Bytes b) {
    TiffInfo info;
    if (b.startsWith(0, "II*\0", 4))
        b.bigEndian = false;
    else if (!b.startsWith(0, "MM\0*", 4))
        return info;
    qint64 at = b.u32(4);
    std::vector<qint64> seen;
    while (at != 0) {
        for (qint64 before : seen)
            if (before == at)
                return info;
        seen.push_back(at);
        if (!b.has(at, 2) || !b.has(at + 2, qint64(b.u16(at)) * 12 + 4) ||
            seen.size() > size_t(kMaxDirectories))
            return info;
        const int entries = int(b.u16(at));
        double resolution[2] = {0, 0};
        quint32 unit = 2; // inches unless the file says otherwise
        bool reduced = false;
        for (int i = 0; i < entries; ++i) {
            const qint64 e = at + 2 + 12 * qint64(i);
            const quint32 tag = b.u16(e);
            const quint32 type = b.u16(e + 2);
            const quint32 value = type == 3 ? b.u16(e + 8) : b.u32(e + 8);
            if (tag == 254)
                reduced = value & 1;
            else if (tag == 296)
                unit = value;
            else if ((tag == 282 || tag == 283) && type == 5 && b.has(value, 8) && b.u32(value + 4) != 0)
                resolution[tag - 282] = double(b.u32(value)) / b.u32(value + 4);
        }
        if (seen.size() == 1) {
            const double perInch = unit == 2 ? 1 : unit == 3 ? kCmPerInch : 0;
            info.dpiX = resolution[0] * perInch;
            info.dpiY = resolution[1] * perInch;
        }
        // The first directory is the picture that is read; later ones count unless marked as
        // a reduced-resolution preview of it.
        if (seen.size() == 1 || !reduced)
            ++info.images;
        at = b.u32(at + 2 + 12 * qint64(entries));
    }
    info.ok = !seen.empty();
    return info;
}

void readPng(const Bytes& b, ScanHeader& h) {
    qint64 at = 8;
    bool first = true;
    while (b.has(at, 8)) {
        const qint64 length = b.u32(at);
        const qint64 data = at + 8;
        if (!b.has(data, length + 4))
            return;
        if (first != b.startsWith(at + 4, "IHDR", 4))
            return;
        first = false;
        if (b.startsWith(at + 4, "pHYs", 4) && length == 9 && b.u8(data + 8) == 1) {
            h.dpiX = b.u32(data) * kMetresPerInch;
            h.dpiY = b.u32(data + 4) * kMetresPerInch;
        } else if (b.startsWith(at + 4, "IEND", 4)) {
            h.complete = true;
            return;
        }
        at = data + length + 4;
    }
}

bool isFrameMarker(quint32 m) {
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

// After a scan header: the offset of the next marker past the entropy-coded data, where 0xFF is
// followed by a stuffed 0x00, a restart marker or another 0xFF; -1 when the data runs out.
qint64 skipEntropyData(const Bytes& b, qint64 at) {
    while (at < b.size) {
        const void* ff = std::memchr(b.data + at, 0xFF, size_t(b.size - at));
        if (!ff)
            return -1;
        at = static_cast<const unsigned char*>(ff) - b.data;
        if (at + 1 >= b.size)
            return -1;
        const quint32 next = b.u8(at + 1);
        if (next != 0x00 && next != 0xFF && (next < 0xD0 || next > 0xD7))
            return at;
        at += next == 0xFF ? 1 : 2;
    }
    return -1;
}

void readJpeg(const Bytes& b, ScanHeader& h) {
    qint64 at = 2;
    bool jfifDensity = false;
    bool progressive = false;
    int scans = 0;
    double componentShare = 0;
    while (b.has(at, 2)) {
        if (b.u8(at) != 0xFF)
            return;
        const quint32 marker = b.u8(at + 1);
        if (marker == 0xFF) { // fill byte before a marker
            ++at;
            continue;
        }
        at += 2;
        if (marker == 0xD9) {
            h.complete = true;
            break;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (!b.has(at, 2) || b.u16(at) < 2 || !b.has(at, b.u16(at)))
            return;
        const qint64 length = b.u16(at);
        const qint64 data = at + 2;
        if (marker == 0xE0 && length >= 14 && b.startsWith(data, "JFIF\0", 5)) {
            const quint32 unit = b.u8(data + 7);
            const double perInch = unit == 1 ? 1 : unit == 2 ? kCmPerInch : 0;
            h.dpiX = b.u16(data + 8) * perInch;
            h.dpiY = b.u16(data + 10) * perInch;
            jfifDensity = perInch > 0;
        } else if (marker == 0xE1 && !jfifDensity && b.startsWith(data, "Exif\0\0", 6)) {
            const TiffInfo exif = readTiff(Bytes{b.data + data + 6, length - 8});
            h.dpiX = exif.dpiX;
            h.dpiY = exif.dpiY;
        } else if (isFrameMarker(marker) && length >= 8 && b.u8(data + 5) >= 1 &&
                   length >= 8 + 3 * qint64(b.u8(data + 5))) {
            progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            const int components = int(b.u8(data + 5));
            quint32 hMax = 1;
            quint32 vMax = 1;
            for (int c = 0; c < components; ++c) {
                hMax = std::max(hMax, b.u8(data + 7 + 3 * c) >> 4);
                vMax = std::max(vMax, b.u8(data + 7 + 3 * c) & 15);
            }
            componentShare = 0;
            for (int c = 0; c < components; ++c)
                componentShare +=
                    double((b.u8(data + 7 + 3 * c) >> 4) * (b.u8(data + 7 + 3 * c) & 15)) / (hMax * vMax);
        }
        at = data + length - 2;
        if (marker == 0xDA) {
            ++scans;
            at = skipEntropyData(b, at);
            if (at < 0)
                return;
        }
    }
    // Two bytes a coefficient, 64 coefficients to 64 pixels of each component's share.
    if (progressive || scans > 1)
        h.coefficientBytesPerPixel = 2 * componentShare;
}

} // namespace

ScanHeader readScanHeader(const QByteArray& bytes) {
    ScanHeader h;
    const Bytes b{reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size()};
    if (b.startsWith(0, "\x89PNG\r\n\x1a\n", 8)) {
        h.kind = ScanHeader::Png;
        readPng(b, h);
    } else if (b.startsWith(0, "\xFF\xD8\xFF", 3)) {
        h.kind = ScanHeader::Jpeg;
        readJpeg(b, h);
    } else if (b.startsWith(0, "II*\0", 4) || b.startsWith(0, "MM\0*", 4)) {
        h.kind = ScanHeader::Tiff;
        const TiffInfo tiff = readTiff(b);
        h.complete = tiff.ok;
        h.dpiX = tiff.dpiX;
        h.dpiY = tiff.dpiY;
        h.images = tiff.images;
    } else if (bytes.left(1024).contains("%PDF-")) {
        // A PDF may start after some bytes of junk; the library that reads it judges the rest.
        h.kind = ScanHeader::Pdf;
        h.complete = true;
    }
    return h;
}

} // namespace print::scan
