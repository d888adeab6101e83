#include "print/scan/CrossFinder.h"

#include "print/scan/ScanImaging.h"

#include <QLineF>
#include <QRect>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace print::scan::detail {

namespace {

using Calibration = MeasuredCalibration;

// How far from its predicted place a cross is looked for, in mm: the first one as far as a worn
// printer may shift (5 mm), stretch (2 %) and turn (1°) the page; the others from where the first
// puts them, then from the affine fit of those found.
constexpr double kSearchFirst = 12;
constexpr double kSearchShifted = 8;
constexpr double kSearchFitted = 4;
constexpr double kRoughPerMm = 4; // px/mm of the correlation with a drawn cross
constexpr double kMinMatch = 0.4; // its lowest correlation
// Blackness below which the rough search sees nothing, and that an arm must rise above its
// surroundings; in a grey scan blackness is counted from the form's darkest ink up.
double inkFloor(const BlackInk& ink) {
    return ink.grey ? 10 : 30;
}
double minContrast(const BlackInk& ink) {
    return ink.grey ? 30 : 70;
}
constexpr double kAcross = 0.8;   // mm each side of an arm in a profile across it
constexpr double kMaxRms = 0.08;  // mm of scatter about an arm's line
constexpr double kMinCover = 0.4; // share of an arm's profiles that must show it

QPointF unit(const QPointF& v) {
    const double l = std::hypot(v.x(), v.y());
    return l > 0 ? v / l : v;
}
QPointF normal(const QPointF& v) {
    return {-v.y(), v.x()};
}

// The whole-pixel rectangle of the scan around a point, clipped to it.
cv::Rect around(const cv::Mat& scan, const QPointF& centre, double radius) {
    const QRect r(QPoint(int(std::floor(centre.x() - radius)), int(std::floor(centre.y() - radius))),
                  QPoint(int(std::ceil(centre.x() + radius)), int(std::ceil(centre.y() + radius))));
    const QRect clipped = r.intersected(QRect(0, 0, scan.cols, scan.rows));
    return {clipped.x(), clipped.y(), clipped.width(), clipped.height()};
}

// The rough place of a cross within `window` mm of `predicted` (OpenCV pixels), by correlating
// the black ink with a cross drawn along the form's axes on the scan.
std::optional<QPointF> roughCentre(const cv::Mat& scan, const BlackInk& blackInk, const QPointF& predicted,
                                   double window, double pxPerMm, const QPointF& uh, const QPointF& uv) {
    const double reach = (window + Calibration::kArm + 1) * pxPerMm;
    const cv::Rect roi = around(scan, predicted, reach);
    const double f = kRoughPerMm / pxPerMm;
    const cv::Size size(int(std::lround(roi.width * f)), int(std::lround(roi.height * f)));
    const int half = int(std::ceil((Calibration::kArm + 0.7) * kRoughPerMm));
    if (size.width < 2 * half + 3 || size.height < 2 * half + 3)
        return std::nullopt;
    cv::Mat small;
    cv::resize(scan(roi), small, size, 0, 0, cv::INTER_AREA);
    cv::Mat ink = blackness(small, blackInk);
    cv::threshold(ink, ink, inkFloor(blackInk), 0, cv::THRESH_TOZERO);

    // The cross drawn four times finer and reduced, so that its thin arms keep their weight.
    constexpr int kFine = 4;
    constexpr int kShift = 4; // cv::line's fractional bits
    cv::Mat fine(2 * half * kFine, 2 * half * kFine, CV_8U, cv::Scalar(0));
    const QPointF c(half * kFine, half * kFine);
    const double arm = Calibration::kArm * kRoughPerMm * kFine;
    const int pen = std::max(1, int(std::lround(Calibration::kPen * kRoughPerMm * kFine)));
    auto point = [](const QPointF& p) {
        return cv::Point(int(std::lround((p.x() - 0.5) * (1 << kShift))),
                         int(std::lround((p.y() - 0.5) * (1 << kShift))));
    };
    for (const QPointF& u : {uh, uv})
        cv::line(fine, point(c - arm * u), point(c + arm * u), cv::Scalar(255), pen, cv::LINE_AA, kShift);
    cv::Mat templ;
    cv::resize(fine, templ, cv::Size(2 * half, 2 * half), 0, 0, cv::INTER_AREA);
    templ.convertTo(templ, CV_32F);

    cv::Mat result;
    cv::matchTemplate(ink, templ, result, cv::TM_CCOEFF_NORMED);
    // Only centres within the window count.
    const double fx = double(size.width) / roi.width;
    const double fy = double(size.height) / roi.height;
    const QPointF predictedHere((predicted.x() + 0.5 - roi.x) * fx - half,
                                (predicted.y() + 0.5 - roi.y) * fy - half);
    cv::Mat allowed(result.size(), CV_8U, cv::Scalar(0));
    cv::circle(allowed, cv::Point(int(std::lround(predictedHere.x())), int(std::lround(predictedHere.y()))),
               int(window * kRoughPerMm), cv::Scalar(255), cv::FILLED);
    double score = 0;
    cv::Point at;
    cv::minMaxLoc(result, nullptr, &score, nullptr, &at, allowed);
    if (score < kMinMatch)
        return std::nullopt;
    // A parabola through the peak and its neighbours.
    auto refine = [&result](int x, int y, int dx, int dy) {
        if (x - dx < 0 || y - dy < 0 || x + dx >= result.cols || y + dy >= result.rows)
            return 0.0;
        const double a = result.at<float>(y - dy, x - dx);
        const double b = result.at<float>(y, x);
        const double d = result.at<float>(y + dy, x + dx);
        const double curve = a - 2 * b + d;
        return curve < 0 ? std::clamp(0.5 * (a - d) / curve, -0.5, 0.5) : 0.0;
    };
    const QPointF peak(at.x + refine(at.x, at.y, 1, 0), at.y + refine(at.x, at.y, 0, 1));
    // The template's centre, in Qt's coordinates of the reduced window, back on the scan.
    const QPointF here(peak.x() + half, peak.y() + half);
    return QPointF(roi.x + here.x() / fx - 0.5, roi.y + here.y() / fy - 0.5);
}

struct Line {
    QPointF point;
    QPointF direction;
};

// The centre line of one arm: profiles across it between the ticks, each one's centre of ink,
// a straight line through them fitted twice (the second time without the points far off it).
std::optional<Line> fitArm(const cv::Mat& ink, double contrast, const QPointF& origin, const QPointF& centre,
                           const QPointF& u, double pxPerMm) {
    const QPointF n = normal(u);
    const double reach = kAcross * pxPerMm;
    const double step = 0.25;
    std::vector<double> ts;
    std::vector<double> ss;
    int tried = 0;
    std::vector<float> profile;
    for (int k = 1; k < int(Calibration::kArm); ++k)
        for (int side : {-1, 1})
            for (double mm = k + 0.3; mm <= k + 0.7 + 1e-9; mm += 1 / pxPerMm) {
                ++tried;
                const double t = side * mm * pxPerMm;
                profile.clear();
                bool inside = true;
                for (double s = -reach; s <= reach + 1e-9 && inside; s += step) {
                    const QPointF p = centre + t * u + s * n - origin;
                    float v = 0;
                    inside = sample(ink, p.x(), p.y(), v);
                    profile.push_back(v);
                }
                if (!inside)
                    continue;
                const auto [lo, hi] = std::minmax_element(profile.begin(), profile.end());
                if (*hi - *lo < contrast)
                    continue;
                const double floor = *lo + 0.4 * (*hi - *lo);
                double sum = 0;
                double moment = 0;
                for (size_t i = 0; i < profile.size(); ++i) {
                    const double w = std::max(0.0, profile[i] - floor);
                    sum += w;
                    moment += w * (-reach + i * step);
                }
                ts.push_back(t);
                ss.push_back(moment / sum);
            }
    if (ts.size() < kMinCover * tried)
        return std::nullopt;
    std::vector<bool> use(ts.size(), true);
    double a = 0;
    double b = 0;
    double rms = 0;
    for (int pass = 0; pass < 2; ++pass) {
        double n0 = 0;
        double st = 0;
        double ss0 = 0;
        double stt = 0;
        double sts = 0;
        for (size_t i = 0; i < ts.size(); ++i)
            if (use[i]) {
                n0 += 1;
                st += ts[i];
                ss0 += ss[i];
                stt += ts[i] * ts[i];
                sts += ts[i] * ss[i];
            }
        const double det = n0 * stt - st * st;
        if (n0 < 0.5 * kMinCover * tried || det <= 0)
            return std::nullopt;
        b = (n0 * sts - st * ss0) / det;
        a = (ss0 - b * st) / n0;
        double squares = 0;
        for (size_t i = 0; i < ts.size(); ++i)
            if (use[i])
                squares += std::pow(ss[i] - a - b * ts[i], 2);
        rms = std::sqrt(squares / n0);
        const double limit = std::max(3 * rms, 0.05 * pxPerMm);
        for (size_t i = 0; i < ts.size(); ++i)
            use[i] = std::abs(ss[i] - a - b * ts[i]) <= limit;
    }
    if (rms > kMaxRms * pxPerMm)
        return std::nullopt;
    return Line{centre + a * n, u + b * n};
}

std::optional<QPointF> intersect(const Line& p, const Line& q) {
    const double det = p.direction.x() * -q.direction.y() + q.direction.x() * p.direction.y();
    if (std::abs(det) < 1e-9)
        return std::nullopt;
    const QPointF d = q.point - p.point;
    const double alpha = (d.x() * -q.direction.y() + q.direction.x() * d.y()) / det;
    return p.point + alpha * p.direction;
}

// A cross to a fraction of a pixel from its rough place (OpenCV pixels).
std::optional<QPointF> preciseCentre(const cv::Mat& scan, const BlackInk& blackInk, const QPointF& rough,
                                     double pxPerMm, QPointF uh, QPointF uv) {
    const cv::Rect roi = around(scan, rough, (Calibration::kArm + 1.5) * pxPerMm);
    const cv::Mat ink = blackness(scan(roi), blackInk);
    const QPointF origin(roi.x, roi.y);
    QPointF centre = rough;
    for (int pass = 0; pass < 2; ++pass) {
        const auto across = fitArm(ink, minContrast(blackInk), origin, centre, uh, pxPerMm);
        const auto down = fitArm(ink, minContrast(blackInk), origin, centre, uv, pxPerMm);
        if (!across || !down)
            return std::nullopt;
        const auto meet = intersect(*across, *down);
        if (!meet || QLineF(*meet, rough).length() > 0.6 * pxPerMm)
            return std::nullopt;
        centre = *meet;
        uh = unit(across->direction);
        uv = unit(down->direction);
    }
    // Square to a few degrees: a printer shears by one at most.
    const double cosine = uh.x() * uv.x() + uh.y() * uv.y();
    if (std::abs(cosine) > std::sin(4 * 3.14159265358979323846 / 180))
        return std::nullopt;
    return centre;
}

struct Moved {
    QTransform map;
    bool affine = false; // else only shifted
};

// The affine map (or, from fewer than three crosses off one line, the shift) of the nominal
// crosses onto where they were found, in form mm.
Moved fitFound(const QVector<QPointF>& nominal, const QVector<std::optional<QPointF>>& foundMm) {
    std::vector<int> found;
    for (int i = 0; i < nominal.size(); ++i)
        if (foundMm[i])
            found.push_back(i);
    if (found.empty())
        return {};
    if (found.size() >= 3) {
        cv::Mat a(int(found.size()), 3, CV_64F);
        cv::Mat bx(int(found.size()), 1, CV_64F);
        cv::Mat by(int(found.size()), 1, CV_64F);
        for (int r = 0; r < int(found.size()); ++r) {
            const QPointF& p = nominal[found[size_t(r)]];
            a.at<double>(r, 0) = p.x();
            a.at<double>(r, 1) = p.y();
            a.at<double>(r, 2) = 1;
            bx.at<double>(r) = foundMm[found[size_t(r)]]->x();
            by.at<double>(r) = foundMm[found[size_t(r)]]->y();
        }
        cv::Mat px;
        cv::Mat py;
        cv::Mat w;
        cv::SVD::compute(a, w);
        if (w.at<double>(2) > 1e-3 * w.at<double>(0) && cv::solve(a, bx, px, cv::DECOMP_SVD) &&
            cv::solve(a, by, py, cv::DECOMP_SVD))
            return {QTransform(px.at<double>(0), py.at<double>(0), px.at<double>(1), py.at<double>(1),
                               px.at<double>(2), py.at<double>(2)),
                    true};
    }
    QPointF shift;
    for (int i : found)
        shift += (*foundMm[i] - nominal[i]) / double(found.size());
    return {QTransform::fromTranslate(shift.x(), shift.y()), false};
}

} // namespace

CrossSearch findCrosses(const cv::Mat& scan, const QTransform& formMmToScan,
                        const MeasuredCalibration::Page& page, const BlackInk& ink) {
    const QVector<QPointF>& nominal = page.crosses;
    CrossSearch out;
    out.px.resize(nominal.size());
    QVector<std::optional<QPointF>> mm(nominal.size());
    if (nominal.isEmpty())
        return out;
    const QTransform scanToForm = formMmToScan.inverted();
    const double pxPerMm = std::sqrt(std::abs(formMmToScan.determinant()));
    const QPointF uh = unit(formMmToScan.map(QPointF(1, 0)) - formMmToScan.map(QPointF(0, 0)));
    const QPointF uv = unit(formMmToScan.map(QPointF(0, 1)) - formMmToScan.map(QPointF(0, 0)));

    // From the middle of the page outwards: the first found fixes the others' places best.
    QPointF middle;
    for (const QPointF& p : nominal)
        middle += p / double(nominal.size());
    QVector<int> order(nominal.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return QLineF(nominal[a], middle).length() < QLineF(nominal[b], middle).length();
    });
    for (int i : order) {
        const bool any = std::any_of(mm.cbegin(), mm.cend(), [](const auto& m) { return m.has_value(); });
        const Moved moved = fitFound(nominal, mm);
        const double window = !any ? kSearchFirst : moved.affine ? kSearchFitted : kSearchShifted;
        const QPointF predicted = formMmToScan.map(moved.map.map(nominal[i])) - QPointF(0.5, 0.5);
        const auto rough = roughCentre(scan, ink, predicted, window, pxPerMm, uh, uv);
        if (!rough)
            continue;
        const auto precise = preciseCentre(scan, ink, *rough, pxPerMm, uh, uv);
        if (!precise) {
            ++out.unsharp;
            continue;
        }
        out.px[i] = *precise + QPointF(0.5, 0.5);
        mm[i] = scanToForm.map(*out.px[i]);
    }
    return out;
}

} // namespace print::scan::detail
