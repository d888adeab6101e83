#include "users/ui/TfrmModifyPassword.h"

#include "core/AppContext.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace users::ui {

namespace {
// The login box takes no more, so a longer password could never be typed there.
constexpr int kPasswordLimit = 30;
} // namespace

TfrmModifyPassword::TfrmModifyPassword(core::AppContext& app, const QString& presetName, QWidget* parent,
                                       int iterations)
    : QDialog(parent), cbUserName(new QComboBox(this)), edtOldPwd(new QLineEdit(this)),
      lePassword1(new QLineEdit(this)), lePassword2(new QLineEdit(this)),
      btModify(new QPushButton(QStringLiteral("修改"), this)),
      btExit(new QPushButton(QStringLiteral("关闭"), this)), m_app(app), m_store(app, iterations) {
    setObjectName(QStringLiteral("TfrmModifyPassword"));
    setWindowTitle(QStringLiteral("更改系统登录密码"));
    cbUserName->setObjectName(QStringLiteral("cbUserName"));
    edtOldPwd->setObjectName(QStringLiteral("edtOldPwd"));
    lePassword1->setObjectName(QStringLiteral("lePassword1"));
    lePassword2->setObjectName(QStringLiteral("lePassword2"));
    btModify->setObjectName(QStringLiteral("btModify"));
    btExit->setObjectName(QStringLiteral("btExit"));
    for (QLineEdit* box : {edtOldPwd, lePassword1, lePassword2}) {
        box->setEchoMode(QLineEdit::Password);
        box->setMaxLength(kPasswordLimit);
    }
    btModify->setAutoDefault(false);
    btExit->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("用户名："), this), 0, 0);
    grid->addWidget(cbUserName, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("输入旧密码："), this), 1, 0);
    grid->addWidget(edtOldPwd, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("(初始密码为空)"), this), 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("输入新密码："), this), 2, 0);
    grid->addWidget(lePassword1, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("确认新密码："), this), 3, 0);
    grid->addWidget(lePassword2, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btModify);
    buttons->addWidget(btExit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    try {
        cbUserName->addItems(m_store.userNames(true));
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("密码修改失败，错误=") + e.message());
    }
    const int preset = cbUserName->findText(presetName, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (preset >= 0)
        cbUserName->setCurrentIndex(preset);
    connect(btModify, &QPushButton::clicked, this, &TfrmModifyPassword::btModifyClick);
    connect(btExit, &QPushButton::clicked, this, &QDialog::accept);
    edtOldPwd->setFocus();
}

void TfrmModifyPassword::btModifyClick() {
    try {
        switch (m_store.changePassword(cbUserName->currentText(), edtOldPwd->text(), lePassword1->text(),
                                       lePassword2->text())) {
        case UserStore::Change::Mismatch:
            m_app.dialogs().message(QStringLiteral("密码两次输入不一致！"));
            return;
        case UserStore::Change::WrongOld:
            m_app.dialogs().notice(QStringLiteral("用户名或密码输入有错误，请重新输入."),
                                   QStringLiteral("密码错误"));
            edtOldPwd->clear();
            edtOldPwd->setFocus();
            return;
        case UserStore::Change::Changed:
            m_app.dialogs().notice(QStringLiteral("密码修改成功,请牢记新密码。"), QStringLiteral("消息"));
            // Two different fillings, so a second press reports that the entries differ.
            lePassword1->setText(QStringLiteral("***************"));
            lePassword2->setText(QStringLiteral("123456789012345"));
            return;
        }
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("密码修改失败，错误=") + e.message());
    }
}

} // namespace users::ui
