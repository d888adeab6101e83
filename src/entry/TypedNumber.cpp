#include "entry/TypedNumber.h"

#include <QRegularExpression>

namespace entry {

namespace {

// Full-width forms (U+FF01 … U+FF5E) become their ASCII twins; the group blanks (no-break,
// narrow no-break and the ideographic blank) become one plain blank.
QString halfWidth(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            out += QChar(char16_t(u - 0xFEE0));
        else if (u == 0x00A0 || u == 0x202F || u == 0x3000)
            out += QLatin1Char(' ');
        else
            out += c;
    }
    return out;
}

} // namespace

TypedNumber TypedNumber::read(const QString& typed) {
    const QString text = halfWidth(typed).trimmed();
    if (text.isEmpty())
        return {};
    // Groups of three after a first group of one to three digits; one kind of separator.
    static const QRegularExpression number(QStringLiteral(
        "^([+-]?)(?:([0-9]+)|([0-9]{1,3}(?:,[0-9]{3})+)|([0-9]{1,3}(?: [0-9]{3})+))?(\\.[0-9]*)?$"));
    static const QRegularExpression unfinished(
        QStringLiteral("^[+-]?(\\.?|[0-9]{1,3}(,[0-9]{3})*,[0-9]{0,2}|[0-9]{1,3}( [0-9]{3})* [0-9]{0,2})$"));
    const QRegularExpressionMatch m = number.match(text);
    if (m.hasMatch()) {
        const QString whole = m.captured(2) + m.captured(3) + m.captured(4);
        const QString fraction = m.captured(5);
        // A sign or a point alone is where typing a number starts.
        if (whole.isEmpty() && fraction.size() <= 1)
            return {State::Unfinished, {}};
        QString plain = whole;
        plain.remove(QLatin1Char(',')).remove(QLatin1Char(' '));
        if (m.captured(1) == QLatin1String("-"))
            plain.prepend(QLatin1Char('-'));
        return {State::Number, plain + fraction};
    }
    if (unfinished.match(text).hasMatch())
        return {State::Unfinished, {}};
    return {State::Invalid, {}};
}

QString TypedNumber::plainOr(const QString& typed) {
    const TypedNumber n = read(typed);
    return n.isNumber() ? n.plain : typed;
}

std::optional<qint64> TypedNumber::cents(const QString& typed) {
    const TypedNumber number = read(typed);
    if (!number.isNumber())
        return std::nullopt;
    QString plain = number.plain;
    const bool negative = plain.startsWith(QLatin1Char('-'));
    if (negative)
        plain.remove(0, 1);
    const int point = plain.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? plain : plain.left(point);
    const QString fraction = point < 0 ? QString() : plain.mid(point + 1);
    if (whole.size() > 15)
        return std::nullopt;
    qint64 value = whole.isEmpty() ? 0 : whole.toLongLong() * 100;
    value += fraction.size() > 0 ? (fraction.at(0).unicode() - '0') * 10 : 0;
    value += fraction.size() > 1 ? (fraction.at(1).unicode() - '0') : 0;
    if (fraction.size() > 2 && fraction.at(2) >= QLatin1Char('5'))
        ++value;
    return negative ? -value : value;
}

} // namespace entry
