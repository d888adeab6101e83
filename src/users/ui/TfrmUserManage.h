#pragma once

#include "users/UserStore.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace core {
class AppContext;
}
namespace core::ui {
class DataGrid;
}

namespace users::ui {

// "用户及权限管理": the operators listed (without their passwords), an edit area for the current
// one and the commands add, edit, store, delete, reset and change password. Nothing here may
// leave the program, with its login on, without an operator who can log in.
class TfrmUserManage final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmUserManage(core::AppContext& app, QWidget* parent = nullptr,
                            int iterations = PasswordHash::kIterations);

    void btAddClick();
    void btEditClick();
    void btRefreshClick();
    void btDelSelClick();
    void btResetPasswordClick();
    void btModifyPasswordClick();

    // -1 browsing, 0 a new operator being entered, else the ID of the operator being edited.
    qint64 editingId() const { return m_editingId; }

    QLabel* lbTitle;
    core::ui::DataGrid* dbgUsers;
    QLineEdit* edtUserName;
    QLineEdit* edtPasswd;
    QComboBox* cbRoleName;
    QLineEdit* edtRemark;
    QPushButton* btAdd;
    QPushButton* btEdit;
    QPushButton* btRefresh;
    QPushButton* btDelSel;
    QPushButton* btResetPassword;
    QPushButton* btModifyPassword;
    QPushButton* btClose;

private:
    void openList();
    void showCurrent();
    void setEditing(qint64 id);
    QList<qint64> selectedIds() const;
    // Runs a change of the selected operators after the question.
    void changeSelected(const QString& noneText, const QString& noneCaption, const QString& question,
                        const QString& questionCaption, const QString& doneText, bool deleting);

    core::AppContext& m_app;
    UserStore m_store;
    int m_iterations;
    qint64 m_editingId = -1;
};

} // namespace users::ui
