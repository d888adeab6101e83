#pragma once

#include "core/Database.h"
#include "core/Recordset.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <QVariant>
#include <functional>

namespace core::ui {

// The data grid of every list window: a QTableView over the rows of one statement on the shared
// connection.
//
// Opening:
//   grid.setQuery("select * from Products where 类别=:kind", {{"kind", kind}});
// The statement is written in the system's dialect and run through Database::query() (which
// translates it); values are bound as named parameters, never spliced into the text. setQuery()
// throws DbError with the engine's message when the statement fails; the grid is then closed
// (isOpen() false, no rows). All rows are read at once, so rowCount() is exact right after
// opening. refresh() runs the same statement with the same parameters again and keeps the
// current row number where it still exists; close() empties the grid.
//
// Columns: the titles are the field names of the statement ("select 全称 as 名称" shows 名称);
// fieldIndex() finds a column by field name with letter case ignored. Hide columns with
// setColumnHidden(fieldIndex(name), true), set widths with setColumnWidth(); the grid services
// (GridServices) store and restore the widths in Config.ini under the grid's objectName.
//
// Selection: whole rows, several at a time — a click selects one row, Ctrl+click adds or
// removes a row, Shift+click selects the range from the last clicked row. selectedRows() gives
// the selected row numbers in the order the user selected them, selectedValues(field) the
// values of one column in that order. setCurrentRow() moves to a row and selects it alone.
//
// Colours: rows alternate in colour; setSelectedColors() sets background and text of the
// selected rows. For colours per row (states of bills, say) set a rowColors function.
//
// Editing: read-only by default. setEditable(true) makes the cells editable in place when the
// statement reads one table; each change is written at once by rowid. A column shown under an
// alias is written to the table column named with setFieldSource("字典内容", "DMValue").
// A failed write raises writeFailed with the engine's message and the cell keeps its stored
// value. appendRow() adds a row at the end that is written when the user leaves it or
// postPending() runs; fields named in setInsertOnlyFields() are writable on that row alone.
// deleteAllRows() removes every listed row from its table.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(Database& db, QWidget* parent = nullptr);

    void setQuery(const QString& sql, const Params& params = {});
    void refresh();
    void close();
    // Reads the rows a batch at a time, the next one when the view scrolls to the end of what
    // it holds (0, the default: every row at once). Selection, values and deletes then cover
    // the rows read so far.
    void setFetchSize(int rows) { m_fetchSize = rows; }
    // Every row the statement gives, read or not (a count statement while rows are still
    // unread); rowCount() when the count fails.
    int totalRows() const;
    bool isOpen() const { return m_open; }
    QString sql() const { return m_sql; }
    Params params() const { return m_params; }

    int rowCount() const;
    int columnCount() const;
    QStringList fieldNames() const;
    // Column of the field, letter case ignored; -1 when the statement has no such field.
    int fieldIndex(const QString& field) const;
    // A cell by row and field name; an invalid QVariant for an unknown field or row.
    QVariant value(int row, const QString& field) const;
    // The cell of the current row; an invalid QVariant when there is no current row.
    QVariant currentValue(const QString& field) const;
    int currentRow() const;
    void setCurrentRow(int row);
    // Moves the current row by step rows (the lists' one-row wheel step), reading the next batch
    // when the step passes the rows read so far; stays on the first or last row at the ends.
    void stepCurrentRow(int step);

    QList<int> selectedRows() const;
    // Throws DbError naming the field when the statement has no such column.
    QVariantList selectedValues(const QString& field) const;

    void setSelectedColors(const QColor& background, const QColor& text);
    // Background and text colour of a row (invalid colours keep the defaults); the function is
    // given the grid and the row number.
    struct RowColors {
        QColor background;
        QColor text;
    };
    void setRowColors(std::function<RowColors(const DataGrid&, int row)> colors);
    // Background of every cell of one column, over the row colours.
    void setColumnColor(const QString& field, const QColor& background);

    void setEditable(bool editable);
    bool isEditable() const { return m_editable; }
    void setFieldSource(const QString& field, const QString& column);
    void setInsertOnlyFields(const QStringList& fields) { m_insertOnly = fields; }
    // Adds an unsaved row holding the given values (by field name) at the end and makes it
    // current. A row still pending is written first.
    void appendRow(const QVariantMap& values);
    bool hasPendingRow() const;
    // Takes what an open editor holds, then writes the pending row; false (after writeFailed)
    // when the write failed, the row then being dropped.
    bool postPending();
    // Deletes the current row from its table (a pending row is only dropped). Throws DbError.
    void deleteCurrentRow();
    // Deletes every listed row (read or not yet read) from the statement's table in one
    // transaction and empties the grid by running the statement again; returns the number of rows deleted.
    // Throws DbError, with nothing deleted, on failure or when the statement does not read one table.
    int deleteAllRows();

signals:
    // After every successful open or refresh.
    void queryOpened();
    void writeFailed(const QString& message);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    class Model;
    friend class Model;
    void run();
    Recordset readBatch(int offset);

    Database& m_db;
    Model* m_model;
    QString m_sql;
    Params m_params;
    bool m_open = false;
    bool m_editable = false;
    int m_fetchSize = 0;
    bool m_more = false;
    mutable int m_total = -1;
    QHash<QString, QString> m_sources;
    QHash<QString, QColor> m_columnColors;
    QStringList m_insertOnly;
    QList<int> m_selectionOrder;
    QSet<int> m_selected;
    std::function<RowColors(const DataGrid&, int)> m_rowColors;
};

} // namespace core::ui
