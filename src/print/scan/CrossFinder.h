#pragma once

#include "print/MeasuredCalibration.h"
#include "print/scan/ScanImaging.h"

#include <QPointF>
#include <QTransform>
#include <QVector>

#include <opencv2/core.hpp>

#include <optional>

namespace print::scan::detail {

// Finds the page's crosses on a registered scan: each first by correlation with a drawn cross
// in a window around where it should be (the first one widely, the rest from where the found
// ones put them), then to a fraction of a pixel by fitting a straight line to each arm's
// centre across the arm, clear of the centre, the ticks and the number, and intersecting the two.
struct CrossSearch {
    QVector<std::optional<QPointF>> px; // scan pixels (Qt's coordinates), nullopt where not found
    int unsharp = 0;                    // crosses seen at a glance whose arms would not give straight lines
};
CrossSearch findCrosses(const cv::Mat& scanRgb, const QTransform& formMmToScan,
                        const MeasuredCalibration::Page& page, const BlackInk& ink);

} // namespace print::scan::detail
