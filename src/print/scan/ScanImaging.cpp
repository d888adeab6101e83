#include "print/scan/ScanImaging.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace print::scan::detail {

cv::Mat cvAffine(const QTransform& qt) {
    const QTransform t = fromCv() * qt * toCv();
    return (cv::Mat_<double>(2, 3) << t.m11(), t.m21(), t.dx(), t.m12(), t.m22(), t.dy());
}

QTransform qtAffine(const cv::Mat& m) {
    cv::Mat d;
    m.convertTo(d, CV_64F);
    const QTransform t(d.at<double>(0, 0), d.at<double>(1, 0), d.at<double>(0, 1), d.at<double>(1, 1),
                       d.at<double>(0, 2), d.at<double>(1, 2));
    return toCv() * t * fromCv();
}

cv::Mat rgbView(const QImage& image) {
    return cv::Mat(image.height(), image.width(), CV_8UC3, const_cast<uchar*>(image.constBits()),
                   size_t(image.bytesPerLine()));
}

cv::Mat inkDarkness(const cv::Mat& rgb) {
    cv::Mat out(rgb.size(), CV_8U);
    for (int y = 0; y < rgb.rows; ++y) {
        const cv::Vec3b* in = rgb.ptr<cv::Vec3b>(y);
        uchar* o = out.ptr<uchar>(y);
        for (int x = 0; x < rgb.cols; ++x)
            o[x] = uchar(255 - std::min({in[x][0], in[x][1], in[x][2]}));
    }
    return out;
}

namespace {

int lumaDarkness(const cv::Vec3b& p) {
    return 255 - (299 * p[0] + 587 * p[1] + 114 * p[2]) / 1000;
}

} // namespace

BlackInk blackInkOf(const cv::Mat& scan, const cv::Mat& form) {
    BlackInk out;
    // A scan is grey when hardly any of its ink has a colour; a quarter of a million samples tell.
    const int step = std::max(1, int(std::sqrt(double(scan.total()) / 250000)));
    long dark = 0;
    long coloured = 0;
    for (int y = 0; y < scan.rows; y += step) {
        const cv::Vec3b* row = scan.ptr<cv::Vec3b>(y);
        for (int x = 0; x < scan.cols; x += step) {
            const int hi = std::max({row[x][0], row[x][1], row[x][2]});
            const int lo = std::min({row[x][0], row[x][1], row[x][2]});
            if (255 - lo > 60) {
                ++dark;
                coloured += hi - lo > 30 ? 1 : 0;
            }
        }
    }
    out.grey = coloured < 0.02 * dark;
    if (out.grey) {
        // The darkness of the form's ink in grey: all but the darkest 1 %, which are specks.
        std::vector<int> inked;
        for (int y = 0; y < form.rows; ++y) {
            const cv::Vec3b* row = form.ptr<cv::Vec3b>(y);
            for (int x = 0; x < form.cols; ++x)
                if (lumaDarkness(row[x]) > 40)
                    inked.push_back(lumaDarkness(row[x]));
        }
        if (!inked.empty()) {
            const auto at = inked.begin() + long(inked.size() * 0.99);
            std::nth_element(inked.begin(), at, inked.end());
            out.floor = float(*at);
        }
    }
    return out;
}

cv::Mat blackness(const cv::Mat& rgb, const BlackInk& ink) {
    cv::Mat out(rgb.size(), CV_32F);
    for (int y = 0; y < rgb.rows; ++y) {
        const cv::Vec3b* in = rgb.ptr<cv::Vec3b>(y);
        float* o = out.ptr<float>(y);
        for (int x = 0; x < rgb.cols; ++x) {
            if (ink.grey) {
                o[x] = std::max(0.0f, float(lumaDarkness(in[x])) - ink.floor);
                continue;
            }
            const int hi = std::max({in[x][0], in[x][1], in[x][2]});
            const int lo = std::min({in[x][0], in[x][1], in[x][2]});
            o[x] = float(std::max(0, 255 - hi - 2 * (hi - lo)));
        }
    }
    return out;
}

bool sample(const cv::Mat& image, double x, double y, float& out) {
    const int x0 = int(std::floor(x));
    const int y0 = int(std::floor(y));
    if (x0 < 0 || y0 < 0 || x0 + 1 >= image.cols || y0 + 1 >= image.rows)
        return false;
    const float fx = float(x - x0);
    const float fy = float(y - y0);
    const float* r0 = image.ptr<float>(y0);
    const float* r1 = image.ptr<float>(y0 + 1);
    out = (r0[x0] * (1 - fx) + r0[x0 + 1] * fx) * (1 - fy) + (r1[x0] * (1 - fx) + r1[x0 + 1] * fx) * fy;
    return true;
}

} // namespace print::scan::detail
