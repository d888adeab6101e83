#pragma once

#include <QSet>
#include <QString>
#include <QVector>

class QAbstractItemModel;
class QTableView;
class QWidget;

namespace core {
class AppContext;
}

namespace imports {

// The main window's export service: shows the export window for a grid modally.
// Columns are written in the order the grid shows them; hidden columns are left out. A data
// grid that has not read all its rows yet exports every row of its statement. Throws DbError
// when that statement cannot be run.
void ExportGrid2Excel(core::AppContext& app, QTableView* grid, const QString& title,
                      QWidget* parent = nullptr);
// The same for a model without a view: every column except the hidden ones, in model order.
void ExportGrid2Excel(core::AppContext& app, QAbstractItemModel* model, const QSet<int>& hiddenColumns,
                      const QString& title, QWidget* parent = nullptr);

// The model columns of a grid in the order shown, without the hidden ones.
QVector<int> shownColumns(const QTableView& grid);

} // namespace imports
