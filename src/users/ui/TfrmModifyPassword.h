#pragma once

#include "users/UserStore.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace core {
class AppContext;
}

namespace users::ui {

// "更改系统登录密码": one operator's password, checked against the old one.
class TfrmModifyPassword final : public QDialog {
    Q_OBJECT
public:
    TfrmModifyPassword(core::AppContext& app, const QString& presetName, QWidget* parent = nullptr,
                       int iterations = PasswordHash::kIterations);

    void btModifyClick();

    QComboBox* cbUserName;
    QLineEdit* edtOldPwd;
    QLineEdit* lePassword1;
    QLineEdit* lePassword2;
    QPushButton* btModify;
    QPushButton* btExit;

private:
    core::AppContext& m_app;
    UserStore m_store;
};

} // namespace users::ui
