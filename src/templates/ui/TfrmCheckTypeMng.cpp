#include "templates/ui/TfrmCheckTypeMng.h"

#include "core/AppContext.h"
#include "core/Database.h"
#include "core/Dialogs.h"
#include "core/Recordset.h"
#include "core/TemplateStore.h"
#include "core/ui/DataGrid.h"
#include "core/ui/FormFace.h"
#include "templates/ui/TfrmBillImportExport.h"
#include "templates/ui/TfrmImageShow.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace templates::ui {

namespace {

const QString kAllKinds = QStringLiteral("所有模板种类");
const QString kId = QStringLiteral("编号");
const QString kFullName = QStringLiteral("模板种类");

enum Tab { AllTab, CommonTab, DefaultTab, HiddenTab };

} // namespace

TfrmCheckTypeMng::TfrmCheckTypeMng(core::AppContext& app, int currentId, QWidget* parent)
    : QDialog(parent), m_app(app), m_admin(app), m_handedId(currentId) {
    setObjectName(QStringLiteral("TfrmCheckTypeMng"));
    setWindowTitle(QStringLiteral("模板管理"));
    buildWindow();
    fillKinds();
    resize(900, 560);
}

QAction* TfrmCheckTypeMng::addCommand(const QString& name, const QString& menuText,
                                      void (TfrmCheckTypeMng::*slot)()) {
    auto* action = new QAction(menuText, this);
    action->setObjectName(name);
    if (slot)
        connect(action, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
    m_actions.insert(name, action);
    return action;
}

QPushButton* TfrmCheckTypeMng::addButton(const QString& name, const QString& caption, QAction* action) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, action, &QAction::trigger);
    // The button follows its action's state, so button and menu entry never disagree.
    connect(action, &QAction::changed, button, [button, action] {
        button->setEnabled(action->isEnabled());
        button->setToolTip(action->toolTip() == action->text() ? QString() : action->toolTip());
    });
    return button;
}

void TfrmCheckTypeMng::buildWindow() {
    QAction* nDefault = addCommand(QStringLiteral("nDefault"), QStringLiteral("设为默认模板"),
                                   &TfrmCheckTypeMng::btSetToDefaultClick);
    QAction* nCommon = addCommand(QStringLiteral("nCommon"), QStringLiteral("设为常用模板"),
                                  &TfrmCheckTypeMng::btSet2CommonClick);
    QAction* nNoCommon = addCommand(QStringLiteral("nNoCommon"), QStringLiteral("移出常用模板"),
                                    &TfrmCheckTypeMng::btNoCommonClick);
    QAction* nHide =
        addCommand(QStringLiteral("nHide"), QStringLiteral("隐藏模板-停用"), &TfrmCheckTypeMng::btHideClick);
    QAction* nShowing = addCommand(QStringLiteral("nShowing"), QStringLiteral("启用模板-不隐藏"),
                                   &TfrmCheckTypeMng::btShowClick);
    QAction* nDelete = addCommand(QStringLiteral("nDelete"), QStringLiteral("删除选中模板"),
                                  &TfrmCheckTypeMng::btDeleteClick);
    QAction* nImport =
        addCommand(QStringLiteral("nImport"), QStringLiteral("导入模板"), &TfrmCheckTypeMng::openImport);
    QAction* nExport =
        addCommand(QStringLiteral("nExport"), QStringLiteral("导出模板"), &TfrmCheckTypeMng::openExport);
    // The export is reached from the main window's package command; here it stays out of sight.
    nExport->setVisible(false);
    QAction* nClone = addCommand(QStringLiteral("nCloneTemplate"), QStringLiteral("克隆为新模板"),
                                 &TfrmCheckTypeMng::nCloneTemplateClick);
    QAction* n1 = addCommand(QStringLiteral("N1"), QStringLiteral("模板重命名"), &TfrmCheckTypeMng::N1Click);
    QAction* nProperty = addCommand(QStringLiteral("nProperty"), QStringLiteral("模板设计"),
                                    &TfrmCheckTypeMng::nPropertyClick);
    QAction* nRefresh =
        addCommand(QStringLiteral("nRefresh"), QStringLiteral("刷新"), &TfrmCheckTypeMng::btRefreshClick);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    m_menu->addActions({nDefault, nCommon, nNoCommon});
    m_menu->addSeparator();
    m_menu->addActions({nHide, nShowing, nDelete});
    m_menu->addSeparator();
    m_menu->addActions({nClone, n1, nProperty});
    m_menu->addSeparator();
    m_menu->addActions({nImport, nExport, nRefresh});

    cbCheckTypeName = new QComboBox(this);
    cbCheckTypeName->setObjectName(QStringLiteral("cbCheckTypeName"));
    cbCheckTypeName->setMinimumWidth(140);
    auto* btRefresh = new QPushButton(QStringLiteral("过滤模板(&F)"), this);
    btRefresh->setObjectName(QStringLiteral("btRefresh"));
    auto* btALL = new QPushButton(QStringLiteral("全部模板列表"), this);
    btALL->setObjectName(QStringLiteral("btALL"));
    edtKey = new QLineEdit(this);
    edtKey->setObjectName(QStringLiteral("edtKey"));
    auto* btSearch = new QPushButton(QStringLiteral("查询"), this);
    btSearch->setObjectName(QStringLiteral("btSearch"));

    TabControl1 = new QTabBar(this);
    TabControl1->setObjectName(QStringLiteral("TabControl1"));
    for (const char* tab : {"所有可用模板", "常用的模板", "默认的模板", "隐藏的模板"})
        TabControl1->addTab(QString::fromUtf8(tab));
    TabControl1->setExpanding(false);

    m_grid = new core::ui::DataGrid(m_app.db(), this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    m_grid->viewport()->installEventFilter(this);
    m_grid->installEventFilter(this);

    btSetToDefault =
        addButton(QStringLiteral("btSetToDefault"), QStringLiteral("设置为【默认票据模板】"), nDefault);
    btSet2Common =
        addButton(QStringLiteral("btSet2Common"), QStringLiteral("设置为【常用】票据模板"), nCommon);
    auto* btNoCommon =
        addButton(QStringLiteral("btNoCommon"), QStringLiteral("从常用模板【移出】(&M)"), nNoCommon);
    auto* btHide = addButton(QStringLiteral("btHide"), QStringLiteral("【隐藏选中】票据模版(&H)"), nHide);
    auto* btShow = addButton(QStringLiteral("btShow"), QStringLiteral("【启用】选中票据模版(&H)"), nShowing);
    auto* btDelete =
        addButton(QStringLiteral("btDelete"), QStringLiteral("【删除选中】票据模板(&K)"), nDelete);
    auto* btImportTMP = addButton(QStringLiteral("btImportTMP"), QStringLiteral("外部【导入】模板"), nImport);
    auto* btExportTMP = addButton(QStringLiteral("btExportTMP"), QStringLiteral("模板导出"), nExport);
    btExportTMP->setVisible(false);
    auto* btClose = new QPushButton(QStringLiteral("  关   闭 (&X)"), this);
    btClose->setObjectName(QStringLiteral("btClose"));

    auto* filter = new QHBoxLayout;
    filter->addWidget(cbCheckTypeName);
    filter->addWidget(btRefresh);
    filter->addWidget(btALL);
    filter->addSpacing(16);
    filter->addWidget(new QLabel(QStringLiteral("查询关键字:"), this));
    filter->addWidget(edtKey, 1);
    filter->addWidget(btSearch);

    auto* left = new QVBoxLayout;
    left->addLayout(filter);
    left->addWidget(TabControl1);
    left->addWidget(m_grid, 1);

    auto* right = new QVBoxLayout;
    for (QPushButton* b : {btSetToDefault, btSet2Common, btNoCommon, btHide, btShow, btDelete}) {
        b->setMinimumHeight(32);
        right->addWidget(b);
    }
    right->addSpacing(20);
    right->addWidget(btImportTMP);
    right->addWidget(btExportTMP);
    right->addStretch(1);
    right->addWidget(btClose);

    auto* main = new QHBoxLayout(this);
    main->addLayout(left, 1);
    main->addLayout(right);

    connect(TabControl1, &QTabBar::currentChanged, this, [this] { btRefreshClick(); });
    connect(cbCheckTypeName, &QComboBox::currentIndexChanged, this, [this] { kindChanged(); });
    connect(btRefresh, &QPushButton::clicked, this, [this] { btRefreshClick(); });
    connect(btALL, &QPushButton::clicked, this, [this] {
        const QSignalBlocker quiet(TabControl1);
        cbCheckTypeName->setCurrentIndex(0);
        TabControl1->setCurrentIndex(AllTab);
        btRefreshClick();
        kindChanged();
    });
    const auto search = [this] {
        edtKey->setText(edtKey->text().trimmed());
        const bool empty = edtKey->text().isEmpty();
        btRefreshClick();
        if (empty)
            edtKey->setFocus();
    };
    connect(btSearch, &QPushButton::clicked, this, search);
    connect(edtKey, &QLineEdit::returnPressed, this, search);
    connect(btClose, &QPushButton::clicked, this, &QDialog::close);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] { showImage(); });
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu()->popup(m_grid->viewport()->mapToGlobal(at)); });
    // Enter in the key box searches; it must not also press a button.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);
}

void TfrmCheckTypeMng::fillKinds() {
    const QSignalBlocker quiet(cbCheckTypeName);
    cbCheckTypeName->addItem(kAllKinds);
    try {
        core::Recordset kinds = m_app.db().query(
            QStringLiteral("select distinct CheckTypeName from NameDict order by CheckTypeName"));
        for (kinds.first(); !kinds.eof(); kinds.next())
            cbCheckTypeName->addItem(kinds.text(0));
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("模板种类读取失败:") + e.message());
    }
}

void TfrmCheckTypeMng::kindChanged() {
    const QString kind = cbCheckTypeName->currentText();
    const bool all = kind.isEmpty() || kind == kAllKinds;
    btSetToDefault->setText(QStringLiteral("设置为【默认】") + (all ? QStringLiteral("模板") : kind));
    btSet2Common->setText(QStringLiteral("设置为【常用】") + (all ? QStringLiteral("模板") : kind));
    m_handedId = 0;
}

void TfrmCheckTypeMng::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    btRefreshClick();
    core::ui::FormFace::load(m_app.userIni(), *this);
}

void TfrmCheckTypeMng::closeEvent(QCloseEvent* event) {
    m_grid->close();
    core::ui::FormFace::save(m_app.userIni(), *this);
    QDialog::closeEvent(event);
}

bool TfrmCheckTypeMng::eventFilter(QObject* watched, QEvent* event) {
    // A wheel turn walks the list one row: towards the user is Down, away is Up.
    if ((watched == m_grid || watched == m_grid->viewport()) && event->type() == QEvent::Wheel &&
        m_grid->hasFocus()) {
        const int turn = static_cast<QWheelEvent*>(event)->angleDelta().y();
        const int row = m_grid->currentRow() + (turn < 0 ? 1 : turn > 0 ? -1 : 0);
        if (row >= 0 && row < m_grid->rowCount())
            m_grid->setCurrentRow(row);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmCheckTypeMng::btRefreshClick() {
    if (m_handedId > 0) {
        // The handed-over template chooses the kind once; choosing clears the id.
        const int at = cbCheckTypeName->findText(m_app.templates().loadCheckTypeFirstNameByID(m_handedId));
        if (at >= 0)
            cbCheckTypeName->setCurrentIndex(at);
        m_handedId = 0;
    }
    const TemplateAdmin::Listing list =
        TemplateAdmin::listing(TabControl1->currentIndex(), cbCheckTypeName->currentText(), edtKey->text());
    try {
        m_grid->setQuery(list.sql, list.params);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("模板列表失败:Error=") + e.message());
        return;
    }
    setWindowTitle(cbCheckTypeName->currentText() + QStringLiteral("模板管理(查询") +
                   QString::number(m_grid->rowCount()) + QStringLiteral("个)"));
    if (m_grid->rowCount() > 0) {
        const int widths[] = {35, 200, 40, 30, 50};
        for (int c = 0; c < 5; ++c)
            m_grid->setColumnWidth(c, widths[c]);
        m_grid->setColumnHidden(m_grid->fieldIndex(QStringLiteral("TypeFirstName")), true);
    }
    edtKey->clear();
    enableByTab();
}

void TfrmCheckTypeMng::enableByTab() {
    // Default, common, remove from common, hide, enable, delete.
    static const bool states[4][6] = {{true, true, false, true, false, true},
                                      {true, false, true, true, false, true},
                                      {false, false, false, false, false, false},
                                      {true, true, false, false, true, true}};
    const int tab = TabControl1->currentIndex();
    const char* names[] = {"nDefault", "nCommon", "nNoCommon", "nHide", "nShowing", "nDelete"};
    for (int i = 0; i < 6; ++i)
        m_actions.value(QLatin1String(names[i]))->setEnabled(tab >= 0 && states[tab][i]);
    const bool design = m_actions.value(QStringLiteral("nHide"))->isEnabled() ||
                        !m_actions.value(QStringLiteral("nDefault"))->isEnabled();
    m_actions.value(QStringLiteral("nProperty"))->setEnabled(design);
    m_actions.value(QStringLiteral("nCloneTemplate"))->setEnabled(hasRows());
    m_actions.value(QStringLiteral("N1"))->setEnabled(hasRows());
}

QMenu* TfrmCheckTypeMng::contextMenu() {
    enableByTab();
    return m_menu;
}

bool TfrmCheckTypeMng::hasRows() const {
    return m_grid->isOpen() && m_grid->rowCount() > 0;
}

QList<int> TfrmCheckTypeMng::selectedIds() const {
    QList<int> ids;
    for (int row : m_grid->selectedRows())
        ids << m_grid->value(row, kId).toInt();
    return ids;
}

int TfrmCheckTypeMng::currentId() const {
    return m_grid->currentRow() < 0 ? 0 : m_grid->currentValue(kId).toInt();
}

void TfrmCheckTypeMng::setTab(int tab) {
    if (TabControl1->currentIndex() == tab)
        btRefreshClick();
    else
        TabControl1->setCurrentIndex(tab); // lists through currentChanged
}

void TfrmCheckTypeMng::btSetToDefaultClick() {
    if (!hasRows() || currentId() <= 0) {
        m_app.dialogs().message(QStringLiteral("没有选中要设置的票据模板！"));
        return;
    }
    try {
        const QString kind = m_admin.setDefault(currentId());
        m_app.dialogs().message(QStringLiteral("默认【") + kind + QStringLiteral("票据】模板设置成功！"));
    } catch (const core::DbError& e) {
        // Reported, unlike before: a silent failure left the clerk believing the default changed.
        m_app.dialogs().message(QStringLiteral("模板设置失败,中止！~") + e.message());
        return;
    }
    emit templatesChanged();
    setTab(DefaultTab);
}

void TfrmCheckTypeMng::btSet2CommonClick() {
    int count = 0;
    try {
        count = m_admin.setCommon(selectedIds(), true);
    } catch (const core::DbError&) {
        m_app.dialogs().message(QStringLiteral("模板设置失败,中止！~"));
        return;
    }
    if (count > 0)
        emit templatesChanged();
    m_app.dialogs().message(
        QStringLiteral("共添加 ") + QString::number(count) +
        QStringLiteral(" 个模板为常用模板！\n\r\n\r新设置常用快递后，请重开快递单填开界面生效~"));
    setTab(CommonTab);
}

void TfrmCheckTypeMng::btNoCommonClick() {
    int count = 0;
    QList<int> refused;
    try {
        count = m_admin.setCommon(selectedIds(), false, &refused);
    } catch (const core::DbError&) {
        m_app.dialogs().message(QStringLiteral("模板设置失败,中止！~"));
        return;
    }
    if (count > 0)
        emit templatesChanged();
    for (int i = 0; i < refused.size(); ++i)
        m_app.dialogs().message(QStringLiteral("默认模板不能从常用模板移出！"));
    m_app.dialogs().message(QStringLiteral("共从常用模板移出 ") + QString::number(count) +
                            QStringLiteral(" 个模板为普通模板！"));
    setTab(CommonTab);
}

void TfrmCheckTypeMng::btHideClick() {
    const QList<int> ids = selectedIds();
    if (ids.isEmpty())
        return;
    try {
        m_admin.setVisible(ids, false);
    } catch (const core::DbError&) {
        m_app.dialogs().message(QStringLiteral("模板设置失败,中止！~"));
        return;
    }
    emit templatesChanged();
    btRefreshClick();
    m_app.dialogs().message(QStringLiteral("隐藏的模板，可在【隐藏的模板】中重新启用。"));
}

void TfrmCheckTypeMng::btShowClick() {
    const QList<int> ids = selectedIds();
    if (ids.isEmpty())
        return;
    try {
        m_admin.setVisible(ids, true);
    } catch (const core::DbError&) {
        m_app.dialogs().message(QStringLiteral("模板设置失败,中止！~"));
        return;
    }
    emit templatesChanged();
    btRefreshClick();
}

void TfrmCheckTypeMng::btDeleteClick() {
    const QList<int> ids = selectedIds();
    if (ids.isEmpty())
        return;
    int count = 0;
    if (m_app.dialogs().ask(
            QStringLiteral("确认要删除选中的模板吗?删除的模板无法找回，如果暂时不用，可先设置为隐藏。"),
            QStringLiteral("删除确认"))) {
        for (int id : ids) {
            try {
                const TemplateAdmin::Removal removal = m_admin.removalOf(id);
                if (!removal.found)
                    continue;
                const QString& name = removal.name;
                if (!name.contains(QStringLiteral("（")) && !name.contains(QLatin1Char('('))) {
                    m_app.dialogs().message(QStringLiteral("获取单据类型失败：") + name);
                    continue;
                }
                if (removal.last) {
                    m_app.dialogs().message(QStringLiteral("【") + name + QStringLiteral("】是") +
                                            removal.kind + QStringLiteral("唯一的模板，不能删除！"));
                    continue;
                }
                const QString question =
                    removal.isDefault
                        ? QStringLiteral("【") + name + QStringLiteral("】是") + removal.kind +
                              QStringLiteral("的默认模板，删除后【") + removal.successorName +
                              QStringLiteral("】将成为默认模板。确认删除吗？")
                        : QStringLiteral("确认删除票据模板【") + name + QStringLiteral("】吗？");
                if (!m_app.dialogs().ask(question, QStringLiteral("警告")))
                    continue;
                m_admin.remove(id);
                ++count;
            } catch (const core::DbError&) {
                // This template stays as it was; the others go on.
            }
        }
    }
    if (count > 0)
        emit templatesChanged();
    m_app.dialogs().message(QStringLiteral("共删除 ") + QString::number(count) + QStringLiteral(" 个模板！"));
    btRefreshClick();
}

void TfrmCheckTypeMng::nCloneTemplateClick() {
    if (!hasRows() || currentId() <= 0)
        return;
    const int sourceId = currentId();
    const QString kind = m_grid->currentValue(QStringLiteral("TypeFirstName")).toString();
    try {
        const QString name =
            askNewName(QStringLiteral("输入新模板名(15个汉字以内)："),
                       m_app.templates().loadCheckTypeLastNameByID(sourceId), kind,
                       QStringLiteral("模板名字已经存在,请确认是否输入了重复的名字或该模版正被隐藏。"));
        if (name.isEmpty())
            return;
        m_admin.clone(sourceId, name);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("修改失败，错误=") + e.message());
        return;
    }
    emit templatesChanged();
    m_app.dialogs().notice(QStringLiteral("克隆模板成功，已新增一个同类模板~"), QStringLiteral("提示"));
    btRefreshClick();
}

void TfrmCheckTypeMng::N1Click() {
    if (!hasRows() || currentId() <= 0)
        return;
    const int id = currentId();
    const QString kind = m_grid->currentValue(QStringLiteral("TypeFirstName")).toString();
    QString current = m_grid->currentValue(kFullName).toString();
    if (current.startsWith(kind))
        current.remove(0, kind.size());
    for (const QString& paren : {QStringLiteral("（"), QStringLiteral("）")})
        if (const int at = current.indexOf(paren); at >= 0)
            current.remove(at, 1);
    try {
        const QString name =
            askNewName(QStringLiteral("输入新模板名(15个汉字以内):"), current, kind,
                       QStringLiteral("模板名字已经存在,请确认是否输入了重复的名字或者改模版正被隐藏。"));
        if (name.isEmpty())
            return;
        m_admin.rename(id, name);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("修改失败，错误=") + e.message());
        return;
    }
    emit templatesChanged();
    m_app.dialogs().message(QStringLiteral("重名名成功~"));
    btRefreshClick();
}

QString TfrmCheckTypeMng::askNewName(const QString& prompt, const QString& current, const QString& kind,
                                     const QString& existsMessage) {
    QString typed;
    if (!m_app.dialogs().inputValue(prompt, current, QStringLiteral("string"), typed) || typed.isEmpty() ||
        typed == current)
        return {};
    const QString name = TemplateAdmin::cleanName(typed);
    if (name.isEmpty()) {
        m_app.dialogs().message(QStringLiteral("输入了无效的字符(引号\\?\\*\\(\\)\\%)!"));
        return {};
    }
    if (m_app.templates().CheckTypeExists(kind, name)) {
        m_app.dialogs().message(existsMessage);
        return {};
    }
    return name;
}

void TfrmCheckTypeMng::nPropertyClick() {
    if (m_openOffsets && hasRows())
        m_openOffsets(currentId());
}

void TfrmCheckTypeMng::openImport() {
    TfrmBillImportExport window(m_app, TfrmBillImportExport::Pages::ImportOnly, this);
    connect(&window, &TfrmBillImportExport::templatesChanged, this, &TfrmCheckTypeMng::templatesChanged);
    window.exec();
    // The list shows what the import brought.
    if (window.importedAny())
        btRefreshClick();
}

void TfrmCheckTypeMng::openExport() {
    TfrmBillImportExport window(m_app, TfrmBillImportExport::Pages::ExportOnly, this);
    window.exec();
}

void TfrmCheckTypeMng::showImage() {
    if (!hasRows())
        return;
    TfrmImageShow viewer(m_app, this);
    viewer.loadPictureByFullName(m_grid->currentValue(kFullName).toString());
    viewer.exec();
}

} // namespace templates::ui
