#include "imports/ui/TfrmImportMatchOrder.h"

#include "core/AppContext.h"
#include "imports/ColumnList.h"
#include "imports/ColumnMatching.h"
#include "imports/ExcelBridge.h"
#include "imports/ImportLog.h"
#include "imports/OrderImport.h"
#include "imports/Spreadsheet.h"
#include "imports/SpreadsheetError.h"
#include "imports/ui/ImportRunPanel.h"
#include "imports/ui/TfrmImportColumnCfg.h"
#include "imports/ui/WorkbookSource.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <tuple>

namespace imports::ui {

namespace {

template <class W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* link(const QString& text, const char* name, QWidget* parent) {
    auto* label =
        named(new QLabel(QStringLiteral("<a href=\"#\">") + text + QStringLiteral("</a>"), parent), name);
    return label;
}

// The choosers of one item table in a grid of label and box pairs.
QVector<QComboBox*> choosers(const QVector<ImportItem>& items, QGridLayout* grid, QWidget* parent) {
    QVector<QComboBox*> list;
    for (int i = 0; i < items.size(); ++i) {
        auto* label = new QLabel(items.at(i).caption, parent);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* chooser = new QComboBox(parent);
        chooser->setObjectName(items.at(i).chooser);
        chooser->setMinimumWidth(130);
        grid->addWidget(label, i / 3, (i % 3) * 2);
        grid->addWidget(chooser, i / 3, (i % 3) * 2 + 1);
        list << chooser;
    }
    return list;
}

} // namespace

TfrmImportMatchOrder::TfrmImportMatchOrder(core::AppContext& app, QWidget* parent)
    : QDialog(parent), m_app(app) {
    setObjectName(QStringLiteral("TfrmImportMatchOrder"));
    setWindowTitle(QStringLiteral("青木鸟软件-收、发件人资料导入"));

    auto* grpSource = named(new QGroupBox(QStringLiteral("1、订单数据Excel来源"), this), "grpSource");
    edtOrderFile = named(new QLineEdit(grpSource), "edtOrderFile");
    edtOrderFile->setReadOnly(true);
    btBrowseOrder = named(new QPushButton(QStringLiteral("【浏览订单Excel】"), grpSource), "btBrowseOrder");
    cbOrderSheets = named(new QComboBox(grpSource), "cbOrderSheets");
    edtDetailFile = named(new QLineEdit(grpSource), "edtDetailFile");
    edtDetailFile->setReadOnly(true);
    btBrowseDetail = named(new QPushButton(QStringLiteral("【浏览明细Excel】"), grpSource), "btBrowseDetail");
    cbDetailSheets = named(new QComboBox(grpSource), "cbDetailSheets");
    Label25 = link(QStringLiteral("对订单Excel、CSV的格式要求?"), "Label25", grpSource);
    Label13 = link(QStringLiteral("对明细Excel、CSV的格式要求?"), "Label13", grpSource);
    for (QComboBox* sheets : {cbOrderSheets, cbDetailSheets})
        sheets->setMinimumWidth(120);
    for (QLineEdit* path : {edtOrderFile, edtDetailFile})
        path->setMinimumWidth(280);
    auto* sourceGrid = new QGridLayout(grpSource);
    sourceGrid->addWidget(new QLabel(QStringLiteral("1.1、订单信息Excel："), grpSource), 0, 0);
    sourceGrid->addWidget(edtOrderFile, 0, 1);
    sourceGrid->addWidget(btBrowseOrder, 0, 2);
    sourceGrid->addWidget(new QLabel(QStringLiteral("订单工作表："), grpSource), 0, 3);
    sourceGrid->addWidget(cbOrderSheets, 0, 4);
    sourceGrid->addWidget(Label25, 0, 5);
    sourceGrid->addWidget(new QLabel(QStringLiteral("1.2、订单明细Excel："), grpSource), 1, 0);
    sourceGrid->addWidget(edtDetailFile, 1, 1);
    sourceGrid->addWidget(btBrowseDetail, 1, 2);
    sourceGrid->addWidget(new QLabel(QStringLiteral("明细工作表："), grpSource), 1, 3);
    sourceGrid->addWidget(cbDetailSheets, 1, 4);
    sourceGrid->addWidget(Label13, 1, 5);
    sourceGrid->setColumnStretch(1, 1);

    auto* grpMatch =
        named(new QGroupBox(QStringLiteral("2、软件数据列与Excel数据列的对应关系"), this), "grpMatch");
    auto* grpOrders =
        named(new QGroupBox(QStringLiteral("2.1、订单信息列与Excel列匹配"), grpMatch), "grpOrders");
    auto* orderGrid = new QGridLayout(grpOrders);
    m_orderChoosers = choosers(OrderImport::orderItems(), orderGrid, grpOrders);
    auto* grpLines =
        named(new QGroupBox(QStringLiteral("2.2、订单明细列与Excel列匹配"), grpMatch), "grpLines");
    auto* lineGrid = new QGridLayout(grpLines);
    m_detailChoosers = choosers(OrderImport::lineItems(), lineGrid, grpLines);
    Label16 = link(QStringLiteral("【匹配设置】"), "Label16", grpOrders);
    Label17 = link(QStringLiteral("【匹配设置】"), "Label17", grpLines);
    for (QLabel* settings : {Label16, Label17})
        settings->setToolTip(QStringLiteral("点击修改自动列匹配规则"));
    orderGrid->addWidget(Label16, orderGrid->rowCount(), 5);
    lineGrid->addWidget(Label17, lineGrid->rowCount(), 5);
    auto* matchLayout = new QVBoxLayout(grpMatch);
    matchLayout->addWidget(grpOrders);
    matchLayout->addWidget(grpLines);

    cfgWPSFirst = named(
        new QCheckBox(QStringLiteral("默认金山WPS Excel优先启动（若不勾选默认启用微软MS Excel）"), this),
        "cfgWPSFirst");
    ckReadLog = named(new QCheckBox(QStringLiteral("完成后自动弹出查看导入日志"), this), "ckReadLog");
    ckReadLog->setChecked(true);
    auto* optionRow = new QHBoxLayout;
    optionRow->addWidget(cfgWPSFirst);
    optionRow->addWidget(ckReadLog);
    optionRow->addStretch();

    const RunControls run = makeRunControls(this);
    btStart = run.start;
    btStopIt = run.stop;
    btLog = run.log;
    btHidden = run.close;
    lblResult = run.result;
    progress = run.progress;
    QHBoxLayout* buttons = run.row;
    for (QPushButton* button : {btBrowseOrder, btBrowseDetail})
        button->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpSource);
    layout->addWidget(grpMatch);
    layout->addLayout(optionRow);
    layout->addLayout(buttons);
    layout->addWidget(lblResult);
    layout->addWidget(progress);

    m_orderSource = new WorkbookSource(app, edtOrderFile, btBrowseOrder, cbOrderSheets, this);
    m_orderSource->setChoosers(m_orderChoosers);
    m_detailSource = new WorkbookSource(app, edtDetailFile, btBrowseDetail, cbDetailSheets, this);
    m_detailSource->setChoosers(m_detailChoosers);
    m_panel = new ImportRunPanel(lblResult, progress, btStart, btStopIt, btLog, this);
    m_panel->setLockedDuringRun({grpSource, grpMatch, cfgWPSFirst, ckReadLog});
    cfgWPSFirst->setChecked(ExcelBridge(app).wpsFirst());

    connect(cfgWPSFirst, &QCheckBox::clicked, this,
            [this](bool checked) { ExcelBridge(m_app).setWpsFirst(checked); });
    connect(m_orderSource, &WorkbookSource::columnsChanged, this, [this] {
        autoMatch(Half::Orders);
        btStart->setEnabled(true);
    });
    connect(m_detailSource, &WorkbookSource::columnsChanged, this, [this] {
        autoMatch(Half::Lines);
        btStart->setEnabled(true);
    });
    for (WorkbookSource* source : {m_orderSource, m_detailSource})
        connect(source, &WorkbookSource::openFailed, this,
                [this] { btStart->setEnabled(m_orderSource->isOpen() || m_detailSource->isOpen()); });
    for (QPushButton* browse : {btBrowseOrder, btBrowseDetail})
        connect(browse, &QPushButton::clicked, this, [this] { btLog->setEnabled(false); });
    connect(Label25, &QLabel::linkActivated, this, &TfrmImportMatchOrder::Label25Click);
    connect(Label13, &QLabel::linkActivated, this, &TfrmImportMatchOrder::Label25Click);
    connect(Label16, &QLabel::linkActivated, this, &TfrmImportMatchOrder::Label16Click);
    connect(Label17, &QLabel::linkActivated, this, &TfrmImportMatchOrder::Label17Click);
    connect(btStart, &QPushButton::clicked, this, &TfrmImportMatchOrder::btStartClick);
    connect(btLog, &QPushButton::clicked, this, &TfrmImportMatchOrder::btLogClick);
    connect(btHidden, &QPushButton::clicked, this, &QDialog::close);
}

TfrmImportMatchOrder::~TfrmImportMatchOrder() {
    m_orderSource->release();
    m_detailSource->release();
}

QString TfrmImportMatchOrder::formatHelp() {
    return QStringLiteral("Excel/csv格式要求:\n\n1、Excel的第一行必须是标题（例如:姓名,电话什么的）;\n\n"
                          "2、Excel的第一行的标题不能含有空单元格，软件遇到空单元格就认为标题列结束;\n\n"
                          "3、Excel不能含有合并单元格；\n\n4、明细Excel必须含有与订单信息关联的订单号列。");
}

bool TfrmImportMatchOrder::openOrderWorkbook(const QString& path) {
    edtOrderFile->setText(path);
    btLog->setEnabled(false);
    return m_orderSource->openWorkbook(path);
}

bool TfrmImportMatchOrder::openDetailWorkbook(const QString& path) {
    edtDetailFile->setText(path);
    btLog->setEnabled(false);
    return m_detailSource->openWorkbook(path);
}

void TfrmImportMatchOrder::autoMatch(Half half) {
    WorkbookSource* source = half == Half::Orders ? m_orderSource : m_detailSource;
    const QVector<QComboBox*>& list = half == Half::Orders ? m_orderChoosers : m_detailChoosers;
    const QVector<int> columns = half == Half::Orders
                                     ? OrderImport::autoMatchOrders(m_app.db(), source->columnList())
                                     : OrderImport::autoMatchLines(m_app.db(), source->columnList());
    for (int i = 0; i < list.size(); ++i)
        WorkbookSource::choose(list.at(i), columns.at(i));
}

QVector<int> TfrmImportMatchOrder::btReadyMatch(Half half) const {
    QVector<int> columns;
    for (const QComboBox* chooser : half == Half::Orders ? m_orderChoosers : m_detailChoosers)
        columns << ColumnList::columnNumber(chooser->currentText());
    return columns;
}

OrderImport::Half TfrmImportMatchOrder::openHalf(Half half, ImportLog& log, RunResult& failure) {
    WorkbookSource* source = half == Half::Orders ? m_orderSource : m_detailSource;
    try {
        source->activateChosen();
    } catch (const SpreadsheetError& e) {
        // A half without its workbook ends here; the other half still runs.
        if (half == Half::Orders) {
            log.clear();
            log.flush();
        }
        failure.failed = true;
        failure.report = SheetRun::failurePrefix() + e.message();
        m_app.dialogs().message(failure.report);
        return {};
    }
    return {source->workbook(), btReadyMatch(half), source->path()};
}

void TfrmImportMatchOrder::btStartClick() {
    if (m_panel->running())
        return;
    m_orders = {};
    m_lines = {};
    m_panel->begin();
    ImportLog log(m_app.getRunPath());
    const OrderImport::Half orders = openHalf(Half::Orders, log, m_orders);
    const OrderImport::Half lines = openHalf(Half::Lines, log, m_lines);
    OrderImport import(m_app.db(), m_app.dialogs(), log, *m_panel);
    const OrderImport::Result result = import.run(orders, lines);
    if (orders.sheet)
        m_orders = result.orders;
    if (lines.sheet)
        m_lines = result.lines;

    // The reports come after both halves, once their one transaction is committed.
    bool reported = false;
    for (const auto& [sheet, outcome, choosers] : {std::tuple{orders.sheet, &m_orders, &m_orderChoosers},
                                                   std::tuple{lines.sheet, &m_lines, &m_detailChoosers}}) {
        if (!sheet || outcome->failed)
            continue;
        if (!outcome->ran && !outcome->noData) {
            // The order-number column is missing, or the sheet is of the other kind: its
            // choosers are the ones to mend.
            choosers->first()->setFocus();
            if (!outcome->report.isEmpty())
                lblResult->setText(outcome->report);
            continue;
        }
        reported = true;
        if (outcome->noData)
            m_panel->status(outcome->report);
        else if (!ckReadLog->isChecked())
            m_app.dialogs().notice(outcome->report, QStringLiteral("导入结束"));
        lblResult->setText(outcome->report);
    }
    if (reported) {
        // One log holds both halves: it is opened once. The orders the sheets changed are said
        // in any case (the report shown above names them already).
        if (ckReadLog->isChecked() && (m_orders.ran || m_lines.ran)) {
            if (!result.changed.isEmpty())
                m_app.dialogs().notice(OrderImport::changedText(result.changed).trimmed(),
                                       QStringLiteral("导入结束"));
            m_panel->openLog(log.path());
        }
        afterImport().run();
    }
    m_orderSource->release();
    m_detailSource->release();
    m_panel->end(false);
    if (m_orders.ran || m_orders.noData || m_lines.ran || m_lines.noData)
        close();
}

void TfrmImportMatchOrder::btLogClick() {
    m_panel->openLog(ImportLog::fileName(m_app.getRunPath()));
}

void TfrmImportMatchOrder::Label16Click() {
    TfrmImportColumnCfg editor(m_app, matchtype::orders, this);
    editor.exec();
}

void TfrmImportMatchOrder::Label17Click() {
    TfrmImportColumnCfg editor(m_app, matchtype::orderLines, this);
    editor.exec();
}

void TfrmImportMatchOrder::Label25Click() {
    m_app.dialogs().message(formatHelp());
}

void TfrmImportMatchOrder::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    ColumnMatching::prepareForImport(m_app);
}

void TfrmImportMatchOrder::reject() {
    if (!m_panel->stopInsteadOfClosing())
        QDialog::reject();
}

void TfrmImportMatchOrder::closeEvent(QCloseEvent* event) {
    if (m_panel->stopInsteadOfClosing()) {
        event->ignore();
        return;
    }
    m_orderSource->release();
    m_detailSource->release();
    QDialog::closeEvent(event);
}

void openOrderImport(core::AppContext& app, QWidget* parent) {
    TfrmImportMatchOrder window(app, parent);
    window.exec();
}

} // namespace imports::ui
