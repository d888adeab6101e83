#pragma once

#include "masterdata/DictionaryStore.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace core {
class AppContext;
}
namespace core::ui {
class DataGrid;
}

namespace masterdata::ui {

// "青木鸟软件-字典管理": the dictionary names of one template (or of all, id 0) and their values,
// edited in place in the value grid.
class Tfm_DMConfig final : public QDialog {
    Q_OBJECT
public:
    // templateId: the template selected at opening; one not listed selects the first entry.
    Tfm_DMConfig(core::AppContext& app, int templateId, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(Tfm_DMConfig)

    int templateId() const { return m_templateId; }
    core::ui::DataGrid& grid() { return *DBGrid1; }

    void FormShow();
    void Co_CheckTypeChange();
    void listBoxNamesClick();
    void btAddNameClick();
    void btAppendClick();
    void btEditClick();
    void btDeleteClick();
    void btSaveClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void loadNames();
    void loadValues();
    QString currentName() const;

    core::AppContext& m_app;
    DictionaryStore m_store;
    int m_templateId = 0;

    QComboBox* Co_CheckType;
    QListWidget* listBoxNames;
    QLabel* lbValues;
    core::ui::DataGrid* DBGrid1;
    QComboBox* edtNewName;
    QPushButton* btAddName;
    QCheckBox* ckShowCommon;
    QPushButton* btAppend;
    QPushButton* btEdit;
    QPushButton* btDelete;
    QPushButton* btSave;
    QPushButton* btClose;
};

// The main window's "字典管理设置(&N) 用途、始发站等": the window for the current template, modally.
void openDictionaries(core::AppContext& app, QWidget* parent);

} // namespace masterdata::ui
