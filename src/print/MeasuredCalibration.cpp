#include "print/MeasuredCalibration.h"

#include "core/AppContext.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "print/PlanCanvas.h"
#include "print/PrintError.h"
#include "print/TestPage.h"

#include <QCryptographicHash>
#include <QLineF>

#include <array>
#include <cmath>

namespace print {

const QString MeasuredCalibration::kSection = QStringLiteral("MeasuredCalibration");
const QString MeasuredCalibration::kScanSection = QStringLiteral("ScanCalibration");

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMaxTurn = 3;    // degrees, turn and shear alike
constexpr double kOrderTurn = 20; // degrees: beyond this the readings are in the wrong boxes
// A cross whose reading differs from where the other crosses put it, weighed by how firmly they
// fix that place, by more than this is refused. Readings to ±0.25 mm stay under 0.5; one reading
// 1.5 mm off among nine comes out above 0.7, wherever the cross is.
constexpr double kMisread = 0.6;
constexpr double kMinSpan = 40; // mm between the outer crosses, each way

QString number(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

QString rulerKey(const QString& printer, int source, PrintDevice::Orientation orientation) {
    return printer + QStringLiteral(".S") + QString::number(source) +
           (orientation == PrintDevice::Orientation::Landscape ? QStringLiteral(".L") : QStringLiteral(".P"));
}

QString scanKey(const QString& printer, int templateId) {
    return printer + QStringLiteral(".T") + QString::number(templateId);
}

int mmToPixels(double mm, int dpi) {
    return int(std::lround(mm / 25.4 * dpi));
}

// Least squares of one coordinate as a + b·x + c·y over the rows, the positions centred for a
// well-conditioned system. Solved by elimination with pivoting; false when singular.
bool solve3(std::array<std::array<double, 4>, 3> m, std::array<double, 3>& x) {
    for (int col = 0; col < 3; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 3; ++r)
            if (std::abs(m[r][col]) > std::abs(m[pivot][col]))
                pivot = r;
        if (std::abs(m[pivot][col]) < 1e-12)
            return false;
        std::swap(m[col], m[pivot]);
        for (int r = 0; r < 3; ++r) {
            if (r == col)
                continue;
            const double f = m[r][col] / m[col][col];
            for (int c = col; c < 4; ++c)
                m[r][c] -= f * m[col][c];
        }
    }
    for (int i = 0; i < 3; ++i)
        x[i] = m[i][3] / m[i][i];
    return true;
}

struct Affine {
    QTransform map;
    std::array<std::array<double, 3>, 3> inverseNormal{}; // (XᵀX)⁻¹ of the centred rows
    QPointF centre;
};

// The affine map of nominal onto measured over the crosses in `use`, by least squares.
std::optional<Affine> fitAffine(const QVector<QPointF>& nominal, const QVector<QPointF>& measured,
                                const QVector<int>& use) {
    Affine out;
    for (int i : use)
        out.centre += nominal[i] / use.size();
    std::array<std::array<double, 3>, 3> normal{};
    std::array<double, 3> bx{};
    std::array<double, 3> by{};
    for (int i : use) {
        const std::array<double, 3> v{1, nominal[i].x() - out.centre.x(), nominal[i].y() - out.centre.y()};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                normal[r][c] += v[r] * v[c];
            bx[r] += v[r] * measured[i].x();
            by[r] += v[r] * measured[i].y();
        }
    }
    // Crosses on one line leave the other direction free.
    const double sxx = normal[1][1];
    const double syy = normal[2][2];
    const double sxy = normal[1][2];
    if (sxx * syy - sxy * sxy < 1e-6 * (sxx + syy) * (sxx + syy))
        return std::nullopt;
    std::array<double, 3> px{};
    std::array<double, 3> py{};
    auto system = [&normal](const std::array<double, 3>& b) {
        std::array<std::array<double, 4>, 3> m{};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                m[r][c] = normal[r][c];
            m[r][3] = b[r];
        }
        return m;
    };
    if (!solve3(system(bx), px) || !solve3(system(by), py))
        return std::nullopt;
    for (int c = 0; c < 3; ++c) {
        std::array<double, 3> unit{};
        unit[c] = 1;
        std::array<double, 3> column{};
        if (!solve3(system(unit), column))
            return std::nullopt;
        for (int r = 0; r < 3; ++r)
            out.inverseNormal[r][c] = column[r];
    }
    // x' = px0 + px1 (x − cx) + px2 (y − cy); QTransform maps (x, y) to
    // (m11 x + m21 y + dx, m12 x + m22 y + dy).
    const double cx = out.centre.x();
    const double cy = out.centre.y();
    out.map = QTransform(px[1], py[1], px[2], py[2], px[0] - px[1] * cx - px[2] * cy,
                         py[0] - py[1] * cx - py[2] * cy);
    return out;
}

double leverage(const Affine& fit, const QPointF& p) {
    const std::array<double, 3> v{1, p.x() - fit.centre.x(), p.y() - fit.centre.y()};
    double h = 0;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            h += v[r] * fit.inverseNormal[r][c] * v[c];
    return h;
}

double degrees(double radians) {
    return radians * 180 / kPi;
}

} // namespace

QString MeasuredCalibration::Page::code() const {
    QStringList parts{printer,
                      QString::number(source),
                      orientation == PrintDevice::Orientation::Landscape ? QStringLiteral("L")
                                                                         : QStringLiteral("P"),
                      QString::number(templateId),
                      number(paperMm.width(), 1),
                      number(paperMm.height(), 1)};
    for (const QPointF& c : crosses)
        parts << number(c.x(), 2) + QLatin1Char(',') + number(c.y(), 2);
    return QString::fromLatin1(
        QCryptographicHash::hash(parts.join(QLatin1Char('\n')).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(6)
            .toUpper());
}

MeasuredCalibration::Page MeasuredCalibration::layout(const QSizeF& paperMm, const QRectF& printableMm) {
    Page page;
    page.paperMm = paperMm;
    page.printableMm = printableMm;
    // A cross and its scale stay whole inside the printable area.
    const double reach = kArm + 0.5;
    const double left = std::max(kInset, printableMm.left() + reach);
    const double right = std::min(paperMm.width() - kInset, printableMm.right() - reach);
    const double top = std::max(kInset, printableMm.top() + reach);
    const double bottom = std::min(paperMm.height() - kInset, printableMm.bottom() - reach);
    const double middleX = (left + right) / 2;
    const double middleY = (top + bottom) / 2;
    for (double y : {top, middleY, bottom})
        for (double x : {left, middleX, right})
            page.crosses << QPointF(x, y);
    page.textMm =
        QRectF(QPointF(left + reach + 3, top + reach + 2), QPointF(middleX - reach - 3, middleY - reach - 2));
    return page;
}

MeasuredCalibration::Page MeasuredCalibration::layout(const PrintDevice& device, int templateId,
                                                      const QString& templateName) {
    const PrintDevice::Paper paper = device.paper();
    QSizeF size = paper.size.size(QPageSize::Millimeter);
    if (device.orientation() == PrintDevice::Orientation::Landscape)
        size.transpose();
    const QRectF printable(QPointF(device.physicalOffsetX() * 25.4 / device.resolutionX(),
                                   device.physicalOffsetY() * 25.4 / device.resolutionY()),
                           QSizeF(device.printableSize().width() * 25.4 / device.resolutionX(),
                                  device.printableSize().height() * 25.4 / device.resolutionY()));
    Page page = layout(size, printable);
    page.printer = device.printerName();
    page.source = paper.source;
    page.orientation = device.orientation();
    page.templateId = templateId;
    page.templateName = templateName;
    return page;
}

MeasuredCalibration::Fit MeasuredCalibration::solve(const QVector<QPointF>& nominal,
                                                    const QVector<std::optional<QPointF>>& measured) {
    Fit fit;
    const int count = int(std::min(nominal.size(), measured.size()));
    fit.residuals = QVector<double>(nominal.size(), std::nan(""));
    fit.deviations = fit.residuals;
    QVector<int> use;
    QVector<QPointF> at(nominal.size());
    for (int i = 0; i < count; ++i)
        if (measured[i]) {
            use << i;
            at[i] = *measured[i];
        }
    fit.used = int(use.size());
    if (use.size() < 4) {
        fit.error = QStringLiteral("至少要填四个十字的读数才能计算（现在填了 %1 个）。").arg(use.size());
        return fit;
    }
    const std::optional<Affine> affine = fitAffine(nominal, at, use);
    if (!affine) {
        fit.error = QStringLiteral("填了读数的十字都在一条直线上，算不出歪斜：请再量几个不在同一行、"
                                   "同一列的十字。");
        return fit;
    }
    const QTransform& t = affine->map;
    fit.printed = t;
    // The page's x axis gives the scale across and the turn; its y axis, taken square to the x
    // axis, the scale down, and along it how far it leans (the shear).
    fit.scaleX = std::hypot(t.m11(), t.m12());
    const double turn = std::atan2(t.m12(), t.m11());
    fit.turnDegrees = degrees(turn);
    fit.scaleY = -t.m21() * std::sin(turn) + t.m22() * std::cos(turn);
    fit.shearDegrees = degrees(std::atan2(t.m21() * std::cos(turn) + t.m22() * std::sin(turn), fit.scaleY));
    const QPointF shift = t.map(affine->centre) - affine->centre;
    fit.offsetX = shift.x();
    fit.offsetY = shift.y();
    for (int i : use)
        fit.residuals[i] = QLineF(t.map(nominal[i]), at[i]).length();

    if (t.determinant() <= 0 || std::abs(fit.turnDegrees) > kOrderTurn ||
        std::abs(fit.shearDegrees) > kOrderTurn) {
        fit.error = QStringLiteral("十字的读数顺序不对：请按校准页上的编号依次填写，每个十字先填距纸张"
                                   "左边、再填距纸张上边的毫米数。");
        return fit;
    }
    // Each cross against the others: its residual grows by 1 / (1 − h) when it is left out of
    // the fit; weighed by √(1 − h) a misread shows alike at a corner and in the middle.
    double worst = 0;
    for (int i : use) {
        const double h = leverage(*affine, nominal[i]);
        if (h > 0.999)
            continue; // nothing else fixes this cross
        const QPointF r = at[i] - t.map(nominal[i]);
        const QPointF left = r / (1 - h);
        fit.deviations[i] = QLineF(QPointF(), left).length();
        const double weighed = std::max(std::abs(left.x()), std::abs(left.y())) * std::sqrt(1 - h);
        if (weighed > kMisread && weighed > worst) {
            worst = weighed;
            fit.refused = i;
        }
    }
    if (fit.refused >= 0) {
        fit.error = QStringLiteral("第 %1 个十字的读数与其余十字对不上（差 %2 毫米）：请重新量这个十字，"
                                   "或清空它的两个框再计算。")
                        .arg(fit.refused + 1)
                        .arg(number(fit.deviations[fit.refused], 1));
        return fit;
    }
    for (const auto& [name, scale] :
         {std::pair{QStringLiteral("横向"), fit.scaleX}, std::pair{QStringLiteral("纵向"), fit.scaleY}}) {
        if (scale < 0.9 || scale > 1.1) {
            fit.error = QStringLiteral("测得的%1比例为 %2%，超出 90%～110%：请检查是否以毫米填写、"
                                       "是否从纸张的左边和上边量起。")
                            .arg(name, number(scale * 100, 1));
            return fit;
        }
    }
    if (std::abs(fit.turnDegrees) > kMaxTurn) {
        fit.error =
            QStringLiteral("测得的歪斜为 %1°，超过 3°：请先把纸张放正（调整进纸器或链轮）再打印校准页。")
                .arg(number(fit.turnDegrees, 2));
        return fit;
    }
    if (std::abs(fit.shearDegrees) > kMaxTurn) {
        fit.error = QStringLiteral("测得的斜切为 %1°，超过 3°：走纸可能打滑或一边快一边慢，请检查打印机"
                                   "后再打印校准页。")
                        .arg(number(fit.shearDegrees, 2));
        return fit;
    }
    // The page went out without any correction, so the correction is the fit undone.
    fit.correction = t.inverted();
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

void MeasuredCalibration::drawPage(PlanCanvas& canvas, const Page& page, const QDateTime& printedAt) {
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
    canvas.setFontSize(8);
    for (int i = 0; i < page.crosses.size(); ++i) {
        const QPointF c = page.crosses[i];
        canvas.setPenWidth(qMax(1, mmToPixels(kPen, dpiX)));
        canvas.drawLine(px(c.x() - kArm), py(c.y()), px(c.x() + kArm), py(c.y()));
        canvas.drawLine(px(c.x()), py(c.y() - kArm), px(c.x()), py(c.y() + kArm));
        // The scale: a tick across each arm at every millimetre, longer at 5, centred on the arm
        // so that it leaves the arm's own line where it is.
        canvas.setPenWidth(qMax(1, mmToPixels(kPen / 2, dpiX)));
        for (int mm = 1; mm < int(kArm); ++mm) {
            const double half = mm == 5 ? kLongTick : kTick;
            for (int side : {-1, 1}) {
                const double x = c.x() + side * mm;
                const double y = c.y() + side * mm;
                canvas.drawLine(px(x), py(c.y() - half), px(x), py(c.y() + half));
                canvas.drawLine(px(c.x() - half), py(y), px(c.x() + half), py(y));
            }
        }
        canvas.drawText(px(c.x() + 1.3), py(c.y() + 1.3), QString::number(i + 1));
    }

    const QStringList lines{
        QStringLiteral("打印校准页　代码 %1").arg(page.code()),
        QStringLiteral("打印机：%1").arg(page.printer),
        QStringLiteral("纸张来源：%1　方向：%2　纸张：%3×%4 毫米")
            .arg(page.source < 0 ? QStringLiteral("默认") : QString::number(page.source),
                 page.orientation == PrintDevice::Orientation::Landscape ? QStringLiteral("横向")
                                                                         : QStringLiteral("纵向"),
                 number(page.paperMm.width(), 0), number(page.paperMm.height(), 0)),
        QStringLiteral("模板：%1").arg(page.templateName),
        QStringLiteral("打印时间：%1").arg(printedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm"))),
        QStringLiteral("量每个十字中心距纸张左边、上边的毫米数，"),
        QStringLiteral("按编号填入“打印校准”，或扫描后从扫描图校准。"),
    };
    // As large as the space between the crosses allows.
    canvas.setBold(false);
    const double pitch = page.textMm.height() / lines.size();
    int points = std::clamp(int(pitch * 0.8 / 25.4 * 72), 5, 12);
    const int width = int(page.textMm.width() / 25.4 * dpiX);
    for (; points > 5; --points) {
        canvas.setFontSize(points);
        int widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, canvas.textWidth(line));
        if (widest <= width)
            break;
    }
    canvas.setFontSize(points);
    for (int i = 0; i < lines.size(); ++i)
        canvas.drawText(px(page.textMm.left()), py(page.textMm.top() + pitch * i), lines[i]);
}

std::optional<MeasuredCalibration::Page> MeasuredCalibration::printPage(core::AppContext& app,
                                                                        PrintDevice& device, int templateId) {
    if (device.printerNames().isEmpty()) {
        app.dialogs().error(QStringLiteral("你需要安装打印机才能打印！"));
        return std::nullopt;
    }
    PrintDevice::Paper printerPaper;
    try {
        const QString name =
            app.db()
                .scalar(QStringLiteral("select TypeName from CKTypeTable where CheckTypeID=:id"),
                        {{QStringLiteral("id"), templateId}})
                .toString();
        printerPaper = TestPage::setUpLikeBill(app, device, templateId);
        const Page page = layout(device, templateId, name);
        const QPointF first = page.crosses.front();
        const QPointF last = page.crosses.back();
        if (last.x() - first.x() < kMinSpan || last.y() - first.y() < kMinSpan) {
            app.dialogs().message(
                QStringLiteral("打印机【%1】当前纸张的可打印区域太小，放不下校准页的十字，请换用更大的纸张。")
                    .arg(device.printerName()));
            TestPage::restorePaper(device, printerPaper);
            return std::nullopt;
        }
        device.setCopies(1);
        device.setTitle(QStringLiteral("打印校准页"));
        // The page measures the printer itself: whatever is stored stays out of it.
        device.setCorrection(QTransform());
        device.beginDocument();
        drawPage(device, page, QDateTime::currentDateTime());
        device.endDocument();
        TestPage::restorePaper(device, printerPaper);
        return page;
    } catch (const std::exception&) {
        device.abort();
        TestPage::restorePaper(device, printerPaper);
        app.dialogs().alert(QStringLiteral("打印出错，请检查打印机是否可用！"), QStringLiteral("提示"),
                            false);
        return std::nullopt;
    }
}

MeasuredCalibration::Stored MeasuredCalibration::read(const QString& section, const QString& key,
                                                      Path path) const {
    Stored out;
    const QStringList parts = m_ini.readString(section, key).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 6)
        return out;
    std::array<double, 6> v{};
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        v[i] = parts[i].toDouble(&ok);
        if (!ok || !std::isfinite(v[i]))
            return out;
    }
    const QTransform t(v[0], v[1], v[2], v[3], v[4], v[5]);
    // A hand-edited entry that could not be the result of an accepted fit is not applied.
    if (!t.isInvertible() || t.isIdentity())
        return out;
    out.path = path;
    out.correction = t;
    out.since = QDateTime::fromString(m_ini.readString(section, key + QStringLiteral(".Date")), Qt::ISODate);
    return out;
}

void MeasuredCalibration::write(const QString& section, const QString& key, const QTransform& correction) {
    const QString date = key + QStringLiteral(".Date");
    if (correction.isIdentity()) {
        m_ini.deleteKey(section, key);
        m_ini.deleteKey(section, date);
    } else {
        QStringList v;
        for (double d : {correction.m11(), correction.m12(), correction.m21(), correction.m22(),
                         correction.dx(), correction.dy()})
            v << QString::number(d, 'g', 12);
        m_ini.writeString(section, key, v.join(QLatin1Char(' ')));
        m_ini.writeString(section, date, QDateTime::currentDateTime().toString(Qt::ISODate));
    }
    m_ini.flush();
}

QTransform MeasuredCalibration::recall(const QString& printer, int source,
                                       PrintDevice::Orientation orientation) const {
    return read(kSection, rulerKey(printer, source, orientation), Path::Ruler).correction;
}

QTransform MeasuredCalibration::recallScan(const QString& printer, int templateId) const {
    return read(kScanSection, scanKey(printer, templateId), Path::Scan).correction;
}

void MeasuredCalibration::remember(const QString& printer, int source, PrintDevice::Orientation orientation,
                                   const QTransform& correction) {
    write(kSection, rulerKey(printer, source, orientation), correction);
}

void MeasuredCalibration::rememberScan(const QString& printer, int templateId, const QTransform& correction) {
    write(kScanSection, scanKey(printer, templateId), correction);
}

MeasuredCalibration::Stored MeasuredCalibration::inForce(const QString& printer, int source,
                                                         PrintDevice::Orientation orientation,
                                                         int templateId) const {
    if (templateId > 0) {
        const Stored scan = read(kScanSection, scanKey(printer, templateId), Path::Scan);
        if (scan.path != Path::None)
            return scan;
    }
    return read(kSection, rulerKey(printer, source, orientation), Path::Ruler);
}

void MeasuredCalibration::applyTo(PrintDevice& device, int templateId) const {
    device.setCorrection(
        inForce(device.printerName(), device.paper().source, device.orientation(), templateId).correction);
}

} // namespace print
