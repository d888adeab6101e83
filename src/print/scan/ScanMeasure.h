#pragma once

#include "print/MeasuredCalibration.h"

#include <QImage>
#include <QPointF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QTransform>
#include <QVector>

#include <optional>

namespace print::scan {

// A template's form image as it lies over the template's paper: pixel (0,0) is the paper's
// top-left corner and the image spans the whole paper.
struct FormImage {
    QImage image;
    QSizeF paperMm;
};

// Where the crosses of a scanned calibration page are on the form.
struct ScanMeasurement {
    QString error;                             // refusal for the clerk, empty when measured
    QVector<std::optional<QPointF>> crossesMm; // per Page::crosses entry: position on the form, mm
    QVector<QPointF> crossesPx;                // the same in scan pixels (NaN when not found)
    QTransform formMmToScan;                   // form millimetres -> scan pixels
    bool ok() const { return error.isEmpty(); }
};

// Registers the scan (any placement on the glass, turned up to 5°; dpi 0 when unknown) against
// the form image, then finds each of the page's crosses to a fraction of a pixel and gives it
// in the form's millimetres. Refused when the form is not recognised (wrong template, blurred,
// upside down) or fewer than four crosses are found.
ScanMeasurement measureScan(const QImage& scan, double dpi, const FormImage& form,
                            const MeasuredCalibration::Page& page);

// The scan, scaled to fit `size`, with each found cross circled, numbered and its residual
// (fit.residuals, mm) written beside it; a refused cross (fit.refused) in red. For the window.
QImage drawMeasurement(const QImage& scan, const ScanMeasurement& m, const MeasuredCalibration::Fit& fit,
                       const QSize& size);

} // namespace print::scan
