#include "imports/ui/TfrmImportMatch.h"

#include "core/AppContext.h"
#include "imports/ColumnList.h"
#include "imports/ColumnMatching.h"
#include "imports/ExcelBridge.h"
#include "imports/ImportLog.h"
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
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace imports::ui {

namespace {

const QString kOrderOption = QStringLiteral("ckOrderIDOn");
const QString kMemberOption = QStringLiteral("ckMemeberIDOn");
const QString kAllLists = QStringLiteral("全部列表");

template <class W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Choosers in a grid of label and box pairs, so many items fit on one screen.
void addChooser(QGridLayout* grid, int index, int perRow, const QString& caption, QComboBox* chooser) {
    const int row = index / perRow;
    const int column = (index % perRow) * 2;
    auto* label = new QLabel(caption);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(label, row, column);
    grid->addWidget(chooser, row, column + 1);
}

} // namespace

TfrmImportMatch::TfrmImportMatch(core::AppContext& app, QWidget* parent) : QDialog(parent), m_app(app) {
    setObjectName(QStringLiteral("TfrmImportMatch"));
    setWindowTitle(QStringLiteral("青木鸟软件-收、发件人资料导入"));

    grpCase = named(new QGroupBox(QStringLiteral("1、导入场景"), this), "grpCase");
    rdSJR = named(new QRadioButton(QStringLiteral("收发件人批量到地址薄"), grpCase), "rdSJR");
    rdMutiPrint =
        named(new QRadioButton(QStringLiteral("导入Excel导入到批量打印收件人列表"), grpCase), "rdMutiPrint");
    rdSJR->setChecked(true);
    auto* caseLayout = new QHBoxLayout(grpCase);
    caseLayout->addWidget(rdSJR);
    caseLayout->addWidget(rdMutiPrint);
    caseLayout->addStretch();

    ed_file = named(new QLineEdit(this), "ed_file");
    btBrowse = named(new QPushButton(QStringLiteral("【浏览Excel】"), this), "btBrowse");
    cboWorkSheets = named(new QComboBox(this), "cboWorkSheets");
    cboWorkSheets->setMinimumWidth(120);
    cfgWPSFirst = named(new QCheckBox(QStringLiteral("金山WPS Excel优先启动"), this), "cfgWPSFirst");
    Label25 = named(new QLabel(QStringLiteral("<a href=\"#\">对Excel、CSV的格式要求?</a>"), this), "Label25");
    auto* source = new QHBoxLayout;
    source->addWidget(new QLabel(QStringLiteral("2、Excel来源："), this));
    source->addWidget(ed_file, 1);
    source->addWidget(btBrowse);
    source->addWidget(new QLabel(QStringLiteral("工作表："), this));
    source->addWidget(cboWorkSheets);
    auto* sourceOptions = new QHBoxLayout;
    sourceOptions->addWidget(cfgWPSFirst);
    sourceOptions->addWidget(Label25);
    sourceOptions->addStretch();

    auto* grpMatch = named(new QGroupBox(QStringLiteral("3、匹配Excel列"), this), "grpMatch");
    auto* matchGrid = new QGridLayout(grpMatch);
    grpAddr = named(new QGroupBox(QStringLiteral("地址薄-专有项目"), this), "grpAddr");
    auto* addrGrid = new QGridLayout(grpAddr);
    grpMutiPrint = named(new QGroupBox(QStringLiteral("批量打印-专有项目"), this), "grpMutiPrint");
    auto* batchGrid = new QGridLayout(grpMutiPrint);
    ckType = named(new QCheckBox(QStringLiteral("固定"), grpAddr), "ckType");
    ckType->setChecked(true);

    const QVector<ImportItem>& items = RecipientImport::items();
    m_itemChoosers.fill(nullptr, items.size());
    int common = 0;
    int own = 0;
    int batch = 0;
    QVector<QComboBox*> filled;
    for (int i = 0; i < items.size(); ++i) {
        const ImportItem& item = items.at(i);
        if (item.chooser.isEmpty())
            continue;
        auto* chooser = new QComboBox(this);
        chooser->setObjectName(item.chooser);
        chooser->setMinimumWidth(130);
        m_itemChoosers[i] = chooser;
        switch (item.scope) {
        case ImportItem::Scope::Both:
            addChooser(matchGrid, common++, 3, item.caption, chooser);
            break;
        case ImportItem::Scope::AddressBook:
            addChooser(addrGrid, own++, 3, item.caption, chooser);
            break;
        case ImportItem::Scope::BatchList:
            addChooser(batchGrid, batch++, 4, item.caption, chooser);
            break;
        }
        if (item.chooser != u"cbACCType")
            filled << chooser;
    }
    // Shown for the look of the form; these items are not imported.
    for (const auto& [caption, name] :
         {std::pair{"Email->", "cbEmail"}, std::pair{"开户银行->", "cbBank"}, std::pair{"传真->", "cbFax"},
          std::pair{"银行账号->", "cbBankAccount"}}) {
        auto* chooser = named(new QComboBox(this), name);
        chooser->setToolTip(QStringLiteral("此项不导入"));
        addChooser(matchGrid, common++, 3, QString::fromUtf8(caption), chooser);
    }
    addrGrid->addWidget(ckType, 0, 6);

    ckOrderIDOn = named(new QCheckBox(QStringLiteral("订单号"), this), "ckOrderIDOn");
    ckMemeberIDOn = named(new QCheckBox(QStringLiteral("会员名"), this), "ckMemeberIDOn");
    btColumnCfg = named(new QPushButton(QStringLiteral("【列匹配规则】"), this), "btColumnCfg");
    auto* remarkRow = new QHBoxLayout;
    remarkRow->addWidget(new QLabel(QStringLiteral("备注中加入："), this));
    remarkRow->addWidget(ckOrderIDOn);
    remarkRow->addWidget(ckMemeberIDOn);
    remarkRow->addStretch();
    remarkRow->addWidget(btColumnCfg);

    ckJudgeRepeated = named(new QCheckBox(QStringLiteral("判断重复"), this), "ckJudgeRepeated");
    auto* grpRepeat = named(
        new QGroupBox(QStringLiteral("收件人重复判断依据,勾选表示选中作为判断依据之一"), this), "grpRepeat");
    ckName = named(new QCheckBox(QStringLiteral("单位全称"), grpRepeat), "ckName");
    ckContactor = named(new QCheckBox(QStringLiteral("联系人"), grpRepeat), "ckContactor");
    ckPhone = named(new QCheckBox(QStringLiteral("联系电话"), grpRepeat), "ckPhone");
    for (QCheckBox* box : {ckJudgeRepeated, ckName, ckContactor, ckPhone})
        box->setChecked(true);
    ckAlert = named(new QCheckBox(QStringLiteral("发现重复记录弹出提示确认"), this), "ckAlert");
    ckReadLog = named(new QCheckBox(QStringLiteral("完成后自动弹出查看导入日志"), this), "ckReadLog");
    ckReadLog->setChecked(true);
    auto* repeatLayout = new QHBoxLayout(grpRepeat);
    repeatLayout->addWidget(ckName);
    repeatLayout->addWidget(ckContactor);
    repeatLayout->addWidget(ckPhone);
    repeatLayout->addStretch();
    auto* checks = new QHBoxLayout;
    checks->addWidget(ckJudgeRepeated);
    checks->addWidget(grpRepeat, 1);
    auto* afterChecks = new QHBoxLayout;
    afterChecks->addWidget(ckAlert);
    afterChecks->addWidget(ckReadLog);
    afterChecks->addStretch();

    const RunControls run = makeRunControls(this);
    btStart = run.start;
    btStopIt = run.stop;
    btLog = run.log;
    btHidden = run.close;
    lblResult = run.result;
    progress = run.progress;
    QHBoxLayout* buttons = run.row;
    for (QPushButton* button : {btBrowse, btColumnCfg})
        button->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpCase);
    layout->addLayout(source);
    layout->addLayout(sourceOptions);
    layout->addWidget(grpMatch);
    layout->addWidget(grpAddr);
    layout->addWidget(grpMutiPrint);
    layout->addLayout(remarkRow);
    layout->addLayout(checks);
    layout->addLayout(afterChecks);
    layout->addLayout(buttons);
    layout->addWidget(lblResult);
    layout->addWidget(progress);

    m_source = new WorkbookSource(app, ed_file, btBrowse, cboWorkSheets, this);
    m_source->setChoosers(filled);
    m_panel = new ImportRunPanel(lblResult, progress, btStart, btStopIt, btLog, this);
    m_panel->setLockedDuringRun({grpCase, ed_file, btBrowse, cboWorkSheets, cfgWPSFirst, grpMatch, grpAddr,
                                 grpMutiPrint, ckOrderIDOn, ckMemeberIDOn, btColumnCfg, ckJudgeRepeated,
                                 grpRepeat, ckAlert, ckReadLog});

    ExcelBridge bridge(app);
    cfgWPSFirst->setChecked(bridge.wpsFirst());
    ckOrderIDOn->setChecked(app.getConfigByname(kOrderOption) == u"1");
    ckMemeberIDOn->setChecked(app.getConfigByname(kMemberOption) == u"1");

    connect(cfgWPSFirst, &QCheckBox::clicked, this,
            [this](bool checked) { ExcelBridge(m_app).setWpsFirst(checked); });
    connect(ckOrderIDOn, &QCheckBox::clicked, this, [this](bool checked) {
        m_app.setConfigByname(kOrderOption, checked ? QStringLiteral("1") : QStringLiteral("0"));
    });
    connect(ckMemeberIDOn, &QCheckBox::clicked, this, [this](bool checked) {
        m_app.setConfigByname(kMemberOption, checked ? QStringLiteral("1") : QStringLiteral("0"));
    });
    connect(ckJudgeRepeated, &QCheckBox::clicked, this, &TfrmImportMatch::ckJudgeRepeatedClick);
    connect(ckType, &QCheckBox::clicked, this, &TfrmImportMatch::ckTypeClick);
    connect(rdSJR, &QRadioButton::toggled, this, &TfrmImportMatch::scenarioChanged);
    connect(Label25, &QLabel::linkActivated, this, &TfrmImportMatch::Label25Click);
    connect(btColumnCfg, &QPushButton::clicked, this, &TfrmImportMatch::btColumnCfgClick);
    connect(btStart, &QPushButton::clicked, this, &TfrmImportMatch::btStartClick);
    connect(btLog, &QPushButton::clicked, this, &TfrmImportMatch::btLogClick);
    connect(btHidden, &QPushButton::clicked, this, &QDialog::close);
    connect(btBrowse, &QPushButton::clicked, this, [this] { btLog->setEnabled(false); });
    connect(m_source, &WorkbookSource::columnsChanged, this, [this] {
        fillUnitTypes();
        autoNewMatchProperty();
        btStart->setEnabled(true);
    });
    connect(m_source, &WorkbookSource::openFailed, this, [this] { btStart->setEnabled(false); });

    fillUnitTypes();
    scenarioChanged();
}

TfrmImportMatch::~TfrmImportMatch() {
    m_source->release();
}

QString TfrmImportMatch::formatHelp() {
    return QStringLiteral("Excel/csv格式要求:\n\n1、Excel的第一行必须是标题（例如:姓名,电话什么的）;\n\n"
                          "2、Excel的第一行的标题不能含有空单元格，软件遇到空单元格就认为标题列结束;\n\n"
                          "3、Excel不能含有合并单元格。");
}

void TfrmImportMatch::setScenario(RecipientImport::Scenario scenario, bool changeable) {
    (scenario == RecipientImport::Scenario::AddressBook ? rdSJR : rdMutiPrint)->setChecked(true);
    grpCase->setEnabled(changeable);
    scenarioChanged();
}

RecipientImport::Scenario TfrmImportMatch::scenario() const {
    return rdSJR->isChecked() ? RecipientImport::Scenario::AddressBook : RecipientImport::Scenario::BatchList;
}

void TfrmImportMatch::scenarioChanged() {
    const bool addressBook = scenario() == RecipientImport::Scenario::AddressBook;
    grpAddr->setVisible(addressBook);
    grpMutiPrint->setVisible(!addressBook);
    if (m_source->isOpen())
        autoNewMatchProperty();
    else
        fillGroupList();
}

void TfrmImportMatch::fillGroupList() {
    QComboBox* list = findChild<QComboBox*>(QStringLiteral("cbListName"));
    const QSignalBlocker block(list);
    list->clear();
    list->addItem(kAllLists);
    try {
        core::Recordset groups =
            m_app.db().query(QStringLiteral("SELECT distinct 批打分组 FROM ReceiverList order by 批打分组"));
        QStringList names;
        for (groups.first(); !groups.eof(); groups.next()) {
            const QString name = groups.text(0).trimmed();
            if (!name.isEmpty() && !names.contains(name))
                names << name;
        }
        list->addItems(names);
    } catch (const core::DbError&) {
        // An older installation without the list: only 全部列表 is offered.
    }
}

void TfrmImportMatch::fillUnitTypes() {
    QComboBox* types = findChild<QComboBox*>(QStringLiteral("cbACCType"));
    const QSignalBlocker block(types);
    types->clear();
    if (ckType->isChecked())
        types->addItems({QStringLiteral("收件单位"), QStringLiteral("发件单位")});
    else
        types->addItems(m_source->columnList().isEmpty() ? QStringList{QString()} : m_source->columnList());
    types->setCurrentIndex(0);
}

void TfrmImportMatch::ckTypeClick(bool) {
    fillUnitTypes();
    if (m_source->isOpen() && !ckType->isChecked())
        m_autoColumns[RecipientImport::item(QStringLiteral("cbACCType"))] = -1;
}

void TfrmImportMatch::ckJudgeRepeatedClick(bool checked) {
    for (QCheckBox* box : {ckName, ckContactor, ckPhone})
        box->setChecked(checked);
}

void TfrmImportMatch::autoNewMatchProperty() {
    m_autoColumns = RecipientImport::autoMatch(m_app.db(), m_source->columnList(), scenario());
    m_source->fillChoosers();
    fillUnitTypes();
    for (int i = 0; i < m_itemChoosers.size(); ++i) {
        QComboBox* chooser = m_itemChoosers.at(i);
        if (!chooser || (chooser->objectName() == u"cbACCType" && ckType->isChecked()))
            continue;
        WorkbookSource::choose(chooser, m_autoColumns.at(i));
    }
}

QVector<int> TfrmImportMatch::btReadyMatch() const {
    QVector<int> columns = m_autoColumns;
    columns.resize(m_itemChoosers.size(), -1);
    for (int i = 0; i < m_itemChoosers.size(); ++i) {
        const QComboBox* chooser = m_itemChoosers.at(i);
        if (!chooser)
            continue;
        const bool fixedType = chooser->objectName() == u"cbACCType" && ckType->isChecked();
        columns[i] = fixedType ? -1 : ColumnList::columnNumber(chooser->currentText());
    }
    return columns;
}

RecipientImport::Options TfrmImportMatch::options() const {
    RecipientImport::Options o;
    o.scenario = scenario();
    o.judgeRepeated = ckJudgeRepeated->isChecked();
    o.byName = ckName->isChecked();
    o.byContact = ckContactor->isChecked();
    o.byPhone = ckPhone->isChecked();
    o.askOnDuplicate = ckAlert->isChecked();
    o.orderIdOn = ckOrderIDOn->isChecked();
    o.memberIdOn = ckMemeberIDOn->isChecked();
    o.unitTypeFixed = ckType->isChecked();
    o.unitType = findChild<QComboBox*>(QStringLiteral("cbACCType"))->currentText();
    return o;
}

bool TfrmImportMatch::openWorkbook(const QString& path) {
    ed_file->setText(path);
    btLog->setEnabled(false);
    return m_source->openWorkbook(path);
}

void TfrmImportMatch::btStartClick() {
    if (m_panel->running())
        return;
    m_result = RunResult();
    m_panel->begin();
    try {
        m_source->activateChosen();
    } catch (const SpreadsheetError& e) {
        m_result.failed = true;
        m_result.report = SheetRun::failurePrefix() + e.message();
        m_app.dialogs().message(m_result.report);
        m_source->release();
        m_panel->end(false);
        return;
    }
    ImportLog log(m_app.getRunPath());
    RecipientImport import(m_app.db(), m_app.dialogs(), log, *m_panel);
    import.setOptions(options());
    import.setColumns(btReadyMatch());
    m_result = import.run(*m_source->workbook(), m_source->path());
    if (!m_result.ran && !m_result.noData) {
        if (m_result.declined) {
            // The workbook stays open: tick a criterion and start again.
            m_panel->end(true);
            return;
        }
        findChild<QComboBox*>(QStringLiteral("cbName"))->setFocus();
        m_source->release();
        m_panel->end(false);
        return;
    }
    if (!m_result.failed) {
        if (m_result.noData)
            m_panel->status(m_result.report);
        else if (ckReadLog->isChecked())
            m_panel->openLog(log.path());
        else
            m_app.dialogs().notice(m_result.report, QStringLiteral("导入结束"));
        afterImport().run();
    }
    m_source->release();
    m_panel->end(false);
    lblResult->setText(m_result.report);
    if (!m_result.failed)
        close();
}

void TfrmImportMatch::btColumnCfgClick() {
    TfrmImportColumnCfg editor(m_app, matchtype::recipients, this);
    editor.exec();
}

void TfrmImportMatch::btLogClick() {
    m_panel->openLog(ImportLog::fileName(m_app.getRunPath()));
}

void TfrmImportMatch::Label25Click() {
    m_app.dialogs().message(formatHelp());
}

void TfrmImportMatch::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    ColumnMatching::prepareForImport(m_app);
}

void TfrmImportMatch::reject() {
    if (!m_panel->stopInsteadOfClosing())
        QDialog::reject();
}

void TfrmImportMatch::closeEvent(QCloseEvent* event) {
    // Closing during a run asks to stop it; the run closes the window when it ends.
    if (m_panel->stopInsteadOfClosing()) {
        event->ignore();
        return;
    }
    m_source->release();
    QDialog::closeEvent(event);
}

} // namespace imports::ui
