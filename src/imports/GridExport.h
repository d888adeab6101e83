#pragma once

#include <QString>
#include <QVector>
#include <functional>

class QAbstractItemModel;

namespace core {
class Dialogs;
}

namespace imports {

// Exports the rows of any grid model into a new xlsx workbook and hands it to the user: the
// title row holds the field names, every data cell is written as text, and only the columns
// given (the grid's visible ones, in the order shown) are written, so a hidden column is
// left out and the next one takes its place. The workbook is saved under a name the user
// chooses (the Documents folder is proposed) and opened with the desktop's program for xlsx
// files; where there is none, the message says where the file is.
class GridExport {
public:
    enum class Result { NoData, Declined, Cancelled, Done, Aborted, Failed };
    // Told the number of rows before the walk; then after each row the count done so far,
    // answering false to abort.
    using TotalKnown = std::function<void(int total)>;
    using RowDone = std::function<bool(int done)>;
    using Opener = std::function<bool(const QString& path)>;

    GridExport(core::Dialogs& dialogs, QAbstractItemModel* model, QVector<int> columns, QString title);

    // Replaces the desktop's opener (tests record instead of starting programs).
    void setOpener(Opener opener) { m_opener = std::move(opener); }
    Result run(const TotalKnown& totalKnown, const RowDone& rowDone);
    QString savedPath() const { return m_savedPath; }

    // Field name of a model column: the query's field for SQL models, else the header text.
    static QString fieldName(const QAbstractItemModel& model, int column);
    // The text a cell is written as; numbers without exponent.
    static QString cellText(const QAbstractItemModel& model, int row, int column);
    static QString suggestedPath(const QString& title);

private:
    core::Dialogs& m_dialogs;
    QAbstractItemModel* m_model;
    QVector<int> m_columns;
    QString m_title;
    Opener m_opener;
    QString m_savedPath;
};

} // namespace imports
