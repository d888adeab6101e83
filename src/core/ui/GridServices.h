#pragma once

#include <QString>
#include <QVariantList>
#include <functional>

namespace core {
class AppContext;
}

namespace core::ui {

class DataGrid;

// The services every list window uses on its DataGrid: column widths kept in Config.ini, the
// column chooser, the values of the selected rows, deleting the selected or all listed rows and
// counting a table. Messages go through the program's dialogs. The main window owns one
// instance (Tfm_Main::grids()); windows receive it in their constructor.
class GridServices {
public:
    explicit GridServices(AppContext& app);

    // Widths are stored per column as <GRID OBJECT NAME>.W<column> in the section (upper case),
    // "-1" for a hidden column; loading applies a stored width above 0, hides the column for any
    // other stored value and gives 40 to columns without one. Nothing happens while the grid's
    // query is closed.
    void GridColsWidthSave(DataGrid& grid, const QString& section);
    void GridColsWidthLoad(DataGrid& grid, const QString& section);

    // Opens the column chooser set with setColumnChooser, modally.
    void GridColsConfigration(DataGrid& grid, const QString& section);
    void setColumnChooser(std::function<void(DataGrid&, const QString&)> chooser);

    // Joins the values of column over the selected rows in selection order, 'a','b' with mode
    // "STR" (any case), a,b otherwise; returns the number of rows. Failures show their message
    // and return 0 with an empty list.
    int GridSelectedFetch(DataGrid& grid, const QString& column, QString& list, const QString& mode);
    // Asks, deletes the selected rows of table by key and reports; returns the rows deleted.
    int GridSelectedDelete(DataGrid& grid, const QString& table, const QString& key, const QString& mode,
                           const QString& caption);
    // Asks, deletes every row the grid lists and reports; returns the rows deleted.
    int GridDeleteCurrentList(DataGrid& grid);
    // Rows of a table; 0 after showing the failure.
    int CountTableAllRows(const QString& table);

    // The joining rule of GridSelectedFetch. Plain mode writes numbers as they are; any other
    // value is quoted even there, so the list is always safe to use inside in(...).
    static QString joinValues(const QVariantList& values, const QString& mode);

private:
    // Widths are kept only for an open grid and a named section (a missing one is reported).
    bool widthsApply(const DataGrid& grid, const QString& section);

    AppContext& m_app;
    std::function<void(DataGrid&, const QString&)> m_chooser;
};

} // namespace core::ui
