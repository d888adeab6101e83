#pragma once

#include "masterdata/PersonStore.h"

#include <QDialog>
#include <functional>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTabBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace core {
class AppContext;
}
namespace core::ui {
class DataGrid;
class GridServices;
} // namespace core::ui

namespace masterdata {
class TPerson;
}

namespace masterdata::ui {

// "单位及客户资料管理": the address book beside its group tree; searching, sorting, deleting,
// marking the default issuer, export, and in selection mode handing one unit back.
class Tfm_PersonManage final : public QDialog {
    Q_OBJECT
public:
    Tfm_PersonManage(core::AppContext& app, core::ui::GridServices& grids, QWidget* parent = nullptr);
    ~Tfm_PersonManage() override;
    Q_DISABLE_COPY_MOVE(Tfm_PersonManage)

    // What the manager asks of its owner: the edit form (add and edit) and the default issuer.
    struct Hooks {
        // Opens the edit form from the manager: an ID > 0 to edit, else a new unit with the
        // type and group to preset (either may be empty).
        std::function<void(int id, const QString& unitType, const QString& group)> editUnit;
        // The default issuer may have changed: load it again.
        std::function<void()> reloadDefaultIssuer;
        // After a new default issuer: open bills are closed, with a notice.
        std::function<void()> closeBills;
    };
    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    // Browsing on one tab ("我方单位" / "往来单位") or, with an empty type, as it was left.
    void showBrowsing(const QString& unitType);
    // Selection mode: shows the manager modally and returns the unit double-clicked, or nullptr.
    std::unique_ptr<TPerson> pick(const QString& unitType, const QString& caption);

    core::ui::DataGrid& grid() { return *DBGrid1; }
    QTreeWidget& tree() { return *TreeView1; }
    QString tabText() const;

    void btQurClick();
    void btSelAllClick();
    void btAdvQurClick();
    void btShowAdvClick();
    void btInsertClick();
    void btEditClick();
    void btDeleteClick();
    void btDeleteListClick();
    void lbClearAllClick();
    void btClearAllClick();
    void btSetDefaultClick();
    void btRefreshClick();
    void btImportClick();
    void btExportClick();
    void nSaveWidthsClick();
    void nColumnsClick();
    void nRefreshGroupClick();
    void TreeView1Click(QTreeWidgetItem* item);
    void DBGrid1TitleClick(int column);
    void DBGrid1DblClick();
    // Runs the query again after the edit form saved.
    void requery();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Source { Command, Advanced, Title };
    void runQuery(Source source);
    void openStatement(const Statement& statement);
    void afterQuery();
    void selectNode(const QString& text);
    void dataChanged();
    void gridClicked();
    void fitColumnWidths();
    void placeClearAll();
    void hideAdvanced();
    void setTab(const QString& text);

    core::AppContext& m_app;
    core::ui::GridServices& m_grids;
    PersonStore m_store;
    Hooks m_hooks;
    QString m_group;
    QString m_sortColumn;
    QString m_sortDirection = QStringLiteral("DESC");
    bool m_selecting = false;
    std::unique_ptr<TPerson> m_chosen;
    QList<QAction*> m_rowActions;

    QLabel* lbTitle;
    QTabBar* tabUnits;
    QLineEdit* KeyEdit;
    QLineEdit* edtZHType;
    QLabel* lbKeyHint;
    QPushButton* btQur;
    QPushButton* btSelAll;
    QPushButton* btShowAdv;
    QFrame* panelAdv;
    QComboBox* EqualOrContain1;
    QComboBox* Column1;
    QLineEdit* key1;
    QPushButton* btAdvQur;
    QSplitter* splitter;
    QTreeWidget* TreeView1;
    core::ui::DataGrid* DBGrid1;
    QLabel* lbHint;
    QPushButton* btInsert;
    QPushButton* btEdit;
    QPushButton* btDelete;
    QPushButton* btDeleteList;
    QPushButton* btSetDefault;
    QPushButton* btRefresh;
    QPushButton* btImport;
    QPushButton* btExport;
    QLabel* lbClearAll;
    QPushButton* btClearAll;
    QLabel* StatusPanel1;
    QLabel* StatusPanel2;
};

} // namespace masterdata::ui
