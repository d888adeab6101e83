#include "print/scan/ScanFile.h"

#include "print/scan/ScanHeader.h"
#include "print/scan/ScanPdf.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <vector>

namespace print::scan {

namespace {

constexpr double kMmPerInch = 25.4;
// The finest scan the size check allows for: 600 dpi over the whole glass.
constexpr double kFinestDpi = 600;
constexpr int kMinSide = 100;
constexpr double kMaxAspect = 10;
// A declared resolution outside this is no scanner's; the file's word is not taken.
constexpr double kMinDpi = 72;
constexpr double kMaxDpi = 2400;
// Scans up to this much finer than kScanDpi are kept as they are.
constexpr double kDpiSlack = 1.05;
// The file and what decoding it allocates at full size; the picture handed back (at most about
// 70 MB) and the program come on top, under 300 MiB in all.
constexpr qint64 kDecodeBudget = qint64(200) << 20;
// The decoders' own guard, above the budget so that it only stops what the budget misjudged.
constexpr int kAllocationLimitMb = 256;
constexpr int kStripRows = 64;

QString fileName(const QString& name) {
    return QFileInfo(name).fileName();
}

QString corrupt(const QString& name) {
    return QStringLiteral("扫描图文件已损坏或不完整：%1").arg(fileName(name));
}

QString tooLarge(const QString& name, qint64 bytes) {
    return QStringLiteral("扫描图太大：%1 有 %2 MB，超过 %3 MB")
        .arg(fileName(name))
        .arg(bytes >> 20)
        .arg(kMaxScanFileBytes >> 20);
}

double inches(double mm) {
    return mm / kMmPerInch;
}

// What comes back: the size to decode to and the resolution it then has.
struct Plan {
    QSize size;
    double dpi = 0;
};

// A declared resolution is believed when it is a scanner's and puts the picture on the glass.
bool plausible(QSize size, double dpiX, double dpiY) {
    if (dpiX < kMinDpi || dpiX > kMaxDpi || dpiY < kMinDpi || dpiY > kMaxDpi)
        return false;
    const double w = size.width() / dpiX;
    const double h = size.height() / dpiY;
    return std::min(w, h) <= inches(kFlatbedShortMm) && std::max(w, h) <= inches(kFlatbedLongMm);
}

Plan plan(QSize size, const ScanHeader& header) {
    if (plausible(size, header.dpiX, header.dpiY)) {
        const double finest = std::max(header.dpiX, header.dpiY);
        const double coarsest = std::min(header.dpiX, header.dpiY);
        if (finest <= kScanDpi * kDpiSlack && finest - coarsest <= coarsest * 0.01)
            return {size, (header.dpiX + header.dpiY) / 2};
        // Down to kScanDpi, and to square pixels when the two directions differ.
        const double dpi = std::min(kScanDpi, coarsest);
        return {QSize(std::max(1, qRound(size.width() * dpi / header.dpiX)),
                      std::max(1, qRound(size.height() * dpi / header.dpiY))),
                dpi};
    }
    // Resolution unknown: no larger than the whole glass at kScanDpi.
    const double shortSide = std::min(size.width(), size.height());
    const double longSide = std::max(size.width(), size.height());
    const double fit = std::min(
        {1.0, inches(kFlatbedShortMm) * kScanDpi / shortSide, inches(kFlatbedLongMm) * kScanDpi / longSide});
    if (fit >= 1)
        return {size, 0};
    return {QSize(std::max(1, qRound(size.width() * fit)), std::max(1, qRound(size.height() * fit))), 0};
}

// Rows [y, y + rows) of `image` as RGB888, anything transparent laid on white paper.
QImage rgbStrip(const QImage& image, int y, int rows) {
    const QImage part = image.copy(0, y, image.width(), rows);
    if (!part.hasAlphaChannel())
        return part.convertToFormat(QImage::Format_RGB888);
    const QImage argb = part.convertToFormat(QImage::Format_ARGB32);
    QImage out(argb.size(), QImage::Format_RGB888);
    for (int r = 0; r < argb.height(); ++r) {
        const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(r));
        uchar* o = out.scanLine(r);
        for (int x = 0; x < argb.width(); ++x) {
            const int a = qAlpha(in[x]);
            const int paper = 255 * (255 - a) + 127;
            o[3 * x] = uchar((qRed(in[x]) * a + paper) / 255);
            o[3 * x + 1] = uchar((qGreen(in[x]) * a + paper) / 255);
            o[3 * x + 2] = uchar((qBlue(in[x]) * a + paper) / 255);
        }
    }
    return out;
}

// Where one source pixel goes along one direction when `from` pixels become `to` (no more):
// all of it, or the share w0 into target `to` and the rest, w1, into the next.
struct Share {
    int to;
    float w0;
    float w1;
};

std::vector<Share> shares(int from, int to) {
    std::vector<Share> out;
    out.reserve(size_t(from));
    const double step = double(from) / to;
    for (int c = 0; c < from; ++c) {
        const int t = std::min(to - 1, int(c / step));
        const double end = (t + 1) * step;
        if (c + 1 <= end || t + 1 == to)
            out.push_back({t, 1, 0});
        else
            out.push_back({t, float(end - c), float(c + 1 - end)});
    }
    return out;
}

// `image` as RGB888 at `size` (no larger than it), each target pixel the average of the source
// area it covers. Works through strips of the source, each row once, so a bilevel or greyscale
// scan never takes four bytes a pixel at full size, as a whole-picture conversion would.
QImage toRgb888(const QImage& image, QSize size) {
    if (size.width() > image.width() || size.height() > image.height())
        size = image.size();
    QImage out(size, QImage::Format_RGB888);
    if (out.isNull())
        return out;
    QImage strip;
    for (int y = 0; y < image.height() && size == image.size(); y += strip.height()) {
        strip = rgbStrip(image, y, std::min(kStripRows, image.height() - y));
        for (int r = 0; r < strip.height(); ++r)
            std::copy_n(strip.constScanLine(r), size_t(size.width()) * 3, out.scanLine(y + r));
    }
    if (size == image.size())
        return out;
    const std::vector<Share> xs = shares(image.width(), size.width());
    const std::vector<Share> ys = shares(image.height(), size.height());
    const float area = float(double(image.width()) / size.width() * image.height() / size.height());
    // One pixel more than the target row, where the last source pixel's nothing goes.
    const size_t n = size_t(size.width() + 1) * 3;
    std::vector<float> line(n), now(n), next(n);
    int row = 0;
    auto finishRow = [&] {
        uchar* o = out.scanLine(row++);
        for (size_t i = 0; i + 3 < n; ++i)
            o[i] = uchar(std::min(255.0f, now[i] / area + 0.5f));
        now.swap(next);
        std::fill(next.begin(), next.end(), 0.0f);
    };
    for (int y = 0; y < image.height(); y += strip.height()) {
        strip = rgbStrip(image, y, std::min(kStripRows, image.height() - y));
        for (int r = 0; r < strip.height(); ++r) {
            const Share& down = ys[size_t(y + r)];
            while (row < down.to)
                finishRow();
            std::fill(line.begin(), line.end(), 0.0f);
            const uchar* in = strip.constScanLine(r);
            for (size_t c = 0; c < xs.size(); ++c) {
                const Share& across = xs[c];
                float* to = line.data() + 3 * size_t(across.to);
                for (int k = 0; k < 3; ++k) {
                    to[k] += across.w0 * in[3 * c + size_t(k)];
                    to[k + 3] += across.w1 * in[3 * c + size_t(k)];
                }
            }
            for (size_t i = 0; i < n; ++i)
                now[i] += down.w0 * line[i];
            if (down.w1 > 0)
                for (size_t i = 0; i < n; ++i)
                    next[i] += down.w1 * line[i];
        }
    }
    while (row < size.height())
        finishRow();
    return out;
}

// The transformation the file asks for (Exif or TIFF orientation), applied to what comes back.
QImage oriented(QImage image, QImageIOHandler::Transformations t) {
    if (t & (QImageIOHandler::TransformationMirror | QImageIOHandler::TransformationFlip))
        image = std::move(image).mirrored(t & QImageIOHandler::TransformationMirror,
                                          t & QImageIOHandler::TransformationFlip);
    if (t & QImageIOHandler::TransformationRotate90)
        image = image.transformed(QTransform().rotate(90)).convertToFormat(QImage::Format_RGB888);
    return image;
}

// Whether the decoder itself brings the picture down while it decodes, holding no more than a
// few rows at full size: JPEG by decoding at a fraction of its size, PNG in colour by averaging
// its rows as they come. Everything else is decoded whole and brought down by toRgb888.
bool decodesScaled(const ScanHeader& header, QImage::Format format) {
    return header.kind == ScanHeader::Jpeg ||
           (header.kind == ScanHeader::Png &&
            (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32));
}

// What decoding allocates at its largest: a decoder that scales holds the picture at the size
// asked for and once more on the way (a progressive JPEG keeps every coefficient at full size
// besides); the others decode whole first.
qint64 decodeBytes(const ScanHeader& header, QSize size, QSize target, QImage::Format format) {
    const qint64 pixels = qint64(size.width()) * size.height();
    if (decodesScaled(header, format))
        return qint64(target.width()) * target.height() * (target == size ? 4 : 8) +
               qint64(pixels * header.coefficientBytesPerPixel);
    const int bits = format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
    return pixels * std::max(bits, 1) / 8;
}

ScanPicture decodeImage(const QByteArray& bytes, const ScanHeader& header, const QString& name) {
    ScanPicture picture;
    const QString file = fileName(name);
    if (!header.complete) {
        picture.error = corrupt(name);
        return picture;
    }
    if (header.kind == ScanHeader::Tiff && header.images != 1) {
        picture.error =
            QStringLiteral("TIFF 文件里有 %1 张图，请只扫描一页：%2").arg(header.images).arg(file);
        return picture;
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const char* format = header.kind == ScanHeader::Png    ? "png"
                         : header.kind == ScanHeader::Jpeg ? "jpeg"
                                                           : "tiff";
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    reader.setAllocationLimit(kAllocationLimitMb);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) {
        picture.error = corrupt(name);
        return picture;
    }
    const int shortSide = std::min(size.width(), size.height());
    const int longSide = std::max(size.width(), size.height());
    const QString pixels = QStringLiteral("%1 × %2 像素").arg(size.width()).arg(size.height());
    if (shortSide > inches(kFlatbedShortMm) * kFinestDpi || longSide > inches(kFlatbedLongMm) * kFinestDpi) {
        picture.error = QStringLiteral("扫描图太大：%1，平板扫描仪扫不出这么大的图：%2").arg(pixels, file);
        return picture;
    }
    if (longSide > shortSide * kMaxAspect) {
        picture.error = QStringLiteral("扫描图的长宽比例不对：%1，不像扫描的单据：%2").arg(pixels, file);
        return picture;
    }
    if (shortSide < kMinSide) {
        picture.error = QStringLiteral("扫描图太小：%1，请扫描整张单据：%2").arg(pixels, file);
        return picture;
    }
    const Plan target = plan(size, header);
    const QImage::Format decodedFormat = reader.imageFormat();
    const qint64 cost = bytes.size() + decodeBytes(header, size, target.size, decodedFormat);
    if (cost > kDecodeBudget) {
        picture.error =
            QStringLiteral("扫描图太大：%1，读入要 %2 MB 内存。请用 300 dpi 重新扫描，或存成 JPEG：%3")
                .arg(pixels)
                .arg(cost >> 20)
                .arg(file);
        return picture;
    }
    if (target.size != size && decodesScaled(header, decodedFormat))
        reader.setScaledSize(target.size);
    QImage decoded;
    // A decoder that stops partway reports it here; a JPEG that ends early was refused above,
    // since its decoder fills the rest with grey and reports nothing.
    if (!reader.read(&decoded) || decoded.isNull()) {
        picture.error = corrupt(name);
        return picture;
    }
    QImage out = toRgb888(decoded, target.size);
    decoded = QImage();
    if (out.isNull()) {
        picture.error = corrupt(name);
        return picture;
    }
    picture.image = oriented(std::move(out), reader.transformation());
    picture.dpi = target.dpi;
    return picture;
}

} // namespace

ScanPicture readScanBytes(const QByteArray& bytes, const QString& name) {
    ScanPicture picture;
    const QString file = fileName(name);
    if (bytes.isEmpty()) {
        picture.error = QStringLiteral("扫描图文件是空的：%1").arg(file);
        return picture;
    }
    if (bytes.size() > kMaxScanFileBytes) {
        picture.error = tooLarge(name, bytes.size());
        return picture;
    }
    const ScanHeader header = readScanHeader(bytes);
    if (header.kind == ScanHeader::Unknown) {
        picture.error =
            QStringLiteral("不认识的扫描图格式：%1。请选择 PNG、JPEG、TIFF 图片或只有一页的 PDF").arg(file);
        return picture;
    }
    picture = header.kind == ScanHeader::Pdf ? renderScanPdf(bytes, name) : decodeImage(bytes, header, name);
    if (picture.ok() && picture.dpi > 0) {
        const int dpm = qRound(picture.dpi / (kMmPerInch / 1000));
        picture.image.setDotsPerMeterX(dpm);
        picture.image.setDotsPerMeterY(dpm);
    }
    return picture;
}

ScanPicture readScanFile(const QString& path) {
    const QFileInfo info(path);
    QFile file(path);
    ScanPicture picture;
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        picture.error = QStringLiteral("扫描图文件无法打开：%1").arg(info.fileName());
        return picture;
    }
    if (info.size() > kMaxScanFileBytes) {
        picture.error = tooLarge(path, info.size());
        return picture;
    }
    // One byte past the limit, so that a file grown since it was looked at is still refused.
    return readScanBytes(file.read(kMaxScanFileBytes + 1), path);
}

} // namespace print::scan
