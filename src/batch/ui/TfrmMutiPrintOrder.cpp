#include "batch/ui/TfrmMutiPrintOrder.h"

#include "batch/ui/EntryFill.h"
#include "core/AppContext.h"
#include "core/ui/DataGrid.h"
#include "core/ui/GridServices.h"
#include "core/ui/StartupRules.h"
#include "entry/ui/NoteCommands.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "imports/ui/ExportGrid2Excel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace batch::ui {

namespace {

const QString kName = QStringLiteral("TfrmMutiPrintOrder");
const QString kNumber = QStringLiteral("订单号");
const QString kRemark = QStringLiteral("备注");
const QString kPrintSelected = QStringLiteral("【批量打印选中】条目");
const QString kDeleteSelected = QStringLiteral("【删除】选中条目");
const QString kUnderConstruction = QStringLiteral("正在建设~");
// The window repaints and takes the clerk's clicks at least this often while a run prints.
constexpr int kServiceMs = 200;

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QComboBox* chooser(QWidget* parent, const char* name, bool editable) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(editable);
    return c;
}

} // namespace

TfrmMutiPrintOrder::TfrmMutiPrintOrder(core::AppContext& app, core::ui::GridServices& grids,
                                       EntryWindow entryWindow, QWidget* parent)
    : QWidget(parent, Qt::Window), m_app(app), m_grids(grids), m_store(app.db()),
      m_entryWindow(std::move(entryWindow)) {
    setObjectName(kName);
    setWindowTitle(QStringLiteral("青木鸟软件-批量打印快递单-收件人"));
    resize(1100, 700);
    auto* layout = new QVBoxLayout(this);
    buildFilters();
    buildCommands();
    buildFillPanel();
    buildGrids();
    buildMenus();
    layout->addWidget(findChild<QWidget*>(QStringLiteral("panelFilters")));
    // The stop command sits beside the command panel, which is disabled while a run prints.
    auto* commands = new QHBoxLayout;
    commands->addWidget(panelCommands, 1);
    commands->addWidget(btStopPrint, 0, Qt::AlignBottom);
    layout->addLayout(commands);
    layout->addWidget(panelFill);
    layout->addWidget(findChild<QSplitter*>(QStringLiteral("splitGrids")), 1);
    setImportCommand({});
    updateCommands();
}

TfrmMutiPrintOrder::~TfrmMutiPrintOrder() = default;

void TfrmMutiPrintOrder::buildFilters() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panelFilters"));
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    keyEdit = new QLineEdit(panel);
    keyEdit->setObjectName(QStringLiteral("keyEdit"));
    keyEdit->setToolTip(QStringLiteral("输入查询关键字"));
    keyEdit->setPlaceholderText(QStringLiteral("输入查询关键字"));
    cbFilterFields = chooser(panel, "cbFilterFields", false);
    cbFilterFields->setMinimumWidth(180);
    cbEqualType = chooser(panel, "cbEqualType", false);
    cbEqualType->addItems({QStringLiteral("包含"), QStringLiteral("等于")});
    _btRefreash = button(panel, "_btRefreash", QStringLiteral("过滤刷新"));
    btAll = button(panel, "btAll", QStringLiteral("全部"));
    edtOrder = chooser(panel, "edtOrder", true);
    edtOrder->setMinimumWidth(110);
    edtOrder->setEditText(QStringLiteral("ID"));
    ckOrderTypeDesc = new QCheckBox(QStringLiteral("倒序"), panel);
    ckOrderTypeDesc->setObjectName(QStringLiteral("ckOrderTypeDesc"));
    row->addWidget(new QLabel(QStringLiteral("关键字过滤:"), panel));
    row->addWidget(keyEdit, 1);
    row->addWidget(cbFilterFields);
    row->addWidget(cbEqualType);
    row->addWidget(_btRefreash);
    row->addWidget(btAll);
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("排序的列:"), panel));
    row->addWidget(edtOrder);
    row->addWidget(ckOrderTypeDesc);

    connect(keyEdit, &QLineEdit::returnPressed, this, &TfrmMutiPrintOrder::reloadList);
    connect(_btRefreash, &QPushButton::clicked, this, &TfrmMutiPrintOrder::reloadList);
    connect(btAll, &QPushButton::clicked, this, &TfrmMutiPrintOrder::btAllClick);
    connect(edtOrder, &QComboBox::activated, this, &TfrmMutiPrintOrder::ALoadGridData);
    connect(edtOrder->lineEdit(), &QLineEdit::returnPressed, this, &TfrmMutiPrintOrder::ALoadGridData);
    edtOrder->lineEdit()->installEventFilter(this);
    connect(ckOrderTypeDesc, &QCheckBox::toggled, this, &TfrmMutiPrintOrder::ALoadGridData);
}

void TfrmMutiPrintOrder::buildCommands() {
    panelCommands = new QWidget(this);
    panelCommands->setObjectName(QStringLiteral("panelCommands"));
    auto* grid = new QGridLayout(panelCommands);
    grid->setContentsMargins(0, 0, 0, 0);
    btFromExcel = button(panelCommands, "btFromExcel", QStringLiteral("导入Excel"));
    btFromWrite = button(panelCommands, "btFromWrite", QStringLiteral("新输入一条"));
    btStartPrintAll = button(panelCommands, "btStartPrintAll", QStringLiteral("开始批量打印所有"));
    btStartPrintAll->setToolTip(QStringLiteral("通常是从打印机后面放入"));
    btFillColumn = button(panelCommands, "btFillColumn", QStringLiteral("批填列"));
    btMergeAction = button(panelCommands, "btMergeAction", QStringLiteral("合并选中订单行"));
    btMergeMark = button(panelCommands, "btMergeMark", QStringLiteral("标出同客户订单"));
    btGrid2Excel = button(panelCommands, "btGrid2Excel", QStringLiteral("导出订单Excel(&P)"));
    Button2 = button(panelCommands, "Button2", QStringLiteral("导出明细Excel(&P)"));
    btDelAll = button(panelCommands, "btDelAll", QStringLiteral("清空所有(&Y)"));
    btDelSelected = button(panelCommands, "btDelSelected", QStringLiteral("删除选中(&D)"));
    btDeleteList = button(panelCommands, "btDeleteList", QStringLiteral("删除列出(&C)"));
    BitBtn1 = button(panelCommands, "BitBtn1", QStringLiteral("清理垃圾数据"));
    btTestPage = button(panelCommands, "btTestPage", QStringLiteral("打印测试页"));
    edtStartAt = new QSpinBox(panelCommands);
    edtStartAt->setObjectName(QStringLiteral("edtStartAt"));
    edtStartAt->setPrefix(QStringLiteral("从第"));
    edtStartAt->setSuffix(QStringLiteral("张起"));
    edtStartAt->setRange(1, 1);
    edtStartAt->setToolTip(QStringLiteral("卡纸之后从列表的第几条订单接着打印；完整打完一次后回到第1张"));
    Label28 = new QLabel(QStringLiteral("【批量打印注意事项】"), panelCommands);
    Label28->setObjectName(QStringLiteral("Label28"));
    Label28->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    Label28->setCursor(Qt::PointingHandCursor);
    Label28->installEventFilter(this);
    btFirst = new QToolButton(panelCommands);
    btFirst->setObjectName(QStringLiteral("btFirst"));
    btFirst->setText(QStringLiteral("|<"));
    btFirst->setToolTip(QStringLiteral("第一条"));
    btLast = new QToolButton(panelCommands);
    btLast->setObjectName(QStringLiteral("btLast"));
    btLast->setText(QStringLiteral(">|"));
    btLast->setToolTip(QStringLiteral("最后一条"));
    edtListCount = new QLineEdit(panelCommands);
    edtListCount->setObjectName(QStringLiteral("edtListCount"));
    edtSelectedCount = new QLineEdit(panelCommands);
    edtSelectedCount->setObjectName(QStringLiteral("edtSelectedCount"));
    for (QLineEdit* count : {edtListCount, edtSelectedCount}) {
        count->setReadOnly(true);
        count->setMaximumWidth(60);
        count->setAlignment(Qt::AlignRight);
    }
    btStopPrint = button(this, "btStopPrint", QStringLiteral("中止"));
    btStopPrint->setToolTip(QStringLiteral("打完当前这一张后结束批量打印"));
    btStopPrint->setEnabled(false);
    lbRunState = new QLabel(panelCommands);
    lbRunState->setObjectName(QStringLiteral("lbRunState"));

    auto* counts = new QHBoxLayout;
    counts->addWidget(btFirst);
    counts->addWidget(btLast);
    counts->addWidget(new QLabel(QStringLiteral("列表列出共:"), panelCommands));
    counts->addWidget(edtListCount);
    counts->addWidget(new QLabel(QStringLiteral("条,选中了"), panelCommands));
    counts->addWidget(edtSelectedCount);
    counts->addWidget(new QLabel(QStringLiteral("条。"), panelCommands));
    counts->addWidget(edtStartAt);
    counts->addWidget(lbRunState, 1);
    counts->addWidget(Label28);
    grid->addLayout(counts, 0, 0, 1, 8);
    const QList<QWidget*> first{btFromExcel,  btFromWrite,   btStartPrintAll, btStopPrint,
                                btFillColumn, btMergeAction, btMergeMark};
    const QList<QWidget*> second{btGrid2Excel, Button2, btDelAll,  btDelSelected,
                                 btDeleteList, BitBtn1, btTestPage};
    for (int i = 0; i < first.size(); ++i)
        grid->addWidget(first[i], 1, i);
    for (int i = 0; i < second.size(); ++i)
        grid->addWidget(second[i], 2, i);

    connect(btFromExcel, &QPushButton::clicked, this, [this] {
        if (m_openImport)
            m_openImport();
    });
    connect(btFromWrite, &QPushButton::clicked, this, &TfrmMutiPrintOrder::btFromWriteClick);
    connect(btStartPrintAll, &QPushButton::clicked, this, &TfrmMutiPrintOrder::btStartPrintAllClick);
    connect(btStopPrint, &QPushButton::clicked, this, &TfrmMutiPrintOrder::btStopPrintClick);
    connect(btTestPage, &QPushButton::clicked, this, [this] {
        if (m_openTestPage)
            m_openTestPage();
    });
    connect(btFillColumn, &QPushButton::clicked, this, &TfrmMutiPrintOrder::btFillColumnClick);
    for (QPushButton* later : {btMergeAction, btMergeMark})
        connect(later, &QPushButton::clicked, this, [this] { m_app.dialogs().message(kUnderConstruction); });
    connect(btGrid2Excel, &QPushButton::clicked, this,
            [this] { imports::ExportGrid2Excel(m_app, DBGrid1, QStringLiteral("订单批量导出Excel"), this); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { imports::ExportGrid2Excel(m_app, DBGrid2, QStringLiteral("订单明细Excel格式"), this); });
    connect(btDelAll, &QPushButton::clicked, this, &TfrmMutiPrintOrder::btDelAllClick);
    connect(btDelSelected, &QPushButton::clicked, this, &TfrmMutiPrintOrder::btDelSelectedClick);
    connect(btDeleteList, &QPushButton::clicked, this, &TfrmMutiPrintOrder::btDeleteListClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmMutiPrintOrder::BitBtn1Click);
    connect(btFirst, &QToolButton::clicked, this, [this] {
        if (DBGrid1->rowCount() > 0)
            DBGrid1->setCurrentRow(0);
        updateCommands();
    });
    connect(btLast, &QToolButton::clicked, this, [this] {
        if (DBGrid1->rowCount() > 0)
            DBGrid1->setCurrentRow(DBGrid1->rowCount() - 1);
        updateCommands();
    });
}

void TfrmMutiPrintOrder::buildFillPanel() {
    panelFill = new QFrame(this);
    panelFill->setObjectName(QStringLiteral("panelFill"));
    panelFill->setFrameShape(QFrame::StyledPanel);
    auto* column = new QVBoxLayout(panelFill);
    auto* row = new QHBoxLayout;
    cbField = chooser(panelFill, "cbField", false);
    cbField1 = chooser(panelFill, "cbField1", true);
    cbField2 = chooser(panelFill, "cbField2", true);
    cbField3 = chooser(panelFill, "cbField3", true);
    for (QComboBox* c : {cbField, cbField1, cbField2, cbField3})
        c->setMinimumWidth(130);
    btModifyField = button(panelFill, "btModifyField", QStringLiteral("应用修改"));
    btFinished = button(panelFill, "btFinished", QStringLiteral("完成隐藏"));
    Button1 = button(panelFill, "Button1", QStringLiteral("清空"));
    row->addWidget(cbField);
    row->addWidget(new QLabel(QStringLiteral("="), panelFill));
    row->addWidget(cbField1);
    row->addWidget(new QLabel(QStringLiteral("+"), panelFill));
    row->addWidget(cbField2);
    row->addWidget(new QLabel(QStringLiteral("+"), panelFill));
    row->addWidget(cbField3);
    row->addWidget(btModifyField);
    row->addWidget(Button1);
    row->addWidget(btFinished);
    row->addStretch();
    column->addLayout(row);
    auto* tip = new QLabel(
        QStringLiteral("【技巧】：可进行多次拼合达到多列合并的目的！也可用于批量修改某列为固定文字，"
                       "例如:把\"内件说明\"列全部改为\"文件\"或置空。"),
        panelFill);
    tip->setObjectName(QStringLiteral("lbFillTip"));
    column->addWidget(tip);
    panelFill->installEventFilter(this);
    panelFill->hide();
    connect(cbField, &QComboBox::activated, this, &TfrmMutiPrintOrder::cbFieldChange);
    connect(btModifyField, &QPushButton::clicked, this, &TfrmMutiPrintOrder::btModifyFieldClick);
    connect(btFinished, &QPushButton::clicked, this, &TfrmMutiPrintOrder::hideFillPanel);
    connect(Button1, &QPushButton::clicked, this, [this] {
        for (QComboBox* part : {cbField1, cbField2, cbField3})
            part->setEditText(QString());
    });
}

void TfrmMutiPrintOrder::buildGrids() {
    auto* split = new QSplitter(Qt::Vertical, this);
    split->setObjectName(QStringLiteral("splitGrids"));
    DBGrid1 = new core::ui::DataGrid(m_app.db(), split);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setEditable(true);
    // The key is the table's own: it may be given on a new row only.
    DBGrid1->setInsertOnlyFields({QStringLiteral("ID")});
    DBGrid1->viewport()->installEventFilter(this);
    DBGrid2 = new core::ui::DataGrid(m_app.db(), split);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TfrmMutiPrintOrder::showLines);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmMutiPrintOrder::updateCommands);
    connect(DBGrid1, &core::ui::DataGrid::writeFailed, this,
            [this](const QString& message) { m_app.dialogs().message(QStringLiteral("错误，") + message); });
}

void TfrmMutiPrintOrder::buildMenus() {
    pmOrders = new QMenu(DBGrid1);
    pmOrders->setObjectName(QStringLiteral("pmOrders"));
    nPrintSelected = pmOrders->addAction(kPrintSelected, this, &TfrmMutiPrintOrder::printSelectedClick);
    nPrintAll = pmOrders->addAction(QStringLiteral("【批量打印所有】列出的条目"), this,
                                    &TfrmMutiPrintOrder::btStartPrintAllClick);
    nPrintFromCurrent = pmOrders->addAction(QStringLiteral("【从当前条目起打印】到列表末尾"), this,
                                            &TfrmMutiPrintOrder::printFromCurrentClick);
    nPreview = pmOrders->addAction(QStringLiteral("【预览】-多选只预览第一个"), this,
                                   &TfrmMutiPrintOrder::previewClick);
    pmOrders->addSeparator();
    pmOrders->addAction(QStringLiteral("【刷新】"), this, &TfrmMutiPrintOrder::ALoadGridData);
    nDeleteSelected = pmOrders->addAction(kDeleteSelected, this, &TfrmMutiPrintOrder::btDelSelectedClick);
    nDeleteListed = pmOrders->addAction(QStringLiteral("【删除】列出条目-过滤结果"), this,
                                        &TfrmMutiPrintOrder::btDeleteListClick);
    pmOrders->addSeparator();
    nSaveWidths = pmOrders->addAction(QStringLiteral("【记住】当前表格列宽"), this,
                                      [this] { m_grids.GridColsWidthSave(*DBGrid1, kName); });
    nColumns = pmOrders->addAction(QStringLiteral("【隐藏/显示】列表栏目"), this,
                                   [this] { m_grids.GridColsConfigration(*DBGrid1, kName); });
    connect(pmOrders, &QMenu::aboutToShow, this, &TfrmMutiPrintOrder::updateCommands);
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmOrders->popup(DBGrid1->viewport()->mapToGlobal(at)); });

    pmLines = new QMenu(DBGrid2);
    pmLines->setObjectName(QStringLiteral("pmLines"));
    pmLines->addAction(QStringLiteral("【刷新】"), this, &TfrmMutiPrintOrder::showLines);
    nLinesSaveWidths = pmLines->addAction(QStringLiteral("【记住】当前表格列宽"), this,
                                          [this] { m_grids.GridColsWidthSave(*DBGrid2, kName); });
    nLinesColumns = pmLines->addAction(QStringLiteral("【隐藏/显示】列表栏目"), this,
                                       [this] { m_grids.GridColsConfigration(*DBGrid2, kName); });
    connect(pmLines, &QMenu::aboutToShow, this, &TfrmMutiPrintOrder::updateCommands);
    DBGrid2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmLines->popup(DBGrid2->viewport()->mapToGlobal(at)); });
}

void TfrmMutiPrintOrder::setImportCommand(std::function<void()> openImport) {
    m_openImport = std::move(openImport);
    updateCommands();
}

void TfrmMutiPrintOrder::setTestPageCommand(std::function<void()> openTestPage) {
    m_openTestPage = std::move(openTestPage);
    updateCommands();
}

// ---------------------------------------------------------------- the list

void TfrmMutiPrintOrder::reloadList() {
    if (!m_printing)
        ALoadGridData();
}

void TfrmMutiPrintOrder::ALoadGridData() {
    if (m_printing)
        return;
    const QString keyword = keyEdit->text().trimmed();
    if (keyword != keyEdit->text())
        keyEdit->setText(keyword);
    OrderFilter filter;
    filter.keyword = keyword;
    filter.fieldGroup = cbFilterFields->currentText();
    filter.equal = cbEqualType->currentIndex() == 1;
    filter.sortColumn = edtOrder->currentText().trimmed();
    filter.descending = ckOrderTypeDesc->isChecked();
    try {
        const QStringList columns = m_store.columns();
        // A typed sort column that is no column of the list is shown as what it sorts by.
        if (OrderStore::realColumn(filter.sortColumn, columns).isEmpty())
            edtOrder->setEditText(QStringLiteral("ID"));
        const Statement s = OrderStore::listStatement(filter, columns);
        DBGrid1->setQuery(s.sql, s.params);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("错误，") + e.message());
        updateCommands();
        return;
    }
    if (cbFilterFields->count() <= 2) {
        cbFilterFields->clear();
        cbFilterFields->addItems(OrderStore::defaultGroups());
        cbFilterFields->addItems(DBGrid1->fieldNames().mid(1));
        cbFilterFields->setCurrentIndex(0);
    }
    m_grids.GridColsWidthLoad(*DBGrid1, kName);
    if (DBGrid1->rowCount() > 0)
        DBGrid1->setCurrentRow(0);
    showLines();
    updateCommands();
}

void TfrmMutiPrintOrder::showLines() {
    const int row = DBGrid1->currentRow();
    if (!DBGrid1->isOpen() || row < 0 || row >= DBGrid1->rowCount()) {
        DBGrid2->close();
        return;
    }
    try {
        DBGrid2->setQuery(QStringLiteral("SELECT * FROM OrderDetail Where 订单号=:OrderID order by ID;"),
                          {{QStringLiteral("OrderID"), DBGrid1->value(row, kNumber)}});
        m_grids.GridColsWidthLoad(*DBGrid2, kName);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("错误，") + e.message());
    }
}

void TfrmMutiPrintOrder::btAllClick() {
    keyEdit->clear();
    ALoadGridData();
}

void TfrmMutiPrintOrder::fillSortChoices() {
    if (edtOrder->count() >= 2 || !DBGrid1->isOpen())
        return;
    const QString typed = edtOrder->currentText();
    const QSignalBlocker quiet(edtOrder);
    edtOrder->clear();
    const QStringList fields = DBGrid1->fieldNames();
    for (int i = 0; i < fields.size(); ++i)
        if (!DBGrid1->isColumnHidden(i))
            edtOrder->addItem(fields.at(i));
    edtOrder->setEditText(typed);
}

bool TfrmMutiPrintOrder::remarkSwitch() const {
    const int column = DBGrid1->fieldIndex(kRemark);
    return column > 0 && !DBGrid1->isColumnHidden(column) && DBGrid1->columnWidth(column) > 0;
}

void TfrmMutiPrintOrder::updateCommands() {
    const bool open = DBGrid1->isOpen();
    const int listed = open ? DBGrid1->rowCount() : 0;
    const int selected = open ? int(DBGrid1->selectedRows().size()) : 0;
    edtListCount->setText(QString::number(listed));
    edtSelectedCount->setText(QString::number(selected));
    for (QAction* a : {nSaveWidths, nColumns, nLinesSaveWidths, nLinesColumns})
        a->setEnabled(open);
    btGrid2Excel->setEnabled(open);
    Button2->setEnabled(DBGrid2->isOpen());
    for (QObject* o : {static_cast<QObject*>(btDeleteList), static_cast<QObject*>(nDeleteListed),
                       static_cast<QObject*>(btStartPrintAll), static_cast<QObject*>(nPrintAll)})
        o->setProperty("enabled", listed > 0);
    for (QObject* o : {static_cast<QObject*>(btDelSelected), static_cast<QObject*>(nDeleteSelected),
                       static_cast<QObject*>(nPrintSelected), static_cast<QObject*>(nPreview)})
        o->setProperty("enabled", selected > 0);
    nPrintFromCurrent->setEnabled(listed > 0 && DBGrid1->currentRow() >= 0);
    edtStartAt->setRange(1, std::max(1, listed));
    edtStartAt->setEnabled(listed > 0);
    const QString count = selected > 0 ? QStringLiteral("(%1条)").arg(selected) : QString();
    nDeleteSelected->setText(kDeleteSelected + count);
    nPrintSelected->setText(kPrintSelected + count);
    btFromExcel->setEnabled(bool(m_openImport) && DBGrid1->isEnabled());
    btFromExcel->setToolTip(m_openImport ? QString() : core::ui::StartupRules::pendingFeatureHint());
    btTestPage->setEnabled(bool(m_openTestPage));
    btTestPage->setToolTip(m_openTestPage
                               ? QStringLiteral("用填单窗口的模板打印一张测试页，看清每个值落在哪里")
                               : core::ui::StartupRules::pendingFeatureHint());
}

void TfrmMutiPrintOrder::btFromWriteClick() {
    if (!DBGrid1->isOpen())
        ALoadGridData();
    if (!DBGrid1->isOpen())
        return;
    DBGrid1->appendRow({});
    DBGrid1->setFocus();
    const int column = std::max(0, DBGrid1->fieldIndex(kNumber));
    DBGrid1->edit(DBGrid1->model()->index(DBGrid1->rowCount() - 1, column));
    updateCommands();
}

// ---------------------------------------------------------------- printing

void TfrmMutiPrintOrder::btStartPrintAllClick() {
    QList<int> rows;
    for (int i = edtStartAt->value() - 1; i < DBGrid1->rowCount(); ++i)
        rows << i;
    printRows(rows, false);
}

void TfrmMutiPrintOrder::printFromCurrentClick() {
    if (DBGrid1->currentRow() < 0)
        return;
    edtStartAt->setValue(DBGrid1->currentRow() + 1);
    btStartPrintAllClick();
}

void TfrmMutiPrintOrder::printSelectedClick() {
    printSelected(Reprint::Ask);
}

void TfrmMutiPrintOrder::printSelected(Reprint reprint) {
    QList<int> rows = DBGrid1->selectedRows();
    std::sort(rows.begin(), rows.end()); // list order, not the order they were picked in
    printRows(rows, true, reprint);
}

bool TfrmMutiPrintOrder::askAboutPrinted(QList<int>& rows) {
    QList<int> unprinted;
    for (int row : rows)
        if (DBGrid1->value(row, QStringLiteral("订单状态")).toString() != OrderStore::printedState())
            unprinted << row;
    const int printed = int(rows.size() - unprinted.size());
    if (printed == 0)
        return true;
    const QString caption = QStringLiteral("批量打印");
    if (unprinted.isEmpty())
        return m_app.dialogs().ask(
            QStringLiteral("要打印的%1个订单都已经打印过（已打印），确定要再打印一次吗？").arg(printed),
            caption);
    switch (m_app.dialogs().yesNoCancel(QStringLiteral("要打印的%1个订单中有%2个已经打印过（已打印）。\n\n"
                                                       "是：全部打印，已打印的再打印一次；\n"
                                                       "否：只打印未打印的%3个；\n"
                                                       "取消：不打印。")
                                            .arg(rows.size())
                                            .arg(printed)
                                            .arg(unprinted.size()),
                                        caption)) {
    case 1:
        return true;
    case 0:
        rows = unprinted;
        return true;
    default:
        return false;
    }
}

void TfrmMutiPrintOrder::btStopPrintClick() {
    m_stop = true;
    btStopPrint->setEnabled(false);
    lbRunState->setText(QStringLiteral("正在中止，打完当前这一张后结束…"));
}

void TfrmMutiPrintOrder::printRows(QList<int> rows, bool suspendDisplay, Reprint reprint) {
    if (m_printing || rows.isEmpty())
        return;
    entry::ui::TfmCheckFHDSHD* window = m_entryWindow ? m_entryWindow() : nullptr;
    if (!window) {
        m_app.dialogs().message(EntrySteps::goneMessage());
        return;
    }
    // A second click on the same list would ship every order twice: orders printed before go
    // again only when the clerk says so. The states are read after a pending edit is posted.
    if (!DBGrid1->postPending() || (reprint == Reprint::Ask && !askAboutPrinted(rows)))
        return;
    const bool discarded = window->confirmDiscard(QStringLiteral("批量打印"));
    // The question belongs to the main window, which closing it brings forward: the clerk goes
    // on in this window either way.
    raise();
    activateWindow();
    if (!discarded)
        return;
    QStringList listed, states;
    for (int row : rows) {
        listed << DBGrid1->value(row, kNumber).toString();
        states << DBGrid1->value(row, QStringLiteral("订单状态")).toString();
    }
    // Held for this run, so that a run on another seat never prints the same order as well.
    QStringList refused;
    QStringList numbers;
    try {
        numbers = m_store.claim(listed, states, refused);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("批量打印没有开始：") + e.message());
        return;
    }
    // What this run reports: the orders it could not hold, and nothing more when it holds none.
    m_lastRun = RunResult();
    m_lastRefused = refused;
    const QString refusedText = refused.isEmpty()
                                    ? QString()
                                    : QStringLiteral("\n以下%1个订单没有打印：\n").arg(refused.size()) +
                                          refused.join(QLatin1Char('\n'));
    if (numbers.isEmpty()) {
        m_app.dialogs().message(QStringLiteral("没有可打印的订单。") + refusedText);
        return;
    }

    m_printing = true;
    m_stop = false;
    DBGrid1->setEnabled(false);
    panelCommands->setEnabled(false);
    panelFill->setEnabled(false);
    btStopPrint->setEnabled(true);
    if (suspendDisplay)
        DBGrid1->setUpdatesEnabled(false);
    // The form takes no typing during the run and is not repainted either: painted disabled, its
    // scanned picture is turned grey again on every repaint, which cost more than the printing.
    window->noteForm()->setEnabled(false);
    window->noteForm()->setUpdatesEnabled(false);
    QPointer<QWidget> form = window->noteForm();
    const QPointer<entry::ui::TfmCheckFHDSHD> entryWindow(window);

    RunResult result;
    {
        EntrySteps steps(m_app, window, remarkSwitch());
        steps.setOrders(numbers);
        QElapsedTimer serviced;
        serviced.start();
        int page = 0;
        lbRunState->setText(QStringLiteral("正在批量打印，共%1张…").arg(numbers.size()));
        result = printOrders(steps, numbers, [&] {
            ++page;
            // The window repaints and hears "中止" after the first page, then several times a
            // second, not after every page: a run of a thousand pages may be over in one second.
            if (page == 1 || serviced.elapsed() >= kServiceMs) {
                lbRunState->setText(QStringLiteral("正在批量打印：%1/%2").arg(page).arg(numbers.size()));
                if (m_pageProgress)
                    m_pageProgress(page, int(numbers.size()));
                QApplication::processEvents();
                serviced.restart();
            }
            return !m_stop && !steps.windowGone();
        });
        if (steps.windowGone() && result.error.isEmpty())
            result.error = EntrySteps::goneMessage();
        if (m_pageProgress)
            m_pageProgress(result.printed, int(numbers.size()));
    }
    if (form) {
        form->setEnabled(true);
        form->setUpdatesEnabled(true);
    }
    if (suspendDisplay)
        DBGrid1->setUpdatesEnabled(true);
    btStopPrint->setEnabled(false);
    panelFill->setEnabled(true);
    panelCommands->setEnabled(true);
    DBGrid1->setEnabled(true);
    m_printing = false;
    m_lastRun = result;
    updateCommands();

    // The orders on paper are marked only once their job reached the printer, so that printing
    // the 未打印 list again does not ship them twice.
    // Their journal pages are written in the same transaction, so a reprint after a jam finds
    // every order marked.
    QString marking;
    if (result.handedOver && !result.printedOrders.isEmpty()) {
        try {
            const auto mark = [this, &result] {
                m_store.markPrinted(result.printedOrders);
                m_app.db().reachStep(QStringLiteral("batch.marked"));
            };
            if (entryWindow)
                entryWindow->billPrinter().writeJournal(mark);
            else
                mark(); // the closed window's printer wrote its pages as it went
        } catch (const core::DbError& e) {
            marking = QStringLiteral("\n打印的订单没能标为已打印，请手工修改订单状态：") + e.message();
        }
        reloadKeepingSelection();
    }
    m_store.release(numbers);
    QString skipped = refusedText;
    if (!result.skipped.isEmpty())
        skipped += QStringLiteral("\n以下%1个订单的商品行多于票据，没有打印，仍为原状态：\n")
                       .arg(result.skipped.size()) +
                   result.skipped.join(QLatin1Char('\n'));

    // Where to go on from: the last page on its way to the printer, and its order's place in
    // the list as it reads now.
    int position = 0;
    if (!result.printedOrders.isEmpty()) {
        for (int row = 0; row < DBGrid1->rowCount() && position == 0; ++row)
            if (DBGrid1->value(row, kNumber).toString() == result.printedOrders.last())
                position = row + 1;
    }
    const QString lastPage = QLatin1Char('\n') + lastPageHandedOver(result, position);
    const QString printed = QStringLiteral("已打印%1张").arg(result.handedOver ? result.printed : 0);
    if (!result.error.isEmpty()) {
        lbRunState->setText(QStringLiteral("批量打印出错结束，") + printed);
        m_app.dialogs().message(QStringLiteral("批量打印已停止：") + result.error + QStringLiteral("\n本次") +
                                printed + QStringLiteral("，此订单及其后的订单没有打印。") + lastPage +
                                skipped + marking);
    } else if (result.stopped) {
        lbRunState->setText(QStringLiteral("批量打印已中止，") + printed);
        m_app.dialogs().message(QStringLiteral("批量打印已中止，本次") + printed + QStringLiteral("。") +
                                lastPage + skipped + marking);
    } else if (result.deviceFailed) {
        // The printer has said what went wrong; the list learns that nothing of the run is on paper.
        lbRunState->setText(QStringLiteral("批量打印出错结束，") + printed);
        m_app.dialogs().message(QStringLiteral("批量打印出错结束。") + lastPage + skipped);
    } else if (result.started) {
        lbRunState->setText(QStringLiteral("批量打印完成，") + printed);
        edtStartAt->setValue(1); // a finished run: the next one starts at the top again
        if (!skipped.isEmpty() || !marking.isEmpty())
            m_app.dialogs().message(QStringLiteral("批量打印完成，本次") + printed + QStringLiteral("。") +
                                    skipped + marking);
    } else {
        lbRunState->clear();
    }
    // The messages above belong to the main window, which they bring forward when closed; the
    // clerk goes on in this window.
    raise();
    activateWindow();
}

void TfrmMutiPrintOrder::previewClick() {
    if (m_printing || DBGrid1->rowCount() == 0 || DBGrid1->currentRow() < 0)
        return;
    entry::ui::TfmCheckFHDSHD* window = m_entryWindow ? m_entryWindow() : nullptr;
    if (!window) {
        m_app.dialogs().message(EntrySteps::goneMessage());
        return;
    }
    if (!window->confirmDiscard(QStringLiteral("预览")))
        return;
    const FillOutcome fill =
        fillEntryWindow(m_app, *window, DBGrid1->currentValue(kNumber).toString(), remarkSwitch());
    if (fill.kind == FillOutcome::Skipped) {
        // The note would show the order short: the clerk is told rather than shown it.
        m_app.dialogs().message(fill.reason);
        return;
    }
    if (fill.kind != FillOutcome::Filled)
        return;
    // The order shown is stored in the list: leaving it loses nothing, so no later command asks.
    window->commands().markClean();
    hide();
    QWidget* frame = window->parentWidget() ? window->parentWidget() : window;
    if (frame->isMinimized())
        frame->showNormal();
    frame->raise();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame); sub && sub->mdiArea())
        sub->mdiArea()->setActiveSubWindow(sub);
    window->window()->activateWindow();
}

// ---------------------------------------------------------------- fill panel

void TfrmMutiPrintOrder::fillPanelChoices() {
    QStringList fields;
    for (const QString& field : DBGrid1->fieldNames())
        if (field.compare(QLatin1String("ID"), Qt::CaseInsensitive) != 0)
            fields << QLatin1Char('@') + field;
    cbField->clear();
    cbField->addItems(fields);
    cbField->setCurrentIndex(-1);
    cbField1->clear();
    cbField1->addItems(QStringList{QStringLiteral("光盘数:"), QStringLiteral("书刊数:")} + fields);
    cbField2->clear();
    cbField2->addItems(fields);
    cbField3->clear();
    cbField3->addItems(QStringList{QStringLiteral("个"), QStringLiteral("本")} + fields);
    for (QComboBox* part : {cbField1, cbField2, cbField3})
        part->setEditText(QString());
}

void TfrmMutiPrintOrder::btFillColumnClick() {
    if (DBGrid1->rowCount() == 0) {
        m_app.dialogs().message(QStringLiteral("列表为空，没法儿修改，加点批打收件人资料再试吧 :)"));
        return;
    }
    if (panelFill->isVisible()) {
        hideFillPanel();
        return;
    }
    fillPanelChoices();
    panelFill->show();
    showMaximized();
}

void TfrmMutiPrintOrder::hideFillPanel() {
    panelFill->hide();
}

void TfrmMutiPrintOrder::cbFieldChange() {
    const QString target = cbField->currentText();
    QString dictionary;
    if (target == QStringLiteral("@备注"))
        dictionary = QStringLiteral("备注");
    else if (target == QStringLiteral("@内件说明") || target == QStringLiteral("@物品内容"))
        dictionary = QStringLiteral("物品内容");
    if (dictionary.isEmpty())
        return;
    QStringList values;
    try {
        core::Recordset rs =
            m_app.db().query(QStringLiteral("select distinct DMValue from DMTable where DMName=:name"),
                             {{QStringLiteral("name"), dictionary}});
        for (rs.first(); !rs.eof(); rs.next())
            values << rs.text(0);
    } catch (const core::DbError&) {
        // The dictionary is a convenience: the parts can still be typed.
    }
    for (int i = 0; i < cbField->count(); ++i)
        values << cbField->itemText(i);
    cbField1->clear();
    cbField1->addItems(values);
    cbField1->setEditText(QString());
}

void TfrmMutiPrintOrder::btModifyFieldClick() {
    if (cbField->currentText().isEmpty()) {
        m_app.dialogs().message(QStringLiteral("请选择要批量改写列~"));
        cbField->setFocus();
        return;
    }
    QString target = cbField->currentText();
    target.remove(QLatin1Char('@'));
    const QStringList parts{cbField1->currentText(), cbField2->currentText(), cbField3->currentText()};
    if (parts.join(QString()).isEmpty() &&
        !m_app.dialogs().ask(QStringLiteral("你确信要置空所有的[") + target + QStringLiteral("]列吗？"),
                             QStringLiteral("确认")))
        return;
    int changed = 0;
    try {
        const FillUpdate update = OrderStore::fillUpdate(target, parts, m_store.columns());
        if (!update.error.isEmpty()) {
            m_app.dialogs().message(update.error);
            return;
        }
        if (!DBGrid1->postPending())
            return;
        changed = m_store.applyFill(update);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("没有修改任何记录或修改失败~") + e.message());
        return;
    }
    reloadAfterChange();
    if (changed > 0)
        m_app.dialogs().message(QString::number(changed) + QStringLiteral("条收件人的【") + target +
                                QStringLiteral("】修改成功！"));
    else
        m_app.dialogs().message(QStringLiteral("没有修改任何记录或修改失败~"));
    hideFillPanel();
}

// ---------------------------------------------------------------- deleting

void TfrmMutiPrintOrder::reloadAfterChange() {
    ALoadGridData();
}

void TfrmMutiPrintOrder::reloadKeepingSelection() {
    const QString key = QStringLiteral("ID");
    QSet<QString> selected;
    for (int row : DBGrid1->selectedRows())
        selected.insert(DBGrid1->value(row, key).toString());
    const QString current = DBGrid1->currentValue(key).toString();
    ALoadGridData();
    QItemSelection rows;
    const int last = DBGrid1->model()->columnCount() - 1;
    for (int row = 0; row < DBGrid1->rowCount(); ++row) {
        const QString id = DBGrid1->value(row, key).toString();
        if (id == current)
            DBGrid1->selectionModel()->setCurrentIndex(DBGrid1->model()->index(row, 0),
                                                       QItemSelectionModel::NoUpdate);
        if (selected.contains(id))
            rows.select(DBGrid1->model()->index(row, 0), DBGrid1->model()->index(row, last));
    }
    if (!selected.isEmpty())
        DBGrid1->selectionModel()->select(rows,
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    showLines();
    updateCommands();
}

void TfrmMutiPrintOrder::btDelSelectedClick() {
    QVariantList ids;
    try {
        ids = DBGrid1->selectedValues(QStringLiteral("ID"));
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("DBGrid记录选取失败~") + e.message());
        return;
    }
    ids.removeAll(QVariant()); // a row typed but not yet stored has no key
    if (ids.isEmpty())
        return;
    if (!m_app.dialogs().ask(QStringLiteral("确定要删除选中的") + QString::number(ids.size()) +
                                 QStringLiteral("条订单吗?"),
                             QStringLiteral("删除确认")))
        return;
    int deleted = 0;
    try {
        deleted = m_store.deleteOrders(ids);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("删除失败，错误=") + e.message());
        return;
    }
    m_app.dialogs().message(QString::number(deleted) + QStringLiteral("个订单删除成功~"));
    reloadAfterChange();
}

void TfrmMutiPrintOrder::btDeleteListClick() {
    if (!m_app.dialogs().ask(QStringLiteral("此操作将删除所有查询到的收件人条目，确定删除吗？"),
                             QStringLiteral("警告")))
        return;
    try {
        const int deleted = DBGrid1->deleteAllRows();
        m_app.dialogs().message(QString::number(deleted) + QStringLiteral("条记录删除成功！"));
    } catch (const core::DbError&) {
        m_app.dialogs().message(QStringLiteral("删除出现异常！"));
    }
    reloadAfterChange();
}

void TfrmMutiPrintOrder::btDelAllClick() {
    const QString warning =
        QStringLiteral("确认要【清空】所有订单吗？清空操作将会同时删除未列出的订单，无法恢复哦！，"
                       "确认继续清空吗？");
    if (!m_app.dialogs().ask(QStringLiteral("警告：") + warning, QStringLiteral("警告")) ||
        !m_app.dialogs().ask(QStringLiteral("再次警告：") + warning, QStringLiteral("警告")))
        return;
    try {
        DBGrid1->close();
        DBGrid2->close();
        m_store.clearAll();
        m_app.dialogs().message(QStringLiteral("所有订单清空成功~"));
    } catch (const core::DbError&) {
        m_app.dialogs().notice(QStringLiteral("清空失败！"), QStringLiteral("确认"));
    }
    reloadAfterChange();
}

void TfrmMutiPrintOrder::BitBtn1Click() {
    try {
        const int deleted = m_store.cleanOrphanLines();
        m_app.dialogs().message(QStringLiteral("共清除") + QString::number(deleted) +
                                QStringLiteral("条垃圾记录！"));
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("错误，") + e.message());
    }
    showLines();
}

void TfrmMutiPrintOrder::Label28Click() {
    m_app.dialogs().notice(
        QStringLiteral(
            "1.如果是从打印机后面链条自动走纸，打印前要添加和快递单一样大小的纸张规格，"
            "否则走纸会跳页。\n  添加纸张规格说明请参见手册或软件右侧在线服务中心【纸张设置】"
            "的网页链接；\n\n2.如果是从打印机前方平推进纸，请撕下快递单一张张放，打印一张退一张。"),
        QStringLiteral("提示"));
}

// ---------------------------------------------------------------- events

bool TfrmMutiPrintOrder::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (!DBGrid1) // still being built
        return QWidget::eventFilter(watched, event);
    if (watched == DBGrid1->viewport() && type == QEvent::MouseButtonRelease) {
        showLines();
        updateCommands();
    } else if (watched == Label28 && type == QEvent::MouseButtonRelease) {
        Label28Click();
    } else if (watched == panelFill && type == QEvent::MouseButtonDblClick) {
        hideFillPanel();
    } else if (watched == edtOrder->lineEdit() && type == QEvent::FocusIn) {
        fillSortChoices();
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmMutiPrintOrder::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous() && !m_printing)
        ALoadGridData();
}

void TfrmMutiPrintOrder::closeEvent(QCloseEvent* event) {
    if (m_printing) {
        // Closing asks for the same as "中止": the run ends after its current page.
        btStopPrintClick();
        event->ignore();
        return;
    }
    try {
        DBGrid1->postPending();
        m_grids.GridColsWidthSave(*DBGrid1, kName);
        DBGrid1->close();
        DBGrid2->close();
    } catch (const std::exception&) {
        m_app.dialogs().message(QStringLiteral("意外错误,批量打印列表管理.CLOSE!"));
    }
    event->accept();
}

} // namespace batch::ui
