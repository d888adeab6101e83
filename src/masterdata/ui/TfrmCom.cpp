#include "masterdata/ui/TfrmCom.h"

#include "core/AppContext.h"
#include "core/Lookups.h"
#include "core/ui/TypingLimit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace masterdata::ui {

namespace {

constexpr int kNameLength = 8;
constexpr int kCodeLength = 3;

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

TfrmCom::TfrmCom(core::AppContext& app, QWidget* parent) : QDialog(parent), m_app(app), m_store(app.db()) {
    setObjectName(QStringLiteral("TfrmCom"));
    setWindowTitle(QStringLiteral("币种设置"));
    setModal(true);

    cb_biz = new QComboBox(this);
    cb_biz->setObjectName(QStringLiteral("cb_biz"));
    ed_bz = new QLineEdit(this);
    ed_bz->setObjectName(QStringLiteral("ed_bz"));
    // A pasted text longer than the box takes is refused whole rather than cut.
    m_nameLimit = new core::ui::TypingLimit(kNameLength, ed_bz);
    ed_jm = new QLineEdit(this);
    ed_jm->setObjectName(QStringLiteral("ed_jm"));
    m_codeLimit = new core::ui::TypingLimit(kCodeLength, ed_jm);
    btAdd = new QPushButton(QStringLiteral("增加"), this);
    btAdd->setObjectName(QStringLiteral("btAdd"));
    btDelete = new QPushButton(QStringLiteral("删除"), this);
    btDelete->setObjectName(QStringLiteral("btDelete"));
    btModify = new QPushButton(QStringLiteral("修改"), this);
    btModify->setObjectName(QStringLiteral("btModify"));
    btClose = new QPushButton(QStringLiteral("关闭"), this);
    btClose->setObjectName(QStringLiteral("btClose"));

    auto* form = new QGridLayout;
    form->addWidget(new QLabel(QStringLiteral("币种名称："), this), 0, 0);
    form->addWidget(cb_biz, 0, 1);
    form->addWidget(new QLabel(QStringLiteral("输入新币种："), this), 1, 0);
    form->addWidget(ed_bz, 1, 1);
    form->addWidget(new QLabel(QStringLiteral("如: 人民币"), this), 1, 2);
    form->addWidget(new QLabel(QStringLiteral("输入新简码："), this), 2, 0);
    form->addWidget(ed_jm, 2, 1);
    form->addWidget(new QLabel(QStringLiteral("如: ￥"), this), 2, 2);
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {btAdd, btDelete, btModify, btClose})
        commands->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(commands);

    loadList();
    connect(cb_biz, &QComboBox::activated, this, &TfrmCom::cb_bizChange);
    connect(btAdd, &QPushButton::clicked, this, &TfrmCom::btAddClick);
    connect(btDelete, &QPushButton::clicked, this, &TfrmCom::btDeleteClick);
    connect(btModify, &QPushButton::clicked, this, &TfrmCom::btModifyClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmCom::loadList() {
    cb_biz->clear();
    try {
        for (const CurrencyStore::Currency& c : m_store.list())
            cb_biz->addItem(c.name);
    } catch (const core::DbError&) {
        // An unreadable table lists nothing.
    }
    cb_biz->setCurrentIndex(-1);
}

QString TfrmCom::chosen() const {
    return cb_biz->currentIndex() >= 0 ? cb_biz->currentText() : QString();
}

void TfrmCom::cb_bizChange() {
    m_nameLimit->setText(chosen());
    m_codeLimit->setText(core::Lookups(m_app).getMoneyCodeByName(chosen()));
}

void TfrmCom::btAddClick() {
    const QString name = ed_bz->text().trimmed();
    const QString code = ed_jm->text().trimmed();
    core::Dialogs& dialogs = m_app.dialogs();
    if (name.isEmpty()) {
        dialogs.notice(QStringLiteral("请填写要添加的币种名称！"), QStringLiteral("输入不完整"));
        ed_bz->setFocus();
        return;
    }
    if (code.isEmpty()) {
        dialogs.notice(QStringLiteral("请填写要添加的币种简码！"), QStringLiteral("输入不完整"));
        ed_jm->setFocus();
        return;
    }
    if (cb_biz->findText(name) >= 0) {
        dialogs.notice(QStringLiteral("币种") + quoted(name) + QStringLiteral("已经存在！"),
                       QStringLiteral("存在的币种"));
        return;
    }
    int added = 0;
    try {
        if (m_store.codeExists(code)) {
            dialogs.notice(QStringLiteral("币种简码") + quoted(code) + QStringLiteral("已经存在！"),
                           QStringLiteral("存在的币种简码"));
            return;
        }
        added = m_store.add(name, code);
    } catch (const core::DbError&) {
        added = 0;
    }
    if (added <= 0) {
        dialogs.notice(QStringLiteral("添加失败！"), QStringLiteral("失败"));
        return;
    }
    dialogs.notice(QStringLiteral("新币种添加成功！"), QStringLiteral("成功"));
    loadList();
}

void TfrmCom::btDeleteClick() {
    const QString name = chosen();
    core::Dialogs& dialogs = m_app.dialogs();
    if (name.isEmpty()) {
        dialogs.message(QStringLiteral("请先选中要删除的币种！"));
        return;
    }
    // Old notes print the abbreviation looked up by their currency name: a slip must not lose it.
    if (!dialogs.ask(QStringLiteral("确认删除币种") + quoted(name) + QStringLiteral("吗？"),
                     QStringLiteral("确认")))
        return;
    int deleted = 0;
    try {
        deleted = m_store.remove(name);
    } catch (const core::DbError&) {
        deleted = 0;
    }
    if (deleted <= 0) {
        dialogs.notice(QStringLiteral("币种删除失败！"), QStringLiteral("失败"));
        return;
    }
    dialogs.notice(QStringLiteral("币种") + quoted(name) + QStringLiteral("删除成功！"),
                   QStringLiteral("成功"));
    m_nameLimit->setText(QString());
    m_codeLimit->setText(QString());
    loadList();
}

void TfrmCom::btModifyClick() {
    const QString name = chosen();
    const QString code = ed_jm->text().trimmed();
    core::Dialogs& dialogs = m_app.dialogs();
    if (name.isEmpty()) {
        dialogs.message(QStringLiteral("请先选中要修改的币种名称！"));
        return;
    }
    if (ed_bz->text().trimmed() != name) {
        dialogs.message(QStringLiteral("修改不能改变币种名称！"));
        m_nameLimit->setText(name);
        return;
    }
    if (code.isEmpty()) {
        dialogs.message(QStringLiteral("请输入新的币种简码！"));
        return;
    }
    int changed = 0;
    try {
        changed = m_store.setCode(name, code);
    } catch (const core::DbError&) {
        changed = 0;
    }
    if (changed <= 0)
        dialogs.notice(QStringLiteral("币种修改失败！"), QStringLiteral("失败"));
    else
        dialogs.notice(QStringLiteral("币种") + quoted(name) + QStringLiteral("修改成功！"),
                       QStringLiteral("成功"));
}

void openCurrencies(core::AppContext& app, QWidget* parent) {
    TfrmCom window(app, parent);
    window.exec();
}

} // namespace masterdata::ui
