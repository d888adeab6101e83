#include "print/EscpTextDevice.h"

#include <QSaveFile>
#include <QStringEncoder>

#include <cups/cups.h>

#include <algorithm>
#include <cmath>

namespace print {

namespace {

constexpr char kEsc = 0x1B;
constexpr char kFs = 0x1C;

void put16(QByteArray& out, int value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

// ESC ( U 01 00 m: the unit of the moves that follow, m/3600 inch.
void declareUnit(QByteArray& out, int unitsPerInch) {
    out.append(kEsc).append("(U", 2);
    put16(out, 1);
    out.append(char(3600 / unitsPerInch));
}

// Chinese character mode on, 12 cpi for the half-width characters, so a Chinese character
// is a cell of 1/6 inch and an ASCII character half of it.
QByteArray jobStart(int verticalUnit, int pageLength) {
    QByteArray out;
    out.append(kEsc).append('@');
    out.append(kFs).append('&');
    out.append(kEsc).append('M');
    declareUnit(out, verticalUnit);
    out.append(kEsc).append("(C", 2);
    put16(out, 2);
    put16(out, pageLength);
    return out;
}

void selectSize(QByteArray& out, EscpTextDevice::Size from, EscpTextDevice::Size to) {
    using Size = EscpTextDevice::Size;
    const bool condensed = to == Size::Condensed;
    const bool wide = to == Size::Quadruple;
    const bool tall = to == Size::Quadruple || to == Size::DoubleHeight;
    if ((from == Size::Condensed) != condensed)
        out.append(condensed ? char(0x0F) : char(0x12)); // SI / DC2
    if ((from == Size::Quadruple) != wide)
        out.append(kEsc).append('W').append(char(wide ? 1 : 0));
    if ((from == Size::Quadruple || from == Size::DoubleHeight) != tall)
        out.append(kEsc).append('w').append(char(tall ? 1 : 0));
}

// GB2312 proper: GB18030 keeps GB2312's codes, but also puts characters GB2312 never had (€ at
// A2E3, small Roman numerals at A2A1 …) into the gaps of its rows; the printers' GB2312 fonts leave
// those empty. The assigned cells, by row (lead byte) as first–last trail byte.
bool inGb2312(uchar lead, uchar trail) {
    struct Run {
        uchar lead, first, last;
    };
    static constexpr Run kRuns[] = {
        {0xA1, 0xA1, 0xFE}, {0xA2, 0xB1, 0xE2}, {0xA2, 0xE5, 0xEE}, {0xA2, 0xF1, 0xFC}, {0xA3, 0xA1, 0xFE},
        {0xA4, 0xA1, 0xF3}, {0xA5, 0xA1, 0xF6}, {0xA6, 0xA1, 0xB8}, {0xA6, 0xC1, 0xD8}, {0xA7, 0xA1, 0xC1},
        {0xA7, 0xD1, 0xF1}, {0xA8, 0xA1, 0xBA}, {0xA8, 0xC5, 0xE9}, {0xA9, 0xA4, 0xEF}, {0xD7, 0xA1, 0xF9},
    };
    if (trail < 0xA1 || trail > 0xFE)
        return false;
    if (lead >= 0xB0 && lead <= 0xF7 && lead != 0xD7)
        return true;
    for (const Run& run : kRuns)
        if (run.lead == lead && trail >= run.first && trail <= run.last)
            return true;
    return false;
}

} // namespace

namespace {

// The character as the clerk can see it; one that does not show as its code.
QString shownCharacter(uint c) {
    if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF)
        return QStringLiteral("U+%1").arg(
            QString::number(c, 16).toUpper().rightJustified(4, QLatin1Char('0')));
    const char32_t one = c;
    return QString::fromUcs4(&one, 1);
}

} // namespace

UnprintableCharacter::UnprintableCharacter(uint codePoint, const QString& charsetName)
    : PrintError(
          QStringLiteral("字符“%1”不在打印机字库（%2）中").arg(shownCharacter(codePoint), charsetName)),
      m_codePoint(codePoint), m_charset(charsetName) {}

QString UnprintableCharacter::character() const {
    return shownCharacter(m_codePoint);
}

EscpTextDevice::EscpTextDevice(TextModeSettings settings) : m_settings(settings), m_jobSettings(settings) {
    m_paper.size = QPageSize(QPageSize::A4);
}

EscpTextDevice::~EscpTextDevice() = default;

void EscpTextDevice::setSettings(const TextModeSettings& settings) {
    m_settings = settings;
}

void EscpTextDevice::setRawFile(const QString& path) {
    m_rawFile = path;
}

QString EscpTextDevice::charsetName(TextModeSettings::Charset charset) {
    return charset == TextModeSettings::Charset::GB2312 ? QStringLiteral("GB2312")
                                                        : QStringLiteral("GB18030");
}

EscpTextDevice::Size EscpTextDevice::sizeForPoints(int points) {
    if (points <= 8)
        return Size::Condensed;
    if (points <= 14)
        return Size::Normal;
    if (points <= 20)
        return Size::DoubleHeight;
    return Size::Quadruple;
}

int EscpTextDevice::cellWidth3600(Size size, bool chinese) {
    const int ascii = size == Size::Condensed ? 180 : size == Size::Quadruple ? 600 : 300;
    return chinese ? 2 * ascii : ascii;
}

QByteArray EscpTextDevice::encode(const QString& text, TextModeSettings::Charset charset) {
    QByteArray out;
    out.reserve(text.size() * 2);
    QStringEncoder encoder("GB18030");
    const QList<uint> points = text.toUcs4();
    for (const uint c : points) {
        // Control characters would reach the printer as commands; a lone surrogate is no character.
        if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c < 0xE000))
            throw UnprintableCharacter(c, charsetName(charset));
        if (c < 0x80) {
            out.append(char(c));
            continue;
        }
        const char32_t one = c;
        const QByteArray bytes = encoder.encode(QString::fromUcs4(&one, 1));
        const bool ok = !encoder.hasError() && !bytes.isEmpty() &&
                        (charset == TextModeSettings::Charset::GB18030 ||
                         (bytes.size() == 2 && inGb2312(uchar(bytes[0]), uchar(bytes[1]))));
        if (!ok)
            throw UnprintableCharacter(c, charsetName(charset));
        out.append(bytes);
    }
    return out;
}

QStringList EscpTextDevice::printerNames() const {
    if (!m_rawFile.isEmpty())
        return {m_printer.isEmpty() ? QStringLiteral("raw") : m_printer};
    QStringList names;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    for (int i = 0; i < count; ++i)
        if (!dests[i].instance)
            names << QString::fromUtf8(dests[i].name);
    cupsFreeDests(count, dests);
    return names;
}

bool EscpTextDevice::selectPrinter(const QString& name) {
    if (name.isEmpty() || (m_rawFile.isEmpty() && !printerNames().contains(name)))
        return false;
    m_printer = name;
    return true;
}

void EscpTextDevice::setPaper(const Paper& paper) {
    if (!paper.isValid())
        throw PrintError(QStringLiteral("纸张无效"));
    m_paper = paper;
}

QSize EscpTextDevice::printableSize() const {
    QSizeF inches = m_paper.size.size(QPageSize::Inch);
    if (m_orientation == Orientation::Landscape)
        inches.transpose();
    return {int(std::lround(inches.width() * m_settings.horizontalUnit)),
            int(std::lround(inches.height() * m_settings.verticalUnit))};
}

PrintDevice::SetupResult EscpTextDevice::setupDialog(QWidget*) {
    return SetupResult::Accepted;
}

void EscpTextDevice::beginDocument() {
    if (m_printing)
        throw PrintError(QStringLiteral("打印任务已经开始"));
    if (m_printer.isEmpty() && m_rawFile.isEmpty())
        throw PrintError(QStringLiteral("没有选择打印机"));
    m_jobSettings = m_settings;
    m_page.clear();
    m_pages.clear();
    m_size = Size::Normal;
    m_printing = true;
}

void EscpTextDevice::requirePage() const {
    if (!m_printing)
        throw PrintError(QStringLiteral("没有打开的打印页"));
}

QPoint EscpTextDevice::corrected(int x, int y) const {
    const QTransform& t = correction();
    if (t.isIdentity())
        return {x, y};
    // The correction moves each value's first character; the printer's glyphs keep their
    // size and stay upright.
    const double mmPerX = 25.4 / m_jobSettings.horizontalUnit;
    const double mmPerY = 25.4 / m_jobSettings.verticalUnit;
    const QPointF mm = t.map(QPointF(x * mmPerX, y * mmPerY));
    return {int(std::lround(mm.x() / mmPerX)), int(std::lround(mm.y() / mmPerY))};
}

void EscpTextDevice::drawText(int x, int y, const QString& text) {
    requirePage();
    QByteArray bytes = encode(text, m_jobSettings.charset);
    if (bytes.isEmpty())
        return;
    const QPoint at = corrected(x, y);
    // The head cannot go left of the margin or above the top of form.
    m_page.append({qMax(0, at.x()), qMax(0, at.y()), sizeFor(text), std::move(bytes)});
}

void EscpTextDevice::setFontSize(int points) {
    m_size = sizeForPoints(points);
    m_room = -1;
}

namespace {

qint64 width3600(const QString& text, EscpTextDevice::Size size) {
    qint64 width = 0;
    const QList<uint> points = text.toUcs4();
    for (const uint c : points)
        width += EscpTextDevice::cellWidth3600(size, c >= 0x80);
    return width;
}

} // namespace

EscpTextDevice::Size EscpTextDevice::sizeFor(const QString& text) const {
    if (m_room < 0)
        return m_size;
    // The plan breaks a value for the template's font; the printer's cells may be wider (a
    // 10 pt character prints 1/6 inch wide), so a value filling its box steps down until it fits.
    const qint64 room3600 = qint64(m_room) * 3600 / m_settings.horizontalUnit;
    Size size = m_size;
    while (width3600(text, size) > room3600) {
        if (size == Size::Quadruple)
            size = Size::DoubleHeight;
        else if (size != Size::Condensed)
            size = Size::Condensed;
        else
            break;
    }
    return size;
}

int EscpTextDevice::textWidth(const QString& text) const {
    return int(width3600(text, sizeFor(text)) * m_settings.horizontalUnit / 3600);
}

void EscpTextDevice::drawLine(int, int, int, int) {
    requirePage();
}

void EscpTextDevice::drawImage(const QRect&, const QImage&) {
    requirePage();
}

void EscpTextDevice::flushPage() {
    std::stable_sort(m_page.begin(), m_page.end(),
                     [](const Mark& a, const Mark& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    const int hUnit = m_jobSettings.horizontalUnit;
    const int vUnit = m_jobSettings.verticalUnit;
    QByteArray out;
    out.reserve(m_page.size() * 24 + 8);
    int declared = vUnit; // the job's start declares the vertical unit
    Size size = Size::Normal;
    int lineY = -1;
    for (const Mark& m : std::as_const(m_page)) {
        if (m.y != lineY) {
            if (declared != vUnit) {
                declareUnit(out, vUnit);
                declared = vUnit;
            }
            out.append(kEsc).append("(V", 2);
            put16(out, 2);
            put16(out, m.y);
            lineY = m.y;
        }
        if (declared != hUnit) {
            declareUnit(out, hUnit);
            declared = hUnit;
        }
        out.append(kEsc).append('$');
        put16(out, m.x);
        selectSize(out, size, m.size);
        size = m.size;
        out.append(m.bytes);
    }
    selectSize(out, size, Size::Normal);
    if (declared != vUnit)
        declareUnit(out, vUnit);
    out.append(char(0x0C));
    m_pages.append(out);
    m_page.clear();
}

void EscpTextDevice::newPage() {
    requirePage();
    flushPage();
}

void EscpTextDevice::abort() {
    m_printing = false;
    m_page.clear();
    m_pages.clear();
}

void EscpTextDevice::endDocument() {
    requirePage();
    flushPage();
    QSizeF inches = m_paper.size.size(QPageSize::Inch);
    if (m_orientation == Orientation::Landscape)
        inches.transpose();
    const int pageLength = int(std::lround(inches.height() * m_jobSettings.verticalUnit));
    if (pageLength < 1 || pageLength > 22 * m_jobSettings.verticalUnit) {
        abort();
        throw PrintError(QStringLiteral("纸张长度超出针式打印机的范围（最长22英寸）"));
    }
    QByteArray stream = jobStart(m_jobSettings.verticalUnit, pageLength);
    for (int copy = 0; copy < m_copies; ++copy)
        for (const QByteArray& page : std::as_const(m_pages))
            stream.append(page);
    stream.append(kFs).append('.');
    m_pages.clear();
    m_printing = false;

    if (!m_rawFile.isEmpty()) {
        QSaveFile file(m_rawFile);
        if (!file.open(QIODevice::WriteOnly) || file.write(stream) != stream.size() || !file.commit())
            throw PrintError(QStringLiteral("无法写入文件 %1").arg(m_rawFile));
    } else {
        const QByteArray printer = m_printer.toUtf8();
        const QByteArray title = m_title.toUtf8();
        const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, printer.constData(), title.constData(), 0, nullptr);
        if (job <= 0)
            throw PrintError(QStringLiteral("打印机【%1】拒绝了任务：%2")
                                 .arg(m_printer, QString::fromUtf8(cupsLastErrorString())));
        bool ok = cupsStartDocument(CUPS_HTTP_DEFAULT, printer.constData(), job, title.constData(),
                                    CUPS_FORMAT_RAW, 1) == HTTP_STATUS_CONTINUE;
        ok = ok && cupsWriteRequestData(CUPS_HTTP_DEFAULT, stream.constData(), size_t(stream.size())) ==
                       HTTP_STATUS_CONTINUE;
        const bool finished = cupsFinishDocument(CUPS_HTTP_DEFAULT, printer.constData()) == IPP_STATUS_OK;
        if (!ok || !finished) {
            const QString why = QString::fromUtf8(cupsLastErrorString());
            cupsCancelJob2(CUPS_HTTP_DEFAULT, printer.constData(), job, 0);
            throw PrintError(QStringLiteral("打印机【%1】未能接收任务：%2").arg(m_printer, why));
        }
    }
    m_lastStream = std::move(stream);
}

} // namespace print
