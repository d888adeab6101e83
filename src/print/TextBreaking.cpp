#include "print/TextBreaking.h"

namespace print {

namespace {

int charBytes(const QString& ch) {
    return (ch.size() == 1 && ch.at(0).unicode() < 0x80) ? 1 : 2;
}

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
