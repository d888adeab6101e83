#include "imports/ui/ExportGrid2Excel.h"

#include "core/AppContext.h"
#include "core/StatementStream.h"
#include "core/ui/DataGrid.h"
#include "imports/ui/TfrmExportExcel.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTableView>
#include <memory>

namespace imports {

QVector<int> shownColumns(const QTableView& grid) {
    QVector<int> columns;
    const QHeaderView* header = grid.horizontalHeader();
    if (!grid.model())
        return columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!grid.isColumnHidden(logical))
            columns.append(logical);
    }
    return columns;
}

void ExportGrid2Excel(core::AppContext& app, QTableView* grid, const QString& title, QWidget* parent) {
    // A data grid whose statement is not open has no data set to export.
    const auto* dataGrid = qobject_cast<const core::ui::DataGrid*>(grid);
    const bool open = grid && (!dataGrid || dataGrid->isOpen());
    // A grid that reads its rows a batch at a time exports the whole result, read forward
    // while it is written.
    std::unique_ptr<core::StatementStream> stream;
    if (open && dataGrid && dataGrid->totalRows() > dataGrid->rowCount())
        stream = std::make_unique<core::StatementStream>(app.db(), dataGrid->sql(), dataGrid->params(),
                                                         dataGrid->totalRows());
    QAbstractItemModel* model = stream ? stream.get() : open ? grid->model() : nullptr;
    TfrmExportExcel window(app, model, open ? shownColumns(*grid) : QVector<int>(), title, grid, parent);
    window.exec();
}

void ExportGrid2Excel(core::AppContext& app, QAbstractItemModel* model, const QSet<int>& hiddenColumns,
                      const QString& title, QWidget* parent) {
    QVector<int> columns;
    for (int c = 0; model && c < model->columnCount(); ++c) {
        if (!hiddenColumns.contains(c))
            columns.append(c);
    }
    TfrmExportExcel window(app, model, columns, title, nullptr, parent);
    window.exec();
}

} // namespace imports
