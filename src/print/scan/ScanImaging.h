#pragma once

// Helpers the scan measurement's steps share; OpenCV stays inside this folder.

#include <QImage>
#include <QPointF>
#include <QTransform>

#include <opencv2/core.hpp>

namespace print::scan::detail {

// Qt's pixel centres are at halves, OpenCV's at whole coordinates.
inline QTransform fromCv() {
    return QTransform::fromTranslate(0.5, 0.5);
}
inline QTransform toCv() {
    return QTransform::fromTranslate(-0.5, -0.5);
}

// A 2×3 matrix for cv::warpAffine of a map between Qt pixel coordinates.
cv::Mat cvAffine(const QTransform& qtPixels);
// The map a 2×3 matrix between OpenCV pixel coordinates means between Qt pixel coordinates.
QTransform qtAffine(const cv::Mat& cvPixels);

// The image's pixels without a copy: RGB888 (the image must outlive the view).
cv::Mat rgbView(const QImage& rgb888);

// Darkness of any ink, coloured or black: 255 − the lightest channel.
cv::Mat inkDarkness(const cv::Mat& rgb);
// How the page's black print is told from the form's ink: in a colour scan by being grey as
// well as dark; in a grey scan only by being darker than the form's ink ever is.
struct BlackInk {
    bool grey = false;
    float floor = 0; // grey scans: the darkness the form's own ink reaches
};
BlackInk blackInkOf(const cv::Mat& scanRgb, const cv::Mat& formRgb);

// Darkness of the page's black print only (CV_32F): in colour, coloured ink (one channel light,
// or far from grey) scores nothing and black over it still does; in grey, what is darker than
// the form.
cv::Mat blackness(const cv::Mat& rgb, const BlackInk& ink);

// Bilinear sample of a CV_32F image at OpenCV coordinates; false outside.
bool sample(const cv::Mat& image, double x, double y, float& out);

} // namespace print::scan::detail
