#pragma once

#include <QString>
#include <QStringList>

namespace core {
class Dialogs;
}

namespace imports {

class Spreadsheet;

// The column choosers' list built from a sheet's title row: an empty entry for "no column",
// then "列" + column number + ":" + title for every non-empty title among the first 61 columns.
class ColumnList {
public:
    static constexpr int maxColumns = 61;

    // From the active sheet; an empty title is skipped and the scan goes on.
    static QStringList build(const Spreadsheet& sheet);
    // The same, and shows the "no titles" message when only the empty entry is left.
    static QStringList build(const Spreadsheet& sheet, core::Dialogs& dialogs);
    static QString entry(int column, const QString& title);
    // Column number of an entry (the text between "列" and the first ":"); -1 for none.
    static int columnNumber(const QString& entry);
    static QString noTitlesMessage(const QString& sheetName);
};

} // namespace imports
