#include "print/MeasuredCalibration.h"

#include "core/AppContext.h"
#include "core/IniFile.h"
#include "print/PaperMemory.h"
#include "print/PlanCanvas.h"
#include "print/PrinterSetup.h"

#include <QDateTime>
#include <QLineF>
#include <QRectF>

#include <cmath>

namespace print {

const std::array<QPointF, 3> MeasuredCalibration::kCrosses{QPointF(20, 20), QPointF(180, 20),
                                                           QPointF(20, 70)};
const QString MeasuredCalibration::kSection = QStringLiteral("MeasuredCalibration");

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMaxSkewDegrees = 3;
constexpr double kMaxResidual = 1;
constexpr double kArm = 8;        // mm each side of a cross's centre
constexpr double kPen = 0.3;      // mm
constexpr double kOrderTurn = 20; // degrees: beyond this a pair of crosses points elsewhere

struct Model {
    double theta = 0;
    double sx = 1;
    double sy = 1;
    double tx = 0;
    double ty = 0;
    double squares = 0;

    QPointF map(const QPointF& p) const {
        const double x = sx * p.x();
        const double y = sy * p.y();
        return {tx + x * std::cos(theta) - y * std::sin(theta),
                ty + x * std::sin(theta) + y * std::cos(theta)};
    }
};

// For a fixed turn the model is linear: turned back by theta, x and y are each a straight line
// of the known positions, fitted by least squares.
Model fitAt(double theta, const std::array<QPointF, 3>& known, const std::array<QPointF, 3>& measured) {
    Model m;
    m.theta = theta;
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    std::array<QPointF, 3> back;
    for (int i = 0; i < 3; ++i)
        back[i] = {measured[i].x() * c + measured[i].y() * s, -measured[i].x() * s + measured[i].y() * c};
    auto line = [&](auto knownOf, auto backOf, double& slope, double& intercept) {
        double mk = 0;
        double mb = 0;
        for (int i = 0; i < 3; ++i) {
            mk += knownOf(known[i]) / 3;
            mb += backOf(back[i]) / 3;
        }
        double cov = 0;
        double var = 0;
        for (int i = 0; i < 3; ++i) {
            cov += (knownOf(known[i]) - mk) * (backOf(back[i]) - mb);
            var += (knownOf(known[i]) - mk) * (knownOf(known[i]) - mk);
        }
        slope = cov / var;
        intercept = mb - slope * mk;
    };
    double ux = 0;
    double uy = 0;
    line([](const QPointF& p) { return p.x(); }, [](const QPointF& p) { return p.x(); }, m.sx, ux);
    line([](const QPointF& p) { return p.y(); }, [](const QPointF& p) { return p.y(); }, m.sy, uy);
    m.tx = ux * c - uy * s;
    m.ty = ux * s + uy * c;
    for (int i = 0; i < 3; ++i) {
        const QPointF d = m.map(known[i]) - measured[i];
        m.squares += d.x() * d.x() + d.y() * d.y();
    }
    return m;
}

double turnBetween(const QPointF& a, const QPointF& b) {
    double d = std::atan2(b.y(), b.x()) - std::atan2(a.y(), a.x());
    while (d > kPi)
        d -= 2 * kPi;
    while (d < -kPi)
        d += 2 * kPi;
    return std::abs(d) * 180 / kPi;
}

QString number(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

QString keyOf(const QString& printer, int source, PrintDevice::Orientation orientation) {
    return printer + QStringLiteral(".S") + QString::number(source) +
           (orientation == PrintDevice::Orientation::Landscape ? QStringLiteral(".L") : QStringLiteral(".P"));
}

int mmToPixels(double mm, int dpi) {
    return int(std::lround(mm / 25.4 * dpi));
}

} // namespace

MeasuredCalibration::Fit MeasuredCalibration::solve(const std::array<QPointF, 3>& measured,
                                                    const QTransform& previous) {
    Fit fit;
    const QPointF across = measured[1] - measured[0];
    const QPointF down = measured[2] - measured[0];
    if (QLineF(QPointF(), across).length() < 1 || QLineF(QPointF(), down).length() < 1 ||
        turnBetween(kCrosses[1] - kCrosses[0], across) > kOrderTurn ||
        turnBetween(kCrosses[2] - kCrosses[0], down) > kOrderTurn) {
        fit.error = QStringLiteral("三个十字的测量值顺序不对：请按校准页上的编号 1、2、3 依次填写，"
                                   "每个十字先填距纸张左边、再填距纸张上边的毫米数。");
        return fit;
    }
    // The squares are smooth with one minimum near the answer; a golden-section search over
    // ±10° finds it to far below a ruler's reading.
    double low = -10 * kPi / 180;
    double high = 10 * kPi / 180;
    const double golden = (std::sqrt(5.0) - 1) / 2;
    double a = high - golden * (high - low);
    double b = low + golden * (high - low);
    double fa = fitAt(a, kCrosses, measured).squares;
    double fb = fitAt(b, kCrosses, measured).squares;
    for (int i = 0; i < 80; ++i) {
        if (fa < fb) {
            high = b;
            b = a;
            fb = fa;
            a = high - golden * (high - low);
            fa = fitAt(a, kCrosses, measured).squares;
        } else {
            low = a;
            a = b;
            fa = fb;
            b = low + golden * (high - low);
            fb = fitAt(b, kCrosses, measured).squares;
        }
    }
    const Model m = fitAt((low + high) / 2, kCrosses, measured);
    fit.offsetX = m.tx;
    fit.offsetY = m.ty;
    fit.scaleX = m.sx;
    fit.scaleY = m.sy;
    fit.skewDegrees = m.theta * 180 / kPi;
    for (int i = 0; i < 3; ++i)
        fit.residuals[i] = QLineF(m.map(kCrosses[i]), measured[i]).length();

    for (const auto& [name, scale] :
         {std::pair{QStringLiteral("横向"), m.sx}, std::pair{QStringLiteral("纵向"), m.sy}}) {
        if (scale < 0.9 || scale > 1.1) {
            fit.error = QStringLiteral("测得的%1比例为 %2%，超出 90%～110%：请检查是否以毫米填写、"
                                       "是否从纸张的左边和上边量起。")
                            .arg(name, number(scale * 100, 1));
            return fit;
        }
    }
    if (std::abs(fit.skewDegrees) > kMaxSkewDegrees) {
        fit.error =
            QStringLiteral("测得的歪斜为 %1°，超过 3°：请先把纸张放正（调整进纸器或链轮）再打印校准页。")
                .arg(number(fit.skewDegrees, 2));
        return fit;
    }
    for (int i = 0; i < 3; ++i) {
        if (fit.residuals[i] > kMaxResidual) {
            fit.error =
                QStringLiteral("第 %1 个十字的残差为 %2 毫米，超过 1 毫米：测量值可能有误，请重新量一遍。")
                    .arg(i + 1)
                    .arg(number(fit.residuals[i], 2));
            return fit;
        }
    }
    const double c = std::cos(m.theta);
    const double s = std::sin(m.theta);
    // QTransform maps row vectors: (x, y) → (m11 x + m21 y + dx, m12 x + m22 y + dy).
    const QTransform printed(m.sx * c, m.sx * s, -m.sy * s, m.sy * c, m.tx, m.ty);
    // The page went out under `previous`; what is sent from now on is first undone by the
    // printer's displacement, then put through the previous correction it was measured under.
    fit.correction = printed.inverted() * previous;
    return fit;
}

QTransform MeasuredCalibration::devicePixels(const QTransform& paperMm, const PlanCanvas& canvas) {
    if (paperMm.isIdentity())
        return {};
    const double kx = 25.4 / canvas.resolutionX();
    const double ky = 25.4 / canvas.resolutionY();
    const QTransform toPaper = QTransform::fromTranslate(canvas.physicalOffsetX(), canvas.physicalOffsetY()) *
                               QTransform::fromScale(kx, ky);
    const QTransform toDevice =
        QTransform::fromScale(1 / kx, 1 / ky) *
        QTransform::fromTranslate(-canvas.physicalOffsetX(), -canvas.physicalOffsetY());
    return toPaper * paperMm * toDevice;
}

void MeasuredCalibration::drawPage(PlanCanvas& canvas, const QString& printer, int source, bool landscape) {
    const int dpiX = canvas.resolutionX();
    const int dpiY = canvas.resolutionY();
    // True paper positions: the printable area's own corner, not the templates' crossed offsets.
    auto px = [&](double mm) { return mmToPixels(mm, dpiX) - canvas.physicalOffsetX(); };
    auto py = [&](double mm) { return mmToPixels(mm, dpiY) - canvas.physicalOffsetY(); };
    canvas.setColor(Qt::black);
    canvas.setFontName(QStringLiteral("宋体"));
    canvas.setBold(true);
    canvas.setItalic(false);
    canvas.setUnderline(false);
    canvas.setPenWidth(qMax(1, mmToPixels(kPen, dpiX)));
    canvas.setFontSize(12);
    for (int i = 0; i < 3; ++i) {
        const QPointF c = kCrosses[i];
        canvas.drawLine(px(c.x() - kArm), py(c.y()), px(c.x() + kArm), py(c.y()));
        canvas.drawLine(px(c.x()), py(c.y() - kArm), px(c.x()), py(c.y() + kArm));
        canvas.drawText(px(c.x() + 2), py(c.y() + 2), QString::number(i + 1));
    }
    canvas.setFontSize(14);
    canvas.drawText(px(40), py(28), QStringLiteral("打印校准页"));
    canvas.setBold(false);
    canvas.setFontSize(9);
    const QStringList lines{
        QStringLiteral("打印机：%1").arg(printer),
        QStringLiteral("纸张来源：%1　方向：%2")
            .arg(source < 0 ? QStringLiteral("默认") : QString::number(source),
                 landscape ? QStringLiteral("横向") : QStringLiteral("纵向")),
        QStringLiteral("用直尺量出每个十字中心距纸张左边、上边的毫米数，"),
        QStringLiteral("按编号 1、2、3 填入“打印校准”窗口。"),
        QStringLiteral("打印时间：%1")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))),
    };
    for (int i = 0; i < lines.size(); ++i)
        canvas.drawText(px(40), py(36 + 5 * i), lines[i]);
}

bool MeasuredCalibration::printPage(core::AppContext& app, PrintDevice& device,
                                    PrintDevice::Orientation orientation) {
    if (device.printerNames().isEmpty()) {
        app.dialogs().error(QStringLiteral("你需要安装打印机才能打印！"));
        return false;
    }
    try {
        const QString printer = app.currentPrinter();
        if (!printer.isEmpty() && printer != device.printerName())
            device.selectPrinter(printer);
        device.setOrientation(orientation);
        PrinterSetup::applyPaper(device, PaperMemory(app.userIni()).recall(device.printerName()));
        const QRectF area(QPointF(device.physicalOffsetX() * 25.4 / device.resolutionX(),
                                  device.physicalOffsetY() * 25.4 / device.resolutionY()),
                          QSizeF(device.printableSize().width() * 25.4 / device.resolutionX(),
                                 device.printableSize().height() * 25.4 / device.resolutionY()));
        for (const QPointF& c : kCrosses) {
            if (!area.contains(QRectF(c - QPointF(kArm, kArm), QSizeF(2 * kArm, 2 * kArm)))) {
                app.dialogs().message(
                    QStringLiteral(
                        "打印机【%1】当前纸张的可打印区域放不下校准页的三个十字（需要 200×90 毫米），"
                        "请换用更大的纸张。")
                        .arg(device.printerName()));
                return false;
            }
        }
        device.setCopies(1);
        device.setTitle(QStringLiteral("打印校准页"));
        MeasuredCalibration(app.userIni()).applyTo(device);
        device.beginDocument();
        drawPage(device, device.printerName(), device.paper().source,
                 orientation == PrintDevice::Orientation::Landscape);
        device.endDocument();
        return true;
    } catch (const std::exception&) {
        device.abort();
        app.dialogs().alert(QStringLiteral("打印出错，请检查打印机是否可用！"), QStringLiteral("提示"),
                            false);
        return false;
    }
}

QTransform MeasuredCalibration::recall(const QString& printer, int source,
                                       PrintDevice::Orientation orientation) const {
    const QStringList parts = m_ini.readString(kSection, keyOf(printer, source, orientation))
                                  .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 6)
        return {};
    std::array<double, 6> v{};
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        v[i] = parts[i].toDouble(&ok);
        if (!ok || !std::isfinite(v[i]))
            return {};
    }
    const QTransform t(v[0], v[1], v[2], v[3], v[4], v[5]);
    // A hand-edited entry that could not be the result of an accepted fit is not applied.
    return t.isInvertible() ? t : QTransform();
}

void MeasuredCalibration::remember(const QString& printer, int source, PrintDevice::Orientation orientation,
                                   const QTransform& correction) {
    const QString key = keyOf(printer, source, orientation);
    if (correction.isIdentity()) {
        m_ini.deleteKey(kSection, key);
    } else {
        QStringList v;
        for (double d : {correction.m11(), correction.m12(), correction.m21(), correction.m22(),
                         correction.dx(), correction.dy()})
            v << QString::number(d, 'g', 12);
        m_ini.writeString(kSection, key, v.join(QLatin1Char(' ')));
    }
    m_ini.flush();
}

void MeasuredCalibration::applyTo(PrintDevice& device) const {
    device.setCorrection(recall(device.printerName(), device.paper().source, device.orientation()));
}

} // namespace print
