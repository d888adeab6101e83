#pragma once

#include <QDate>
#include <QString>
#include <QTime>

namespace imports {

// Turns the values a workbook stores into the texts the program works with, the same for every
// file format: numbers in their shortest decimal form without exponent (13800138000), rounded
// to the 15 significant digits an office suite shows; dates in the user's short date form;
// booleans as TRUE/FALSE; every text trimmed of blanks and control characters.
class CellText {
public:
    static QString trimmed(const QString& text);
    static QString number(double value);
    static QString boolean(bool value);
    // A date and/or a time of day; the time is left out at midnight when the date is given.
    static QString dateTime(const QDate& date, const QTime& time);
    static QString time(const QTime& time);
    // A spreadsheet serial date (days since 1899-12-30, or since 1904-01-01).
    static QString serialDate(double serial, bool date1904);
    // "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS", "YYYY-MM-DDTHH:MM:SS(.fff)" or "HH:MM:SS".
    static QString isoDateTime(const QString& text);

    // Number formats of xlsx styles that show a date or a time.
    static bool isBuiltinDateFormat(int numFmtId);
    static bool isDateFormatCode(const QString& code);

    // Width of a text in GBK bytes: every character beyond ASCII counts two.
    static int gbkWidth(const QString& text);
};

} // namespace imports
