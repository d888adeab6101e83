#include "print/RecordingPrintDevice.h"

#include "print/PrintError.h"
#include "print/PrintGeometry.h"
#include "print/TextBreaking.h"

#include <QImage>

namespace print {

void RecordingPrintDevice::clearDrawing() {
    texts.clear();
    lines.clear();
    images.clear();
    events.clear();
}

bool RecordingPrintDevice::selectPrinter(const QString& name) {
    if (!printers.contains(name))
        return false;
    m_printer = name;
    events << QStringLiteral("select:") + name;
    return true;
}

void RecordingPrintDevice::setOrientation(Orientation orientation) {
    if (orientationFails)
        throw PrintError(QStringLiteral("orientation refused"));
    m_orientation = orientation;
    events << QStringLiteral("orientation:") +
                  (orientation == Orientation::Landscape ? QLatin1Char('L') : QLatin1Char('P'));
}

void RecordingPrintDevice::setCopies(int copies) {
    m_copies = copies;
    events << QStringLiteral("copies:") + QString::number(copies);
}

void RecordingPrintDevice::setTitle(const QString& title) {
    m_title = title;
    events << QStringLiteral("title:") + title;
}

void RecordingPrintDevice::setPaper(const Paper& paper) {
    if (!paper.isValid())
        throw PrintError(QStringLiteral("no paper size"));
    paperNow = paper;
    events << QStringLiteral("paper:") + paper.size.key();
}

QSize RecordingPrintDevice::printableSize() const {
    QSize portrait = printable;
    if (printableIsPaper) {
        const QSizeF inches = paperNow.size.size(QPageSize::Inch);
        portrait = QSize(qRound(inches.width() * dpiX), qRound(inches.height() * dpiY));
    }
    return m_orientation == Orientation::Landscape ? portrait.transposed() : portrait;
}

PrintDevice::SetupResult RecordingPrintDevice::setupDialog(QWidget*) {
    events << QStringLiteral("setup");
    setupPrinter = m_printer;
    if (setupFails)
        throw PrintError(QStringLiteral("set-up dialog unavailable"));
    if (setupAnswer == SetupResult::Accepted && setupPaper.isValid())
        paperNow = setupPaper;
    return setupAnswer;
}

void RecordingPrintDevice::beginDocument() {
    if (beginFails)
        throw PrintError(QStringLiteral("printer refused the job"));
    events << QStringLiteral("begin");
    m_printing = true;
    ++documents;
    pages = 1;
}

void RecordingPrintDevice::newPage() {
    requirePage();
    events << QStringLiteral("newPage");
    ++pages;
}

void RecordingPrintDevice::endDocument() {
    requirePage();
    events << QStringLiteral("end");
    m_printing = false;
}

void RecordingPrintDevice::abort() {
    events << QStringLiteral("abort");
    m_printing = false;
}

int RecordingPrintDevice::textWidth(const QString& text) const {
    return static_cast<int>(
        PrintGeometry::roundHalfEven(TextBreaking::byteLength(text) * double(m_size) * dpiX / 144.0));
}

void RecordingPrintDevice::drawText(int x, int y, const QString& text) {
    requirePage();
    texts.append({pages, x, y, text, m_font, m_size, m_bold, m_italic, m_underline, m_color});
}

void RecordingPrintDevice::drawLine(int x1, int y1, int x2, int y2) {
    requirePage();
    lines.append({pages, x1, y1, x2, y2, m_pen});
}

void RecordingPrintDevice::drawImage(const QRect& target, const QImage& image) {
    requirePage();
    images.append({pages, target, image.size()});
}

void RecordingPrintDevice::requirePage() const {
    if (!m_printing)
        throw PrintError(QStringLiteral("no document is open"));
}

} // namespace print
