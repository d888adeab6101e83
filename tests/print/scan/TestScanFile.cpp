#include "print/scan/ScanFile.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QTest>
#include <QtEndian>

#include <algorithm>

using print::scan::ScanPicture;

namespace {

// A 100 × 80 mm form scanned at some resolution: white paper, a red box printed on it and a
// black one, at known places in millimetres.
constexpr double kWidthMm = 100;
constexpr double kHeightMm = 80;
const QRectF kRedMm(20, 20, 20, 10);
const QRectF kBlackMm(60, 50, 20, 10);

int px(double mm, double dpi) {
    return qRound(mm / 25.4 * dpi);
}

QRect onScan(const QRectF& mm, double dpi) {
    return QRect(px(mm.x(), dpi), px(mm.y(), dpi), px(mm.width(), dpi), px(mm.height(), dpi));
}

void drawForm(QPainter& painter, double dpi) {
    painter.fillRect(onScan(kRedMm, dpi), QColor(220, 30, 30));
    painter.fillRect(onScan(kBlackMm, dpi), Qt::black);
}

QImage withDpi(QImage image, double dpi) {
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    return image;
}

// With an alpha channel the paper is left transparent: it must come back white, not black.
QImage scan(double dpi, QImage::Format format = QImage::Format_RGB32) {
    QImage image(px(kWidthMm, dpi), px(kHeightMm, dpi), QImage::Format_ARGB32);
    image.fill(QImage::toPixelFormat(format).alphaUsage() == QPixelFormat::UsesAlpha ? Qt::transparent
                                                                                     : Qt::white);
    QPainter painter(&image);
    drawForm(painter, dpi);
    painter.end();
    return withDpi(image.convertToFormat(format, Qt::ThresholdDither), dpi);
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image))
        qWarning("cannot write %s: %s", format, qPrintable(writer.errorString()));
    return bytes;
}

// A big-endian TIFF structure, built by hand for what Qt's writers do not write. Each directory
// is followed by its rationals and its strip, if it has one.
struct Tag {
    quint16 tag;
    quint16 type; // 3 short, 4 long, 5 rational (value / denominator)
    quint32 value;
    quint32 denominator = 1;
};

QByteArray bigEndianTiff(const QList<QList<Tag>>& directories, const QList<QByteArray>& strips = {}) {
    QByteArray out;
    QDataStream data(&out, QIODevice::WriteOnly);
    data.writeRawData("MM\0*", 4);
    data << quint32(8);
    for (int d = 0; d < directories.size(); ++d) {
        QList<Tag> tags = directories[d];
        const QByteArray strip = d < strips.size() ? strips[d] : QByteArray();
        const int count = int(tags.size()) + (strip.isEmpty() ? 0 : 2);
        const auto rationalsAt = quint32(out.size() + 2 + 12 * count + 4);
        const quint32 stripAt = rationalsAt + 8 * quint32(count);
        if (!strip.isEmpty())
            tags << Tag{273, 4, stripAt} << Tag{279, 4, quint32(strip.size())};
        std::sort(tags.begin(), tags.end(), [](const Tag& a, const Tag& b) { return a.tag < b.tag; });
        data << quint16(count);
        QByteArray rationals(8 * count, '\0');
        int used = 0;
        for (const Tag& t : tags) {
            data << t.tag << t.type << quint32(1);
            if (t.type == 3) {
                data << quint16(t.value) << quint16(0);
            } else if (t.type == 4) {
                data << t.value;
            } else {
                data << quint32(rationalsAt + 8 * used);
                qToBigEndian(t.value, rationals.data() + 8 * used);
                qToBigEndian(t.denominator, rationals.data() + 8 * used + 4);
                ++used;
            }
        }
        data << quint32(d + 1 == directories.size() ? 0 : stripAt + quint32(strip.size()));
        data.writeRawData(rationals.constData(), int(rationals.size()));
        data.writeRawData(strip.constData(), int(strip.size()));
    }
    return out;
}

// A greyscale TIFF of `pages`, the first one's resolution given in dots per centimetre (3);
// `previews` marks those after the first as reduced-resolution previews (254 = 1).
QByteArray greyTiff(const QList<QImage>& pages, double dpi, bool previews) {
    QList<QList<Tag>> directories;
    QList<QByteArray> strips;
    for (const QImage& page : pages) {
        const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
        QByteArray strip;
        for (int y = 0; y < grey.height(); ++y)
            strip.append(reinterpret_cast<const char*>(grey.constScanLine(y)), grey.width());
        const auto w = quint32(grey.width());
        const auto h = quint32(grey.height());
        const auto perCm = quint32(qRound(dpi / 2.54 * 1000));
        directories << QList<Tag>{{254, 4, directories.isEmpty() || !previews ? 0u : 1u},
                                  {256, 4, w},
                                  {257, 4, h},
                                  {258, 3, 8},
                                  {259, 3, 1},
                                  {262, 3, 1},
                                  {278, 4, h},
                                  {282, 5, perCm, 1000},
                                  {283, 5, perCm, 1000},
                                  {296, 3, 3}};
        strips << strip;
    }
    return bigEndianTiff(directories, strips);
}

// A JPEG stored turned a quarter left, with the Exif orientation (6) that tells viewers to turn
// it right (Qt's writer turns pictures itself rather than write that), and its resolution given
// only in its Exif block: the JFIF header says no unit.
QByteArray turnedJpeg(const QImage& upright, double dpi) {
    QByteArray jpeg = encoded(upright.transformed(QTransform().rotate(-90)), "jpeg");
    jpeg[4 + 2 + 5 + 2] = 0; // JFIF units: none, the density an aspect ratio only
    const QByteArray exif =
        QByteArray("Exif\0\0", 6) +
        bigEndianTiff({{{274, 3, 6}, {282, 5, quint32(dpi)}, {283, 5, quint32(dpi)}, {296, 3, 2}}});
    QByteArray segment("\xFF\xE1");
    segment.append(char((exif.size() + 2) >> 8)).append(char((exif.size() + 2) & 0xFF)).append(exif);
    const int afterJfif = 4 + (uchar(jpeg[4]) << 8 | uchar(jpeg[5]));
    return jpeg.insert(afterJfif, segment);
}

QByteArray pdf(const QPageSize& size, int pages) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(size);
    writer.setPageMargins(QMarginsF());
    writer.setResolution(300);
    QPainter painter(&writer);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        drawForm(painter, 300);
    }
    painter.end();
    return bytes;
}

const QPageSize kFormPage(QSizeF(kWidthMm, kHeightMm), QPageSize::Millimeter, QString(),
                          QPageSize::ExactMatch);

} // namespace

// Scan files come from the clerk's scanner or from anywhere: the good ones of each kind come back
// as RGB pictures at about 300 dpi with their resolution, everything else is refused with a
// message that says why.
class TestScanFile : public QObject {
    Q_OBJECT

private slots:
    void hostileFiles_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        const QHash<QString, QString> expected{
            {QStringLiteral("scan-png-100000x100000.png"), QStringLiteral("平板扫描仪扫不出")},
            {QStringLiteral("scan-jpeg-truncated.jpg"), QStringLiteral("已损坏或不完整")},
            {QStringLiteral("scan-pdf-500-pages.pdf"), QStringLiteral("PDF 有 500 页，请只扫描一页")},
            {QStringLiteral("scan-pdf-endless-drawing.pdf"), QStringLiteral("PDF 页面太复杂")},
            {QStringLiteral("scan-tiff-60000x60000-deflate.tif"), QStringLiteral("平板扫描仪扫不出")},
            {QStringLiteral("scan-tiff-7000x10000-colour.tif"), QStringLiteral("MB 内存。请用 300 dpi")},
            {QStringLiteral("scan-tiff-64-images.tif"), QStringLiteral("TIFF 文件里有 64 张图")},
            {QStringLiteral("scan-tiff-directory-loop.tif"), QStringLiteral("已损坏或不完整")},
            {QStringLiteral("scan-not-an-image.txt"), QStringLiteral("不认识的扫描图格式")},
            {QStringLiteral("scan-empty.png"), QStringLiteral("扫描图文件是空的")}};
        // Every hostile scan in the folder has a row; one added there without a message fails.
        const QDir folder(TestHome::testData(QStringLiteral("hostile")));
        const QStringList files = folder.entryList({QStringLiteral("scan-*")}, QDir::Files);
        QCOMPARE(files.size(), expected.size());
        for (const QString& file : files)
            QTest::newRow(qPrintable(file)) << folder.filePath(file) << expected.value(file);
    }
    void hostileFiles() {
        QFETCH(QString, path);
        QFETCH(QString, message);
        QVERIFY2(!message.isEmpty(), "no message expected for this file");
        const ScanPicture picture = print::scan::readScanFile(path);
        QVERIFY2(picture.error.contains(message), qPrintable(picture.error));
        QVERIFY(picture.image.isNull());
    }

    void refused_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QImage good = scan(200);
        const QString broken = QStringLiteral("已损坏或不完整");
        for (const char* format : {"png", "jpeg", "tiff"}) {
            const QByteArray whole = encoded(good, format);
            QTest::addRow("%s cut at half", format) << whole.left(whole.size() / 2) << broken;
            QTest::addRow("%s without its last bytes", format) << whole.left(whole.size() - 8) << broken;
        }
        QTest::newRow("TIFF of two pages")
            << greyTiff({good, good}, 200, false) << QStringLiteral("TIFF 文件里有 2 张图");
        QTest::newRow("BMP") << encoded(good, "bmp")
                             << QStringLiteral("请选择 PNG、JPEG、TIFF 图片或只有一页的 PDF");
        QTest::newRow("two-page PDF") << pdf(kFormPage, 2) << QStringLiteral("PDF 有 2 页");
        QTest::newRow("A2 PDF page") << pdf(QPageSize(QPageSize::A2), 1)
                                     << QStringLiteral("PDF 的页面太大：420 × 594 毫米");
        QTest::newRow("PDF that is not one") << QByteArray("%PDF-1.4\n%%EOF\n") << broken;
        QTest::newRow("75 pixels high")
            << encoded(scan(200).scaled(600, 75), "png") << QStringLiteral("扫描图太小");
        QTest::newRow("a strip 30 times as long as wide")
            << encoded(QImage(3000, 100, QImage::Format_Grayscale8), "png") << QStringLiteral("长宽比例不对");
    }
    void refused() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const ScanPicture picture = print::scan::readScanBytes(bytes, QStringLiteral("scan.bin"));
        QVERIFY2(picture.error.contains(message), qPrintable(picture.error));
        QVERIFY(picture.error.contains(QStringLiteral("scan.bin")));
        QVERIFY(picture.image.isNull());
    }

    void read_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<double>("dpi");  // what comes back
        QTest::addColumn<QSize>("size");  // what comes back
        QTest::addColumn<bool>("colour"); // the red box is still red
        const auto at = [](double dpi) { return QSize(px(kWidthMm, dpi), px(kHeightMm, dpi)); };
        QTest::newRow("PNG 300 dpi") << encoded(scan(300), "png") << 300.0 << at(300) << true;
        QTest::newRow("JPEG 200 dpi") << encoded(scan(200), "jpeg") << 200.0 << at(200) << true;
        QTest::newRow("TIFF 300 dpi") << encoded(scan(300), "tiff") << 300.0 << at(300) << true;
        QTest::newRow("JPEG 600 dpi") << encoded(scan(600), "jpeg") << 300.0 << at(300) << true;
        QTest::newRow("PNG 600 dpi") << encoded(scan(600), "png") << 300.0 << at(300) << true;
        QTest::newRow("PNG 400 dpi") << encoded(scan(400), "png") << 300.0 << at(300) << true;
        QTest::newRow("TIFF 600 dpi greyscale")
            << encoded(scan(600, QImage::Format_Grayscale8), "tiff") << 300.0 << at(300) << false;
        QTest::newRow("TIFF 600 dpi bilevel")
            << encoded(scan(600, QImage::Format_Mono), "tiff") << 300.0 << at(300) << false;
        QTest::newRow("PNG with alpha")
            << encoded(scan(300, QImage::Format_ARGB32), "png") << 300.0 << at(300) << true;
        // At 72 dpi this would be a page of 42 × 33 cm, larger than the glass: not believed.
        QTest::newRow("PNG claiming 72 dpi")
            << encoded(withDpi(scan(300), 72), "png") << 0.0 << at(300) << true;
        QTest::newRow("JPEG turned by Exif, its resolution only there")
            << turnedJpeg(scan(400), 400) << 300.0 << at(300) << true;
        // Little-endian TIFF is what Qt writes; this one is big-endian, in dots per centimetre.
        QTest::newRow("TIFF with a preview after the page")
            << greyTiff({scan(300), scan(30)}, 300, true) << 300.0 << at(300) << false;
        QTest::newRow("one-page PDF") << pdf(kFormPage, 1) << 300.0 << at(300) << true;
    }
    void read() {
        QFETCH(QByteArray, bytes);
        QFETCH(double, dpi);
        QFETCH(QSize, size);
        QFETCH(bool, colour);
        const ScanPicture picture = print::scan::readScanBytes(bytes, QStringLiteral("scan"));
        QVERIFY2(picture.ok(), qPrintable(picture.error));
        QCOMPARE(picture.image.format(), QImage::Format_RGB888);
        // Within a quarter millimetre: a PDF page's size is kept in whole points.
        QVERIFY2(
            qAbs(picture.image.width() - size.width()) <= 3 &&
                qAbs(picture.image.height() - size.height()) <= 3,
            qPrintable(QStringLiteral("%1 × %2").arg(picture.image.width()).arg(picture.image.height())));
        QVERIFY2(qAbs(picture.dpi - dpi) < 0.5, qPrintable(QString::number(picture.dpi)));
        // The boxes are where they were printed, in their colours, on white paper.
        const double at = dpi > 0 ? dpi : 300;
        const QColor paper = picture.image.pixelColor(onScan(QRectF(5, 5, 1, 1), at).center());
        const QColor red = picture.image.pixelColor(onScan(kRedMm, at).center());
        const QColor black = picture.image.pixelColor(onScan(kBlackMm, at).center());
        QVERIFY2(paper.lightness() > 240, qPrintable(paper.name()));
        QVERIFY2(black.lightness() < 40, qPrintable(black.name()));
        if (colour)
            QVERIFY2(red.red() > 180 && red.green() < 80 && red.blue() < 80, qPrintable(red.name()));
        else
            QVERIFY2(red.lightness() < 200, qPrintable(red.name()));
    }
};

OVERPRINT_TEST(TestScanFile)
#include "TestScanFile.moc"
