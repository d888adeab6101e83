#include "ScanSimulator.h"

#include "core/AppContext.h"
#include "core/Database.h"
#include "print/QtPrintDevice.h"
#include "print/TemplatePaperSwitch.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QProcess>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <random>

namespace scansim {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kInkDpi = 600;
constexpr double kInkPerMm = kInkDpi / 25.4;

double radians(double degrees) {
    return degrees * kPi / 180;
}

// OpenCV's pixel centres are at whole coordinates, Qt's at halves: the one map between them.
QTransform fromCvPixels() {
    return QTransform::fromTranslate(0.5, 0.5);
}
QTransform toCvPixels() {
    return QTransform::fromTranslate(-0.5, -0.5);
}

cv::Mat affineOf(const QTransform& t) {
    return (cv::Mat_<double>(2, 3) << t.m11(), t.m21(), t.dx(), t.m12(), t.m22(), t.dy());
}

} // namespace

QTransform WornPrinter::affine() const {
    return QTransform::fromScale(scaleX, scaleY) *
           QTransform(1, 0, std::tan(radians(shearDegrees)), 1, 0, 0) * QTransform().rotate(turnDegrees) *
           QTransform::fromTranslate(offsetX, offsetY);
}

QPointF WornPrinter::land(const QPointF& p) const {
    QPointF out = affine().map(p);
    for (const Wave& w : waves) {
        const double s = std::sin(w.kx * p.x() + w.ky * p.y() + w.phase);
        out += QPointF(w.amplitudeX * s, w.amplitudeY * s);
    }
    return out;
}

QPointF WornPrinter::sentFor(const QPointF& landed) const {
    const QTransform back = affine().inverted();
    QPointF p = back.map(landed);
    for (int i = 0; i < 6; ++i)
        p = back.map(landed - (land(p) - affine().map(p)));
    return p;
}

WornPrinter WornPrinter::seeded(unsigned seed, double waveMm) {
    std::mt19937 rng(seed);
    auto uniform = [&rng](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
    WornPrinter w;
    w.offsetX = uniform(-5, 5);
    w.offsetY = uniform(-5, 5);
    w.scaleX = uniform(0.98, 1.02);
    w.scaleY = uniform(0.98, 1.02);
    w.turnDegrees = uniform(-1, 1);
    w.shearDegrees = uniform(-1, 1);
    // Two waves 70–200 mm long: over a page they bend, which no affine map follows.
    for (int i = 0; i < 2; ++i) {
        const double along = uniform(0, 2 * kPi);
        const double k = 2 * kPi / uniform(70, 200);
        const double towards = uniform(0, 2 * kPi);
        w.waves.append({waveMm / 2 * std::cos(towards), waveMm / 2 * std::sin(towards), k * std::cos(along),
                        k * std::sin(along), uniform(0, 2 * kPi)});
    }
    return w;
}

PrintedPage printCalibrationPage(core::AppContext& app, int templateId, const QString& workDir) {
    PrintedPage out;
    out.templateId = templateId;
    const QDir dir(workDir);
    const QString pdf = dir.filePath(QStringLiteral("calibration-%1.pdf").arg(templateId));
    const QString png = dir.filePath(QStringLiteral("calibration-%1").arg(templateId));
    {
        print::QtPrintDevice device(pdf);
        device.setPdfMargins(QMarginsF(3, 3, 3, 3));
        // The page goes on the template's own paper, as it does on a printer loaded with the forms.
        print::TemplatePaperSwitch(app.db(), app.userIni()).setForPrinter(device.printerName(), true);
        const auto page = print::MeasuredCalibration::printPage(app, device, templateId);
        if (!page) {
            out.error = QStringLiteral("the calibration page was not printed");
            return out;
        }
        out.page = *page;
    }
    QProcess run;
    run.start(QStringLiteral("pdftoppm"),
              {QStringLiteral("-r"), QString::number(kInkDpi), QStringLiteral("-gray"),
               QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, png});
    if (!run.waitForFinished(60000) || run.exitCode() != 0) {
        out.error = QStringLiteral("pdftoppm failed: ") + QString::fromLocal8Bit(run.readAllStandardError());
        return out;
    }
    out.ink = QImage(png + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
    core::Recordset rs = app.db().query(
        QStringLiteral("select ImgFile, PWidth, PHeight from CKTypeTable where CheckTypeID=:id"),
        {{QStringLiteral("id"), templateId}});
    rs.first();
    out.form.image = QImage(app.pathOf(QStringLiteral("Image/") + rs.text(QStringLiteral("ImgFile"))))
                         .convertToFormat(QImage::Format_RGB888);
    out.form.paperMm =
        QSizeF(rs.number(QStringLiteral("PWidth")) / 10, rs.number(QStringLiteral("PHeight")) / 10);
    if (out.ink.isNull() || out.form.image.isNull())
        out.error = QStringLiteral("the printed page or the form image could not be read");
    return out;
}

Scan scan(const PrintedPage& printed, const WornPrinter& printer, const Scanner& scanner) {
    const int w = printed.ink.width();
    const int h = printed.ink.height();
    const cv::Mat ink(h, w, CV_8UC1, const_cast<uchar*>(printed.ink.constBits()),
                      size_t(printed.ink.bytesPerLine()));

    // The printer: each paper pixel takes the ink that was sent for where it lands. The map is
    // worked out on a coarse grid and interpolated; the wave is far too smooth to notice.
    constexpr int kStep = 8;
    const int cw = w / kStep + 1;
    const int ch = h / kStep + 1;
    cv::Mat coarseX(ch, cw, CV_32F);
    cv::Mat coarseY(ch, cw, CV_32F);
    for (int j = 0; j < ch; ++j)
        for (int i = 0; i < cw; ++i) {
            // Where cv::resize puts this coarse sample on the fine grid.
            const QPointF fine((i + 0.5) * w / cw - 0.5, (j + 0.5) * h / ch - 0.5);
            const QPointF sent =
                printer.sentFor((fine + QPointF(0.5, 0.5)) / kInkPerMm) * kInkPerMm - QPointF(0.5, 0.5);
            coarseX.at<float>(j, i) = float(sent.x());
            coarseY.at<float>(j, i) = float(sent.y());
        }
    cv::Mat mapX;
    cv::Mat mapY;
    cv::resize(coarseX, mapX, cv::Size(w, h), 0, 0, cv::INTER_LINEAR);
    cv::resize(coarseY, mapY, cv::Size(w, h), 0, 0, cv::INTER_LINEAR);
    cv::Mat worn;
    cv::remap(ink, worn, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(255));
    mapX.release();
    mapY.release();

    // The form under it, stretched over the paper, and the ink multiplied in.
    const QImage& f = printed.form.image;
    const cv::Mat form(f.height(), f.width(), CV_8UC3, const_cast<uchar*>(f.constBits()),
                       size_t(f.bytesPerLine()));
    const QTransform paperToForm = fromCvPixels() * QTransform::fromScale(1 / kInkPerMm, 1 / kInkPerMm) *
                                   QTransform::fromScale(f.width() / printed.form.paperMm.width(),
                                                         f.height() / printed.form.paperMm.height()) *
                                   toCvPixels();
    cv::Mat paper;
    cv::warpAffine(form, paper, affineOf(paperToForm), cv::Size(w, h), cv::INTER_CUBIC | cv::WARP_INVERSE_MAP,
                   cv::BORDER_REPLICATE);
    cv::Mat worn3;
    cv::cvtColor(worn, worn3, cv::COLOR_GRAY2RGB);
    worn.release();
    cv::multiply(paper, worn3, paper, 1.0 / 255);
    worn3.release();
    if (!scanner.blankCrosses.isEmpty()) {
        const cv::Vec3b blank = paper.at<cv::Vec3b>(int(2 * kInkPerMm), w / 2);
        for (int i : scanner.blankCrosses) {
            const QPointF c = printer.land(printed.page.crosses[i]) * kInkPerMm;
            const double r = 8 * kInkPerMm;
            cv::rectangle(paper, cv::Point(int(c.x() - r), int(c.y() - r)),
                          cv::Point(int(c.x() + r), int(c.y() + r)), cv::Scalar(blank[0], blank[1], blank[2]),
                          cv::FILLED);
        }
    }

    // The scanner: optics and sampling blur, the paper placed and turned on the glass, noise,
    // JPEG.
    const double scanPerMm = scanner.dpi / 25.4;
    const double aliasSigma = 0.5 * kInkDpi / scanner.dpi;
    const double sigma = std::hypot(scanner.blurMm * kInkPerMm, aliasSigma);
    cv::GaussianBlur(paper, paper, cv::Size(), sigma);
    Scan out;
    const QPointF centre(printed.form.paperMm.width() / 2, printed.form.paperMm.height() / 2);
    out.formMmToScan = QTransform::fromTranslate(-centre.x(), -centre.y()) *
                       QTransform().rotate(scanner.turnDegrees + (scanner.upsideDown ? 180 : 0)) *
                       QTransform::fromTranslate(scanner.paperCentreMm.x(), scanner.paperCentreMm.y()) *
                       QTransform::fromScale(scanPerMm, scanPerMm);
    const QTransform glassToPaper = fromCvPixels() * out.formMmToScan.inverted() *
                                    QTransform::fromScale(kInkPerMm, kInkPerMm) * toCvPixels();
    const cv::Size glassSize(int(std::lround(scanner.glassMm.width() * scanPerMm)),
                             int(std::lround(scanner.glassMm.height() * scanPerMm)));
    cv::Mat glass;
    cv::warpAffine(paper, glass, affineOf(glassToPaper), glassSize, cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                   cv::BORDER_CONSTANT, cv::Scalar(246, 246, 246));
    paper.release();
    cv::Mat noise(glass.size(), CV_16SC3);
    cv::RNG rng(scanner.seed);
    rng.fill(noise, cv::RNG::NORMAL, 0, scanner.noise);
    cv::Mat noisy;
    glass.convertTo(noisy, CV_16SC3);
    noisy += noise;
    noisy.convertTo(glass, CV_8UC3);
    if (scanner.grey) {
        cv::cvtColor(glass, glass, cv::COLOR_RGB2GRAY);
        cv::cvtColor(glass, glass, cv::COLOR_GRAY2RGB);
    }

    const QImage image(glass.data, glass.cols, glass.rows, int(glass.step), QImage::Format_RGB888);
    QBuffer buffer(&out.jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", scanner.jpegQuality);
    // A 600-dpi A4 scan decodes to more than Qt's default limit of 128 MiB.
    if (QImageReader::allocationLimit() < 512)
        QImageReader::setAllocationLimit(512);
    out.image = QImage::fromData(out.jpeg, "JPG").convertToFormat(QImage::Format_RGB888);
    for (const QPointF& c : printed.page.crosses)
        out.truthMm << printer.land(c);
    return out;
}

} // namespace scansim
