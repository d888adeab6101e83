#pragma once

#include "masterdata/RegionStore.h"

#include <QDialog>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace core {
class AppContext;
}

namespace masterdata::ui {

// "省市代码设置": the cities of each province, added, renamed and deleted through an input panel.
class TfrmSsSet final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSsSet(core::AppContext& app, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmSsSet)

    void FormShow();
    void CoSChange();
    void lstSClick();
    void btAddClick();
    void btModifyClick();
    void btDeleteClick();
    void btOkClick();
    void btCancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void loadProvinces(const QString& keep);
    void loadCities();
    void openPanel(const QString& city);
    void closePanel();
    QString province() const;
    QString selectedCity() const;
    void notice(const QString& text);

    core::AppContext& m_app;
    RegionStore m_store;
    bool m_modifying = false;
    QString m_oldCity;

    QComboBox* CoS;
    QListWidget* lstS;
    QLabel* lbSelected;
    QPushButton* btAdd;
    QPushButton* btModify;
    QPushButton* btDelete;
    QPushButton* btExit;
    QFrame* pnlInput;
    QLineEdit* edtProvince;
    QLineEdit* edtCity;
    QPushButton* btOk;
    QPushButton* btCancel;
};

// The main window's "省市代码设置(&O)", modally.
void openRegionCodes(core::AppContext& app, QWidget* parent);

} // namespace masterdata::ui
