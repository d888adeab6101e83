#include "core/ui/Tfm_Main.h"
#include "core/ui/WheelGuard.h"

#include "core/AppContext.h"
#include "core/InstallRecord.h"
#include "core/PrinterChoice.h"
#include "core/VersionInfo.h"
#include "core/ui/FormFace.h"
#include "core/ui/StartupRules.h"
#include "core/ui/Tfm_Boot.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QProcess>
#include <QScreen>
#include <QSqlField>
#include <QSqlRecord>
#include <QStatusBar>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>

namespace core::ui {

namespace {

const QString kNeedLogin = QStringLiteral("进入系统需验证");
const QString kPopPrint = QStringLiteral("打印前弹出打印机设置");
const QString kDefaultIssuer = QStringLiteral("启用默认出票人");
const QString kBackground = QStringLiteral("启用系统背景");
const QString kToolBarSection = QStringLiteral("FM_MAIN");
const QString kToolBarKey = QStringLiteral("TOOLBARMAIN");

} // namespace

Tfm_Main::Tfm_Main(AppContext& app, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_grids(app), m_mdiArea(new QMdiArea(this)),
      MemoFirstRead(new QPlainTextEdit(m_mdiArea->viewport())), cbPrinters(new QComboBox(this)),
      TimerSystem(new QTimer(this)) {
    setObjectName(QStringLiteral("fm_Main"));
    m_mdiArea->setObjectName(QStringLiteral("MDIArea"));
    setCentralWidget(m_mdiArea);
    m_mdiArea->viewport()->installEventFilter(this);
    m_mdiArea->viewport()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_mdiArea->viewport(), &QWidget::customContextMenuRequested, this, &Tfm_Main::Image1ContextPopup);

    MemoFirstRead->setObjectName(QStringLiteral("MemoFirstRead"));
    MemoFirstRead->setReadOnly(true);
    MemoFirstRead->viewport()->installEventFilter(this);
    MemoFirstRead->hide();

    cbPrinters->setObjectName(QStringLiteral("cbPrinters"));
    cbPrinters->hide();

    TimerSystem->setObjectName(QStringLiteral("TimerSystem"));
    TimerSystem->setInterval(1000);
    connect(TimerSystem, &QTimer::timeout, this, &Tfm_Main::TimerSystemTimer);

    createMenus();
    createToolBar();
    createStatusBar();
    qApp->installEventFilter(this);
    WheelGuard::install();
}

Tfm_Main::~Tfm_Main() = default;

QAction* Tfm_Main::addAction(QMenu* menu, const QString& caption, const QString& name) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    if (menu)
        menu->addAction(action);
    return action;
}

void Tfm_Main::registerCommand(QAction* action, const QString& command) {
    action->setData(command);
    m_commands[command].append(action);
    action->setEnabled(m_handlers.contains(command));
    if (!m_handlers.contains(command)) {
        action->setToolTip(StartupRules::pendingFeatureHint());
        action->setStatusTip(StartupRules::pendingFeatureHint());
    }
    connect(action, &QAction::triggered, this, &Tfm_Main::commandTriggered);
}

QAction* Tfm_Main::addPending(QMenu* menu, const QString& caption, const QString& name,
                              const QString& command) {
    QAction* action = addAction(menu, caption, name);
    registerCommand(action, command.isEmpty() ? name : command);
    return action;
}

QAction* Tfm_Main::addFixedOff(QMenu* menu, const QString& caption, const QString& name, bool visible) {
    QAction* action = addAction(menu, caption, name);
    action->setEnabled(false);
    action->setVisible(visible);
    return action;
}

void Tfm_Main::commandTriggered() {
    const auto* action = qobject_cast<const QAction*>(sender());
    if (!action)
        return;
    const auto handler = m_handlers.value(action->data().toString());
    if (handler)
        handler();
}

void Tfm_Main::setCommand(const QString& actionObjectName, std::function<void()> handler) {
    m_handlers.insert(actionObjectName, std::move(handler));
    for (QAction* action : m_commands.value(actionObjectName)) {
        action->setEnabled(true);
        action->setToolTip(action->text().trimmed());
        action->setStatusTip(QString());
    }
}

QAction* Tfm_Main::action(const QString& objectName) const {
    return findChild<QAction*>(objectName, Qt::FindDirectChildrenOnly);
}

void Tfm_Main::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));

    QMenu* bills = bar->addMenu(QStringLiteral("新票据填开(&F)"));
    bills->setObjectName(QStringLiteral("mBills"));
    m_newBillMenu = bills->addMenu(QStringLiteral("填开新票据"));
    m_newBillMenu->setObjectName(QStringLiteral("mNewBill"));
    connect(addAction(m_newBillMenu, QStringLiteral("出货单"), QStringLiteral("actDeliveryNote")),
            &QAction::triggered, this, &Tfm_Main::actDeliveryNoteClick);
    // The express note is a command without an action: it stays enabled and does nothing.
    addAction(m_newBillMenu, QStringLiteral("填写快递单"), QStringLiteral("actExpressNote"));
    QMenu* custom = bills->addMenu(QStringLiteral("其他定制票据"));
    custom->setObjectName(QStringLiteral("mCustomBills"));
    const std::pair<const char*, const char*> customBills[] = {
        {"海运业发票", "actSeaFreightInvoice"}, {"增值税发票", "actVatInvoice"},
        {"国地税发票", "actTaxInvoice"},        {"其他发票", "actOtherInvoice"},
        {"送货单", "actDeliverySlip"},          {"销售单", "actSalesSlip"},
        {"珠宝质保单", "actJewelryWarranty"},   {"单位收付款单", "actReceiptPayment"}};
    for (const auto& [caption, name] : customBills)
        addFixedOff(custom, QString::fromUtf8(caption), QString::fromLatin1(name), true);
    connect(addAction(bills, QStringLiteral("关闭所有填开单据"), QStringLiteral("actCloseBills")),
            &QAction::triggered, this, &Tfm_Main::actCloseBillsClick);

    QMenu* history = bar->addMenu(QStringLiteral("历史开票管理(&S)"));
    history->setObjectName(QStringLiteral("mHistory"));
    addPending(history, QStringLiteral("出货单管理"), QStringLiteral("actHistory"));
    addPending(history, QStringLiteral("收款登记(&R)"), QStringLiteral("actPayments"));
    addPending(history, QStringLiteral("对账单(&B)"), QStringLiteral("actStatement"));
    addPending(history, QStringLiteral("经营概况（图表）"), QStringLiteral("actOverview"));
    const std::pair<const char*, const char*> hiddenHistory[] = {
        {"支票管理(&Z)", "actChequeHistory"},
        {"电汇单管理(&D)", "actWireHistory"},
        {"承兑汇票管理", "actAcceptanceHistory"},
        {"境外汇款申请书管理", "actRemittanceHistory"},
        {"现金缴款单管理", "actCashDepositHistory"},
        {"进帐单管理(&J) ", "actBankDepositHistory"},
        {"国际货运发票管理", "actFreightInvoiceHistory"},
        {"出口商品发票管理", "actExportInvoiceHistory"},
        {"快递单管理", "actExpressHistory"}};
    for (const auto& [caption, name] : hiddenHistory)
        addFixedOff(history, QString::fromUtf8(caption), QString::fromLatin1(name), false);

    QMenu* system = bar->addMenu(QStringLiteral("系统管理(&M)"));
    system->setObjectName(QStringLiteral("mSystem"));
    addPending(system, QStringLiteral("单位及客户资料管理(&K) "), QStringLiteral("actAddressBook"));
    addPending(system, QStringLiteral("商品管理(&G)"), QStringLiteral("actProducts"));
    // Orders from spreadsheets; the batch-printing window offers the same import.
    addPending(system, QStringLiteral("票据模板导入"), QStringLiteral("actTemplateImport"));
    addPending(system, QStringLiteral("票据模板管理（默认、显示、隐藏）"),
               QStringLiteral("actTemplateManager"));
    addPending(system, QStringLiteral("字典管理设置(&N) 用途、始发站等"), QStringLiteral("actDictionaries"));
    addPending(system, QStringLiteral("币种设置"), QStringLiteral("actCurrencies"));
    addPending(system, QStringLiteral("省市代码设置(&O)"), QStringLiteral("actRegionCodes"));
    addPending(system, QStringLiteral("更改系统登录密码"), QStringLiteral("actUsers"));
    addPending(system, QStringLiteral("数据备份"), QStringLiteral("actBackup"));
    addPending(system, QStringLiteral("从备份恢复"), QStringLiteral("actRestore"));
    QMenu* options = system->addMenu(QStringLiteral("系统选项(&Y)"));
    options->setObjectName(QStringLiteral("mOptions"));
    mPopPrint = addAction(options, QStringLiteral("打印前弹出打印机配置窗口"), QStringLiteral("mPopPrint"));
    mNeedLogin = addAction(options, QStringLiteral("进入系统需要密码验证"), QStringLiteral("mNeedLogin"));
    mUseDefaultCPR = addAction(options, QStringLiteral("启用默认出票人"), QStringLiteral("mUseDefaultCPR"));
    mSystemBackImage =
        addAction(options, QStringLiteral("启用系统背景图"), QStringLiteral("mSystemBackImage"));
    for (QAction* item : {mPopPrint, mNeedLogin, mUseDefaultCPR, mSystemBackImage})
        item->setCheckable(true);
    connect(mPopPrint, &QAction::triggered, this, &Tfm_Main::mPopPrintClick);
    connect(mNeedLogin, &QAction::triggered, this, &Tfm_Main::mNeedLoginClick);
    connect(mUseDefaultCPR, &QAction::triggered, this, &Tfm_Main::mUseDefaultCPRClick);
    connect(mSystemBackImage, &QAction::triggered, this, &Tfm_Main::mSystemBackImageClick);

    QMenu* print = bar->addMenu(QStringLiteral("打印设置(&P)"));
    print->setObjectName(QStringLiteral("mPrint"));
    addPending(print, QStringLiteral("打印整体偏移调整(&M)"), QStringLiteral("actOffsets"));
    addPending(print, QStringLiteral("设计模式（票据模板界面及打印效果调整）"),
               QStringLiteral("actDesigner"));
    addPending(print, QStringLiteral("锁定/匹配票据打印机"), QStringLiteral("actPrinterLock"));
    addPending(print, QStringLiteral("打印机设置 (&C)"), QStringLiteral("actPrinterSetup"));
    // Print on the template's own paper size (continuous forms on a tractor): for the current
    // template, or for every template printed on the current printer.
    addPending(print, QStringLiteral("按模板纸张尺寸打印(&Z)"), QStringLiteral("actTemplatePaper"))
        ->setCheckable(true);
    addPending(print, QStringLiteral("本打印机的所有模板都按模板纸张尺寸打印"),
               QStringLiteral("actPrinterTemplatePaper"))
        ->setCheckable(true);
    addPending(print, QStringLiteral("添加打印机纸张规格"), QStringLiteral("actPaperSizeHelp"));
    print->addSeparator();
    addPending(print, QStringLiteral("打印测试页"), QStringLiteral("actTestPage"));
    addPending(print, QStringLiteral("打印校准（十字校准页）"), QStringLiteral("actMeasuredCalibration"));
    addPending(print, QStringLiteral("打印记录（补打）"), QStringLiteral("actPrintJournal"));

    QMenu* tools = bar->addMenu(QStringLiteral("工具(&T)"));
    tools->setObjectName(QStringLiteral("mTools"));
    connect(addAction(tools, QStringLiteral("  清除软件缓存文件"), QStringLiteral("actCleanCache")),
            &QAction::triggered, this, &Tfm_Main::actCleanCacheClick);
    connect(addAction(tools, QStringLiteral("  修复压缩数据库"), QStringLiteral("actCompactDatabase")),
            &QAction::triggered, this, &Tfm_Main::actCompactDatabaseClick);
    addPending(tools, QStringLiteral("  在线升级"), QStringLiteral("actOnlineUpgrade"));
    addPending(tools, QStringLiteral("  显示\\\\隐藏在线中心"), QStringLiteral("actOnlineCenter"));
    addPending(tools, QStringLiteral("  邮政编码查询"), QStringLiteral("actPostcode"));
    addPending(tools, QStringLiteral("  锁定电脑屏幕"), QStringLiteral("actLockScreen"));
    addPending(tools, QStringLiteral("  计算器 (&U)"), QStringLiteral("actCalculator"));

    QAction* toggleBar =
        addAction(nullptr, QStringLiteral("显示/隐藏工具栏(&L)"), QStringLiteral("actToggleToolBar"));
    bar->addAction(toggleBar);
    connect(toggleBar, &QAction::triggered, this, &Tfm_Main::actToggleToolBarClick);

    QMenu* help = bar->addMenu(QStringLiteral("帮 助(&H)"));
    help->setObjectName(QStringLiteral("mHelp"));
    connect(addAction(help, QStringLiteral("  关于 (&A)"), QStringLiteral("actAbout")), &QAction::triggered,
            this, &Tfm_Main::actAboutClick);
    addPending(help, QStringLiteral("  帮助 (&H)"), QStringLiteral("actHelp"))->setShortcut(Qt::Key_F1);
    addPending(help, QStringLiteral("  升级到9.28"), QStringLiteral("actUpgrade"))->setVisible(false);
    connect(addAction(help, QStringLiteral("  重启软件"), QStringLiteral("actRestart")), &QAction::triggered,
            this, &Tfm_Main::actRestartClick);
    connect(addAction(help, QStringLiteral("  退出 (&Q)"), QStringLiteral("actExit")), &QAction::triggered,
            this, &Tfm_Main::ExitSystem);

    for (QMenu* menu : findChildren<QMenu*>())
        menu->setToolTipsVisible(true);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupImage1"));
    connect(addAction(m_popup, QStringLiteral("【出货单】填开"), QStringLiteral("actPopDeliveryNote")),
            &QAction::triggered, this, &Tfm_Main::actDeliveryNoteClick);
    addAction(m_popup, QStringLiteral("【快递单】"), QStringLiteral("actPopExpress"));
    QMenu* others = m_popup->addMenu(QStringLiteral("【其他单】填开"));
    others->setObjectName(QStringLiteral("mPopOthers"));
    const std::pair<const char*, const char*> otherBills[] = {{"支票", "actPopCheque"},
                                                              {"进账单", "actPopBankDeposit"},
                                                              {"电汇单/业务委托书", "actPopWire"},
                                                              {"承兑汇票", "actPopAcceptance"},
                                                              {"境外汇款申请书", "actPopRemittance"},
                                                              {"缴款单", "actPopPayIn"},
                                                              {"国税发票", "actPopStateTax"},
                                                              {"地税发票", "actPopLocalTax"},
                                                              {"定制单", "actPopCustom"}};
    for (const auto& [caption, name] : otherBills)
        addFixedOff(others, QString::fromUtf8(caption), QString::fromLatin1(name), true);
    connect(addAction(m_popup, QStringLiteral("刷新"), QStringLiteral("actPopRefresh")), &QAction::triggered,
            this, &Tfm_Main::actPopRefreshClick);
    addPending(m_popup, QStringLiteral("帮助"), QStringLiteral("actPopHelp"), QStringLiteral("actHelp"));
    m_popup->setToolTipsVisible(true);
}

void Tfm_Main::createToolBar() {
    ToolBarMain = addToolBar(QStringLiteral("ToolBarMain"));
    ToolBarMain->setObjectName(QStringLiteral("ToolBarMain"));
    ToolBarMain->setMovable(false);
    ToolBarMain->setToolButtonStyle(Qt::ToolButtonTextOnly);

    QAction* newBill = addAction(nullptr, QStringLiteral("填开新票据"), QStringLiteral("actTbNewBill"));
    newBill->setMenu(m_newBillMenu);
    ToolBarMain->addAction(newBill);
    if (auto* button = qobject_cast<QToolButton*>(ToolBarMain->widgetForAction(newBill)))
        button->setPopupMode(QToolButton::InstantPopup);

    ToolBarMain->addAction(addPending(nullptr, QStringLiteral("单据查询"), QStringLiteral("actTbHistory"),
                                      QStringLiteral("actHistory")));
    QAction* own = addPending(nullptr, QStringLiteral("我方单位"), QStringLiteral("tbSelfComp"));
    ToolBarMain->addAction(own);
    own->setVisible(false);
    ToolBarMain->addAction(
        addPending(nullptr, QStringLiteral("往来单位(&K)"), QStringLiteral("tbCustomerComp")));
    QAction* dictionaries =
        addPending(nullptr, QStringLiteral("字典管理"), QStringLiteral("actTbDictionaries"),
                   QStringLiteral("actDictionaries"));
    ToolBarMain->addAction(dictionaries);
    dictionaries->setVisible(false);
    ToolBarMain->addAction(addPending(nullptr, QStringLiteral("商品管理"), QStringLiteral("actTbProducts"),
                                      QStringLiteral("actProducts")));
    ToolBarMain->addAction(addPending(nullptr, QStringLiteral("新模板导入"),
                                      QStringLiteral("actTbTemplateImport"),
                                      QStringLiteral("actTemplateImport")));
    ToolBarMain->addAction(addPending(nullptr, QStringLiteral("打印机(&C)"), QStringLiteral("actTbPrinter"),
                                      QStringLiteral("actPrinterSetup")));
    QAction* firstUse = addAction(nullptr, QStringLiteral("第一次用"), QStringLiteral("actTbFirstUse"));
    ToolBarMain->addAction(firstUse);
    connect(firstUse, &QAction::triggered, this, &Tfm_Main::actTbFirstUseClick);
    QAction* exit = addAction(nullptr, QStringLiteral("  退出 (&Q)"), QStringLiteral("actTbExit"));
    ToolBarMain->addAction(exit);
    connect(exit, &QAction::triggered, this, &Tfm_Main::actTbExitClick);
}

void Tfm_Main::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    const QString texts[] = {QStringLiteral("系统已就绪"), QStringLiteral("建议分辨率:1024x768以上"),
                             QString(), QString(), QString()};
    const int widths[] = {130, 170, 240, 60, 0};
    for (int i = 0; i < 5; ++i) {
        auto* panel = new QLabel(texts[i], bar);
        panel->setObjectName(QStringLiteral("StatusPanel") + QString::number(i + 1));
        panel->setMinimumWidth(widths[i]);
        bar->addWidget(panel, i == 4 ? 1 : 0);
        m_panels << panel;
    }
}

bool Tfm_Main::FormCreate() {
    m_app.version = VersionInfo::applicationVersionText();
    LoadSysParam();
    m_app.OpenUserIniFile();
    ToolBarMain->setVisible(m_app.userIni().readString(kToolBarSection, kToolBarKey, QStringLiteral("1")) ==
                            QLatin1String("1"));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        m_panels[0]->setText(StartupRules::screenStatusText(screen->size().height()));
    loadBackground();
    const QString exePath = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
    m_panels[4]->setText(exePath);

    if (StartupRules::isUnpackedArchivePath(m_app.getRunPath())) {
        m_app.dialogs().message(StartupRules::unpackWarning(m_app.version));
        return false;
    }

    if (!m_record) {
        m_ownRecord = std::make_unique<InstallRecord>();
        m_record = m_ownRecord.get();
    }
    if (!m_record->update(m_app.getRunPath(), m_app.version, exePath))
        m_app.dialogs().message(QStringLiteral("注册表读写错误！"));

    setWindowTitle(StartupRules::captionText(m_app.version));
    fillPrinters();
    setDefaultPrinter(m_app.getConfigByname(QStringLiteral("DefaultPrinter")));
    if (m_app.useDefaultIssuer)
        loadDefaultIssuer();
    return true;
}

bool Tfm_Main::startUp(bool withSplash) {
    if (!FormCreate())
        return false;
    // Without a window manager "maximised" means nothing, so the window takes the screen itself.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    // Nothing of the main window may be used before the operator has logged in.
    if (mNeedLogin->isChecked() && m_login)
        setEnabled(false);
    showMaximized();
    if (m_entryFactory)
        openEntryWindow();
    QCoreApplication::processEvents();
    if (withSplash) {
        Tfm_Boot boot(m_app.pathOf(QStringLiteral("Image/Sys_boot.jpg")));
        boot.showAtLeastHalfASecond();
    }
    updateClock();
    TimerSystem->start();
    return true;
}

void Tfm_Main::fillPrinters() {
    cbPrinters->clear();
    cbPrinters->addItems(QPrinterInfo::availablePrinterNames());
}

QStringList Tfm_Main::printerNames() const {
    QStringList names;
    for (int i = 0; i < cbPrinters->count(); ++i)
        names << cbPrinters->itemText(i);
    return names;
}

void Tfm_Main::setDefaultPrinter(const QString& name) {
    const QStringList printers = printerNames();
    const QString stored =
        name.trimmed().isEmpty() ? m_app.getConfigByname(QStringLiteral("DefaultPrinter")) : QString();
    const int index = PrinterChoice::choose(printers, name, stored);
    if (index < 0)
        return;
    cbPrinters->setCurrentIndex(index);
    m_app.setCurrentPrinter(printers.at(index));
}

void Tfm_Main::loadDefaultIssuer() {
    m_app.defaultIssuer = QSqlRecord();
    try {
        Recordset rs =
            m_app.db().query(QStringLiteral("Select * from CKPersonalInfoTable where 分组='默认出票人'"));
        if (rs.isEmpty())
            return;
        rs.first();
        QSqlRecord record;
        const QStringList fields = rs.fieldNames();
        for (int i = 0; i < fields.size(); ++i) {
            const QVariant value = rs.value(i);
            QSqlField field(fields.at(i), value.metaType());
            field.setValue(value);
            record.append(field);
        }
        m_app.defaultIssuer = record;
    } catch (const DbError&) {
        // Without a readable address book the bills simply start without a default issuer.
    }
}

void Tfm_Main::LoadSysParam() {
    mNeedLogin->setChecked(m_app.configSwitch(kNeedLogin));
    m_app.popPrinterSetup = m_app.configSwitch(kPopPrint);
    mPopPrint->setChecked(m_app.popPrinterSetup);
    m_app.useDefaultIssuer = m_app.configSwitch(kDefaultIssuer);
    mUseDefaultCPR->setChecked(m_app.useDefaultIssuer);
    mSystemBackImage->setChecked(m_app.configSwitch(kBackground));
}

void Tfm_Main::setEntryWindowFactory(std::function<QWidget*(Tfm_Main&)> factory) {
    m_entryFactory = std::move(factory);
}

void Tfm_Main::setLoginHook(std::function<bool()> login) {
    m_login = std::move(login);
}

void Tfm_Main::setLoginSwitchGuard(std::function<bool()> guard) {
    m_loginSwitchGuard = std::move(guard);
}

void Tfm_Main::addToolWindow(QWidget* window) {
    m_toolWindows.append(QPointer<QWidget>(window));
}

QWidget* Tfm_Main::entryWindow() const {
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList())
        if (!sub->isHidden())
            return sub->widget();
    return nullptr;
}

int Tfm_Main::childWindowCount() const {
    int count = 0;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList())
        count += sub->isHidden() ? 0 : 1;
    return count;
}

QWidget* Tfm_Main::openEntryWindow() {
    QWidget* window = m_entryFactory(*this);
    if (!window)
        return nullptr;
    QMdiSubWindow* sub = m_mdiArea->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    connect(sub, &QObject::destroyed, this, &Tfm_Main::entryWindowDestroyed);
    MemoFirstRead->hide();
    applyBackground();
    sub->show();
    return window;
}

void Tfm_Main::entryWindowDestroyed() {
    m_app.currentCheckTypeId = -1;
}

bool Tfm_Main::closeAllBills() {
    bool closed = true;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList())
        closed = sub->close() && closed;
    return closed;
}

bool Tfm_Main::alert(const QString& message, const QString& caption, bool ask) {
    return m_app.dialogs().alert(message, caption, ask);
}

bool Tfm_Main::giveMeAnValue(const QString& title, const QString& defaultValue, QString& value,
                             const QString& type) {
    if (!m_app.dialogs().inputValue(title, defaultValue, type, value))
        value.clear();
    return !value.isEmpty();
}

void Tfm_Main::FormFaceSave(const QWidget& window) {
    FormFace::save(m_app.userIni(), window);
}

void Tfm_Main::FormFaceLoad(QWidget& window) {
    FormFace::load(m_app.userIni(), window);
}

void Tfm_Main::loadBackground() {
    // A main window kept off the screen (the command line's) shows no picture, so none is read.
    const bool shown = mSystemBackImage->isChecked() && !testAttribute(Qt::WA_DontShowOnScreen);
    m_background = shown ? QPixmap(m_app.pathOf(QStringLiteral("Image/sys_bg.jpg"))) : QPixmap();
    applyBackground();
}

bool Tfm_Main::backgroundShown() const {
    return !m_background.isNull() && MemoFirstRead->isHidden();
}

bool Tfm_Main::firstUseNotesVisible() const {
    return !MemoFirstRead->isHidden();
}

void Tfm_Main::applyBackground() {
    const QSize area = m_mdiArea->viewport()->size();
    if (backgroundShown() && !area.isEmpty())
        m_mdiArea->setBackground(m_background.scaled(area, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    else
        m_mdiArea->setBackground(palette().brush(QPalette::Dark));
}

void Tfm_Main::updateClock() {
    m_panels[2]->setText(QStringLiteral(" 当前时间：") +
                         QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
}

void Tfm_Main::TimerSystemTimer() {
    updateClock();
    if (m_firstTickDone)
        return;
    m_firstTickDone = true;
    if (mNeedLogin->isChecked() && m_login) {
        if (!m_login()) {
            close();
            QCoreApplication::quit();
            return;
        }
        // Whoever works at the desk is named where the clerk sees it the whole day.
        m_panels[3]->setText(QStringLiteral(" 操作员：") + m_app.userName + QLatin1Char(' '));
    }
    setEnabled(true);
}

void Tfm_Main::actDeliveryNoteClick() {
    if (childWindowCount() > 0) {
        m_app.dialogs().notice(QStringLiteral("请先关闭打开的单据！"), QStringLiteral("提示"));
        return;
    }
    if (!m_entryFactory)
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    openEntryWindow();
    QGuiApplication::restoreOverrideCursor();
}

void Tfm_Main::actCloseBillsClick() {
    closeAllBills();
}

void Tfm_Main::toggleSwitch(bool nowTicked, const QString& option) {
    // The click has already flipped the tick: it was ticked when it is not any more.
    m_app.setConfigByname(option, nowTicked ? QStringLiteral("yes") : QStringLiteral("no"));
    LoadSysParam();
}

void Tfm_Main::mPopPrintClick(bool checked) {
    toggleSwitch(checked, kPopPrint);
}

void Tfm_Main::mNeedLoginClick(bool checked) {
    if (checked && m_loginSwitchGuard && !m_loginSwitchGuard()) {
        mNeedLogin->setChecked(false);
        return;
    }
    toggleSwitch(checked, kNeedLogin);
}

void Tfm_Main::mUseDefaultCPRClick(bool checked) {
    toggleSwitch(checked, kDefaultIssuer);
}

void Tfm_Main::mSystemBackImageClick(bool checked) {
    if (!checked) {
        m_app.setConfigByname(kBackground, QStringLiteral("no"));
        mSystemBackImage->setChecked(false);
        m_app.dialogs().message(QStringLiteral("需要重启软件才生效哦！"));
        return;
    }
    m_app.setConfigByname(kBackground, QStringLiteral("yes"));
    mSystemBackImage->setChecked(true);
    loadBackground();
}

void Tfm_Main::actCleanCacheClick() {
    if (m_app.templates().resetTemps(childWindowCount() > 0))
        closeAllBills();
}

void Tfm_Main::actCompactDatabaseClick() {
    m_app.dialogs().message(QStringLiteral("正在建设!"));
}

void Tfm_Main::actToggleToolBarClick() {
    const bool show = ToolBarMain->isHidden();
    ToolBarMain->setVisible(show);
    IniFile& ini = m_app.userIni();
    ini.writeString(kToolBarSection, kToolBarKey, show ? QStringLiteral("1") : QStringLiteral("0"));
    ini.flush();
}

void Tfm_Main::actAboutClick() {
    m_app.dialogs().notice(StartupRules::applicationTitle() + QLatin1Char('V') + m_app.version,
                           QStringLiteral("关于"));
}

void Tfm_Main::actRestartClick() {
    if (!m_app.dialogs().ask(QStringLiteral("确定要重开软件吗?"), QStringLiteral("重启软件")) ||
        !closeAllBills())
        return;
    // Shut down first, so the new instance finds Config.ini and the database written and free.
    close();
    QProcess::startDetached(QCoreApplication::applicationFilePath(), QCoreApplication::arguments().mid(1));
    QCoreApplication::quit();
}

void Tfm_Main::ExitSystem() {
    const QString word =
        m_app.userIni().readString(QStringLiteral("Info"), QStringLiteral("nm"), QStringLiteral("青木鸟"));
    if (!m_app.dialogs().ask(StartupRules::exitQuestion(word), QStringLiteral("确认")) || !close())
        return;
    QCoreApplication::quit();
}

void Tfm_Main::actTbExitClick() {
    for (const QPointer<QWidget>& window : m_toolWindows)
        if (window && window->isVisible())
            window->close();
    ExitSystem();
}

void Tfm_Main::actTbFirstUseClick() {
    MemoFirstRead->setGeometry(m_mdiArea->viewport()->rect());
    if (MemoFirstRead->isHidden()) {
        // Laid out when first asked for, not at every start (the command line's too).
        if (MemoFirstRead->document()->isEmpty())
            MemoFirstRead->setPlainText(StartupRules::firstUseNotes());
        MemoFirstRead->show();
        MemoFirstRead->raise();
    } else {
        MemoFirstRead->hide();
    }
    applyBackground();
}

void Tfm_Main::actPopRefreshClick() {
    loadBackground();
}

void Tfm_Main::Image1ContextPopup(const QPoint& pos) {
    QWidget* viewport = m_mdiArea->viewport();
    QWidget* under = viewport->childAt(pos);
    // Only the background itself carries the pop-up; child windows have their own menus.
    if (under && under != MemoFirstRead && !MemoFirstRead->isAncestorOf(under))
        return;
    m_popup->popup(viewport->mapToGlobal(pos));
}

bool Tfm_Main::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_mdiArea->viewport() && event->type() == QEvent::Resize) {
        applyBackground();
    } else if (watched == MemoFirstRead->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        actTbFirstUseClick();
        return true;
    } else if (event->type() == QEvent::Wheel && isActiveWindow()) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            // A wheel step moves between the boxes of the bill as the cursor keys do.
            const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
            const Qt::Key key = delta <= 0 ? Qt::Key_Down : Qt::Key_Up;
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : this;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &press);
            QCoreApplication::sendEvent(target, &release);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tfm_Main::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!MemoFirstRead->isHidden()) {
        MemoFirstRead->hide();
        applyBackground();
    }
}

void Tfm_Main::closeEvent(QCloseEvent* event) {
    // The entry window saves what it holds when it closes, so it goes before the connection; it
    // may also keep the program open for a note the user has not saved.
    if (!closeAllBills()) {
        event->ignore();
        return;
    }
    TimerSystem->stop();
    for (const QPointer<QWidget>& window : m_toolWindows)
        if (window)
            window->close();
    if (m_beforeStoreCloses)
        m_beforeStoreCloses();
    m_app.db().close();
    m_app.releaseUserIni();
    event->accept();
}

} // namespace core::ui
