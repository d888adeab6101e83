#pragma once

#include <QString>

#include <optional>

namespace entry {

// A quantity, price or amount as a clerk types it. Full-width digits, point and signs count as
// their half-width forms, and the whole part may be grouped by threes with "," or a blank
// ("1,200", "１２００" and "1 200" are all 1200). Every box of a goods line reads its text
// through here, so they all accept and refuse the same texts.
struct TypedNumber {
    enum class State {
        Empty,      // nothing but blanks
        Number,     // a complete number; plain holds it
        Unfinished, // a start that typing can still complete ("-", "1,2", "."), no number yet
        Invalid,    // no number, however typing goes on
    };
    State state = State::Empty;
    QString plain; // the number as half-width digits, "." and a leading "-" ("-1200.5")

    bool isNumber() const { return state == State::Number; }
    // Read the text. Blanks around it are ignored.
    static TypedNumber read(const QString& typed);
    // Money as exact cents: the typed-number rules, the decimal text split (never a double), a
    // third decimal rounding half away from zero; nullopt for no number or beyond 10^15 yuan
    // (cents would leave 64 bits soon after).
    static std::optional<qint64> cents(const QString& typed);
    // The plain text of a number, otherwise the text as it stands (the caller's message tells
    // what is wrong with it).
    static QString plainOr(const QString& typed);
};

} // namespace entry
