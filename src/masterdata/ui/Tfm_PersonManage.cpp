#include "masterdata/ui/Tfm_PersonManage.h"

#include "core/AppContext.h"
#include "core/Lookups.h"
#include "core/ui/DataGrid.h"
#include "core/ui/FormFace.h"
#include "core/ui/GridServices.h"
#include "imports/ui/ExportGrid2Excel.h"
#include "imports/ui/TfrmImportMatch.h"
#include "masterdata/TPerson.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace masterdata::ui {

namespace {

const QString kCaption = QStringLiteral("单位及客户资料管理");
// A fitted column is never wider than this: one long address must not push the rest away.
constexpr int kWidestFitted = 260;
const QString kByRegion = QStringLiteral("[按地区分组]");
const QString kByOther = QStringLiteral("[按其他分组]");
const QString kTable = QStringLiteral("CKPersonalInfoTable");
// Left edge of "删除所有": beyond the window's first width, so the button shows only once the
// clerk widens the window on purpose.
constexpr int kClearAllLeft = 930;
constexpr int kFetchSize = 200;

QColor fromBgr(int bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QString pathOf(const QTreeWidgetItem* item) {
    QStringList parts;
    for (; item; item = item->parent())
        parts.prepend(item->text(0));
    return parts.join(QLatin1Char('\\'));
}

} // namespace

Tfm_PersonManage::Tfm_PersonManage(core::AppContext& app, core::ui::GridServices& grids, QWidget* parent)
    : QDialog(parent), m_app(app), m_grids(grids), m_store(app.db()) {
    setObjectName(QStringLiteral("Tfm_PersonManage"));
    setWindowTitle(kCaption);
    resize(900, 560);

    auto button = [this](const char* name, const QString& caption, QWidget* owner = nullptr) {
        auto* b = new QPushButton(caption, owner ? owner : this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    lbTitle = new QLabel(kCaption, this);
    lbTitle->setObjectName(QStringLiteral("lbTitle"));
    QFont big = lbTitle->font();
    big.setPointSize(big.pointSize() + 3);
    big.setBold(true);
    lbTitle->setFont(big);
    tabUnits = new QTabBar(this);
    tabUnits->setObjectName(QStringLiteral("tabUnits"));
    tabUnits->addTab(QString());
    tabUnits->setExpanding(false);
    tabUnits->setVisible(false);
    lbKeyHint = new QLabel(QStringLiteral("<a href=\"hint\">?查找关键字：</a>"), this);
    lbKeyHint->setObjectName(QStringLiteral("lbKeyHint"));
    KeyEdit = new QLineEdit(this);
    KeyEdit->setObjectName(QStringLiteral("KeyEdit"));
    KeyEdit->setToolTip(QStringLiteral("默认查找单位、联系人、电话、手机、地址、助记码几项。"));
    edtZHType = new QLineEdit(this);
    edtZHType->setObjectName(QStringLiteral("edtZHType"));
    edtZHType->setVisible(false);
    btQur = button("btQur", QStringLiteral("查询(&C)"));
    btSelAll = button("btSelAll", QStringLiteral("全部(&A)"));
    btShowAdv = button("btShowAdv", QStringLiteral("高级"));

    panelAdv = new QFrame(this);
    panelAdv->setObjectName(QStringLiteral("panelAdv"));
    panelAdv->setFrameShape(QFrame::StyledPanel);
    EqualOrContain1 = new QComboBox(panelAdv);
    EqualOrContain1->setObjectName(QStringLiteral("EqualOrContain1"));
    EqualOrContain1->addItems({QStringLiteral("包含"), QStringLiteral("等于")});
    Column1 = new QComboBox(panelAdv);
    Column1->setObjectName(QStringLiteral("Column1"));
    Column1->setMinimumWidth(120);
    Column1->installEventFilter(this);
    key1 = new QLineEdit(panelAdv);
    key1->setObjectName(QStringLiteral("key1"));
    btAdvQur = button("btAdvQur", QStringLiteral("精确查询"), panelAdv);
    auto* adv = new QHBoxLayout(panelAdv);
    adv->setContentsMargins(4, 2, 4, 2);
    adv->addWidget(new QLabel(QStringLiteral("数据列："), panelAdv));
    adv->addWidget(Column1);
    adv->addWidget(EqualOrContain1);
    adv->addWidget(key1, 1);
    adv->addWidget(btAdvQur);
    panelAdv->setVisible(false);

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setMinimumWidth(5);
    TreeView1->setMaximumWidth(400);
    TreeView1->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto treeAction = [this](const char* name, const QString& caption) {
        auto* a = new QAction(caption, TreeView1);
        a->setObjectName(QLatin1String(name));
        TreeView1->addAction(a);
        return a;
    };
    QAction* nExpand = treeAction("nExpandAll", QStringLiteral("全部展开"));
    QAction* nCollapse = treeAction("nCollapseAll", QStringLiteral("全部关闭"));
    QAction* nRefreshGroup = treeAction("nRefreshGroup", QStringLiteral("【刷新】"));
    QAction* nHowGroup = treeAction("nHowGroup", QStringLiteral("分组如何添加?"));

    DBGrid1 = new core::ui::DataGrid(app.db(), this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    // Tens of thousands of units open at once: the grid reads a screenful at a time.
    DBGrid1->setFetchSize(kFetchSize);
    DBGrid1->setSelectedColors(fromBgr(14455564), Qt::white);
    DBGrid1->setRowColors([](const core::ui::DataGrid&, int) {
        return core::ui::DataGrid::RowColors{QColor(Qt::white), QColor(Qt::black)};
    });
    DBGrid1->viewport()->installEventFilter(this);
    DBGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto gridAction = [this](const char* name, const QString& caption, bool needsRow) {
        auto* a = new QAction(caption, DBGrid1);
        a->setObjectName(QLatin1String(name));
        DBGrid1->addAction(a);
        if (needsRow)
            m_rowActions << a;
        return a;
    };
    QAction* nAdd = gridAction("nAdd", QStringLiteral("添加新单位"), false);
    QAction* nEdit = gridAction("nEdit", QStringLiteral("修改单位信息"), true);
    QAction* nDelete = gridAction("nDelete", QStringLiteral("删除该单位"), true);
    QAction* nSetDefault = gridAction("nSetDefault", QStringLiteral("设为默认出票人"), true);
    QAction* nRefresh = gridAction("nRefresh", QStringLiteral("【刷新】"), false);
    QAction* nSaveWidths = gridAction("nSaveWidths", QStringLiteral("【记住列宽】当前数据"), true);
    QAction* nColumns = gridAction("nColumns", QStringLiteral("【显示/隐藏】数据列"), true);
    // Beside the title, not over the grid, where it would hide the first row.
    lbHint = new QLabel(QStringLiteral("鼠标双击选择指定的单位！"), this);
    lbHint->setObjectName(QStringLiteral("lbHint"));
    lbHint->setStyleSheet(QStringLiteral("color: red;"));
    lbHint->setVisible(false);

    splitter = new QSplitter(this);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->addWidget(TreeView1);
    splitter->addWidget(DBGrid1);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({160, 700});

    btInsert = button("btInsert", QStringLiteral("添 加"));
    btEdit = button("btEdit", QStringLiteral("修 改"));
    btDelete = button("btDelete", QStringLiteral("删除选中"));
    btDeleteList = button("btDeleteList", QStringLiteral("删除列出"));
    btSetDefault = button("btSetDefault", QStringLiteral("设为默认出票人"));
    btRefresh = button("btRefresh", QStringLiteral("刷新(&R)"));
    btRefresh->setEnabled(false);
    btImport = button("btImport", QStringLiteral("Excel导入"));
    btExport = button("btExport", QStringLiteral("Excel导出"));
    lbClearAll = new QLabel(QStringLiteral("<a href=\"more\">删除所有点击我->></a>"), this);
    lbClearAll->setObjectName(QStringLiteral("lbClearAll"));
    btClearAll = button("btClearAll", QStringLiteral("删除所有"));
    StatusPanel1 = new QLabel(this);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    StatusPanel2 = new QLabel(this);
    StatusPanel2->setObjectName(QStringLiteral("StatusPanel2"));

    auto* head = new QHBoxLayout;
    head->addWidget(lbTitle);
    head->addWidget(tabUnits);
    head->addWidget(lbHint);
    head->addStretch();
    auto* search = new QHBoxLayout;
    search->addWidget(lbKeyHint);
    search->addWidget(KeyEdit, 1);
    search->addWidget(btQur);
    search->addWidget(btSelAll);
    search->addWidget(btShowAdv);
    auto* commands = new QHBoxLayout;
    for (QPushButton* b :
         {btInsert, btEdit, btDelete, btDeleteList, btSetDefault, btRefresh, btImport, btExport})
        commands->addWidget(b);
    commands->addWidget(lbClearAll);
    commands->addStretch();
    auto* status = new QHBoxLayout;
    StatusPanel1->setFrameShape(QFrame::Panel);
    StatusPanel1->setFrameShadow(QFrame::Sunken);
    StatusPanel2->setFrameShape(QFrame::Panel);
    StatusPanel2->setFrameShadow(QFrame::Sunken);
    status->addWidget(StatusPanel1, 1);
    status->addWidget(StatusPanel2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addLayout(search);
    layout->addWidget(panelAdv);
    layout->addWidget(splitter, 1);
    layout->addLayout(commands);
    layout->addLayout(status);

    connect(btQur, &QPushButton::clicked, this, &Tfm_PersonManage::btQurClick);
    connect(KeyEdit, &QLineEdit::returnPressed, this, &Tfm_PersonManage::btQurClick);
    connect(lbKeyHint, &QLabel::linkActivated, this, [this] { m_app.dialogs().message(KeyEdit->toolTip()); });
    connect(btSelAll, &QPushButton::clicked, this, &Tfm_PersonManage::btSelAllClick);
    connect(btShowAdv, &QPushButton::clicked, this, &Tfm_PersonManage::btShowAdvClick);
    connect(btAdvQur, &QPushButton::clicked, this, &Tfm_PersonManage::btAdvQurClick);
    connect(key1, &QLineEdit::returnPressed, this, &Tfm_PersonManage::btAdvQurClick);
    connect(TreeView1, &QTreeWidget::itemClicked, this, &Tfm_PersonManage::TreeView1Click);
    connect(nExpand, &QAction::triggered, TreeView1, &QTreeWidget::expandAll);
    connect(nCollapse, &QAction::triggered, TreeView1, &QTreeWidget::collapseAll);
    connect(nRefreshGroup, &QAction::triggered, this, &Tfm_PersonManage::nRefreshGroupClick);
    connect(nHowGroup, &QAction::triggered, this, [this] {
        m_app.dialogs().message(QStringLiteral(
            "分组无需添加，当有一个单位的分组属性设置为\"分组A\"时，就会自动添加一个\"分组A\"的组。"));
    });
    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &Tfm_PersonManage::DBGrid1TitleClick);
    connect(DBGrid1, &QTableView::doubleClicked, this, &Tfm_PersonManage::DBGrid1DblClick);
    connect(DBGrid1, &QTableView::clicked, this, &Tfm_PersonManage::gridClicked);
    connect(DBGrid1, &core::ui::DataGrid::queryOpened, this, [this] {
        m_grids.GridColsWidthLoad(*DBGrid1, objectName());
        fitColumnWidths();
    });
    connect(btInsert, &QPushButton::clicked, this, &Tfm_PersonManage::btInsertClick);
    connect(nAdd, &QAction::triggered, this, &Tfm_PersonManage::btInsertClick);
    connect(btEdit, &QPushButton::clicked, this, &Tfm_PersonManage::btEditClick);
    connect(nEdit, &QAction::triggered, this, &Tfm_PersonManage::btEditClick);
    connect(btDelete, &QPushButton::clicked, this, &Tfm_PersonManage::btDeleteClick);
    connect(nDelete, &QAction::triggered, this, &Tfm_PersonManage::btDeleteClick);
    connect(btDeleteList, &QPushButton::clicked, this, &Tfm_PersonManage::btDeleteListClick);
    connect(lbClearAll, &QLabel::linkActivated, this, &Tfm_PersonManage::lbClearAllClick);
    connect(btClearAll, &QPushButton::clicked, this, &Tfm_PersonManage::btClearAllClick);
    connect(btSetDefault, &QPushButton::clicked, this, &Tfm_PersonManage::btSetDefaultClick);
    connect(nSetDefault, &QAction::triggered, this, &Tfm_PersonManage::btSetDefaultClick);
    connect(btRefresh, &QPushButton::clicked, this, &Tfm_PersonManage::btRefreshClick);
    connect(nRefresh, &QAction::triggered, this, &Tfm_PersonManage::btRefreshClick);
    connect(btImport, &QPushButton::clicked, this, &Tfm_PersonManage::btImportClick);
    connect(btExport, &QPushButton::clicked, this, &Tfm_PersonManage::btExportClick);
    connect(nSaveWidths, &QAction::triggered, this, &Tfm_PersonManage::nSaveWidthsClick);
    connect(nColumns, &QAction::triggered, this, &Tfm_PersonManage::nColumnsClick);

    nRefreshGroupClick();
}

Tfm_PersonManage::~Tfm_PersonManage() = default;

QString Tfm_PersonManage::tabText() const {
    return tabUnits->isVisible() || !tabUnits->tabText(0).isEmpty() ? tabUnits->tabText(0) : QString();
}

void Tfm_PersonManage::setTab(const QString& text) {
    tabUnits->setTabText(0, text);
    tabUnits->setVisible(true);
}

void Tfm_PersonManage::showBrowsing(const QString& unitType) {
    m_selecting = false;
    if (unitType.isEmpty()) {
        // The menu opens on every unit: what 全部 clears goes before the query of showing.
        key1->clear();
        edtZHType->clear();
        m_group.clear();
    } else {
        setTab(QStringLiteral("【") + unitType + QStringLiteral("】"));
        edtZHType->setText(unitType);
        m_group.clear();
    }
    exec();
}

std::unique_ptr<TPerson> Tfm_PersonManage::pick(const QString& unitType, const QString& caption) {
    if (!caption.isEmpty())
        setWindowTitle(caption);
    m_selecting = true;
    m_chosen.reset();
    m_group.clear();
    if (unitType == PersonStore::kPartnerUnit || unitType == PersonStore::kOwnUnit) {
        setTab(QStringLiteral("【") + unitType + QStringLiteral("】"));
        edtZHType->setText(unitType);
    } else {
        edtZHType->clear();
        key1->clear();
    }
    exec();
    return std::move(m_chosen);
}

void Tfm_PersonManage::showEvent(QShowEvent* event) {
    core::ui::FormFace::load(m_app.userIni(), *this);
    // Provinces and groups an import or another window added since the last opening.
    nRefreshGroupClick();
    KeyEdit->clear();
    runQuery(Source::Command);
    lbTitle->setText(kCaption + QLatin1Char('(') + QString::number(DBGrid1->totalRows()) + QLatin1Char(')'));
    lbHint->setVisible(m_selecting);
    QDialog::showEvent(event);
    placeClearAll();
}

void Tfm_PersonManage::done(int result) {
    m_grids.GridColsWidthSave(*DBGrid1, objectName());
    core::ui::FormFace::save(m_app.userIni(), *this);
    QDialog::done(result);
}

void Tfm_PersonManage::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    placeClearAll();
}

void Tfm_PersonManage::placeClearAll() {
    btClearAll->adjustSize();
    const int top = lbClearAll->mapTo(this, QPoint(0, 0)).y();
    btClearAll->move(kClearAllLeft, top + (lbClearAll->height() - btClearAll->height()) / 2);
    btClearAll->raise();
}

void Tfm_PersonManage::openStatement(const Statement& statement) {
    if (statement.sql.isEmpty()) {
        DBGrid1->close();
        return;
    }
    try {
        DBGrid1->setQuery(statement.sql, statement.params);
    } catch (const core::DbError&) {
        // A failed query leaves the grid empty.
        DBGrid1->close();
    }
}

void Tfm_PersonManage::afterQuery() {
    const bool rows = DBGrid1->rowCount() > 0;
    for (QAction* a : m_rowActions)
        a->setEnabled(rows);
    StatusPanel1->setText(QStringLiteral("选中[") + QString::number(DBGrid1->selectedRows().size()) +
                          QLatin1Char('/') + QString::number(DBGrid1->totalRows()) + QStringLiteral("]条"));
}

void Tfm_PersonManage::selectNode(const QString& text) {
    const QList<QTreeWidgetItem*> found = TreeView1->findItems(text, Qt::MatchExactly);
    if (!found.isEmpty())
        TreeView1->setCurrentItem(found.first());
}

void Tfm_PersonManage::runQuery(Source source) {
    const bool exact = source == Source::Advanced || (source == Source::Title && panelAdv->isVisible() &&
                                                      !key1->text().trimmed().isEmpty());
    if (source == Source::Command) {
        hideAdvanced();
        key1->clear();
    }
    if (m_group.isEmpty())
        m_group = PersonStore::kAllGroups;
    PersonFilter filter;
    filter.keyword = KeyEdit->text().trimmed();
    filter.group = m_group;
    filter.unitType = edtZHType->text();
    filter.exactKey = key1->text().trimmed();
    filter.sortColumn = m_sortColumn;
    filter.sortDirection = m_sortDirection;
    if (PersonStore::isAll(filter)) {
        btSelAllClick();
        return;
    }
    if (exact) {
        if (Column1->currentText().isEmpty()) {
            m_app.dialogs().message(QStringLiteral("请选择查询的数据列！"));
            Column1->setFocus();
            return;
        }
        if (filter.exactKey.isEmpty()) {
            m_app.dialogs().message(QStringLiteral("请选择查询的关键词！"));
            key1->setFocus();
            return;
        }
        filter.exact = true;
        filter.exactColumn = Column1->currentText();
        filter.exactEquals = EqualOrContain1->currentText() == QStringLiteral("等于");
    } else if (!filter.keyword.isEmpty()) {
        edtZHType->clear();
        filter.unitType.clear();
    }
    if (!filter.unitType.isEmpty())
        selectNode(filter.unitType);
    openStatement(PersonStore::filterStatement(filter, DBGrid1->fieldNames()));
    afterQuery();
}

void Tfm_PersonManage::btQurClick() {
    runQuery(Source::Command);
}

void Tfm_PersonManage::btSelAllClick() {
    key1->clear();
    edtZHType->clear();
    // 全部 shows every group too: a group kept from before would restrict the next search unseen.
    m_group = PersonStore::kAllGroups;
    hideAdvanced();
    if (m_sortColumn.trimmed().isEmpty())
        m_sortColumn = PersonStore::kFirstSort;
    if (m_sortDirection.trimmed().isEmpty())
        m_sortDirection = QStringLiteral("DESC");
    openStatement(PersonStore::allStatement(m_sortColumn, m_sortDirection));
    selectNode(PersonStore::kAllGroups);
    lbTitle->setText(kCaption + QLatin1Char('(') + QString::number(DBGrid1->totalRows()) + QLatin1Char(')'));
    StatusPanel2->setText(QStringLiteral("系统共有[") + QString::number(m_grids.CountTableAllRows(kTable)) +
                          QStringLiteral("]条."));
    afterQuery();
    KeyEdit->clear();
}

void Tfm_PersonManage::hideAdvanced() {
    // The button keeps its first caption 高级 until the panel has been shown once.
    if (!panelAdv->isVisible())
        return;
    panelAdv->setVisible(false);
    btShowAdv->setText(QStringLiteral("<<"));
}

void Tfm_PersonManage::btShowAdvClick() {
    const bool show = !panelAdv->isVisible();
    panelAdv->setVisible(show);
    btShowAdv->setText(show ? QStringLiteral(">>") : QStringLiteral("<<"));
}

void Tfm_PersonManage::btAdvQurClick() {
    edtZHType->clear();
    key1->setText(key1->text().trimmed());
    if (Column1->currentText().isEmpty()) {
        m_app.dialogs().message(QStringLiteral("请选择要查询的列."));
        Column1->setFocus();
        return;
    }
    if (key1->text().isEmpty()) {
        m_app.dialogs().message(QStringLiteral("请输入精确查询的关键字"));
        key1->setFocus();
        return;
    }
    runQuery(Source::Advanced);
}

void Tfm_PersonManage::TreeView1Click(QTreeWidgetItem* item) {
    if (!item)
        return;
    const QString node = item->text(0);
    const QString path = pathOf(item);
    KeyEdit->clear();
    key1->clear();
    m_group.clear();
    edtZHType->clear();
    if (node == PersonStore::kOwnUnit || node == PersonStore::kPartnerUnit)
        edtZHType->setText(node);
    else if (node == PersonStore::kDefaultIssuer)
        m_group = PersonStore::kDefaultIssuer;
    else if (node == kByRegion || node == kByOther)
        return;
    else if (path.startsWith(kByRegion + QLatin1Char('\\')))
        KeyEdit->setText(path.mid(kByRegion.size() + 1));
    else if (path.startsWith(kByOther + QLatin1Char('\\')))
        m_group = path.mid(kByOther.size() + 1);
    setTab(QStringLiteral("【") + path + QStringLiteral("】"));
    runQuery(Source::Command);
}

void Tfm_PersonManage::nRefreshGroupClick() {
    TreeView1->clear();
    for (const QString& top : {PersonStore::kAllGroups, PersonStore::kOwnUnit, PersonStore::kPartnerUnit,
                               PersonStore::kDefaultIssuer})
        new QTreeWidgetItem(TreeView1, {top});
    core::Lookups lookups(m_app);
    auto* regions = new QTreeWidgetItem(TreeView1, {kByRegion});
    for (const QString& province : lookups.loadPersonTableProvinceList())
        new QTreeWidgetItem(regions, {province});
    auto* others = new QTreeWidgetItem(TreeView1, {kByOther});
    for (const QString& group : lookups.loadPersonTableGroupList())
        new QTreeWidgetItem(others, {group});
    TreeView1->expandAll();
}

void Tfm_PersonManage::DBGrid1TitleClick(int column) {
    const QStringList fields = DBGrid1->fieldNames();
    if (column < 0 || column >= fields.size())
        return;
    m_sortColumn = fields.at(column);
    m_sortDirection =
        m_sortDirection == QLatin1String("ASC") ? QStringLiteral("DESC") : QStringLiteral("ASC");
    runQuery(Source::Title);
}

void Tfm_PersonManage::gridClicked() {
    const QString name = DBGrid1->currentValue(QStringLiteral("全称")).toString();
    setWindowTitle(
        (m_selecting ? QStringLiteral("选择单位-当前选中:") : QStringLiteral("单位、客户管理-当前选中:")) +
        name);
    afterQuery();
}

void Tfm_PersonManage::DBGrid1DblClick() {
    if (DBGrid1->rowCount() == 0 || DBGrid1->currentRow() < 0)
        return;
    if (!m_chosen)
        m_chosen = std::make_unique<TPerson>();
    m_chosen->setId(DBGrid1->currentValue(QStringLiteral("ID")).toInt());
    if (m_chosen->loadByID(m_app.db()) != 1) {
        // Deleted by another window meanwhile: nothing is handed back, the list shows what is left.
        m_chosen.reset();
        requery();
        return;
    }
    if (m_selecting)
        accept();
    else
        btEditClick();
}

void Tfm_PersonManage::requery() {
    btRefresh->setEnabled(true);
    runQuery(Source::Command);
    // After a unit was added or edited the count of the title follows, whatever the filter.
    lbTitle->setText(kCaption + QLatin1Char('(') + QString::number(DBGrid1->totalRows()) + QLatin1Char(')'));
}

void Tfm_PersonManage::fitColumnWidths() {
    // Every opening the columns are wide enough for their titles and the rows read (up to a
    // limit), so names added since are not cut; a column the clerk made wider stays so. Until he
    // keeps widths of his own they fit exactly instead of 40 pixels each.
    const QString key = DBGrid1->objectName().toUpper() + QStringLiteral(".W0");
    const bool stored = !m_app.userIni().readString(objectName().toUpper(), key).isEmpty();
    for (int i = 0; i < DBGrid1->columnCount(); ++i) {
        if (DBGrid1->isColumnHidden(i))
            continue;
        const int kept = stored ? DBGrid1->columnWidth(i) : 0;
        DBGrid1->resizeColumnToContents(i);
        DBGrid1->setColumnWidth(i, qMax(kept, qMin(DBGrid1->columnWidth(i), kWidestFitted)));
    }
}

void Tfm_PersonManage::dataChanged() {
    btRefresh->setEnabled(true);
    btRefreshClick();
}

void Tfm_PersonManage::btInsertClick() {
    if (!m_hooks.editUnit)
        return;
    const QString type = edtZHType->text() == PersonStore::kOwnUnit ? PersonStore::kOwnUnit : QString();
    const QString group =
        m_group == PersonStore::kDefaultIssuer || m_group == PersonStore::kAllGroups ? QString() : m_group;
    m_hooks.editUnit(0, type, group);
    nRefreshGroupClick();
}

void Tfm_PersonManage::btEditClick() {
    if (DBGrid1->rowCount() == 0) {
        m_app.dialogs().message(QStringLiteral("没有单位可修改，请先选中一个要修改的单位！"));
        return;
    }
    if (DBGrid1->currentRow() < 0)
        DBGrid1->setCurrentRow(0);
    const int id = DBGrid1->currentValue(QStringLiteral("ID")).toInt();
    if (id <= 0 || !m_hooks.editUnit)
        return;
    m_hooks.editUnit(id, QString(), QString());
    nRefreshGroupClick();
}

void Tfm_PersonManage::btDeleteClick() {
    if (m_grids.GridSelectedDelete(*DBGrid1, kTable, QStringLiteral("ID"), QString(),
                                   QStringLiteral("单位信息")) > 0 &&
        m_hooks.reloadDefaultIssuer)
        m_hooks.reloadDefaultIssuer();
    dataChanged();
}

void Tfm_PersonManage::btDeleteListClick() {
    if (m_grids.GridDeleteCurrentList(*DBGrid1) > 0 && m_hooks.reloadDefaultIssuer)
        m_hooks.reloadDefaultIssuer();
    dataChanged();
}

void Tfm_PersonManage::lbClearAllClick() {
    if (isMaximized())
        return;
    if (width() < kClearAllLeft + 120)
        resize(width() + 120, height());
    else
        resize(width() - 120, height());
}

void Tfm_PersonManage::btClearAllClick() {
    const QString type = edtZHType->text();
    if (!m_app.dialogs().ask(
            QStringLiteral("警告:此操作将删除所有") + type +
                QStringLiteral("的资料,且不可恢复,建议此操作在导出备份后进行!确定立即清空吗？"),
            QStringLiteral("确认")))
        return;
    try {
        m_store.clearAll(type);
    } catch (const core::DbError&) {
        m_app.dialogs().notice(QStringLiteral("清空失败！"), QStringLiteral("确认"));
    }
    if (m_hooks.reloadDefaultIssuer)
        m_hooks.reloadDefaultIssuer();
    dataChanged();
}

void Tfm_PersonManage::btSetDefaultClick() {
    if (DBGrid1->rowCount() == 0) {
        m_app.dialogs().message(QStringLiteral("没有单位资料可设置，请先选中一个要设置的单位资料！"));
        return;
    }
    if (DBGrid1->currentRow() < 0)
        DBGrid1->setCurrentRow(0);
    try {
        m_store.setDefaultIssuer(DBGrid1->currentValue(QStringLiteral("ID")).toInt());
    } catch (const core::DbError& e) {
        // Nothing changed: the transaction keeps the previous issuer.
        m_app.dialogs().error(e.message());
        return;
    }
    m_app.dialogs().message(QStringLiteral("默认出票人设置成功！"));
    if (m_hooks.reloadDefaultIssuer)
        m_hooks.reloadDefaultIssuer();
    runQuery(Source::Command);
    if (m_hooks.closeBills)
        m_hooks.closeBills();
}

void Tfm_PersonManage::btRefreshClick() {
    runQuery(Source::Command);
    lbTitle->setText(QStringLiteral("单位、客户管理(") + QString::number(DBGrid1->totalRows()) +
                     QLatin1Char(')'));
    StatusPanel2->setText(QStringLiteral("系统共有[") + QString::number(m_grids.CountTableAllRows(kTable)) +
                          QStringLiteral("]条."));
    nRefreshGroupClick();
}

void Tfm_PersonManage::btImportClick() {
    // Recipients and senders into the address book only; the program reloads this list after
    // a run (afterImport).
    imports::ui::TfrmImportMatch window(m_app, this);
    window.setScenario(imports::RecipientImport::Scenario::AddressBook, false);
    window.exec();
    nRefreshGroupClick();
}

void Tfm_PersonManage::btExportClick() {
    try {
        imports::ExportGrid2Excel(m_app, DBGrid1, QStringLiteral("单位信息导出"), this);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("数据库错误,Error=") + e.message());
    }
}

void Tfm_PersonManage::nSaveWidthsClick() {
    m_grids.GridColsWidthSave(*DBGrid1, objectName());
}

void Tfm_PersonManage::nColumnsClick() {
    m_grids.GridColsConfigration(*DBGrid1, objectName());
}

bool Tfm_PersonManage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Column1 && event->type() == QEvent::FocusIn && Column1->count() == 0) {
        QStringList columns = DBGrid1->fieldNames();
        if (!columns.isEmpty())
            columns.removeFirst();
        columns.removeAll(QStringLiteral("排序"));
        Column1->addItems(columns);
    } else if (watched == DBGrid1->viewport() && event->type() == QEvent::Wheel && DBGrid1->hasFocus()) {
        // One row per wheel step, whatever the scroll setting of the desktop.
        const int step = static_cast<QWheelEvent*>(event)->angleDelta().y() > 0 ? -1 : 1;
        DBGrid1->stepCurrentRow(step);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace masterdata::ui
