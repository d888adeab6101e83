#include "users/ui/TfrmUserLogin.h"

#include "core/AppContext.h"
#include "core/ui/TypingLimit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace users::ui {

namespace {
constexpr int kNameLimit = 30;
constexpr int kPasswordLimit = 30;
} // namespace

TfrmUserLogin::TfrmUserLogin(core::AppContext& app, QWidget* parent, int iterations)
    : QDialog(parent), cbUserName(new QComboBox(this)), edtPasswd(new QLineEdit(this)),
      btLogin(new QPushButton(QStringLiteral("登录"), this)),
      btCancel(new QPushButton(QStringLiteral("取消"), this)), m_app(app), m_store(app, iterations) {
    setObjectName(QStringLiteral("TfrmUserLogin"));
    setWindowTitle(QStringLiteral("操作员切换及登录"));
    cbUserName->setObjectName(QStringLiteral("cbUserName"));
    cbUserName->setEditable(true);
    cbUserName->setInsertPolicy(QComboBox::NoInsert);
    new core::ui::TypingLimit(kNameLimit, cbUserName->lineEdit());
    edtPasswd->setObjectName(QStringLiteral("edtPasswd"));
    edtPasswd->setEchoMode(QLineEdit::Password);
    edtPasswd->setMaxLength(kPasswordLimit);
    btLogin->setObjectName(QStringLiteral("btLogin"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    // Enter anywhere but in the password box must not log in by default button.
    btLogin->setAutoDefault(false);
    btCancel->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("用户名："), this), 0, 0);
    grid->addWidget(cbUserName, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("密  码："), this), 1, 0);
    grid->addWidget(edtPasswd, 1, 1);
    auto* hint = new QLabel(QStringLiteral("(*初始密码为空)"), this);
    hint->setObjectName(QStringLiteral("lbHint"));
    grid->addWidget(hint, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btLogin);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    connect(btLogin, &QPushButton::clicked, this, &TfrmUserLogin::btLoginClick);
    connect(edtPasswd, &QLineEdit::returnPressed, this, &TfrmUserLogin::btLoginClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    m_clock.start();
}

bool TfrmUserLogin::FormShow() {
    cbUserName->clear();
    try {
        cbUserName->addItems(m_store.userNames());
    } catch (const core::DbError&) {
        m_app.dialogs().message(QStringLiteral("数据库访问出错，请确认系统的完整性未被破坏~"));
        return false;
    }
    if (cbUserName->count() > 0)
        cbUserName->setCurrentIndex(0);
    edtPasswd->setFocus();
    return true;
}

void TfrmUserLogin::btLoginClick() {
    if (m_throttle.waitMs(m_clock.elapsed()) > 0)
        return;
    switch (m_store.login(cbUserName->currentText(), edtPasswd->text())) {
    case UserStore::Login::LoggedIn:
        m_throttle.succeeded();
        edtPasswd->clear();
        accept();
        return;
    case UserStore::Login::EmptyName:
        m_app.dialogs().message(QStringLiteral("请选择正确的用户名~"));
        cbUserName->setFocus();
        return;
    case UserStore::Login::Refused:
        m_app.dialogs().message(QStringLiteral("用户名或密码输入错误~"));
        break;
    case UserStore::Login::Failed:
        m_app.dialogs().message(QStringLiteral("密码或用户名输入错误~"));
        break;
    }
    m_throttle.failed(m_clock.elapsed());
    holdOff(m_throttle.waitMs(m_clock.elapsed()));
}

// After repeated failures the next try waits; the button says so meanwhile.
void TfrmUserLogin::holdOff(qint64 ms) {
    if (ms <= 0)
        return;
    btLogin->setEnabled(false);
    edtPasswd->setEnabled(false);
    QTimer::singleShot(static_cast<int>(ms), this, [this] {
        btLogin->setEnabled(true);
        edtPasswd->setEnabled(true);
        edtPasswd->setFocus();
    });
}

bool runStartupLogin(core::AppContext& app, QWidget* mainWindow) {
    TfrmUserLogin login(app, mainWindow);
    // The main window stays disabled until someone has logged in; its dialog must not be.
    login.setEnabled(true);
    if (!login.FormShow())
        return false;
    login.exec();
    if (app.userName.isEmpty())
        return false;
    if (app.userRole.isEmpty()) {
        app.dialogs().message(QStringLiteral("该用户没有分配操作角色，无法进入系统，请联系管理员~"));
        return false;
    }
    return true;
}

} // namespace users::ui
