#include "recognition/PatternSearch.h"

#include "print/TextBreaking.h"

#include <QHash>
#include <QRegularExpression>

namespace recognition {

namespace {

// The steps run the same few dozen patterns again and again; compile each once.
const QRegularExpression& compiled(const QString& pattern) {
    static QHash<QString, QRegularExpression> cache;
    auto it = cache.find(pattern);
    if (it == cache.end()) {
        QRegularExpression re(pattern);
        Q_ASSERT_X(re.isValid(), "PatternSearch", qPrintable(pattern + re.errorString()));
        re.optimize();
        it = cache.insert(pattern, re);
    }
    return *it;
}

} // namespace

QString PatternSearch::trim(const QString& text) {
    return print::TextBreaking::trimBlanks(text);
}

int PatternSearch::bytes(const QString& text) {
    return print::TextBreaking::byteLength(text);
}

QStringList PatternSearch::findAll(const QString& text, const QString& pattern, const QString& subPattern) {
    QStringList values;
    auto it = compiled(pattern).globalMatch(text);
    while (it.hasNext()) {
        QString value = trim(it.next().captured(0));
        const qsizetype colon = value.indexOf(QLatin1Char(':'));
        if (colon >= 0)
            value = value.mid(colon + 1);
        if (!subPattern.isEmpty())
            value = findOne(value, subPattern);
        value = trim(value);
        if (!value.isEmpty())
            values << value;
    }
    return values;
}

QString PatternSearch::findOne(const QString& text, const QString& pattern) {
    QString last;
    auto it = compiled(pattern).globalMatch(text);
    while (it.hasNext())
        last = it.next().captured(0);
    return trim(last);
}

int PatternSearch::bytePos(const QString& needle, const QString& text) {
    if (needle.isEmpty())
        return 0;
    const qsizetype at = text.indexOf(needle);
    return at < 0 ? 0 : bytes(text.left(at)) + 1;
}

bool PatternSearch::contains(const QString& text, const QString& needle) {
    return !needle.isEmpty() && text.contains(needle);
}

QString PatternSearch::replaceAll(QString text, const QString& what, const QString& with) {
    if (what.isEmpty())
        return text;
    return text.replace(what, with);
}

QString PatternSearch::replaceFirst(QString text, const QString& what, const QString& with) {
    if (what.isEmpty())
        return text;
    const qsizetype at = text.indexOf(what);
    if (at >= 0)
        text.replace(at, what.size(), with);
    return text;
}

} // namespace recognition
