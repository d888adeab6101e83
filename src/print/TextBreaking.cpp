#include "print/TextBreaking.h"

namespace print {

namespace {

int charBytes(const QString& ch) {
    return (ch.size() == 1 && ch.at(0).unicode() < 0x80) ? 1 : 2;
}

// Latin letters and digits hold together as one word; a break inside reads as two values.
bool isWordChar(const QString& ch) {
    return ch.size() == 1 && ch.at(0).unicode() < 0x80 && ch.at(0).isLetterOrNumber();
}

bool isBreakAfter(const QString& ch) {
    static const QString marks = QStringLiteral(" ,.;:!?)]}、，。；：！？）】》");
    return ch.size() == 1 && (marks.contains(ch.at(0)) || ch.at(0).unicode() == 0x3000);
}

// How far back a break is looked for: past that a line would end too short.
constexpr qsizetype kNearBreak = 4;

} // namespace

QString TextBreaking::trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

int TextBreaking::byteLength(const QString& text) {
    int bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        bytes += c.unicode() < 0x80 ? 1 : 2;
    }
    return bytes;
}

QStringList TextBreaking::characters(const QString& text) {
    QStringList out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out << text.mid(i, 2);
            ++i;
        } else {
            out << QString(text.at(i));
        }
    }
    return out;
}

QStringList TextBreaking::breakLines(const QString& text, int n) {
    const QStringList chars = characters(text);
    QStringList lines;
    qsizetype start = 0;
    for (;;) {
        const QStringList plain = splitByWidth(chars.mid(start).join(QString()), n);
        if (plain.size() < 2) {
            lines << plain;
            return lines;
        }
        qsizetype end = start + characters(plain.first()).size();
        if (!isBreakAfter(chars.at(end - 1))) {
            qsizetype near = -1;
            for (qsizetype k = end - 1; k > start && k >= end - kNearBreak && near < 0; --k)
                if (isBreakAfter(chars.at(k - 1)))
                    near = k;
            if (near < 0 && isWordChar(chars.at(end - 1)) && isWordChar(chars.at(end))) {
                qsizetype wordStart = end - 1;
                while (wordStart > start && isWordChar(chars.at(wordStart - 1)))
                    --wordStart;
                if (wordStart > start && wordStart >= end - kNearBreak)
                    near = wordStart;
            }
            if (near > start)
                end = near;
        }
        lines << trimBlanks(chars.mid(start, end - start).join(QString()));
        start = end;
        while (start < chars.size() && chars.at(start) == QLatin1String(" "))
            ++start;
        if (start >= chars.size())
            return lines;
    }
}

QStringList TextBreaking::splitText(const QString& text, const QString& separator) {
    QStringList pieces = separator.isEmpty() ? QStringList{text} : text.split(separator, Qt::KeepEmptyParts);
    pieces.last() = trimBlanks(pieces.last());
    return pieces;
}

QStringList TextBreaking::splitByWidth(const QString& text, int n) {
    if (text.isEmpty())
        return {};
    const qint64 limit = 2 * qint64(n);
    if (n < 1 || byteLength(text) <= limit)
        return {text};

    const QStringList chars = characters(text);
    qint64 remainingBytes = byteLength(text);
    QStringList lines;
    qsizetype pos = 0;
    while (remainingBytes > limit) {
        // n characters first, then more until the line holds 2 × n bytes.
        QString line;
        int bytes = 0;
        qsizetype taken = 0;
        while (pos < chars.size() && (taken < n || bytes < limit)) {
            line += chars.at(pos);
            bytes += charBytes(chars.at(pos));
            ++pos;
            ++taken;
        }
        lines << line;
        remainingBytes -= bytes;
    }
    QString rest;
    for (; pos < chars.size(); ++pos)
        rest += chars.at(pos);
    if (!rest.isEmpty())
        lines << rest;
    return lines;
}

bool TextBreaking::isDigitText(const QString& text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

bool TextBreaking::isNumberText(const QString& text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if ((c < QLatin1Char('0') || c > QLatin1Char('9')) && c != QLatin1Char('.'))
            return false;
    return true;
}

} // namespace print
