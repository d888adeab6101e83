#include "masterdata/ui/Tfrm_GoodsManage.h"

#include "core/AppContext.h"
#include "core/ui/DataGrid.h"
#include "core/ui/GridServices.h"
#include "imports/Spreadsheet.h"
#include "imports/SpreadsheetError.h"
#include "imports/ui/ExportGrid2Excel.h"
#include "masterdata/ProductImporter.h"
#include "masterdata/ui/Tfrm_GoodInfo.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace masterdata::ui {

namespace {

const QString kCaption = QStringLiteral("产品分类管理");
// Once the rows are counted the caption names the goods (商品), as 全部 and the opening write it.
const QString kCountedCaption = QStringLiteral("商品分类管理");
const QString kDefaultSort = QStringLiteral("商品名");

// Colours are given as the BGR numbers the stored look used: 16711680 is blue, 16640737 a
// pale blue.
QColor fromBgr(int bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

} // namespace

Tfrm_GoodsManage::Tfrm_GoodsManage(core::AppContext& app, core::ui::GridServices& grids, QWidget* parent)
    : QDialog(parent), m_app(app), m_grids(grids), m_store(app.db()) {
    setObjectName(QStringLiteral("Tfrm_GoodsManage"));
    setWindowTitle(kCaption);
    resize(860, 560);

    auto button = [this](const QString& name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    edtPath = new QLineEdit(ProductStore::kClassRoot, this);
    edtPath->setObjectName(QStringLiteral("edtPath"));
    edtPath->setReadOnly(true);
    cbGoodName = new QComboBox(this);
    cbGoodName->setObjectName(QStringLiteral("cbGoodName"));
    cbGoodName->setMinimumWidth(140);
    KeyEdit = new QLineEdit(this);
    KeyEdit->setObjectName(QStringLiteral("KeyEdit"));
    btQur = button(QStringLiteral("btQur"), QStringLiteral("查询(&C)"));
    btSelAll = button(QStringLiteral("btSelAll"), QStringLiteral("全部"));
    btClassifyAll = button(QStringLiteral("btClassifyAll"), QStringLiteral("分类内所有"));
    btInsert = button(QStringLiteral("btInsert"), QStringLiteral("添加"));
    btEdit = button(QStringLiteral("btEdit"), QStringLiteral("修改"));
    btDelete = button(QStringLiteral("btDelete"), QStringLiteral("删除选中"));
    btRefresh = button(QStringLiteral("btRefresh"), QStringLiteral("刷新"));
    btRefresh->setEnabled(false);
    lbClear = new QLabel(QStringLiteral("<a href=\"clear\">清空->></a>"), this);
    lbClear->setObjectName(QStringLiteral("lbClear"));
    btClearAll = button(QStringLiteral("btClearAll"), QStringLiteral("清 空"));
    btClearAll->setVisible(false);

    tvClass = new QTreeWidget(this);
    tvClass->setObjectName(QStringLiteral("tvClass"));
    tvClass->setHeaderHidden(true);
    tvClass->setMaximumWidth(200);
    tvClass->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* nAddClass = new QAction(QStringLiteral("添加 商品分类"), tvClass);
    nAddClass->setObjectName(QStringLiteral("nAddClass"));
    auto* nRefreshTree = new QAction(QStringLiteral("刷新"), tvClass);
    nRefreshTree->setObjectName(QStringLiteral("nRefreshTree"));
    tvClass->addActions({nAddClass, nRefreshTree});

    DBGridGoods = new core::ui::DataGrid(app.db(), this);
    DBGridGoods->setObjectName(QStringLiteral("DBGridGoods"));
    DBGridGoods->setToolTip(QStringLiteral("按住ctrl点击方可多选"));
    DBGridGoods->setSelectedColors(fromBgr(16711680), Qt::white);
    DBGridGoods->setRowColors([](const core::ui::DataGrid&, int row) {
        // Record numbers count from 1: odd records white, even ones pale blue.
        return core::ui::DataGrid::RowColors{row % 2 == 0 ? QColor(Qt::white) : fromBgr(16640737),
                                             QColor(Qt::black)};
    });
    DBGridGoods->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* nPick = new QAction(QStringLiteral("选取选中de商品"), DBGridGoods);
    nPick->setObjectName(QStringLiteral("nPick"));
    auto* nExport = new QAction(QStringLiteral("商品导出Excel"), DBGridGoods);
    nExport->setObjectName(QStringLiteral("nExport"));
    auto* nSaveWidths = new QAction(QStringLiteral("记住表格列宽"), DBGridGoods);
    nSaveWidths->setObjectName(QStringLiteral("nSaveWidths"));
    auto* nImportGoods = new QAction(QStringLiteral("导入商品"), DBGridGoods);
    nImportGoods->setObjectName(QStringLiteral("nImportGoods"));
    auto* nColumns = new QAction(QStringLiteral("设置显示列"), DBGridGoods);
    nColumns->setObjectName(QStringLiteral("nColumns"));
    DBGridGoods->addActions({nPick, nExport, nSaveWidths, nColumns, nImportGoods});

    // The import panel floats over the middle of the grid while it is shown.
    pnlImport = new QFrame(DBGridGoods);
    pnlImport->setObjectName(QStringLiteral("pnlImport"));
    pnlImport->setFrameShape(QFrame::Box);
    pnlImport->setAutoFillBackground(true);
    edtFile = new QLineEdit(pnlImport);
    edtFile->setObjectName(QStringLiteral("edtFile"));
    edtFile->setReadOnly(true);
    btBrowse = new QPushButton(QStringLiteral("浏览.."), pnlImport);
    btBrowse->setObjectName(QStringLiteral("btBrowse"));
    btStartImport = new QPushButton(QStringLiteral("开始导入"), pnlImport);
    btStartImport->setObjectName(QStringLiteral("btStartImport"));
    btStartImport->setEnabled(false);
    btFinish = new QPushButton(QStringLiteral("完  成"), pnlImport);
    btFinish->setObjectName(QStringLiteral("btFinish"));
    ckPromptDuplicate = new QCheckBox(QStringLiteral("发现重复记录，请提示我"), pnlImport);
    ckPromptDuplicate->setObjectName(QStringLiteral("ckPromptDuplicate"));
    rbNameOnly = new QRadioButton(QStringLiteral("仅仅依据商品名判断是否重复"), pnlImport);
    rbNameOnly->setObjectName(QStringLiteral("rbNameOnly"));
    rbNameAndBrand = new QRadioButton(QStringLiteral("依据商品名和品牌型号判断是否重复"), pnlImport);
    rbNameAndBrand->setObjectName(QStringLiteral("rbNameAndBrand"));
    rbNameAndBrand->setChecked(true);
    lbState = new QLabel(pnlImport);
    lbState->setObjectName(QStringLiteral("lbState"));
    lbState->setWordWrap(true);
    pbImport = new QProgressBar(pnlImport);
    pbImport->setObjectName(QStringLiteral("pbImport"));
    for (QPushButton* b : {btBrowse, btStartImport, btFinish})
        b->setAutoDefault(false);
    auto* panel = new QGridLayout(pnlImport);
    panel->addWidget(edtFile, 0, 0, 1, 2);
    panel->addWidget(btBrowse, 0, 2);
    panel->addWidget(ckPromptDuplicate, 1, 0, 1, 3);
    panel->addWidget(rbNameOnly, 2, 0, 1, 3);
    panel->addWidget(rbNameAndBrand, 3, 0, 1, 3);
    panel->addWidget(lbState, 4, 0, 1, 3);
    panel->addWidget(pbImport, 5, 0, 1, 3);
    panel->addWidget(btStartImport, 6, 1);
    panel->addWidget(btFinish, 6, 2);
    pnlImport->setVisible(false);

    auto* top = new QHBoxLayout;
    top->addWidget(edtPath, 1);
    top->addWidget(cbGoodName);
    top->addWidget(new QLabel(QStringLiteral("关键字:"), this));
    top->addWidget(KeyEdit, 1);
    top->addWidget(btQur);
    top->addWidget(btSelAll);
    top->addWidget(btClassifyAll);
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {btInsert, btEdit, btDelete, btRefresh})
        commands->addWidget(b);
    commands->addStretch();
    commands->addWidget(lbClear);
    commands->addWidget(btClearAll);
    auto* body = new QHBoxLayout;
    body->addWidget(tvClass);
    body->addWidget(DBGridGoods, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(body, 1);
    layout->addLayout(commands);

    connect(btQur, &QPushButton::clicked, this, &Tfrm_GoodsManage::btQurClick);
    connect(KeyEdit, &QLineEdit::returnPressed, this, &Tfrm_GoodsManage::btQurClick);
    connect(cbGoodName, &QComboBox::currentIndexChanged, this, &Tfrm_GoodsManage::btQurClick);
    connect(btSelAll, &QPushButton::clicked, this, &Tfrm_GoodsManage::btSelAllClick);
    connect(btClassifyAll, &QPushButton::clicked, this, &Tfrm_GoodsManage::btClassifyAllClick);
    connect(btInsert, &QPushButton::clicked, this, &Tfrm_GoodsManage::btInsertClick);
    connect(btEdit, &QPushButton::clicked, this, &Tfrm_GoodsManage::btEditClick);
    connect(btDelete, &QPushButton::clicked, this, &Tfrm_GoodsManage::btDeleteClick);
    connect(btRefresh, &QPushButton::clicked, this, &Tfrm_GoodsManage::btRefreshClick);
    connect(btClearAll, &QPushButton::clicked, this, &Tfrm_GoodsManage::btClearAllClick);
    connect(lbClear, &QLabel::linkActivated, this, &Tfrm_GoodsManage::lbClearClick);
    connect(tvClass, &QTreeWidget::itemClicked, this, &Tfrm_GoodsManage::tvClassClick);
    connect(nAddClass, &QAction::triggered, this, [this] {
        m_app.dialogs().message(
            QStringLiteral("商品分类无需单独添加，当你添加一个新分类商品时，自动添加分类。"));
    });
    connect(nRefreshTree, &QAction::triggered, this, &Tfrm_GoodsManage::buildClassTree);
    connect(DBGridGoods, &QTableView::doubleClicked, this, &Tfrm_GoodsManage::btEditClick);
    connect(DBGridGoods->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &Tfrm_GoodsManage::gridTitleClick);
    connect(DBGridGoods, &core::ui::DataGrid::queryOpened, this,
            [this] { m_grids.GridColsWidthLoad(*DBGridGoods, objectName()); });
    connect(nPick, &QAction::triggered, this, &Tfrm_GoodsManage::btEditClick);
    connect(nExport, &QAction::triggered, this, &Tfrm_GoodsManage::nExportClick);
    connect(nSaveWidths, &QAction::triggered, this, &Tfrm_GoodsManage::nSaveWidthsClick);
    connect(nColumns, &QAction::triggered, this,
            [this] { m_grids.GridColsConfigration(*DBGridGoods, objectName()); });
    connect(nImportGoods, &QAction::triggered, this, &Tfrm_GoodsManage::nImportGoodsClick);
    connect(btBrowse, &QPushButton::clicked, this, &Tfrm_GoodsManage::btBrowseClick);
    connect(btStartImport, &QPushButton::clicked, this, &Tfrm_GoodsManage::btStartImportClick);
    connect(btFinish, &QPushButton::clicked, this, &Tfrm_GoodsManage::btFinishClick);

    buildNameList();
    m_sortColumn = kDefaultSort;
    m_sortDirection = QStringLiteral("DESC");
    openStatement(ProductStore::allStatement(m_sortColumn, m_sortDirection));
    setCaption(kCountedCaption + QLatin1Char(' '));
    buildClassTree();
}

void Tfrm_GoodsManage::setCaption(const QString& head) {
    setWindowTitle(head + QLatin1Char('(') + QString::number(DBGridGoods->rowCount()) + QLatin1Char(')'));
}

void Tfrm_GoodsManage::buildNameList() {
    const QSignalBlocker quiet(cbGoodName);
    cbGoodName->clear();
    cbGoodName->addItems(m_store.nameList());
    cbGoodName->setCurrentIndex(0);
}

void Tfrm_GoodsManage::buildClassTree() {
    tvClass->clear();
    auto* root = new QTreeWidgetItem(tvClass, {QStringLiteral("全部分类")});
    for (const QString& c : m_store.classList())
        new QTreeWidgetItem(root, {c});
    root->setExpanded(true);
}

void Tfrm_GoodsManage::openStatement(const Statement& statement) {
    try {
        DBGridGoods->setQuery(statement.sql, statement.params);
    } catch (const core::DbError&) {
        // The grid stays empty; the statement was composed from the filters, not typed.
        DBGridGoods->close();
    }
}

void Tfrm_GoodsManage::btQurClick() {
    const CatalogueFilter filter{KeyEdit->text(), cbGoodName->currentText(), edtPath->text(), m_sortColumn,
                                 m_sortDirection};
    if (ProductStore::isClassOnly(filter)) {
        btClassifyAllClick();
        return;
    }
    openStatement(ProductStore::filterStatement(filter));
}

void Tfrm_GoodsManage::btSelAllClick() {
    edtPath->setText(ProductStore::kClassRoot);
    if (m_sortColumn.trimmed().isEmpty())
        m_sortColumn = kDefaultSort;
    if (m_sortDirection.trimmed().isEmpty())
        m_sortDirection = QStringLiteral("deSC");
    openStatement(ProductStore::allStatement(m_sortColumn, m_sortDirection));
    setCaption(kCountedCaption);
    KeyEdit->clear();
    buildNameList();
}

void Tfrm_GoodsManage::btClassifyAllClick() {
    KeyEdit->clear();
    {
        const QSignalBlocker quiet(cbGoodName);
        cbGoodName->setCurrentIndex(0);
    }
    const QString classify = ProductStore::classOf(edtPath->text());
    if (classify.isEmpty()) {
        btSelAllClick();
        return;
    }
    openStatement(ProductStore::classStatement(classify));
}

void Tfrm_GoodsManage::tvClassClick(QTreeWidgetItem* item) {
    const QString path = item->parent() ? ProductStore::kClassRoot + item->text(0) : ProductStore::kClassRoot;
    if (path == edtPath->text())
        return;
    edtPath->setText(path);
    btQurClick();
}

void Tfrm_GoodsManage::gridTitleClick(int column) {
    const QStringList fields = DBGridGoods->fieldNames();
    if (column < 0 || column >= fields.size())
        return;
    m_sortColumn = fields.at(column);
    m_sortDirection =
        m_sortDirection == QLatin1String("ASC") ? QStringLiteral("DESC") : QStringLiteral("ASC");
    btQurClick();
}

void Tfrm_GoodsManage::dataChanged() {
    btRefresh->setEnabled(true);
    btQurClick();
}

void Tfrm_GoodsManage::btInsertClick() {
    Tfrm_GoodInfo form(m_app, this);
    form.setOnSaved([this] { dataChanged(); });
    form.exec();
}

void Tfrm_GoodsManage::btEditClick() {
    if (DBGridGoods->rowCount() == 0 || DBGridGoods->currentRow() < 0) {
        m_app.dialogs().message(QStringLiteral("没有商品可修改，请先选中或添加一个商品！"));
        return;
    }
    auto text = [this](const char16_t* field) {
        return DBGridGoods->currentValue(QString::fromUtf16(field)).toString();
    };
    Product p;
    p.id = DBGridGoods->currentValue(QStringLiteral("ID")).toInt();
    p.name = text(u"商品名");
    p.inputCode = text(u"简码");
    p.identy = text(u"货号");
    p.otherPro = text(u"其他属性");
    p.brand = text(u"规格");
    p.price = text(u"单价");
    p.specPrice = text(u"批价");
    p.unit = text(u"单位");
    p.classify = text(u"分类");
    p.remark = text(u"备注");
    Tfrm_GoodInfo form(m_app, this);
    form.setProduct(p);
    form.setOnSaved([this] { dataChanged(); });
    form.exec();
}

void Tfrm_GoodsManage::btDeleteClick() {
    QList<int> ids;
    try {
        for (const QVariant& v : DBGridGoods->selectedValues(QStringLiteral("ID")))
            ids << v.toInt();
    } catch (const core::DbError& e) {
        m_app.dialogs().error(QStringLiteral("删除失败,") + e.message());
        return;
    }
    if (ids.isEmpty())
        return;
    if (!m_app.dialogs().ask(QStringLiteral("真的要删除选中的商品信息吗?"), QStringLiteral("删除确认")))
        return;
    try {
        m_store.deleteIds(ids);
    } catch (const core::DbError& e) {
        m_app.dialogs().error(QStringLiteral("删除失败,") + e.message());
    }
    dataChanged();
}

void Tfrm_GoodsManage::lbClearClick() {
    if (!btClearAll->isVisible() && width() < 900)
        resize(width() + 80, height());
    btClearAll->setVisible(true);
}

void Tfrm_GoodsManage::btClearAllClick() {
    if (!m_app.dialogs().ask(QStringLiteral("警告：清空操作将删除所有的客户数据，且不可恢复！确定要清空吗？"),
                             QStringLiteral("警告")))
        return;
    try {
        m_store.clearAll();
    } catch (const core::DbError&) {
        m_app.dialogs().notice(QStringLiteral("清空失败！"), QStringLiteral("确认"));
    }
    dataChanged();
}

void Tfrm_GoodsManage::btRefreshClick() {
    btQurClick();
    setCaption(QStringLiteral("商品信息管理"));
}

void Tfrm_GoodsManage::nExportClick() {
    imports::ExportGrid2Excel(m_app, DBGridGoods, QStringLiteral("商品导出Excel"), this);
}

void Tfrm_GoodsManage::nSaveWidthsClick() {
    m_grids.GridColsWidthSave(*DBGridGoods, objectName());
}

void Tfrm_GoodsManage::nImportGoodsClick() {
    pnlImport->adjustSize();
    const QSize size = pnlImport->sizeHint().expandedTo(QSize(480, 0));
    pnlImport->resize(size);
    pnlImport->move((DBGridGoods->width() - size.width()) / 2, (DBGridGoods->height() - size.height()) / 2);
    lbState->setText(QStringLiteral("导入准备就绪！"));
    pbImport->setValue(0);
    pnlImport->setVisible(true);
    pnlImport->raise();
}

void Tfrm_GoodsManage::btBrowseClick() {
    const QString file = m_app.dialogs().openFileName(
        QStringLiteral("导入商品"),
        QStringLiteral(
            "Excel(*.xls *.xlsx *.ods *.csv);;Excel(*.xls);;Excel(*.xlsx);;OpenDocument(*.ods);;CSV(*.csv)"));
    if (file.isEmpty())
        return;
    edtFile->setText(file);
    btStartImport->setEnabled(true);
}

void Tfrm_GoodsManage::btStartImportClick() {
    imports::Spreadsheet sheet;
    try {
        sheet.open(edtFile->text());
        sheet.activate(0);
    } catch (const imports::SpreadsheetError& e) {
        // The reader's own reason (damaged, too large, beyond the grid) follows the usual text.
        m_app.dialogs().message(QStringLiteral("不能打开Excel文件，确认Excel软件已经安装并可用！\n") +
                                e.message());
        return;
    }
    lbState->setText(QStringLiteral("正在验证数据文件有效性！"));

    ProductImporter importer(m_app.db(), m_app.dialogs());
    importer.setDuplicateRule(rbNameOnly->isChecked() ? ProductImporter::DuplicateRule::NameOnly
                                                      : ProductImporter::DuplicateRule::NameAndBrand);
    importer.setPromptOnDuplicate(ckPromptDuplicate->isChecked());
    QStringList titles;
    for (int c = 1; c <= sheet.usedColumns(); ++c)
        titles << sheet.cell(1, c);
    if (!importer.setHeader(titles)) {
        m_app.dialogs().message(ProductImporter::headerError());
        lbState->setText(QStringLiteral("验证数据文件失败,请重新选择有效的数据文件！"));
        btStartImport->setEnabled(false);
        return;
    }
    lbState->setText(QStringLiteral("数据文件有效！"));

    const int rows = sheet.usedRows();
    if (rows < 2) {
        lbState->setText(QStringLiteral("导入完成，所选数据文件不存在有效数据！"));
        sheet.close();
        btSelAllClick();
        return;
    }
    const int columns = importer.columns().size();
    pbImport->setRange(0, rows - 1);
    btStartImport->setEnabled(false);
    // One transaction for the whole sheet: far fewer disk syncs, and a failure of the
    // connection itself leaves no half-imported sheet behind.
    bool inTransaction = false;
    try {
        m_app.db().begin();
        inTransaction = true;
    } catch (const core::DbError&) {
        // Without a transaction each row is still written on its own.
    }
    for (int r = 2; r <= rows; ++r) {
        QStringList cells;
        for (int c = 1; c <= columns; ++c)
            cells << sheet.cell(r, c);
        importer.saveGood(cells);
        pbImport->setValue(r - 1);
        if (r % 16 == 0)
            QApplication::processEvents();
    }
    if (inTransaction) {
        try {
            m_app.db().commit();
        } catch (const core::DbError& e) {
            // Nothing of the sheet is stored then, so the summary must not count its rows.
            m_app.db().rollback();
            importer.discardInserted();
            m_app.dialogs().error(QStringLiteral("Error:") + e.message());
        }
    }
    btStartImport->setEnabled(true);
    m_app.dialogs().notice(importer.summary(), QStringLiteral("导入结束"));
    sheet.close();
    lbState->setText(importer.summary());
    btRefresh->setEnabled(true);
    btSelAllClick();
    buildClassTree();
}

void Tfrm_GoodsManage::btFinishClick() {
    pnlImport->setVisible(false);
    btRefreshClick();
}

void openGoodsManage(core::AppContext& app, core::ui::GridServices& grids, QWidget* parent) {
    Tfrm_GoodsManage window(app, grids, parent);
    window.exec();
}

} // namespace masterdata::ui
