#pragma once

#include "templates/TemplateAdmin.h"

#include <QDialog>
#include <QHash>
#include <functional>

class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabBar;

namespace core {
class AppContext;
namespace ui {
class DataGrid;
}
} // namespace core

namespace templates::ui {

// The template manager: every template with its standing (default, common, enabled), changed
// for the selected rows or the current one. Each button and its context-menu entry are one
// action, so their states always agree.
class TfrmCheckTypeMng final : public QDialog {
    Q_OBJECT
public:
    // currentId: the template of the open entry window (0 or negative when none), used once to
    // choose its kind in the kind box.
    TfrmCheckTypeMng(core::AppContext& app, int currentId, QWidget* parent = nullptr);

    // The whole-template offset window for a template id.
    void setOffsetCommand(std::function<void(int id)> open) { m_openOffsets = std::move(open); }

    core::ui::DataGrid* grid() const { return m_grid; }
    QAction* command(const QString& objectName) const { return m_actions.value(objectName); }

    void btRefreshClick();
    void btSetToDefaultClick();
    void btSet2CommonClick();
    void btNoCommonClick();
    void btHideClick();
    void btShowClick();
    void btDeleteClick();
    void nCloneTemplateClick();
    void N1Click();
    void nPropertyClick();
    void showImage();
    void openImport();
    void openExport();
    // The context menu with its states as they are now (shown by the list's right click).
    QMenu* contextMenu();

signals:
    // After every change that alters which templates exist or stand where (clone, import,
    // rename, delete, default, common, hidden or enabled), so that open windows follow at once.
    void templatesChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    QAction* addCommand(const QString& name, const QString& menuText, void (TfrmCheckTypeMng::*slot)());
    QPushButton* addButton(const QString& name, const QString& caption, QAction* action);
    void fillKinds();
    void kindChanged();
    void setTab(int tab);
    void enableByTab();
    QList<int> selectedIds() const;
    int currentId() const;
    bool hasRows() const;
    // The new name the clerk typed for a clone or a rename, cleaned; empty when cancelled,
    // unchanged or refused (the refusal already said).
    QString askNewName(const QString& prompt, const QString& current, const QString& kind,
                       const QString& existsMessage);

    core::AppContext& m_app;
    TemplateAdmin m_admin;
    int m_handedId;
    bool m_shown = false;
    std::function<void(int)> m_openOffsets;
    QHash<QString, QAction*> m_actions;
    QTabBar* TabControl1;
    QComboBox* cbCheckTypeName;
    QLineEdit* edtKey;
    QPushButton* btSetToDefault;
    QPushButton* btSet2Common;
    core::ui::DataGrid* m_grid;
    QMenu* m_menu;
};

} // namespace templates::ui
