#pragma once

#include "masterdata/CurrencyStore.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace core {
class AppContext;
}
namespace core::ui {
class TypingLimit;
}

namespace masterdata::ui {

// "币种设置": currencies and the abbreviations printed before amounts.
class TfrmCom final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCom(core::AppContext& app, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmCom)

    void cb_bizChange();
    void btAddClick();
    void btDeleteClick();
    void btModifyClick();

private:
    void loadList();
    QString chosen() const;

    core::AppContext& m_app;
    CurrencyStore m_store;

    QComboBox* cb_biz;
    QLineEdit* ed_bz;
    QLineEdit* ed_jm;
    core::ui::TypingLimit* m_nameLimit;
    core::ui::TypingLimit* m_codeLimit;
    QPushButton* btAdd;
    QPushButton* btDelete;
    QPushButton* btModify;
    QPushButton* btClose;
};

// The main window's "币种设置", modally.
void openCurrencies(core::AppContext& app, QWidget* parent);

} // namespace masterdata::ui
