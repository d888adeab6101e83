#include "users/ui/TfrmUserManage.h"

#include "core/AppContext.h"
#include "core/ui/DataGrid.h"
#include "core/ui/TypingLimit.h"
#include "users/ui/TfrmModifyPassword.h"

#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace users::ui {

namespace {
constexpr int kNameLimit = 30;
constexpr int kRemarkLimit = 200;
const QString kList =
    QStringLiteral("select ID,UserName as 用户名,RoleName as 操作角色,lastlogin as 最后登录时间,"
                   "Remark as 备注 from UserTable order by UserName");
const QString kLockOut = QStringLiteral("进入系统需要密码验证已开启，至少要保留一个有操作角色的用户，"
                                        "否则下次启动谁也无法登录！");
} // namespace

TfrmUserManage::TfrmUserManage(core::AppContext& app, QWidget* parent, int iterations)
    : QDialog(parent), lbTitle(new QLabel(QStringLiteral("用户及权限管理"), this)),
      dbgUsers(new core::ui::DataGrid(app.db(), this)), edtUserName(new QLineEdit(this)),
      edtPasswd(new QLineEdit(this)), cbRoleName(new QComboBox(this)), edtRemark(new QLineEdit(this)),
      btAdd(new QPushButton(QStringLiteral("添加"), this)),
      btEdit(new QPushButton(QStringLiteral("修改"), this)),
      btRefresh(new QPushButton(QStringLiteral("提交刷新"), this)),
      btDelSel(new QPushButton(QStringLiteral("删除选中"), this)),
      btResetPassword(new QPushButton(QStringLiteral("重置密码"), this)),
      btModifyPassword(new QPushButton(QStringLiteral("修改密码"), this)),
      btClose(new QPushButton(QStringLiteral("关闭"), this)), m_app(app), m_store(app, iterations),
      m_iterations(iterations) {
    setObjectName(QStringLiteral("TfrmUserManage"));
    setWindowTitle(lbTitle->text());
    lbTitle->setObjectName(QStringLiteral("lbTitle"));
    QFont big = lbTitle->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    lbTitle->setFont(big);
    dbgUsers->setObjectName(QStringLiteral("dbgUsers"));
    edtUserName->setObjectName(QStringLiteral("edtUserName"));
    new core::ui::TypingLimit(kNameLimit, edtUserName);
    edtPasswd->setObjectName(QStringLiteral("edtPasswd"));
    edtPasswd->setEchoMode(QLineEdit::Password);
    edtPasswd->setReadOnly(true);
    edtPasswd->setEnabled(false);
    cbRoleName->setObjectName(QStringLiteral("cbRoleName"));
    cbRoleName->addItem(QString());
    cbRoleName->addItems(UserStore::kRoles);
    edtRemark->setObjectName(QStringLiteral("edtRemark"));
    new core::ui::TypingLimit(kRemarkLimit, edtRemark);
    const QList<QPair<QPushButton*, const char*>> names{{btAdd, "btAdd"},
                                                        {btEdit, "btEdit"},
                                                        {btRefresh, "btRefresh"},
                                                        {btDelSel, "btDelSel"},
                                                        {btResetPassword, "btResetPassword"},
                                                        {btModifyPassword, "btModifyPassword"},
                                                        {btClose, "btClose"}};
    for (const auto& [button, name] : names) {
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
    }

    auto* edit = new QGridLayout;
    edit->addWidget(new QLabel(QStringLiteral("用户名:"), this), 0, 0);
    edit->addWidget(edtUserName, 0, 1);
    edit->addWidget(new QLabel(QStringLiteral("密码:"), this), 0, 2);
    edit->addWidget(edtPasswd, 0, 3);
    edit->addWidget(new QLabel(QStringLiteral("角色:"), this), 1, 0);
    edit->addWidget(cbRoleName, 1, 1);
    edit->addWidget(new QLabel(QStringLiteral("备注:"), this), 1, 2);
    edit->addWidget(edtRemark, 1, 3);
    auto* buttons = new QHBoxLayout;
    for (const auto& pair : names)
        buttons->addWidget(pair.first);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbTitle);
    layout->addWidget(dbgUsers, 1);
    layout->addLayout(edit);
    layout->addLayout(buttons);
    resize(720, 480);

    connect(btAdd, &QPushButton::clicked, this, &TfrmUserManage::btAddClick);
    connect(btEdit, &QPushButton::clicked, this, &TfrmUserManage::btEditClick);
    connect(btRefresh, &QPushButton::clicked, this, &TfrmUserManage::btRefreshClick);
    connect(btDelSel, &QPushButton::clicked, this, &TfrmUserManage::btDelSelClick);
    connect(btResetPassword, &QPushButton::clicked, this, &TfrmUserManage::btResetPasswordClick);
    connect(btModifyPassword, &QPushButton::clicked, this, &TfrmUserManage::btModifyPasswordClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(dbgUsers->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (m_editingId < 0)
            showCurrent();
    });
    openList();
    setEditing(-1);
}

void TfrmUserManage::openList() {
    try {
        dbgUsers->setQuery(kList);
        dbgUsers->setColumnHidden(dbgUsers->fieldIndex(QStringLiteral("ID")), true);
        dbgUsers->horizontalHeader()->setStretchLastSection(true);
        if (dbgUsers->rowCount() > 0 && dbgUsers->currentRow() < 0)
            dbgUsers->setCurrentRow(0);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("数据库访问出错，请确认系统的完整性未被破坏~") + e.message());
    }
    showCurrent();
}

void TfrmUserManage::showCurrent() {
    const QVariant id = dbgUsers->currentValue(QStringLiteral("ID"));
    edtUserName->setText(dbgUsers->currentValue(QStringLiteral("用户名")).toString());
    cbRoleName->setCurrentText(dbgUsers->currentValue(QStringLiteral("操作角色")).toString());
    edtRemark->setText(dbgUsers->currentValue(QStringLiteral("备注")).toString());
    // Only whether there is a password is shown; the stored hash stays in the table.
    QString stored;
    if (id.isValid()) {
        try {
            stored = m_app.db()
                         .scalar(QStringLiteral("select Passwd from UserTable where ID=:id"),
                                 {{QStringLiteral("id"), id}})
                         .toString();
        } catch (const core::DbError&) {
        }
    }
    edtPasswd->setText(stored.isEmpty() ? QString() : QStringLiteral("******"));
}

void TfrmUserManage::setEditing(qint64 id) {
    m_editingId = id;
    const bool editing = id >= 0;
    edtUserName->setReadOnly(!editing);
    cbRoleName->setEnabled(editing);
    edtRemark->setReadOnly(!editing);
    // A new operator gets his password in the same step; an existing one changes it through
    // 修改密码, which asks for the old one.
    const bool adding = id == 0;
    edtPasswd->setEnabled(adding);
    edtPasswd->setReadOnly(!adding);
}

void TfrmUserManage::btAddClick() {
    setEditing(0);
    edtUserName->clear();
    edtPasswd->clear();
    cbRoleName->setCurrentText(QString());
    edtRemark->clear();
    edtUserName->setFocus();
}

void TfrmUserManage::btEditClick() {
    const QVariant id = dbgUsers->currentValue(QStringLiteral("ID"));
    if (!id.isValid())
        return;
    setEditing(id.toLongLong());
    edtUserName->setFocus();
}

void TfrmUserManage::btRefreshClick() {
    if (m_editingId >= 0) {
        if (edtUserName->text().trimmed().isEmpty()) {
            m_app.dialogs().message(QStringLiteral("用户名不能为空~"));
            edtUserName->setFocus();
            return;
        }
        try {
            if (m_store.roleChangeLocksOut(m_editingId, cbRoleName->currentText())) {
                m_app.dialogs().message(kLockOut);
                return;
            }
            if (!m_store.saveUser(m_editingId, edtUserName->text(), cbRoleName->currentText(),
                                  edtRemark->text(), m_editingId == 0 ? edtPasswd->text() : QString())) {
                m_app.dialogs().message(QStringLiteral("用户名\"") + edtUserName->text().trimmed() +
                                        QStringLiteral("\"已经存在（不区分大小写），请换一个用户名~"));
                edtUserName->setFocus();
                edtUserName->selectAll();
                return;
            }
        } catch (const core::DbError& e) {
            m_app.dialogs().message(QStringLiteral("保存用户失败，错误=") + e.message());
            return;
        }
        setEditing(-1);
    }
    const int row = dbgUsers->currentRow();
    openList();
    if (row >= 0 && row < dbgUsers->rowCount())
        dbgUsers->setCurrentRow(row);
    showCurrent();
}

QList<qint64> TfrmUserManage::selectedIds() const {
    QList<qint64> ids;
    for (const QVariant& id : dbgUsers->selectedValues(QStringLiteral("ID")))
        ids << id.toLongLong();
    return ids;
}

void TfrmUserManage::changeSelected(const QString& noneText, const QString& noneCaption,
                                    const QString& question, const QString& questionCaption,
                                    const QString& doneText, bool deleting) {
    const QList<qint64> ids = selectedIds();
    if (ids.isEmpty()) {
        m_app.dialogs().notice(noneText, noneCaption);
    } else {
        try {
            if (deleting && m_store.deleteLocksOut(ids)) {
                m_app.dialogs().message(kLockOut);
            } else if (m_app.dialogs().ask(question, questionCaption)) {
                const int n = deleting ? m_store.deleteUsers(ids) : m_store.resetPasswords(ids);
                m_app.dialogs().message(QString::number(n) + doneText);
            }
        } catch (const core::DbError& e) {
            m_app.dialogs().message(e.message());
        }
    }
    setEditing(-1);
    openList();
    dbgUsers->clearSelection();
}

void TfrmUserManage::btDelSelClick() {
    changeSelected(QStringLiteral("没有选中任何要删除的用户"), QStringLiteral("提示"),
                   QStringLiteral("用户删除将无法找回，用户处理的订单等数据并不会删除，确认删除这些用户吗？"),
                   QStringLiteral("删除确认"), QStringLiteral("个用户删除成功！"), true);
}

void TfrmUserManage::btResetPasswordClick() {
    changeSelected(QStringLiteral("没有选中任何重置的用户"), QStringLiteral("提示"),
                   QStringLiteral("确定要重置选中用户的密码为空吗？"), QStringLiteral("确认"),
                   QStringLiteral("个用户密码重置成功！"), false);
}

void TfrmUserManage::btModifyPasswordClick() {
    TfrmModifyPassword window(m_app, dbgUsers->currentValue(QStringLiteral("用户名")).toString(), this,
                              m_iterations);
    window.exec();
    openList();
}

} // namespace users::ui
