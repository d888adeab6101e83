#include "history/ui/TfmSearch_FHDSHD.h"

#include "core/AppContext.h"
#include "core/Lookups.h"
#include "core/ui/DataGrid.h"
#include "core/ui/FormFace.h"
#include "core/ui/GridServices.h"
#include "core/ui/StartupRules.h"
#include "imports/ui/ExportGrid2Excel.h"
#include "masterdata/TPerson.h"
#include "masterdata/ui/Tfm_DMConfig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace history::ui {

namespace {

const QString kName = QStringLiteral("TfmSearch_FHDSHD");
const QString kVoid = QStringLiteral("作废");
const QString kEditStates = QStringLiteral("[添加/修改票据状态]");
// Colours as the system has always drawn them.
const QColor kSelected(0, 0, 255);
const QColor kPaid(230, 247, 230);
const QColor kLineBand(225, 234, 253);
const QColor kFilterUsed(255, 255, 0);
// The number drop-down lists only the latest numbers; older ones are found by typing part of them.
constexpr int kRecentNumbers = 100;
constexpr int kFetchSize = 200;

// Text colours of selected rows follow the state too (a voided note stays red), which the
// selection palette alone cannot say.
class StateDelegate : public QStyledItemDelegate {
public:
    explicit StateDelegate(core::ui::DataGrid& grid) : QStyledItemDelegate(&grid), m_grid(grid) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if ((option->state & QStyle::State_Selected) &&
            m_grid.value(index.row(), QStringLiteral("票据状态")).toString() == kVoid)
            option->palette.setColor(QPalette::HighlightedText, Qt::red);
    }

private:
    core::ui::DataGrid& m_grid;
};

// Prices and amounts of the goods lines read as money, right-aligned like the numbers they are.
class LineMoneyDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale&) const override {
        return NoteHistoryStore::lineMoneyText(value.toString());
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    }
};

void paintBox(QWidget* box, const QColor& background, const QColor& text = Qt::black) {
    QPalette p = box->palette();
    p.setColor(QPalette::Base, background);
    p.setColor(QPalette::Text, text);
    box->setPalette(p);
    if (auto* combo = qobject_cast<QComboBox*>(box); combo && combo->lineEdit())
        combo->lineEdit()->setPalette(p);
}

void markUsed(QWidget* box, bool used) {
    paintBox(box, used ? kFilterUsed : QColor(Qt::white));
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QString shortDate(const QDate& date) {
    return QLocale().toString(date, QLocale::ShortFormat);
}

} // namespace

TfmSearch_FHDSHD::TfmSearch_FHDSHD(core::AppContext& app, core::ui::GridServices& grids, NoteOpener opener,
                                   PersonPicker picker, QWidget* parent, CopySender sender)
    : QDialog(parent), m_app(app), m_grids(grids), m_store(app.db()), m_opener(std::move(opener)),
      m_picker(std::move(picker)), m_sender(std::move(sender)) {
    setObjectName(kName);
    setWindowTitle(QStringLiteral("收据及发票查询"));
    resize(1000, 680);
    auto* layout = new QVBoxLayout(this);
    buildFilters();
    buildCommands();
    buildGrids();
    buildMenus();
    layout->addWidget(findChild<QGroupBox*>(QStringLiteral("gbFilters")));
    layout->addWidget(findChild<QWidget*>(QStringLiteral("panelCommands")));
    layout->addWidget(findChild<QSplitter*>(QStringLiteral("splitGrids")), 1);

    m_settingDates = true;
    Date1->setDate(QDate::currentDate());
    Date2->setDate(QDate::currentDate());
    m_settingDates = false;
    try {
        m_store.keepDayTotals();
    } catch (const core::DbError&) {
        // Without kept totals every count is a pass over the notes, as it always was.
    }
    runQuery();
}

TfmSearch_FHDSHD::~TfmSearch_FHDSHD() = default;

void TfmSearch_FHDSHD::buildFilters() {
    auto* group = new QGroupBox(QStringLiteral("查询条件"), this);
    group->setObjectName(QStringLiteral("gbFilters"));
    auto* grid = new QGridLayout(group);
    auto label = [group](const QString& text) { return new QLabel(text, group); };

    cb_PJBH = new QComboBox(group);
    cb_PJBH->setObjectName(QStringLiteral("cb_PJBH"));
    cb_PJBH->setEditable(true);
    filterTypeName = new QComboBox(group);
    filterTypeName->setObjectName(QStringLiteral("filterTypeName"));
    filterTypeName->setEditable(true);
    filterState = new QComboBox(group);
    filterState->setObjectName(QStringLiteral("filterState"));
    filterState->addItem(QString());
    filterSKR = new QLineEdit(group);
    filterSKR->setObjectName(QStringLiteral("filterSKR"));
    filterSKR->setToolTip(QStringLiteral("支持简码输入（%+简码）"));
    filterSKR->setPlaceholderText(QStringLiteral("支持简码输入（%+简码）"));
    btSKR = button(group, "btSKR", QStringLiteral("选"));
    btSKR->setEnabled(bool(m_picker));
    if (!m_picker)
        btSKR->setToolTip(core::ui::StartupRules::pendingFeatureHint());
    btNoSKR = button(group, "btNoSKR", QStringLiteral("不限"));
    btNoType = button(group, "btNoType", QStringLiteral("不限"));
    btNoJE = button(group, "btNoJE", QStringLiteral("不限"));
    ckNomatterRQ = new QCheckBox(QStringLiteral("不限日期"), group);
    ckNomatterRQ->setObjectName(QStringLiteral("ckNomatterRQ"));
    ckNomatterRQ->setChecked(true);
    Date1 = new QDateEdit(group);
    Date1->setObjectName(QStringLiteral("Date1"));
    Date1->setCalendarPopup(true);
    Date2 = new QDateEdit(group);
    Date2->setObjectName(QStringLiteral("Date2"));
    Date2->setCalendarPopup(true);
    setDatesEnabled(false);
    edtJEFrom = new QLineEdit(group);
    edtJEFrom->setObjectName(QStringLiteral("edtJEFrom"));
    edtJETo = new QLineEdit(group);
    edtJETo->setObjectName(QStringLiteral("edtJETo"));
    lstDatePreset = new QListWidget(group);
    lstDatePreset->setObjectName(QStringLiteral("lstDatePreset"));
    lstDatePreset->addItems({QStringLiteral("今天"), QStringLiteral("最近三天"), QStringLiteral("最近一周"),
                             QStringLiteral("最近一个月"), QStringLiteral("最近三个月"),
                             QStringLiteral("最近一年"), QStringLiteral("本月内"), QStringLiteral("本年度内"),
                             QStringLiteral("其他日期")});
    lstDatePreset->setMaximumWidth(110);

    grid->addWidget(label(QStringLiteral("票据编号：")), 0, 0);
    grid->addWidget(cb_PJBH, 0, 1, 1, 3);
    grid->addWidget(label(QStringLiteral("客户单位：")), 0, 4);
    grid->addWidget(filterSKR, 0, 5, 1, 2);
    grid->addWidget(btSKR, 0, 7);
    grid->addWidget(btNoSKR, 0, 8);
    grid->addWidget(label(QStringLiteral("票据模板：")), 1, 0);
    grid->addWidget(filterTypeName, 1, 1);
    grid->addWidget(label(QStringLiteral("票据状态：")), 1, 2);
    grid->addWidget(filterState, 1, 3);
    grid->addWidget(btNoType, 1, 4);
    grid->addWidget(label(QStringLiteral("金额：")), 1, 5);
    auto* amounts = new QHBoxLayout;
    amounts->addWidget(edtJEFrom);
    amounts->addWidget(label(QStringLiteral("到")));
    amounts->addWidget(edtJETo);
    grid->addLayout(amounts, 1, 6, 1, 2);
    grid->addWidget(btNoJE, 1, 8);
    grid->addWidget(label(QStringLiteral("开票日期：")), 2, 0);
    auto* dates = new QHBoxLayout;
    dates->addWidget(Date1);
    dates->addWidget(label(QStringLiteral("到")));
    dates->addWidget(Date2);
    dates->addWidget(ckNomatterRQ);
    dates->addStretch();
    grid->addLayout(dates, 2, 1, 1, 8);
    grid->addWidget(lstDatePreset, 0, 9, 3, 1);

    for (QObject* box : {static_cast<QObject*>(cb_PJBH), static_cast<QObject*>(filterTypeName),
                         static_cast<QObject*>(filterState)})
        box->installEventFilter(this);
    if (cb_PJBH->lineEdit())
        cb_PJBH->lineEdit()->installEventFilter(this);
    if (filterTypeName->lineEdit())
        filterTypeName->lineEdit()->installEventFilter(this);

    connect(btNoSKR, &QPushButton::clicked, this, [this] { filterSKR->clear(); });
    connect(btNoType, &QPushButton::clicked, this, [this] {
        filterTypeName->setEditText(QString());
        filterState->setCurrentIndex(filterState->count() - 1);
    });
    connect(btNoJE, &QPushButton::clicked, this, [this] {
        edtJEFrom->clear();
        edtJETo->clear();
    });
    connect(btSKR, &QPushButton::clicked, this, &TfmSearch_FHDSHD::btSKRClick);
    connect(filterSKR, &QLineEdit::returnPressed, this, &TfmSearch_FHDSHD::filterSKRKeyEnter);
    connect(filterSKR, &QLineEdit::editingFinished, this, &TfmSearch_FHDSHD::filterSKRExit);
    connect(ckNomatterRQ, &QCheckBox::toggled, this, [this](bool on) {
        setDatesEnabled(!on);
        if (!on)
            Date1->setFocus();
    });
    connect(Date2, &QDateEdit::dateChanged, this, [this] {
        if (!m_settingDates)
            ckNomatterRQ->setChecked(false);
    });
    connect(lstDatePreset, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { datePresetClick(item->text()); });
}

void TfmSearch_FHDSHD::buildCommands() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panelCommands"));
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    btQuery = button(panel, "btQuery", QStringLiteral("查 询(&Q)"));
    btAll = button(panel, "btAll", QStringLiteral("全 部(&A)"));
    btOpen = button(panel, "btOpen", QStringLiteral("打开(&O)"));
    ckDblOpen = new QCheckBox(QStringLiteral("双击打开"), panel);
    ckDblOpen->setObjectName(QStringLiteral("ckDblOpen"));
    ckDblOpen->setToolTip(QStringLiteral("开启/关闭鼠标双击列表打开快递单"));
    btVoid = button(panel, "btVoid", QStringLiteral("作废选中(&F)"));
    btDelete = button(panel, "btDelete", QStringLiteral("删除选中(&D)"));
    btDeleteList = button(panel, "btDeleteList", QStringLiteral("删除列出(&C)"));
    btClear = button(panel, "btClear", QStringLiteral("清空所有(&Y)"));
    btExport = button(panel, "btExport", QStringLiteral("导出Excel(&P)"));
    btSendCopy = button(panel, "btSendCopy", QStringLiteral("发送给客户"));
    btSendCopy->setToolTip(QStringLiteral("把选中的出货单连同底图存成图片或 PDF，发给客户"));
    btClose = button(panel, "btClose", QStringLiteral("关 闭(&X)"));
    Pjcount = new QLabel(panel);
    Pjcount->setObjectName(QStringLiteral("Pjcount"));
    lbSum = new QLabel(panel);
    lbSum->setObjectName(QStringLiteral("lbSum"));
    for (QWidget* w : {static_cast<QWidget*>(btQuery), static_cast<QWidget*>(btAll),
                       static_cast<QWidget*>(btOpen), static_cast<QWidget*>(ckDblOpen)})
        row->addWidget(w);
    row->addWidget(new QLabel(QStringLiteral("( 共检索到 "), panel));
    row->addWidget(Pjcount);
    row->addWidget(new QLabel(QStringLiteral("条记录)"), panel));
    row->addWidget(lbSum);
    row->addStretch();
    for (QWidget* w : {btVoid, btDelete, btDeleteList, btClear, btExport, btSendCopy, btClose})
        row->addWidget(w);

    btOpen->setEnabled(bool(m_opener));
    if (!m_opener)
        btOpen->setToolTip(core::ui::StartupRules::pendingFeatureHint());
    connect(btQuery, &QPushButton::clicked, this, &TfmSearch_FHDSHD::btQueryClick);
    connect(btAll, &QPushButton::clicked, this, &TfmSearch_FHDSHD::btAllClick);
    connect(btOpen, &QPushButton::clicked, this, &TfmSearch_FHDSHD::btOpenClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(btVoid, &QPushButton::clicked, this, &TfmSearch_FHDSHD::btVoidClick);
    connect(btDelete, &QPushButton::clicked, this, &TfmSearch_FHDSHD::btDeleteClick);
    connect(btDeleteList, &QPushButton::clicked, this, &TfmSearch_FHDSHD::btDeleteListClick);
    connect(btClear, &QPushButton::clicked, this, &TfmSearch_FHDSHD::btClearClick);
    connect(btExport, &QPushButton::clicked, this, &TfmSearch_FHDSHD::btExportClick);
    connect(btSendCopy, &QPushButton::clicked, this, &TfmSearch_FHDSHD::btSendCopyClick);
    btSendCopy->setEnabled(false);
    connect(ckDblOpen, &QCheckBox::toggled, this, [this](bool on) {
        m_app.setINIConfigByname(QStringLiteral("ZPView_DBLOPEN"),
                                 on ? QStringLiteral("1") : QStringLiteral("0"));
    });
}

void TfmSearch_FHDSHD::buildGrids() {
    auto* split = new QSplitter(Qt::Vertical, this);
    split->setObjectName(QStringLiteral("splitGrids"));
    DBGrid1 = new core::ui::DataGrid(m_app.db(), split);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setFetchSize(kFetchSize);
    DBGrid1->setSelectedColors(kSelected, Qt::white);
    DBGrid1->setItemDelegate(new StateDelegate(*DBGrid1));
    DBGrid1->setRowColors([](const core::ui::DataGrid& grid, int row) {
        const QString state = grid.value(row, QStringLiteral("票据状态")).toString();
        if (state.contains(QStringLiteral("未付款")) || state.contains(QStringLiteral("欠")))
            return core::ui::DataGrid::RowColors{Qt::white, Qt::red};
        if (state == QStringLiteral("交易成功"))
            return core::ui::DataGrid::RowColors{kPaid, Qt::black};
        return core::ui::DataGrid::RowColors{Qt::white, Qt::black};
    });
    DBGrid1->viewport()->installEventFilter(this);
    DBGrid2 = new core::ui::DataGrid(m_app.db(), split);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    m_lineMoney = new LineMoneyDelegate(DBGrid2);
    DBGrid2->setSelectedColors(kSelected, Qt::white);
    DBGrid2->setRowColors([](const core::ui::DataGrid&, int row) {
        return core::ui::DataGrid::RowColors{row % 2 == 0 ? QColor(Qt::white) : kLineBand, Qt::black};
    });
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);

    // The goods lines follow the current note however it moves: click, keys or wheel.
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TfmSearch_FHDSHD::showLines);
    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        const QString field = DBGrid1->fieldNames().value(column);
        if (field.isEmpty())
            return;
        m_sortColumn = field;
        runQuery();
    });
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, [this] {
        if (ckDblOpen->isChecked())
            btOpenClick();
    });
}

void TfmSearch_FHDSHD::buildMenus() {
    auto* menu = new QMenu(DBGrid1);
    menu->setObjectName(QStringLiteral("pmGrid1"));
    QAction* open = menu->addAction(QStringLiteral("打开查看"), this, &TfmSearch_FHDSHD::btOpenClick);
    open->setObjectName(QStringLiteral("nOpen"));
    open->setEnabled(bool(m_opener));
    mState = menu->addMenu(QStringLiteral("标记为状态"));
    mState->setObjectName(QStringLiteral("mState"));
    connect(mState, &QMenu::aboutToShow, this, &TfmSearch_FHDSHD::fillStateMenu);
    menu->addAction(QStringLiteral("刷新"), this, &TfmSearch_FHDSHD::refreshList);
    menu->addAction(QStringLiteral("【记住表格列宽】"), this,
                    [this] { m_grids.GridColsWidthSave(*DBGrid1, kName); });
    menu->addAction(QStringLiteral("【显示/隐藏数据列】"), this,
                    [this] { m_grids.GridColsConfigration(*DBGrid1, kName); });
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this, menu](const QPoint& at) { menu->popup(DBGrid1->viewport()->mapToGlobal(at)); });

    auto* lines = new QMenu(DBGrid2);
    lines->setObjectName(QStringLiteral("pmGrid2"));
    lines->addAction(QStringLiteral("刷新"), this, [this] {
        try {
            DBGrid2->refresh();
        } catch (const core::DbError&) {
            DBGrid2->close();
        }
    });
    lines->addAction(QStringLiteral("【记住表格列宽】"), this,
                     [this] { m_grids.GridColsWidthSave(*DBGrid2, kName); });
    lines->addAction(QStringLiteral("【显示/隐藏数据列】"), this,
                     [this] { m_grids.GridColsConfigration(*DBGrid2, kName); });
    DBGrid2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid2, &QWidget::customContextMenuRequested, this,
            [this, lines](const QPoint& at) { lines->popup(DBGrid2->viewport()->mapToGlobal(at)); });
}

void TfmSearch_FHDSHD::setDatesEnabled(bool enabled) {
    Date1->setEnabled(enabled);
    Date2->setEnabled(enabled);
}

void TfmSearch_FHDSHD::loadListOnce(QObject* box) {
    if (m_listsLoaded.contains(box))
        return;
    m_listsLoaded << box;
    core::Lookups lookups(m_app);
    const QString table = QString::fromLatin1(NoteHistoryStore::kTable);
    auto refill = [](QComboBox* combo, const QStringList& items) {
        const QString typed = combo->currentText();
        combo->clear();
        combo->addItems(items);
        combo->setEditText(typed);
    };
    if (box == cb_PJBH) {
        QStringList numbers;
        try {
            numbers = m_store.recentNumbers(kRecentNumbers);
        } catch (const core::DbError&) {
            // A drop-down list is a convenience: typing still filters.
        }
        refill(cb_PJBH, numbers);
    } else if (box == filterTypeName) {
        refill(filterTypeName, lookups.loadHistoryTypeNameList(table));
    } else if (box == filterState) {
        const QString chosen = filterState->currentText();
        filterState->clear();
        filterState->addItems(lookups.loadHistoryFieldList(table, QStringLiteral("票据状态")));
        filterState->addItem(QString());
        const int at = filterState->findText(chosen);
        filterState->setCurrentIndex(at >= 0 && !chosen.isEmpty() ? at : filterState->count() - 1);
    }
}

bool TfmSearch_FHDSHD::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == cb_PJBH->lineEdit())
            loadListOnce(cb_PJBH);
        else if (watched == filterTypeName->lineEdit())
            loadListOnce(filterTypeName);
        else if (watched == cb_PJBH || watched == filterTypeName || watched == filterState)
            loadListOnce(watched);
    }
    // One row per wheel step over the focused note list.
    if (watched == DBGrid1->viewport() && event->type() == QEvent::Wheel && DBGrid1->hasFocus()) {
        const int step = static_cast<QWheelEvent*>(event)->angleDelta().y() > 0 ? -1 : 1;
        DBGrid1->stepCurrentRow(step);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmSearch_FHDSHD::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    core::ui::FormFace::load(m_app.userIni(), *this);
    const QString dbl = m_app.getINIConfigByname(QStringLiteral("ZPView_DBLOPEN"));
    const QSignalBlocker quiet(ckDblOpen);
    ckDblOpen->setChecked(dbl.isEmpty() || dbl == QStringLiteral("1"));
}

void TfmSearch_FHDSHD::done(int result) {
    core::ui::FormFace::save(m_app.userIni(), *this);
    DBGrid1->close();
    DBGrid2->close();
    QDialog::done(result);
}

NoteFilter TfmSearch_FHDSHD::readFilters() {
    for (QLineEdit* edit : {cb_PJBH->lineEdit(), filterTypeName->lineEdit(), filterSKR, edtJEFrom, edtJETo})
        if (edit && edit->text() != edit->text().trimmed())
            edit->setText(edit->text().trimmed());
    NoteFilter f;
    f.number = cb_PJBH->currentText().trimmed();
    f.kind = filterTypeName->currentText().trimmed();
    f.state = filterState->currentText().trimmed();
    f.customer = filterSKR->text();
    f.anyDate = ckNomatterRQ->isChecked();
    f.from = Date1->date();
    f.to = Date2->date();
    f.amountFrom = edtJEFrom->text();
    f.amountTo = edtJETo->text();
    f.productCode = m_productCode;
    f.productName = m_productName;
    return f;
}

void TfmSearch_FHDSHD::runQuery() {
    const NoteFilter filter = readFilters();
    markUsed(cb_PJBH, !filter.number.isEmpty());
    markUsed(filterTypeName, !filter.kind.isEmpty());
    markUsed(filterState, !filter.state.isEmpty());
    markUsed(filterSKR, !filter.customer.isEmpty());
    const NoteCondition condition = NoteHistoryStore::condition(filter);
    for (auto [edit, refused] :
         {std::pair{edtJEFrom, condition.amountFromRefused}, std::pair{edtJETo, condition.amountToRefused}}) {
        if (refused) {
            edit->setText(QStringLiteral("非法数字"));
            paintBox(edit, Qt::white, Qt::red);
        } else {
            markUsed(edit, !edit->text().isEmpty());
        }
    }
    if (!filter.anyDate && filter.to < filter.from) {
        m_app.dialogs().notice(QStringLiteral("日期选择有误:\"") + shortDate(filter.from) + QLatin1Char('>') +
                                   shortDate(filter.to) + QLatin1Char('"'),
                               QStringLiteral("日期输入"));
        return;
    }
    const QString sql = NoteHistoryStore::statement(condition, m_sortColumn);
    const QString memo = NoteHistoryStore::memo(sql, condition.params);
    if (memo == m_memo)
        return;
    NoteTotals totals;
    try {
        DBGrid1->setQuery(sql, condition.params);
        totals = m_store.totals(condition);
    } catch (const core::DbError& e) {
        // The list shown no longer answers any query: nothing is listed until one runs.
        m_listed.reset();
        m_memo.clear();
        DBGrid1->close();
        showResult({});
        showLines();
        m_app.dialogs().notice(QStringLiteral("数据库错误,Error=") + e.message(), QStringLiteral("失败"));
        return;
    }
    // Kept only once the statement ran, so a refused or failed query never blocks the next one.
    m_memo = memo;
    m_listed = NoteHistoryStore::listed(condition, totals.lastKey);
    showResult(totals);
    m_grids.GridColsWidthLoad(*DBGrid1, kName);
    if (DBGrid1->rowCount() > 0)
        DBGrid1->setCurrentRow(0);
    showLines();
}

void TfmSearch_FHDSHD::showResult(const NoteTotals& totals) {
    m_count = totals.count;
    const bool any = DBGrid1->rowCount() > 0;
    btDelete->setEnabled(any);
    btExport->setEnabled(any);
    btSendCopy->setEnabled(any && m_sender);
    Pjcount->setText(QString::number(totals.count));
    lbSum->setText(QStringLiteral("金额汇总:￥") + NoteHistoryStore::sumText(totals.sum));
}

void TfmSearch_FHDSHD::refreshList() {
    m_memo.clear();
    runQuery();
}

void TfmSearch_FHDSHD::showLines() {
    const int row = DBGrid1->currentRow();
    if (DBGrid1->rowCount() == 0 || row < 0) {
        DBGrid2->close();
        return;
    }
    try {
        DBGrid2->setQuery(
            QStringLiteral("SELECT * FROM DataCheckFHDSHDDetail Where 票据编号=:PJBH order by 序号;"),
            {{QStringLiteral("PJBH"), DBGrid1->value(row, QStringLiteral("票据编号"))}});
        for (const char* money : {"单价", "金额"})
            if (const int column = DBGrid2->fieldIndex(QString::fromUtf8(money)); column >= 0)
                DBGrid2->setItemDelegateForColumn(column, m_lineMoney);
        m_grids.GridColsWidthLoad(*DBGrid2, kName);
    } catch (const core::DbError& e) {
        m_app.dialogs().notice(QStringLiteral("数据库错误,Error=") + e.message(), QStringLiteral("失败"));
    }
}

void TfmSearch_FHDSHD::btQueryClick() {
    runQuery();
}

void TfmSearch_FHDSHD::resetFilters() {
    cb_PJBH->setEditText(QString());
    filterTypeName->setEditText(QString());
    filterState->setCurrentIndex(filterState->count() - 1);
    filterSKR->clear();
    edtJEFrom->clear();
    edtJETo->clear();
    ckNomatterRQ->setChecked(true);
    m_productCode.clear();
    m_productName.clear();
    setWindowTitle(QStringLiteral("收据及发票查询"));
}

void TfmSearch_FHDSHD::presetFilter(const NoteFilter& filter) {
    resetFilters();
    filterSKR->setText(filter.customer);
    if (!filter.anyDate) {
        Date1->setDate(filter.from);
        Date2->setDate(filter.to);
        ckNomatterRQ->setChecked(false);
    }
    m_productCode = filter.productCode;
    m_productName = filter.productName;
    if (!m_productCode.isEmpty() || !m_productName.isEmpty())
        setWindowTitle(QStringLiteral("收据及发票查询 — 含商品：") +
                       (m_productName.isEmpty() || m_productCode.isEmpty()
                            ? m_productName + m_productCode
                            : m_productName + QStringLiteral("（") + m_productCode + QStringLiteral("）")));
    m_memo.clear();
    runQuery();
}

void TfmSearch_FHDSHD::btAllClick() {
    resetFilters();
    m_memo.clear();
    runQuery();
}

void TfmSearch_FHDSHD::datePresetClick(const QString& entry) {
    resetFilters();
    const QDate today = QDate::currentDate();
    QDate from = today;
    static const QList<std::pair<QString, int>> back = {
        {QStringLiteral("今天"), 0},        {QStringLiteral("最近三天"), 2},
        {QStringLiteral("最近一周"), 6},    {QStringLiteral("最近一个月"), 30},
        {QStringLiteral("最近三个月"), 90}, {QStringLiteral("最近一年"), 365},
        {QStringLiteral("其他日期"), 548}};
    bool known = false;
    for (const auto& [name, days] : back)
        if (name == entry) {
            from = today.addDays(-days);
            known = true;
        }
    if (entry == QStringLiteral("本月内")) {
        from = QDate(today.year(), today.month(), 1);
        known = true;
    } else if (entry == QStringLiteral("本年度内")) {
        from = QDate(today.year(), 1, 1);
        known = true;
    }
    if (!known)
        return;
    m_settingDates = true;
    Date1->setDate(from);
    Date2->setDate(today);
    m_settingDates = false;
    ckNomatterRQ->setChecked(false);
    if (entry == QStringLiteral("其他日期")) {
        m_app.dialogs().message(QStringLiteral("请选择右侧限定的起始年月日~再点击【查询】按钮"));
        Date1->setFocus();
        return;
    }
    runQuery();
}

void TfmSearch_FHDSHD::filterSKRKeyEnter() {
    const QString key = filterSKR->text().trimmed();
    if (key.isEmpty())
        return;
    if (std::unique_ptr<masterdata::TPerson> unit = masterdata::TPerson::findByMnemonic(m_app.db(), key))
        filterSKR->setText(unit->fullName());
}

void TfmSearch_FHDSHD::filterSKRExit() {
    const QString text = filterSKR->text();
    if (!text.startsWith(QLatin1Char('%')))
        return;
    const QString rest = text.mid(1).trimmed();
    filterSKR->setText(rest);
    try {
        const QString name = m_store.fullNameByShortcut(rest);
        if (!name.isEmpty())
            filterSKR->setText(name);
    } catch (const core::DbError&) {
        m_app.dialogs().notice(QStringLiteral("简码提取错误！"), QStringLiteral("简码输入"));
    }
}

void TfmSearch_FHDSHD::btSKRClick() {
    if (!m_picker)
        return;
    if (std::unique_ptr<masterdata::TPerson> unit =
            m_picker(QStringLiteral("往来单位"), QStringLiteral("选择购货单位")))
        filterSKR->setText(unit->fullName());
}

void TfmSearch_FHDSHD::btOpenClick() {
    if (!m_opener || DBGrid1->rowCount() == 0 || DBGrid1->currentRow() < 0)
        return;
    const QString number = DBGrid1->currentValue(QStringLiteral("票据编号")).toString();
    const QString kind = DBGrid1->currentValue(QStringLiteral("模板种类")).toString();
    if (m_opener(kind, number))
        accept();
}

void TfmSearch_FHDSHD::btSendCopyClick() {
    if (!m_sender || DBGrid1->rowCount() == 0)
        return;
    QVariantList numbers = DBGrid1->selectedValues(QStringLiteral("票据编号"));
    QVariantList kinds = DBGrid1->selectedValues(QStringLiteral("模板种类"));
    if (numbers.isEmpty() && DBGrid1->currentRow() >= 0) {
        numbers = {DBGrid1->currentValue(QStringLiteral("票据编号"))};
        kinds = {DBGrid1->currentValue(QStringLiteral("模板种类"))};
    }
    QList<std::pair<QString, QString>> notes;
    for (int i = 0; i < numbers.size(); ++i)
        notes.append({kinds.value(i).toString(), numbers.at(i).toString()});
    if (!notes.isEmpty())
        m_sender(notes);
}

void TfmSearch_FHDSHD::btVoidClick() {
    const QVariantList keys = DBGrid1->selectedValues(QStringLiteral("流水号"));
    if (keys.isEmpty()) {
        m_app.dialogs().message(QStringLiteral("没有点中要作废的票据!（按住ctrl+点击，可多选哦）"));
        return;
    }
    int changed = 0;
    try {
        changed = m_store.voidNotes(keys);
    } catch (const core::DbError& e) {
        m_app.dialogs().notice(QStringLiteral("错误,Error=") + e.message(), QStringLiteral("失败"));
        return;
    }
    refreshList();
    m_app.dialogs().message(QStringLiteral("成功作废") + QString::number(changed) +
                            QStringLiteral("条记录！"));
}

void TfmSearch_FHDSHD::fillStateMenu() {
    if (!mState->isEmpty())
        return;
    core::Lookups lookups(m_app);
    for (const QString& state : lookups.loadDMListByName(QStringLiteral("票据状态"), {0}))
        mState->addAction(state, this, [this, state] { stateChosen(state); });
    mState->addAction(kEditStates, this, &TfmSearch_FHDSHD::openStateDictionary);
}

void TfmSearch_FHDSHD::stateChosen(const QString& entry) {
    const QVariantList numbers = DBGrid1->selectedValues(QStringLiteral("票据编号"));
    if (numbers.isEmpty()) {
        m_app.dialogs().message(QStringLiteral(
            "没有选中任何票据~请刷新或重新选择。\n\n(单选：直接鼠标点击。多选：Ctrl+鼠标点击)"));
        return;
    }
    try {
        m_store.markState(numbers, NoteHistoryStore::stateOfMenuEntry(entry));
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("票据状态更改失败,Error=") + e.message());
        return;
    }
    refreshList();
}

void TfmSearch_FHDSHD::openStateDictionary() {
    masterdata::ui::Tfm_DMConfig dictionary(m_app, 0, this);
    if (auto* names = dictionary.findChild<QListWidget*>(QStringLiteral("listBoxNames"))) {
        const auto found = names->findItems(QStringLiteral("票据状态"), Qt::MatchExactly);
        if (!found.isEmpty()) {
            names->setCurrentItem(found.first());
            dictionary.listBoxNamesClick();
        }
    }
    dictionary.exec();
    // Rebuilt from the edited values at the next opening.
    mState->clear();
}

void TfmSearch_FHDSHD::btDeleteClick() {
    const QVariantList numbers = DBGrid1->selectedValues(QStringLiteral("票据编号"));
    if (numbers.isEmpty()) {
        m_app.dialogs().message(QStringLiteral(
            "没有选中任何票据~请刷新或重新选择。\n\n(单选：直接鼠标点击。多选：Ctrl+鼠标点击)"));
        return;
    }
    if (!m_app.dialogs().ask(QStringLiteral("确定要删除选中的") + QString::number(numbers.size()) +
                                 QStringLiteral("个单据吗?"),
                             QStringLiteral("删除确认")))
        return;
    int deleted = 0;
    try {
        deleted = m_store.deleteNotes(numbers);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("删除失败，错误=") + e.message());
        return;
    }
    m_app.dialogs().message(QString::number(deleted) + QStringLiteral("个单据删除成功~"));
    refreshList();
}

void TfmSearch_FHDSHD::btDeleteListClick() {
    if (!m_listed) {
        m_app.dialogs().message(
            QStringLiteral("上一次查询没有成功，列表是空的：没有删除任何单据。请重新查询后再删除。"));
        return;
    }
    if (!m_app.dialogs().ask(QStringLiteral("此操作将删除当前查询到的所有记录，确定删除吗？"),
                             QStringLiteral("警告")))
        return;
    // By the statement's own condition: every note found, not only the rows read so far.
    try {
        const int deleted = m_store.deleteListed(*m_listed);
        m_app.dialogs().message(QString::number(deleted) + QStringLiteral("条记录删除成功！"));
    } catch (const NoteHistoryStore::LinesFailed& e) {
        m_app.dialogs().message(QStringLiteral("删除明细数据失败：") + e.message());
        return;
    } catch (const core::DbError&) {
        m_app.dialogs().message(QStringLiteral("删除出现异常！"));
        return;
    }
    refreshList();
}

void TfmSearch_FHDSHD::btClearClick() {
    if (!m_app.dialogs().ask(QStringLiteral("清空操作将删除所有保存的历史开票数据，确定要清空吗？"),
                             QStringLiteral("确认")) ||
        !m_app.dialogs().ask(QStringLiteral("您真的确认清空吗？是清空历年来所有的订单记录哦[无法恢复的]"),
                             QStringLiteral("确认")))
        return;
    int deleted = 0;
    try {
        deleted = m_store.clearAll();
    } catch (const core::DbError&) {
        m_app.dialogs().notice(QStringLiteral("清空单据失败！"), QStringLiteral("确认"));
        return;
    }
    m_app.dialogs().message(QStringLiteral("清空成功！共删除") + QString::number(deleted) +
                            QStringLiteral("条单据记录"));
    btClear->setEnabled(false);
    refreshList();
}

void TfmSearch_FHDSHD::btExportClick() {
    const QString title =
        QStringLiteral("出货单历史开票") + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    try {
        imports::ExportGrid2Excel(m_app, DBGrid1, title, this);
    } catch (const core::DbError& e) {
        m_app.dialogs().notice(QStringLiteral("数据库错误,Error=") + e.message(), QStringLiteral("失败"));
    }
}

} // namespace history::ui
