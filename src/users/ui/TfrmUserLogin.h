#pragma once

#include "users/UserStore.h"

#include <QDialog>
#include <QElapsedTimer>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace core {
class AppContext;
}

namespace users::ui {

// "操作员切换及登录": the operator picks a name, types the password and logs in. The name and
// role of the operator who logged in are set in the context; a cancelled window leaves them empty.
class TfrmUserLogin final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmUserLogin(core::AppContext& app, QWidget* parent = nullptr,
                           int iterations = PasswordHash::kIterations);

    // Fills the names; false (after the message) when the table cannot be read.
    bool FormShow();
    void btLoginClick();

    QComboBox* cbUserName;
    QLineEdit* edtPasswd;
    QPushButton* btLogin;
    QPushButton* btCancel;

private:
    void holdOff(qint64 ms);

    core::AppContext& m_app;
    UserStore m_store;
    LoginThrottle m_throttle;
    QElapsedTimer m_clock;
};

// The login of the first clock tick: shows the window modally over the main window (which the
// caller keeps disabled meanwhile). True when an operator with a role has logged in; the
// program ends otherwise.
bool runStartupLogin(core::AppContext& app, QWidget* mainWindow);

} // namespace users::ui
