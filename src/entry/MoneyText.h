#pragma once

#include <QString>

namespace entry {

// The money texts of a delivery note. Every rounding works on the decimal text of the amount
// (its shortest round-trip form), never on binary products, and sends halves away from zero:
// 0.125 gives 0.13 and 1005.50 stays 1005.50.

// Shortest decimal text that reads back as the same double, never with an exponent
// (1234.5, 0.125, 13800138000). Empty for infinities and NaN.
QString shortestDecimal(double value);

// The number as a program writes it into a box: at most 15 significant digits, then the
// shortest text (3 * 0.1 gives "0.3", not "0.30000000000000004").
QString numberText(double value);

// The number a decimal text stands for; false for texts that are no number (group separators,
// letters, inf and nan are refused).
bool parseDecimal(const QString& text, double& value);

// The decimal text rounded half away from zero to the given number of decimals, written with
// exactly that many ("0.125", 2 -> "0.13"; "2.5", 0 -> "3"). Empty when the text is no number.
QString roundDecimalText(const QString& text, int decimals);

// Standard capitals ("壹仟零伍元伍角整"); "零元整" for amounts that round to zero cents.
QString AmountToChineseCapitals(double amount);
// The same for a decimal text; empty when the text is no number.
QString AmountToChineseCapitals(const QString& amount);

// One capital digit per position: width whole-yuan positions, then the decimals asked for by
// the texts "0", ".0", "0.0", ".00", "0.00" (anything else means two). "零" for a zero amount,
// "超出位数限制" when the whole part has more digits than width, empty when the text is no
// number. Commas in the text are ignored.
QString AmountToCapitalDigits(const QString& amount, int width, const QString& decimals);
QString AmountToCapitalDigits(double amount, int width, const QString& decimals);

// The amount with exactly two decimals, with "," between groups of three whole digits when
// asked (1,234.50). Empty for infinities and NaN.
QString FormatLineAmount(double amount, bool withThousands);

// A typed amount reduced to ASCII digits, "." and "-" (full-width digits and points become
// ASCII, commas and everything else are dropped): "１，２３４．５元" -> "1234.5".
QString NormalizeAmountText(const QString& text);

} // namespace entry
