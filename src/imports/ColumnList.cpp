#include "imports/ColumnList.h"

#include "core/Dialogs.h"
#include "imports/Spreadsheet.h"

namespace imports {

QStringList ColumnList::build(const Spreadsheet& sheet) {
    QStringList list{QString()};
    const qint64 limit = qMin<qint64>(sheet.usedCellCount(), maxColumns);
    for (int column = 1; column <= limit; ++column) {
        const QString title = sheet.cell(1, column);
        if (!title.isEmpty())
            list.append(entry(column, title));
    }
    return list;
}

QStringList ColumnList::build(const Spreadsheet& sheet, core::Dialogs& dialogs) {
    const QStringList list = build(sheet);
    if (list.size() == 1)
        dialogs.message(noTitlesMessage(sheet.activeSheetName()));
    return list;
}

QString ColumnList::entry(int column, const QString& title) {
    return QStringLiteral("列") + QString::number(column) + QLatin1Char(':') + title;
}

int ColumnList::columnNumber(const QString& entry) {
    if (!entry.startsWith(QStringLiteral("列")))
        return -1;
    const qsizetype colon = entry.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return -1;
    bool ok = false;
    const int column = entry.mid(1, colon - 1).toInt(&ok);
    return ok && column > 0 ? column : -1;
}

QString ColumnList::noTitlesMessage(const QString& sheetName) {
    return QStringLiteral("Excel的[") + sheetName +
           QStringLiteral("]没有可识别的列(表格第一行必须为非空的列标题，比如：联系人,电话..)!");
}

} // namespace imports
