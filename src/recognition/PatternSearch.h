#pragma once

#include <QString>
#include <QStringList>

namespace recognition {

// The two searches every recognition step is written in, and the old text rules the steps rely
// on. Patterns are read as the engine they were written for read them: every match in order,
// case-sensitive, not multiline, \w \W \s \d as ASCII classes (so \W matches a Chinese
// character), "[" inside a class and a lone "]" literal. Lengths are GBK bytes.
class PatternSearch {
public:
    // Every match in order, trimmed, cut after its first ":", narrowed by the sub-pattern's
    // find-one when one is given, trimmed again; empty values are dropped.
    static QStringList findAll(const QString& text, const QString& pattern, const QString& subPattern = {});
    // The trimmed text of the last match, or empty.
    static QString findOne(const QString& text, const QString& pattern);

    static QString trim(const QString& text);
    static int bytes(const QString& text);
    // 1-based GBK byte position of needle in text; 0 when absent or when needle is empty.
    static int bytePos(const QString& needle, const QString& text);
    // An empty needle is never contained.
    static bool contains(const QString& text, const QString& needle);
    // Replacing an empty text does nothing.
    static QString replaceAll(QString text, const QString& what, const QString& with);
    static QString replaceFirst(QString text, const QString& what, const QString& with);
};

} // namespace recognition
