#include "print/QtPrintDevice.h"

#include "print/MeasuredCalibration.h"
#include "print/PainterDrawing.h"
#include "print/PrintError.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>

namespace print {

namespace {

const QString kSerif = QStringLiteral("Noto Serif CJK SC");
const QString kSans = QStringLiteral("Noto Sans CJK SC");

} // namespace

void QtPrintDevice::installFontSubstitutes() {
    static bool done = false;
    if (done)
        return;
    done = true;
    // 宋体 is the face an empty template font means, so it goes first.
    const QStringList serifFaces{
        QStringLiteral("宋体"),        QStringLiteral("新宋体"),         QStringLiteral("仿宋"),
        QStringLiteral("仿宋_GB2312"), QStringLiteral("楷体"),           QStringLiteral("楷体_GB2312"),
        QStringLiteral("SimSun"),      QStringLiteral("NSimSun"),        QStringLiteral("FangSong"),
        QStringLiteral("KaiTi"),       QStringLiteral("华文宋体"),       QStringLiteral("华文仿宋"),
        QStringLiteral("华文楷体"),    QStringLiteral("Times New Roman")};
    const QStringList sansFaces{QStringLiteral("黑体"),         QStringLiteral("微软雅黑"),
                                QStringLiteral("SimHei"),       QStringLiteral("Microsoft YaHei"),
                                QStringLiteral("华文细黑"),     QStringLiteral("幼圆"),
                                QStringLiteral("隶书"),         QStringLiteral("Arial"),
                                QStringLiteral("Tahoma"),       QStringLiteral("Verdana"),
                                QStringLiteral("MS Sans Serif")};
    for (const QString& face : serifFaces)
        QFont::insertSubstitutions(face, {kSerif, kSans});
    for (const QString& face : sansFaces)
        QFont::insertSubstitutions(face, {kSans, kSerif});
}

QtPrintDevice::QtPrintDevice(const QString& outputFile)
    : m_outputFile(outputFile), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    installFontSubstitutes();
    m_printer->setFullPage(false);
    if (!m_outputFile.isEmpty()) {
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(m_outputFile);
    }
    setFontName(QString());
}

QtPrintDevice::~QtPrintDevice() {
    if (m_painter.isActive())
        abort();
}

void QtPrintDevice::setPdfMargins(const QMarginsF& millimetres) {
    if (!m_outputFile.isEmpty())
        m_printer->setPageMargins(millimetres, QPageLayout::Millimeter);
}

void QtPrintDevice::standFor(const QString& printer) {
    if (m_outputFile.isEmpty())
        return;
    m_standIn = printer;
    // The printer's own paper and unprintable margins, as its driver reports them.
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    if (info.isNull())
        return;
    QPrinter real(info, QPrinter::HighResolution);
    m_printer->setPageLayout(real.pageLayout());
}

QStringList QtPrintDevice::printerNames() const {
    if (!m_outputFile.isEmpty())
        return {m_standIn.isEmpty() ? m_outputFile : m_standIn};
    return QPrinterInfo::availablePrinterNames();
}

bool QtPrintDevice::selectPrinter(const QString& name) {
    if (!m_outputFile.isEmpty())
        return name == (m_standIn.isEmpty() ? m_outputFile : m_standIn);
    if (!QPrinterInfo::availablePrinterNames().contains(name))
        return false;
    m_printer->setPrinterName(name);
    return m_printer->printerName() == name;
}

QString QtPrintDevice::printerName() const {
    if (m_outputFile.isEmpty())
        return m_printer->printerName();
    return m_standIn.isEmpty() ? m_outputFile : m_standIn;
}

int QtPrintDevice::resolutionX() const {
    return m_printer->logicalDpiX();
}

int QtPrintDevice::resolutionY() const {
    return m_printer->logicalDpiY();
}

int QtPrintDevice::physicalOffsetX() const {
    const QRectF paper = m_printer->paperRect(QPrinter::DevicePixel);
    const QRectF page = m_printer->pageRect(QPrinter::DevicePixel);
    return qRound(page.left() - paper.left());
}

int QtPrintDevice::physicalOffsetY() const {
    const QRectF paper = m_printer->paperRect(QPrinter::DevicePixel);
    const QRectF page = m_printer->pageRect(QPrinter::DevicePixel);
    return qRound(page.top() - paper.top());
}

void QtPrintDevice::setOrientation(Orientation orientation) {
    requirePrinter();
    const auto wanted =
        orientation == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
    if (!m_printer->setPageOrientation(wanted))
        throw PrintError(QStringLiteral("the printer refused the orientation"));
}

PrintDevice::Orientation QtPrintDevice::orientation() const {
    return m_printer->pageLayout().orientation() == QPageLayout::Landscape ? Orientation::Landscape
                                                                           : Orientation::Portrait;
}

void QtPrintDevice::setCopies(int copies) {
    m_printer->setCopyCount(copies);
}

int QtPrintDevice::copies() const {
    return m_printer->copyCount();
}

void QtPrintDevice::setTitle(const QString& title) {
    m_printer->setDocName(title);
}

QString QtPrintDevice::title() const {
    return m_printer->docName();
}

PrintDevice::Paper QtPrintDevice::paper() const {
    return {m_printer->pageLayout().pageSize(), int(m_printer->paperSource())};
}

void QtPrintDevice::setPaper(const Paper& paper) {
    requirePrinter();
    if (!paper.isValid() || !m_printer->setPageSize(paper.size))
        throw PrintError(QStringLiteral("the printer refused the paper ") + paper.size.name());
    if (paper.source >= 0)
        m_printer->setPaperSource(QPrinter::PaperSource(paper.source));
}

QSize QtPrintDevice::printableSize() const {
    return m_printer->pageRect(QPrinter::DevicePixel).size().toSize();
}

PrintDevice::SetupResult QtPrintDevice::setupDialog(QWidget* parent) {
    requirePrinter();
    QPrintDialog dialog(m_printer.get(), parent);
    // Set-up chooses printer and paper for the bills to come; nothing prints from here.
    dialog.setWindowTitle(QStringLiteral("打印机设置"));
    dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("确定"));
    return dialog.exec() == QDialog::Accepted ? SetupResult::Accepted : SetupResult::Rejected;
}

void QtPrintDevice::beginDocument() {
    requirePrinter();
    if (m_painter.isActive())
        throw PrintError(QStringLiteral("a document is already open"));
    if (!m_painter.begin(m_printer.get()))
        throw PrintError(QStringLiteral("the printer could not start the document"));
    m_textLayer.clear();
    m_textLayer.beginPage();
    applyCorrection();
}

void QtPrintDevice::newPage() {
    requirePage();
    if (!m_printer->newPage())
        throw PrintError(QStringLiteral("the printer could not start a new page"));
    m_textLayer.beginPage();
}

void QtPrintDevice::endDocument() {
    requirePage();
    if (!m_painter.end())
        throw PrintError(QStringLiteral("the printer could not finish the document"));
    if (!m_outputFile.isEmpty()) {
        // The pages are complete either way; only their reading back would be the engine's.
        QString why;
        if (!m_textLayer.apply(m_printer->outputFileName(), &why))
            qWarning("PDF text layer left as drawn: %s", qPrintable(why));
    }
}

void QtPrintDevice::abort() {
    if (m_painter.isActive()) {
        m_printer->abort();
        m_painter.end();
    }
}

void QtPrintDevice::setFontName(const QString& face) {
    PainterDrawing::setFace(m_font, face);
}

void QtPrintDevice::setFontSize(int points) {
    m_points = points;
}

QFont QtPrintDevice::deviceFont() const {
    // Sized for the printer current at the time of drawing.
    return PainterDrawing::sized(m_font, m_points, resolutionY());
}

int QtPrintDevice::textWidth(const QString& text) const {
    return QFontMetrics(deviceFont(), m_printer.get()).horizontalAdvance(text);
}

void QtPrintDevice::drawText(int x, int y, const QString& text) {
    requirePage();
    const QFont font = deviceFont();
    PainterDrawing::text(m_painter, font, m_color, x, y, text);
    if (!m_outputFile.isEmpty())
        m_textLayer.addText(text, font);
}

void QtPrintDevice::drawLine(int x1, int y1, int x2, int y2) {
    requirePage();
    PainterDrawing::line(m_painter, m_penWidth, x1, y1, x2, y2);
}

void QtPrintDevice::drawImage(const QRect& target, const QImage& image) {
    requirePage();
    PainterDrawing::image(m_painter, target, image);
}

void QtPrintDevice::setCorrection(const QTransform& paperMm) {
    PrintDevice::setCorrection(paperMm);
    applyCorrection();
}

void QtPrintDevice::applyCorrection() {
    if (m_painter.isActive())
        m_painter.setWorldTransform(MeasuredCalibration::devicePixels(correction(), *this));
}

void QtPrintDevice::requirePrinter() const {
    if (!m_printer->isValid())
        throw PrintError(QStringLiteral("no usable printer"));
}

void QtPrintDevice::requirePage() const {
    if (!m_painter.isActive())
        throw PrintError(QStringLiteral("no document is open"));
}

} // namespace print
