#include "print/scan/ScanRegistration.h"

#include "print/scan/ScanImaging.h"

#include <QPolygonF>
#include <QRectF>

#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace print::scan::detail {

namespace {

constexpr double kMaxTurn = 5;  // degrees the page may lie turned on the glass
constexpr double kMinDpi = 200; // searched when the scan does not say
constexpr double kMaxDpi = 600;
constexpr double kDpiStep = 1.03;      // a 3 % scale step still correlates at 0.5 px/mm
constexpr double kCoarsePerMm = 1;     // px/mm of the coarse search
constexpr double kCommonDpiFits = 0.4; // coarse correlation that needs no wider search
constexpr double kBlackInk = 50;       // blackness above which a pixel is the page's own print
constexpr double kBlackMarginMm = 0.6;
constexpr double kFinestPerMm = 6; // px/mm of the last refinement at most

// The form's ink at a resolution of about perMm, never above the image's own.
struct FormLevel {
    cv::Mat dark; // CV_8U
    double perMmX = 1;
    double perMmY = 1;
};

FormLevel formAt(const cv::Mat& native, const QSizeF& paperMm, double perMm) {
    FormLevel out;
    const double nativePerMm = native.cols / paperMm.width();
    if (perMm >= nativePerMm * 0.98) {
        out.dark = native;
    } else {
        const cv::Size size(std::max(8, int(std::lround(paperMm.width() * perMm))),
                            std::max(8, int(std::lround(paperMm.height() * perMm))));
        cv::resize(native, out.dark, size, 0, 0, cv::INTER_AREA);
    }
    out.perMmX = out.dark.cols / paperMm.width();
    out.perMmY = out.dark.rows / paperMm.height();
    return out;
}

// The form turned by `degrees` on a canvas that holds it, the corners outside it at the form's
// mean so that they weigh nothing in the correlation.
struct Turned {
    cv::Mat image;
    QTransform formMmToCanvas;
};

Turned turnedForm(const FormLevel& level, double degrees) {
    const QPointF centre(level.dark.cols / 2.0, level.dark.rows / 2.0);
    const QTransform turn =
        QTransform::fromTranslate(-centre.x(), -centre.y()) * QTransform().rotate(degrees);
    const QRectF box = turn.map(QPolygonF(QRectF(0, 0, level.dark.cols, level.dark.rows))).boundingRect();
    const QTransform levelToCanvas = turn * QTransform::fromTranslate(-box.left(), -box.top());
    const cv::Size size(int(std::ceil(box.width())), int(std::ceil(box.height())));
    Turned out;
    cv::warpAffine(level.dark, out.image, cvAffine(levelToCanvas), size, cv::INTER_LINEAR,
                   cv::BORDER_CONSTANT, cv::Scalar(0));
    cv::Mat inside;
    cv::warpAffine(cv::Mat(level.dark.size(), CV_8U, cv::Scalar(255)), inside, cvAffine(levelToCanvas), size,
                   cv::INTER_NEAREST, cv::BORDER_CONSTANT, cv::Scalar(0));
    out.image.setTo(cv::mean(out.image, inside), inside == 0);
    out.formMmToCanvas = QTransform::fromScale(level.perMmX, level.perMmY) * levelToCanvas;
    return out;
}

struct Candidate {
    double score = -1;
    QTransform formMmToScan;
};

// The best placement of the form the right way up (turned a quarter either way too: a form
// wider than the glass lies along it) and upside down, each ±5°, by normalised correlation at
// about 1 px/mm, over the resolutions given.
std::pair<Candidate, Candidate> coarseSearch(const cv::Mat& scanRgb, const std::vector<double>& dpis,
                                             double angleStep, const cv::Mat& formDark, const QSizeF& paperMm,
                                             double perMm = kCoarsePerMm) {
    // The scan is reduced once, to perMm at the middle resolution; the form is scaled to each.
    const double middleDpi = std::sqrt(dpis.front() * dpis.back());
    const double f = perMm * 25.4 / middleDpi;
    cv::Mat small;
    cv::resize(scanRgb, small,
               cv::Size(std::max(1, int(std::lround(scanRgb.cols * f))),
                        std::max(1, int(std::lround(scanRgb.rows * f)))),
               0, 0, cv::INTER_AREA);
    const double fx = double(small.cols) / scanRgb.cols;
    const double fy = double(small.rows) / scanRgb.rows;
    const cv::Mat dark = inkDarkness(small);
    const double paper = cv::mean(dark)[0];

    std::pair<Candidate, Candidate> best;
    std::vector<double> angles;
    for (double a = -kMaxTurn + std::fmod(kMaxTurn, angleStep); a <= kMaxTurn + 1e-9; a += angleStep)
        angles.push_back(a);
    for (double d : dpis) {
        const FormLevel level = formAt(formDark, paperMm, perMm * d / middleDpi);
        // Room around the scan for a page that reaches its edges, or is cut by them.
        const int diagonal = int(std::ceil(std::hypot(level.dark.cols, level.dark.rows)));
        const int padX = std::max(int(10 * perMm), (diagonal - dark.cols) / 2 + 2);
        const int padY = std::max(int(10 * perMm), (diagonal - dark.rows) / 2 + 2);
        cv::Mat padded;
        cv::copyMakeBorder(dark, padded, padY, padY, padX, padX, cv::BORDER_CONSTANT, cv::Scalar(paper));
        for (int quarter : {0, 1, 3, 2})
            for (double a : angles) {
                const Turned t = turnedForm(level, a + 90 * quarter);
                if (t.image.cols > padded.cols || t.image.rows > padded.rows)
                    continue;
                cv::Mat result;
                cv::matchTemplate(padded, t.image, result, cv::TM_CCOEFF_NORMED);
                double score = 0;
                cv::Point at;
                cv::minMaxLoc(result, nullptr, &score, nullptr, &at);
                Candidate& slot = quarter == 2 ? best.second : best.first;
                if (score > slot.score) {
                    slot.score = score;
                    slot.formMmToScan = t.formMmToCanvas *
                                        QTransform::fromTranslate(at.x - padX, at.y - padY) *
                                        QTransform::fromScale(1 / fx, 1 / fy);
                }
            }
    }
    return best;
}

// Normalised correlation of two CV_32F images over the mask.
double correlation(const cv::Mat& a, const cv::Mat& b, const cv::Mat& mask) {
    cv::Scalar ma;
    cv::Scalar sa;
    cv::Scalar mb;
    cv::Scalar sb;
    cv::meanStdDev(a, ma, sa, mask);
    cv::meanStdDev(b, mb, sb, mask);
    if (sa[0] <= 0 || sb[0] <= 0)
        return 0;
    cv::Mat product;
    cv::multiply(a - ma[0], b - mb[0], product);
    return cv::mean(product, mask)[0] / (sa[0] * sb[0]);
}

// Refines a coarse placement through the levels of the pyramid by ECC (affine), and scores the
// result at the form image's own resolution.
// Where the page's crosses and text can have been printed, in form millimetres: a worn printer
// moves them by up to about 10 mm.
QVector<QPolygonF> pagePrint(const MeasuredCalibration::Page& page) {
    constexpr double kReach = MeasuredCalibration::kArm + 10;
    QVector<QPolygonF> out;
    for (const QPointF& c : page.crosses)
        out << QPolygonF(QRectF(c - QPointF(kReach, kReach), c + QPointF(kReach, kReach)));
    if (!page.textMm.isEmpty())
        out << QPolygonF(page.textMm.adjusted(-10, -10, 10, 10));
    return out;
}

Registration refine(const cv::Mat& scanRgb, const cv::Mat& formDark, const QSizeF& paperMm,
                    const Candidate& start, const MeasuredCalibration::Page& page, const BlackInk& ink) {
    Registration out;
    out.formMmToScan = start.formMmToScan;
    // The form image's own resolution, or less for a very fine one: the crosses, not the form,
    // are what must be found to a fraction of a pixel.
    const double finest = std::min(kFinestPerMm, formDark.cols / paperMm.width());
    const double scanPerMm = std::sqrt(std::abs(start.formMmToScan.determinant()));
    if (!(scanPerMm > 0))
        return out;
    // The scan at that resolution, and where its own black print is.
    const double f = std::min(1.0, finest / scanPerMm);
    cv::Mat native;
    cv::resize(scanRgb, native,
               cv::Size(std::max(1, int(std::lround(scanRgb.cols * f))),
                        std::max(1, int(std::lround(scanRgb.rows * f)))),
               0, 0, cv::INTER_AREA);
    cv::Mat allowed;
    if (ink.grey) {
        allowed = cv::Mat(native.size(), CV_8U, cv::Scalar(255));
        const QTransform toNative =
            start.formMmToScan *
            QTransform::fromScale(double(native.cols) / scanRgb.cols, double(native.rows) / scanRgb.rows);
        for (const QPolygonF& zone : pagePrint(page)) {
            std::vector<cv::Point> corners;
            for (const QPointF& p : toNative.map(zone))
                corners.emplace_back(int(std::lround(p.x())), int(std::lround(p.y())));
            cv::fillConvexPoly(allowed, corners, cv::Scalar(0));
        }
    } else {
        allowed = blackness(native, ink) < kBlackInk;
        const int grow = int(std::ceil(kBlackMarginMm * finest));
        cv::erode(allowed, allowed,
                  cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * grow + 1, 2 * grow + 1)));
    }
    cv::Mat nativeDark;
    inkDarkness(native).convertTo(nativeDark, CV_32F);
    native.release();

    std::vector<double> levels;
    for (double perMm : {kCoarsePerMm, 2 * kCoarsePerMm})
        if (perMm < finest * 0.9)
            levels.push_back(perMm);
    levels.push_back(finest);
    for (double perMm : levels) {
        const bool top = perMm == finest;
        const FormLevel level = formAt(formDark, paperMm, perMm);
        cv::Mat input = nativeDark;
        cv::Mat mask = allowed;
        if (!top) {
            const double s = perMm / finest;
            const cv::Size size(std::max(8, int(std::lround(nativeDark.cols * s))),
                                std::max(8, int(std::lround(nativeDark.rows * s))));
            cv::resize(nativeDark, input, size, 0, 0, cv::INTER_AREA);
            cv::resize(allowed, mask, size, 0, 0, cv::INTER_AREA);
            mask = mask >= 250;
        }
        const double sx = double(input.cols) / scanRgb.cols;
        const double sy = double(input.rows) / scanRgb.rows;
        cv::Mat templ;
        level.dark.convertTo(templ, CV_32F);
        const QTransform templToInput = QTransform::fromScale(1 / level.perMmX, 1 / level.perMmY) *
                                        out.formMmToScan * QTransform::fromScale(sx, sy);
        cv::Mat warp;
        cvAffine(templToInput).convertTo(warp, CV_32F);
        // Each level starts where the one below left off: a few steps suffice at the top.
        const cv::TermCriteria until(cv::TermCriteria::COUNT + cv::TermCriteria::EPS, top ? 25 : 50,
                                     top ? 1e-4 : 1e-3);
        double rho = 0;
        try {
            rho = cv::findTransformECC(templ, input, warp, cv::MOTION_AFFINE, until, mask, 5);
        } catch (const cv::Exception&) {
            return out; // the images do not correlate
        }
        out.formMmToScan = QTransform::fromScale(level.perMmX, level.perMmY) * qtAffine(warp) *
                           QTransform::fromScale(1 / sx, 1 / sy);
        if (perMm == levels.front())
            out.coarseScore = rho;
        if (top) {
            // Scored without ECC's smoothing: a blurred scan shows here.
            cv::Mat back;
            cv::Mat backMask;
            cv::warpAffine(input, back, warp, templ.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP);
            cv::warpAffine(mask, backMask, warp, templ.size(), cv::INTER_NEAREST | cv::WARP_INVERSE_MAP,
                           cv::BORDER_CONSTANT, cv::Scalar(0));
            out.score = correlation(templ, back, backMask);
        }
    }
    out.found = true;
    return out;
}

} // namespace

RegistrationResult registerForm(const cv::Mat& scanRgb, double dpi, const FormImage& form,
                                const MeasuredCalibration::Page& page, const BlackInk& ink) {
    RegistrationResult out;
    const QImage formRgb = form.image.convertToFormat(QImage::Format_RGB888);
    const cv::Mat formDark = inkDarkness(rgbView(formRgb));
    std::pair<Candidate, Candidate> coarse;
    if (dpi > 0) {
        coarse = coarseSearch(scanRgb, {dpi}, 1, formDark, form.paperMm);
    } else {
        // Scanners offer a few resolutions; only when none of them fits is every one tried.
        coarse = coarseSearch(scanRgb, {kMinDpi, 240, 300, 400, kMaxDpi}, 1, formDark, form.paperMm);
        if (std::max(coarse.first.score, coarse.second.score) < kCommonDpiFits) {
            // Every resolution at half the detail and twice the turn step, then the best one and
            // its neighbours in full.
            std::vector<double> dpis;
            for (double d = kMinDpi; d <= kMaxDpi * 1.001; d *= kDpiStep)
                dpis.push_back(d);
            const auto swept = coarseSearch(scanRgb, dpis, 2, formDark, form.paperMm, kCoarsePerMm / 2);
            const Candidate& best = swept.first.score >= swept.second.score ? swept.first : swept.second;
            const double found = std::sqrt(std::abs(best.formMmToScan.determinant())) * 25.4;
            coarse =
                coarseSearch(scanRgb, {found / kDpiStep, found, found * kDpiStep}, 1, formDark, form.paperMm);
        }
    }
    const auto& [upright, upsideDown] = coarse;
    out.upright = refine(scanRgb, formDark, form.paperMm, upright, page, ink);
    if (!convincing(out.upright)) {
        out.upsideDown = refine(scanRgb, formDark, form.paperMm, upsideDown, page, ink);
        out.upsideDown.upsideDown = true;
    }
    return out;
}

} // namespace print::scan::detail
