#include "entry/MoneyText.h"

#include <charconv>
#include <cmath>

namespace entry {

namespace {

const QString kDigitCapitals = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
// Digits 0-9, the filler "-", then the fifteen position words; a cents string of length L
// takes the last L words.
const QString kPositionTable = QStringLiteral("零壹贰叁肆伍陆柒捌玖-万仟佰拾亿仟佰拾万仟佰拾元角分");
const QString kTooWide = QStringLiteral("超出位数限制");

struct Rewrite {
    const char16_t* from;
    const char16_t* to;
};
const Rewrite kRewrites[] = {
    {u"零仟", u"零"}, {u"零佰", u"零"}, {u"零拾", u"零"}, {u"零零零", u"零"},
    {u"零零", u"零"}, {u"零亿", u"亿"}, {u"零万", u"万"}, {u"零元", u"元"},
    {u"亿万", u"亿"}, {u"零角", u"零"}, {u"零分", u"整"}, {u"零整", u"整"},
};

// Adds one to a string of ASCII digits ("199" -> "200", "99" -> "100").
QString incremented(QString digits) {
    int i = digits.size() - 1;
    while (i >= 0) {
        if (digits[i] == QLatin1Char('9')) {
            digits[i] = QLatin1Char('0');
            --i;
        } else {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
    }
    return QLatin1Char('1') + digits;
}

bool isZeroDigits(const QString& digits) {
    for (QChar c : digits)
        if (c != QLatin1Char('0'))
            return false;
    return true;
}

QString stripLeadingZeros(const QString& digits) {
    int i = 0;
    while (i < digits.size() - 1 && digits[i] == QLatin1Char('0'))
        ++i;
    return digits.mid(i);
}

// Whole digits and decimals of |value| rounded half away from zero; false for non-finite values.
bool roundedParts(double value, int decimals, QString& whole, QString& fraction) {
    const QString text = shortestDecimal(std::fabs(value));
    if (text.isEmpty())
        return false;
    const int point = text.indexOf(QLatin1Char('.'));
    whole = point < 0 ? text : text.left(point);
    fraction = point < 0 ? QString() : text.mid(point + 1);
    bool up = fraction.size() > decimals && fraction[decimals] >= QLatin1Char('5');
    fraction = fraction.left(decimals).leftJustified(decimals, QLatin1Char('0'));
    if (up) {
        const QString joined = incremented(whole + fraction);
        whole = joined.left(joined.size() - decimals);
        fraction = joined.right(decimals);
    }
    whole = stripLeadingZeros(whole);
    return true;
}

QString withGroups(const QString& whole) {
    QString out;
    const int n = whole.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += QLatin1Char(',');
        out += whole[i];
    }
    return out;
}

QString capitalsOf(const QString& digits) {
    QString out;
    for (QChar c : digits)
        if (c.isDigit())
            out += kDigitCapitals[c.digitValue()];
    return out;
}

} // namespace

QString shortestDecimal(double value) {
    if (!std::isfinite(value))
        return {};
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    QString text = QString::fromLatin1(buffer, int(result.ptr - buffer));
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

QString numberText(double value) {
    if (!std::isfinite(value))
        return {};
    return shortestDecimal(QString::number(value, 'g', 15).toDouble());
}

bool parseDecimal(const QString& text, double& value) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.contains(QLatin1String("inf"), Qt::CaseInsensitive) ||
        t.contains(QLatin1String("nan"), Qt::CaseInsensitive))
        return false;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

QString roundDecimalText(const QString& text, int decimals) {
    double value = 0;
    if (!parseDecimal(text, value))
        return {};
    QString whole, fraction;
    roundedParts(value, decimals, whole, fraction);
    QString out = decimals > 0 ? whole + QLatin1Char('.') + fraction : whole;
    // A negative amount that rounds to zero is written without its sign.
    if (value < 0 && !isZeroDigits(whole + fraction))
        out.prepend(QLatin1Char('-'));
    return out;
}

QString AmountToChineseCapitals(double amount) {
    const QString zero = QStringLiteral("零元整");
    QString whole, fraction;
    if (amount == 0 || !roundedParts(amount, 2, whole, fraction))
        return zero;
    const QString cents = stripLeadingZeros(whole + fraction);
    if (isZeroDigits(cents))
        return zero;
    const int length = cents.size();
    if (length > 15)
        return kTooWide;
    QString out;
    for (int i = 0; i < length; ++i) {
        out += kDigitCapitals[cents[i].digitValue()];
        out += kPositionTable[26 - length + i];
    }
    for (const Rewrite& rule : kRewrites)
        out.replace(QString::fromUtf16(rule.from), QString::fromUtf16(rule.to));
    if (amount < 0)
        out.prepend(QStringLiteral("负"));
    return out.trimmed();
}

QString AmountToChineseCapitals(const QString& amount) {
    double value = 0;
    if (!parseDecimal(amount, value))
        return {};
    return AmountToChineseCapitals(value);
}

QString AmountToCapitalDigits(const QString& amount, int width, const QString& decimals) {
    double value = 0;
    if (!parseDecimal(QString(amount).remove(QLatin1Char(',')), value))
        return {};
    if (value == 0)
        return QStringLiteral("零");
    int places = 2;
    if (decimals == QLatin1String("0"))
        places = 0;
    else if (decimals == QLatin1String(".0") || decimals == QLatin1String("0.0"))
        places = 1;
    QString whole, fraction;
    roundedParts(value, places, whole, fraction);
    if (whole.size() > width)
        return kTooWide;
    return capitalsOf(whole.rightJustified(width, QLatin1Char('0')) + fraction);
}

QString AmountToCapitalDigits(double amount, int width, const QString& decimals) {
    if (!std::isfinite(amount))
        return {};
    return AmountToCapitalDigits(shortestDecimal(amount), width, decimals);
}

QString FormatLineAmount(double amount, bool withThousands) {
    if (!std::isfinite(amount))
        return {};
    // Fifteen significant digits first, so that a product such as 3 x 0.1 reads 0.30, not the
    // binary neighbour 0.30000000000000004.
    const QString fixed = roundDecimalText(numberText(amount), 2);
    if (!withThousands)
        return fixed;
    const bool negative = fixed.startsWith(QLatin1Char('-'));
    const QString magnitude = negative ? fixed.mid(1) : fixed;
    const int point = magnitude.indexOf(QLatin1Char('.'));
    QString out = withGroups(magnitude.left(point)) + magnitude.mid(point);
    return negative ? QLatin1Char('-') + out : out;
}

QString NormalizeAmountText(const QString& text) {
    QString out;
    for (QChar c : text.trimmed()) {
        const char16_t u = c.unicode();
        if (u >= u'０' && u <= u'９')
            c = QChar(u'0' + (u - u'０'));
        else if (u == u'．' || u == u'。')
            c = QLatin1Char('.');
        if (c == QLatin1Char('-') || c == QLatin1Char('.') ||
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            out += c;
    }
    return out;
}

} // namespace entry
