#include "imports/CellText.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace imports {

namespace {
bool isBlank(QChar c) {
    return c.isSpace() || c.unicode() < 0x20 || c.unicode() == 0x7f;
}
} // namespace

QString CellText::trimmed(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    if (begin == 0 && end == text.size())
        return text;
    return text.mid(begin, end - begin);
}

QString CellText::number(double value) {
    if (!std::isfinite(value))
        return QString();
    // 0.1 + 0.2 is stored as 0.30000000000000004 but shown as 0.3.
    const double shown = QString::number(value, 'g', 15).toDouble();
    if (shown == 0)
        return QStringLiteral("0");
    return QString::number(shown, 'f', QLocale::FloatingPointShortest);
}

QString CellText::boolean(bool value) {
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

QString CellText::time(const QTime& time) {
    return time.toString(QStringLiteral("H:mm:ss"));
}

QString CellText::dateTime(const QDate& date, const QTime& time) {
    if (!date.isValid())
        return time.isValid() ? CellText::time(time) : QString();
    const QString day = QLocale::system().toString(date, QLocale::ShortFormat);
    if (!time.isValid() || time == QTime(0, 0))
        return day;
    return day + QLatin1Char(' ') + CellText::time(time);
}

QString CellText::serialDate(double serial, bool date1904) {
    if (!std::isfinite(serial) || serial < 0 || serial > 2958466)
        return number(serial);
    const qint64 seconds = std::llround(serial * 86400.0);
    const qint64 days = seconds / 86400;
    const QTime clock = QTime(0, 0).addSecs(static_cast<int>(seconds % 86400));
    if (days == 0 && !date1904)
        return time(clock);
    QDate base = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    // The 1900 system counts a 29 February 1900 that never was; serials before it are one off.
    if (!date1904 && days < 61)
        base = QDate(1899, 12, 31);
    return dateTime(base.addDays(days), clock);
}

QString CellText::isoDateTime(const QString& text) {
    const QString t = text.trimmed();
    if (t.size() >= 10 && t.at(4) == QLatin1Char('-')) {
        const QDate date = QDate::fromString(t.left(10), QStringLiteral("yyyy-MM-dd"));
        QTime clock;
        if (t.size() >= 19)
            clock = QTime::fromString(t.mid(11, 8), QStringLiteral("HH:mm:ss"));
        return date.isValid() ? dateTime(date, clock) : t;
    }
    const QTime clock = QTime::fromString(t.left(8), QStringLiteral("HH:mm:ss"));
    return clock.isValid() ? time(clock) : t;
}

bool CellText::isBuiltinDateFormat(int numFmtId) {
    // 14-22 and 45-47 everywhere; 27-36 and 50-58 are the dates of the Chinese, Japanese and
    // Korean editions (年月日 forms), which the files our users receive carry.
    return (numFmtId >= 14 && numFmtId <= 22) || (numFmtId >= 45 && numFmtId <= 47) ||
           (numFmtId >= 27 && numFmtId <= 36) || (numFmtId >= 50 && numFmtId <= 58);
}

bool CellText::isDateFormatCode(const QString& code) {
    // Quoted text, escaped characters, fill and padding characters and bracketed colours or
    // locales say nothing about the value; elapsed times ([h]:mm) do.
    static const QRegularExpression noise(QStringLiteral(R"("[^"]*"|\\.|_.|\*.)"));
    static const QRegularExpression bracket(QStringLiteral(R"(\[([^\]]*)\])"));
    static const QRegularExpression elapsed(QStringLiteral("^[hHmMsS]+$"));
    QString c = code;
    c.remove(noise);
    bool elapsedTime = false;
    auto it = bracket.globalMatch(c);
    while (it.hasNext()) {
        if (elapsed.match(it.next().captured(1)).hasMatch())
            elapsedTime = true;
    }
    c.remove(bracket);
    if (elapsedTime)
        return true;
    for (const QChar ch : c) {
        switch (ch.toLower().unicode()) {
        case 'd':
        case 'm':
        case 'y':
        case 'h':
            return true;
        default:
            break;
        }
    }
    return false;
}

int CellText::gbkWidth(const QString& text) {
    int width = 0;
    for (const QChar c : text)
        width += c.unicode() < 0x80 ? 1 : (c.isLowSurrogate() ? 0 : 2);
    return width;
}

} // namespace imports
