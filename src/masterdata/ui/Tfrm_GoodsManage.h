#pragma once

#include "masterdata/ProductStore.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace core {
class AppContext;
}
namespace core::ui {
class DataGrid;
class GridServices;
} // namespace core::ui

namespace masterdata::ui {

// "产品分类管理": the product catalogue with its class tree, search, sorting, editing,
// deletion, spreadsheet import and export.
class Tfrm_GoodsManage final : public QDialog {
    Q_OBJECT
public:
    Tfrm_GoodsManage(core::AppContext& app, core::ui::GridServices& grids, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(Tfrm_GoodsManage)

    core::ui::DataGrid& grid() { return *DBGridGoods; }

    void btQurClick();
    void btSelAllClick();
    void btClassifyAllClick();
    void btInsertClick();
    void btEditClick();
    void btDeleteClick();
    void btClearAllClick();
    void btRefreshClick();
    void lbClearClick();
    void nImportGoodsClick();
    void btBrowseClick();
    void btStartImportClick();
    void btFinishClick();
    void nExportClick();
    void nSaveWidthsClick();

private:
    void buildNameList();
    void buildClassTree();
    void openStatement(const Statement& statement);
    void tvClassClick(QTreeWidgetItem* item);
    void gridTitleClick(int column);
    void dataChanged();
    void setCaption(const QString& head);

    core::AppContext& m_app;
    core::ui::GridServices& m_grids;
    ProductStore m_store;
    QString m_sortColumn;
    QString m_sortDirection;

    QLineEdit* edtPath;
    QComboBox* cbGoodName;
    QLineEdit* KeyEdit;
    QPushButton* btQur;
    QPushButton* btSelAll;
    QPushButton* btClassifyAll;
    QPushButton* btInsert;
    QPushButton* btEdit;
    QPushButton* btDelete;
    QPushButton* btRefresh;
    QLabel* lbClear;
    QPushButton* btClearAll;
    QTreeWidget* tvClass;
    core::ui::DataGrid* DBGridGoods;

    QFrame* pnlImport;
    QLineEdit* edtFile;
    QPushButton* btBrowse;
    QPushButton* btStartImport;
    QPushButton* btFinish;
    QCheckBox* ckPromptDuplicate;
    QRadioButton* rbNameOnly;
    QRadioButton* rbNameAndBrand;
    QLabel* lbState;
    QProgressBar* pbImport;
};

// The main window's "商品管理(&G)" command: the catalogue, modally.
void openGoodsManage(core::AppContext& app, core::ui::GridServices& grids, QWidget* parent);

} // namespace masterdata::ui
