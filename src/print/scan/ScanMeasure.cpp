#include "print/scan/ScanMeasure.h"

#include "print/scan/CrossFinder.h"
#include "print/scan/ScanImaging.h"
#include "print/scan/ScanRegistration.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>
#include <limits>

namespace print::scan {

namespace {

// A resolution outside these is no scanner's: most likely a screen's default in the file.
constexpr double kLowestDpi = 100;
constexpr double kHighestDpi = 1200;
constexpr int kMinCrosses = 4;

QString templateName(const MeasuredCalibration::Page& page) {
    return page.templateName.isEmpty() ? QString::number(page.templateId) : page.templateName;
}

// Registration and crosses, refusals in `out.error`.
void measure(ScanMeasurement& out, const QImage& scan, double dpi, const FormImage& form,
             const MeasuredCalibration::Page& page) {
    if (dpi < kLowestDpi || dpi > kHighestDpi)
        dpi = 0;
    const QImage rgb =
        scan.format() == QImage::Format_RGB888 ? scan : scan.convertToFormat(QImage::Format_RGB888);
    const cv::Mat pixels = detail::rgbView(rgb);

    const QImage formRgb = form.image.convertToFormat(QImage::Format_RGB888);
    const detail::BlackInk ink = detail::blackInkOf(pixels, detail::rgbView(formRgb));
    const detail::RegistrationResult registered = detail::registerForm(pixels, dpi, form, page, ink);
    if (!detail::convincing(registered.upright)) {
        if (detail::convincing(registered.upsideDown)) {
            out.error =
                QStringLiteral("扫描图是倒着的：请把校准页上下掉转后重新扫描（或把扫描图转正后再打开）。");
        } else if (registered.upright.found && registered.upright.coarseScore >= detail::kMinCoarseScore) {
            // The form is there at a glance but not in detail.
            out.error = QStringLiteral("扫描图太模糊，看不清模板【%1】的表格：请压紧扫描仪盖板，用 300 dpi "
                                       "重新扫描。")
                            .arg(templateName(page));
        } else {
            out.error =
                QStringLiteral("扫描图与模板【%1】的表格对不上：请确认选对了模板，扫描图清晰、没有倒放。")
                    .arg(templateName(page));
        }
        return;
    }
    out.formMmToScan = registered.upright.formMmToScan;

    const detail::CrossSearch search = detail::findCrosses(pixels, out.formMmToScan, page, ink);
    const QVector<std::optional<QPointF>>& found = search.px;
    const QTransform toForm = out.formMmToScan.inverted();
    int count = 0;
    for (int i = 0; i < found.size(); ++i)
        if (found[i]) {
            out.crossesPx[i] = *found[i];
            out.crossesMm[i] = toForm.map(*found[i]);
            ++count;
        }
    if (count < kMinCrosses && count + search.unsharp >= kMinCrosses)
        out.error =
            QStringLiteral("扫描图上的十字太模糊，只有 %1 个量得准：请压紧扫描仪盖板，用 300 dpi 重新扫描。")
                .arg(count);
    else if (count < kMinCrosses)
        out.error = QStringLiteral("扫描图上只找到 %1 个十字，至少要 %2 个：请确认整张校准页都在扫描范围内、"
                                   "十字清楚没有被遮住，然后重新扫描。")
                        .arg(count)
                        .arg(kMinCrosses);
}

} // namespace

ScanMeasurement measureScan(const QImage& scan, double dpi, const FormImage& form,
                            const MeasuredCalibration::Page& page) {
    ScanMeasurement out;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    out.crossesMm.resize(page.crosses.size());
    out.crossesPx = QVector<QPointF>(page.crosses.size(), QPointF(nan, nan));
    if (scan.isNull()) {
        out.error = QStringLiteral("扫描图是空的，请重新扫描。");
        return out;
    }
    if (form.image.isNull() || form.paperMm.isEmpty()) {
        out.error = QStringLiteral("模板【%1】没有表格图片，无法从扫描图校准。").arg(templateName(page));
        return out;
    }
    try {
        measure(out, scan, dpi, form, page);
    } catch (const cv::Exception&) {
        // Out of memory, or a scan no step was made for: refused like any other.
        out = ScanMeasurement{QStringLiteral("扫描图无法处理：请用 200～600 dpi 重新扫描整张校准页。"),
                              QVector<std::optional<QPointF>>(page.crosses.size()),
                              QVector<QPointF>(page.crosses.size(), QPointF(nan, nan)), QTransform()};
    }
    return out;
}

QImage drawMeasurement(const QImage& scan, const ScanMeasurement& m, const MeasuredCalibration::Fit& fit,
                       const QSize& size) {
    if (scan.isNull() || size.isEmpty())
        return {};
    QImage out = scan.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                     .convertToFormat(QImage::Format_RGB32);
    const double k = double(out.width()) / scan.width();
    const double pxPerMm = m.formMmToScan.isInvertible() && !m.formMmToScan.isIdentity()
                               ? std::sqrt(std::abs(m.formMmToScan.determinant())) * k
                               : out.width() / 250.0;
    const double radius = std::max(8.0, 4 * pxPerMm);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setPixelSize(int(std::max(11.0, radius * 0.9)));
    font.setBold(true);
    painter.setFont(font);
    for (int i = 0; i < m.crossesPx.size(); ++i) {
        const QPointF at = m.crossesPx[i] * k;
        if (!std::isfinite(at.x()) || !std::isfinite(at.y()))
            continue;
        const QColor colour = i == fit.refused ? QColor(220, 0, 0) : QColor(0, 140, 60);
        painter.setPen(QPen(colour, std::max(2.0, radius / 6)));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(at, radius, radius);
        QString label = QString::number(i + 1);
        if (i < fit.residuals.size() && std::isfinite(fit.residuals[i]))
            label += QStringLiteral("  %1 毫米").arg(fit.residuals[i], 0, 'f', 2);
        // Beside the ring, on the side where the picture has room for it.
        const double width = QFontMetricsF(font).horizontalAdvance(label);
        const double left = at.x() + radius * 1.2 + width <= out.width() ? at.x() + radius * 1.2
                                                                         : at.x() - radius * 1.2 - width;
        painter.drawText(QPointF(std::max(0.0, left), at.y() - radius * 0.4), label);
    }
    return out;
}

} // namespace print::scan
