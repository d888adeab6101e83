#include "print/NoteCopy.h"

#include "core/AppContext.h"
#include "core/Database.h"
#include "core/DbError.h"
#include "core/Lookups.h"
#include "core/Recordset.h"
#include "print/BillPrinter.h"
#include "print/ItemRenderer.h"
#include "print/PrintError.h"
#include "print/PrintGeometry.h"
#include "print/PrintLookups.h"
#include "print/QtPrintDevice.h"
#include "print/ScreenCanvas.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace print {

namespace {

constexpr double kA4Width = 210;
constexpr double kA4Height = 297;
constexpr double kA4Margin = 10;
// A form picture is a screen-sized scan; anything far larger is not one.
constexpr int kMaxFormSide = 8000;
// zlib level 2 (Qt maps quality q to level (100 - q) × 9 / 91): half the default's time for
// a few per cent more bytes on a scanned form.
constexpr int kPngQuality = 70;

QString written(const QString& path) {
    return QStringLiteral("不能写入客户副本 %1").arg(QDir::toNativeSeparators(path));
}

int pixels(double mm, int dpi) {
    return PrintGeometry::tenthsToPixels(mm * 10, dpi);
}

} // namespace

NoteCopy::NoteCopy(core::AppContext& app, const QString& path, const Options& options)
    : m_app(app), m_options(options) {
    const QFileInfo info(path);
    m_path = info.absoluteFilePath();
    m_part = info.absoluteDir().filePath(QStringLiteral(".%1.%2.part").arg(info.fileName()).arg(::getpid()));
    m_options.dpi = qBound(36, m_options.dpi, 1200);
}

NoteCopy::~NoteCopy() {
    if (m_pdf)
        m_pdf->abort();
    m_pdf.reset();
    if (!m_part.isEmpty())
        QFile::remove(m_part);
}

NoteCopy::Form NoteCopy::form(core::AppContext& app, int templateId) {
    Form form;
    core::Recordset rs = app.db().query(
        QStringLiteral("select ImgFile, PWidth, PHeight from CKTypeTable where CheckTypeID=:id"),
        {{QStringLiteral("id"), templateId}});
    if (rs.isEmpty())
        return form;
    rs.first();
    QString file = rs.text(QStringLiteral("ImgFile"));
    if (file.isEmpty())
        file = QStringLiteral("dhd_default.jpg");
    QImageReader reader(app.pathOf(QStringLiteral("Image/") + file));
    const QSize size = reader.size();
    if (size.isValid() && size.width() <= kMaxFormSide && size.height() <= kMaxFormSide)
        form.image = reader.read();
    const double width = rs.number(QStringLiteral("PWidth")) / 10;
    const double height = rs.number(QStringLiteral("PHeight")) / 10;
    if (width > 0 && height > 0)
        form.paperMm = QSizeF(width, height);
    else if (!form.image.isNull()) // no paper of its own: the picture at the screen's 96 dpi
        form.paperMm = QSizeF(form.image.width() * 25.4 / 96, form.image.height() * 25.4 / 96);
    else
        form.paperMm = QSizeF(kA4Width, kA4Height);
    return form;
}

QString NoteCopy::templateName(core::AppContext& app, int templateId) {
    return app.db()
        .scalar(QStringLiteral("select TypeName from CKTypeTable where CheckTypeID=:id"),
                {{QStringLiteral("id"), templateId}})
        .toString();
}

const NoteCopy::Form& NoteCopy::cachedForm(int templateId) {
    auto found = m_forms.constFind(templateId);
    if (found == m_forms.cend())
        found = m_forms.insert(templateId, form(m_app, templateId));
    return *found;
}

QSizeF NoteCopy::pageMm(const QSizeF& formMm, Fit fit) {
    if (fit == Fit::Form)
        return formMm;
    return formMm.width() > formMm.height() ? QSizeF(kA4Height, kA4Width) : QSizeF(kA4Width, kA4Height);
}

QTransform NoteCopy::formOnPage(const QSizeF& formMm, Fit fit) {
    if (fit == Fit::Form || formMm.isEmpty())
        return {};
    const QSizeF page = pageMm(formMm, fit);
    const double scale = qMin((page.width() - 2 * kA4Margin) / formMm.width(),
                              (page.height() - 2 * kA4Margin) / formMm.height());
    const double x = (page.width() - formMm.width() * scale) / 2;
    const double y = (page.height() - formMm.height() * scale) / 2;
    return QTransform(scale, 0, 0, scale, x, y);
}

void NoteCopy::drawNote(core::AppContext& app, PlanCanvas& canvas, const Form& form, int templateId,
                        const ControlIndex& values, const QString& currency) {
    if (!form.image.isNull())
        canvas.drawImage(QRect(0, 0, pixels(form.paperMm.width(), canvas.resolutionX()),
                               pixels(form.paperMm.height(), canvas.resolutionY())),
                         form.image);
    // The printer's own look-ups for the currency shift and the amount cells.
    app.moneyCode = core::Lookups(app).getMoneyCodeByName(currency);
    app.cellWidth =
        PrintLookups::getCellsWidth(app.db(), templateId, QStringLiteral("zdQY"), QStringLiteral("zdBY"), 35);
    ItemRenderer renderer(app, canvas);
    renderer.printBill(values, BillPrinter::kKind, templateId, 0, 0);
}

QImage NoteCopy::render(core::AppContext& app, const Form& form, int templateId, const ControlIndex& values,
                        const QString& currency, int dpi, Fit fit) {
    const QSizeF page = pageMm(form.paperMm, fit);
    QImage image(pixels(page.width(), dpi), pixels(page.height(), dpi), QImage::Format_RGB32);
    if (image.isNull())
        throw PrintError(QStringLiteral("客户副本太大，无法生成"));
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // Millimetres of the page placed in pixels: the same map a printer's correction takes.
    const QTransform place = formOnPage(form.paperMm, fit);
    const double perMm = dpi / 25.4;
    painter.setWorldTransform(QTransform::fromScale(1 / perMm, 1 / perMm) * place *
                              QTransform::fromScale(perMm, perMm));
    ScreenCanvas canvas(painter, dpi, dpi);
    drawNote(app, canvas, form, templateId, values, currency);
    painter.end();
    return image;
}

void NoteCopy::addNote(int templateId, const ControlIndex& values, const QString& currency) {
    const Form& form = cachedForm(templateId);
    if (m_options.format == Format::Png) {
        if (m_pages > 0)
            throw PrintError(QStringLiteral("一张图片只放一张出货单"));
        m_png = render(m_app, form, templateId, values, currency, m_options.dpi, m_options.fit);
        ++m_pages;
        return;
    }
    const QSizeF page = pageMm(form.paperMm, m_options.fit);
    const PrintDevice::Paper paper{QPageSize(page, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                                   -1};
    if (!m_pdf) {
        m_pdf = std::make_unique<QtPrintDevice>(m_part);
        m_pdf->setPdfMargins(QMarginsF(0, 0, 0, 0));
        m_pdf->setTitle(QFileInfo(m_path).completeBaseName());
        m_pdf->setPaper(paper);
        m_pdf->setCorrection(formOnPage(form.paperMm, m_options.fit));
        m_pdf->beginDocument();
    } else {
        // Each page on its form's paper: notes of several templates share one file.
        m_pdf->setPaper(paper);
        m_pdf->setCorrection(formOnPage(form.paperMm, m_options.fit));
        m_pdf->newPage();
    }
    drawNote(m_app, *m_pdf, form, templateId, values, currency);
    ++m_pages;
}

void NoteCopy::finish() {
    if (m_pages == 0)
        throw PrintError(QStringLiteral("没有可写入客户副本的出货单"));
    if (m_options.format == Format::Png) {
        QSaveFile file(m_path);
        if (!file.open(QIODevice::WriteOnly) || !m_png.save(&file, "PNG", kPngQuality) || !file.commit())
            throw PrintError(written(m_path) + QStringLiteral("：") + file.errorString());
        m_part.clear();
        return;
    }
    try {
        m_pdf->endDocument();
    } catch (const PrintError&) {
        throw PrintError(written(m_path));
    }
    m_pdf.reset();
    // rename() replaces an existing file in one step; a reader sees the old file or the new.
    if (std::rename(QFile::encodeName(m_part).constData(), QFile::encodeName(m_path).constData()) != 0)
        throw PrintError(written(m_path) + QStringLiteral("：") +
                         QString::fromLocal8Bit(std::strerror(errno)));
    m_part.clear();
}

QString NoteCopy::fileName(const QString& templateName, const QString& number, const QString& customer,
                           const QString& suffix) {
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    // At most `bytes` of UTF-8 a part: the whole name stays inside a file system's 255 bytes.
    const auto clean = [](const QString& part, int bytes) {
        QString out;
        bool gap = false;
        for (const QChar c : part.trimmed()) {
            if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
                refused.contains(c)) {
                if (!gap)
                    out += QLatin1Char('_');
                gap = true;
                continue;
            }
            gap = false;
            out += c;
        }
        while (out.toUtf8().size() > bytes) {
            out.chop(1);
            if (!out.isEmpty() && out.back().isHighSurrogate())
                out.chop(1);
        }
        while (out.startsWith(QLatin1Char('.')))
            out.remove(0, 1);
        return out;
    };
    QStringList parts;
    const std::pair<QString, int> wanted[] = {{templateName, 90}, {number, 60}, {customer, 90}};
    for (const auto& [part, bytes] : wanted)
        if (const QString c = clean(part, bytes); !c.isEmpty())
            parts << c;
    QString name = parts.join(QLatin1Char('-'));
    if (name.isEmpty())
        name = QStringLiteral("出货单");
    return name + QLatin1Char('.') + suffix;
}

} // namespace print
