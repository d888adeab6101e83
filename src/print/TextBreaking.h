#pragma once

#include <QString>
#include <QStringList>

namespace print {

// Text utilities of printing, shared with the designers' screen drawings. Lengths are counted
// as in the double-byte character set the bills were designed for: a character outside ASCII
// counts two bytes, an ASCII character one.
class TextBreaking {
public:
    // Removes blanks and control characters (everything up to U+0020) at both ends; a
    // full-width space is a character, not a blank.
    static QString trimBlanks(const QString& text);
    static bool isBlank(const QString& text) { return trimBlanks(text).isEmpty(); }
    static int byteLength(const QString& text);
    // The characters of a text, a surrogate pair kept together.
    static QStringList characters(const QString& text);

    // Pieces between the separators, left to right; only the last piece is trimmed.
    static QStringList splitText(const QString& text, const QString& separator);
    // Lines of at least 2 × n bytes each (the last may be shorter); never cuts a character.
    static QStringList splitByWidth(const QString& text, int n);
    // Lines for a box of n double-width characters: as splitByWidth, but a line that would end
    // inside a word or number (a house number, a model code) ends instead after a blank or a
    // punctuation mark a few characters before, or before that word; the blanks at a break go.
    static QStringList breakLines(const QString& text, int n);
    // Not blank and only the digits 0 to 9.
    static bool isDigitText(const QString& text);
    // Not blank and only digits and ".".
    static bool isNumberText(const QString& text);
};

} // namespace print
