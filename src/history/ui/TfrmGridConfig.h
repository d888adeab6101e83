#pragma once

#include "history/ColumnChoice.h"

#include <QDialog>
#include <QString>

class QListWidget;
class QPushButton;

namespace core {
class AppContext;
}
namespace core::ui {
class DataGrid;
class GridServices;
} // namespace core::ui

namespace history::ui {

// "表格栏目配置": which columns of one grid are shown. The grid changes only on "应用修改",
// which also stores widths and hidden columns under the owning window's section; the column
// order of the grid is never changed.
class TfrmGridConfig final : public QDialog {
    Q_OBJECT
public:
    TfrmGridConfig(core::AppContext& app, core::ui::GridServices& grids, core::ui::DataGrid& grid,
                   const QString& section, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmGridConfig)

    void FormShow();
    void goHiddenClick();
    void goShowingClick();
    void btSaveSetClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void fillLists();

    core::AppContext& m_app;
    core::ui::GridServices& m_grids;
    core::ui::DataGrid& m_grid;
    QString m_section;
    ColumnChoice m_choice;

    QListWidget* lstShow;
    QListWidget* lstHide;
    QPushButton* goHidden;
    QPushButton* goShowing;
    QPushButton* btSaveSet;
    QPushButton* btCloseSet;
};

// The chooser for one grid, modally; what the grid services open as GridColsConfigration.
void GridColsConfigration(core::AppContext& app, core::ui::GridServices& grids, core::ui::DataGrid& grid,
                          const QString& section, QWidget* parent);

} // namespace history::ui
