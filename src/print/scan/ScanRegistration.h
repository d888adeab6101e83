#pragma once

#include "print/scan/ScanImaging.h"
#include "print/scan/ScanMeasure.h"

#include <QTransform>

#include <opencv2/core.hpp>

namespace print::scan::detail {

// Where the form lies on the scan, found by correlating the ink of the two: a coarse search of
// placement, turn (and scale when the resolution is unknown), upright and upside down, then an
// affine refinement (ECC) from 1 px/mm up to the form image's own resolution. The printed page's
// crosses and text are left out of the refinement: in colour, its black ink wherever it is; in
// grey, everywhere a worn printer can have put them.
struct Registration {
    bool found = false;      // refined to a transform
    QTransform formMmToScan; // form millimetres -> scan pixels
    double score = 0;        // correlation at the form image's resolution, −1…1
    double coarseScore = 0;  // correlation at 1 px/mm after refinement there
    bool upsideDown = false; // the transform is of the page turned half round
};

struct RegistrationResult {
    Registration upright;
    Registration upsideDown; // tried only when the upright one does not convince
};

// The lowest correlations at which the form counts as recognised.
constexpr double kMinScore = 0.45;
constexpr double kMinCoarseScore = 0.5;
inline bool convincing(const Registration& r) {
    return r.found && r.score >= kMinScore && r.coarseScore >= kMinCoarseScore;
}

// `page` tells where the page's own print can fall, left out of a grey scan's refinement.
RegistrationResult registerForm(const cv::Mat& scanRgb, double dpi, const FormImage& form,
                                const MeasuredCalibration::Page& page, const BlackInk& ink);

} // namespace print::scan::detail
