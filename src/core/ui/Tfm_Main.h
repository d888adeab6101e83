#pragma once

#include "core/ui/GridServices.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMdiArea;
class QMenu;
class QPlainTextEdit;
class QTimer;
class QToolBar;

namespace core {
class AppContext;
class InstallRecord;
} // namespace core

namespace core::ui {

// The frame of the program: a maximised multi-document window whose menus and tool bar open
// every other window, whose client area shows the background picture and hosts the entry window
// as its only child, and whose status bar shows the clock.
//
// Commands of other folders are wired with setCommand(objectName, handler): until then they
// are present under their captions, disabled, with the hint "此功能尚未提供". The tool-bar
// buttons that run a menu command share its name and are enabled with it.
//
// Object names of the actions (menu path → name; tool-bar buttons listed after their command):
//   新票据填开(&F)/填开新票据/出货单 actDeliveryNote · 填写快递单 actExpressNote
//   新票据填开(&F)/其他定制票据/… actSeaFreightInvoice actVatInvoice actTaxInvoice actOtherInvoice
//       actDeliverySlip actSalesSlip actJewelryWarranty actReceiptPayment (always disabled)
//   新票据填开(&F)/关闭所有填开单据 actCloseBills
//   历史开票管理(&S)/出货单管理 actHistory, tool bar 单据查询 actTbHistory
//       invisible: actChequeHistory actWireHistory actAcceptanceHistory actRemittanceHistory
//       actCashDepositHistory actBankDepositHistory actFreightInvoiceHistory actExportInvoiceHistory
//       actExpressHistory
//   系统管理(&M)/单位及客户资料管理(&K)  actAddressBook; tool bar 我方单位 tbSelfComp (invisible),
//       往来单位(&K) tbCustomerComp (own commands: the manager on one tab)
//   系统管理(&M)/商品管理(&G) actProducts, tool bar 商品管理 actTbProducts
//   系统管理(&M)/票据模板导入 actTemplateImport, tool bar 新模板导入 actTbTemplateImport
//   系统管理(&M)/票据模板管理（默认、显示、隐藏） actTemplateManager
//   系统管理(&M)/字典管理设置(&N) 用途、始发站等 actDictionaries, tool bar 字典管理 actTbDictionaries
//       (invisible)
//   系统管理(&M)/币种设置 actCurrencies · 省市代码设置(&O) actRegionCodes · 更改系统登录密码 actUsers
//   系统管理(&M)/系统选项(&Y)/… mPopPrint mNeedLogin mUseDefaultCPR mSystemBackImage
//   打印设置(&P)/打印整体偏移调整(&M) actOffsets · 设计模式（…） actDesigner
//       · 锁定/匹配票据打印机 actPrinterLock · 打印机设置 (&C) actPrinterSetup (tool bar 打印机(&C)
//       actTbPrinter) · 按模板纸张尺寸打印(&Z) actTemplatePaper (checkable, per template)
//       · 本打印机的所有模板都按模板纸张尺寸打印 actPrinterTemplatePaper (checkable, per printer)
//       · 添加打印机纸张规格 actPaperSizeHelp
//   工具(&T)/  清除软件缓存文件 actCleanCache ·   修复压缩数据库 actCompactDatabase
//       ·   在线升级 actOnlineUpgrade ·   显示\\隐藏在线中心 actOnlineCenter ·   邮政编码查询 actPostcode
//       ·   锁定电脑屏幕 actLockScreen ·   计算器 (&U) actCalculator
//   显示/隐藏工具栏(&L) actToggleToolBar
//   帮 助(&H)/  关于 (&A) actAbout ·   帮助 (&H) actHelp ·   升级到9.28 actUpgrade (invisible)
//       ·   重启软件 actRestart ·   退出 (&Q) actExit
//   tool bar: 填开新票据 actTbNewBill (drops down the menu), 第一次用 actTbFirstUse,
//       退出 actTbExit
//   pop-up menu of the background: 【出货单】填开 actPopDeliveryNote · 【快递单】 actPopExpress
//       · 【其他单】填开/… actPopCheque actPopBankDeposit actPopWire actPopAcceptance
//       actPopRemittance actPopPayIn actPopStateTax actPopLocalTax actPopCustom (always disabled)
//       · 刷新 actPopRefresh · 帮助 actPopHelp (runs actHelp)
class Tfm_Main final : public QMainWindow {
    Q_OBJECT
public:
    explicit Tfm_Main(AppContext& app, QWidget* parent = nullptr);
    ~Tfm_Main() override;

    AppContext& app() { return m_app; }
    GridServices& grids() { return m_grids; }

    // Start-up. FormCreate runs the creation steps (version, options, Config.ini, tool bar,
    // status panels, background, unpack check, installation record, caption, printers, default
    // issuer); it returns false when the program must end (run from an unpacked archive).
    // startUp runs FormCreate, shows the window maximised, opens the entry window, lets pending
    // events run, shows the splash (when asked) and starts the clock; false: end the program.
    bool FormCreate();
    bool startUp(bool withSplash = true);
    // The installation record written at start; without one the platform's own is used.
    void setInstallRecord(InstallRecord* record) { m_record = record; }
    InstallRecord* installRecord() const { return m_record; }

    // Wiring of other folders.
    void setCommand(const QString& actionObjectName, std::function<void()> handler);
    QAction* action(const QString& objectName) const;
    // Creates the entry window for "出货单" and at start; without it the child area stays empty.
    void setEntryWindowFactory(std::function<QWidget*(Tfm_Main&)> factory);
    // The login of the first clock tick, run when "进入系统需验证" is on; false ends the program.
    // The main window stays disabled from start until it has returned true.
    void setLoginHook(std::function<bool()> login);
    // Asked before the login is switched on; false keeps it off (it has said why).
    void setLoginSwitchGuard(std::function<bool()> guard);
    // Runs when the program closes, after the entry windows saved what they hold and before the
    // store closes (the backup at exit).
    void setBeforeStoreCloses(std::function<void()> action) { m_beforeStoreCloses = std::move(action); }
    // A window closed by the tool-bar exit button and at shutdown when still open.
    void addToolWindow(QWidget* window);

    // The first child window's widget (the entry window), or nullptr.
    QWidget* entryWindow() const;
    int childWindowCount() const;
    QMdiArea* mdiArea() const { return m_mdiArea; }

    // Services.
    bool alert(const QString& message, const QString& caption, bool ask);
    // The typed input dialog; value is the text typed, empty when cancelled. True with a value.
    bool giveMeAnValue(const QString& title, const QString& defaultValue, QString& value,
                       const QString& type);
    void FormFaceSave(const QWidget& window);
    void FormFaceLoad(QWidget& window);
    void LoadSysParam();
    void setDefaultPrinter(const QString& name);
    QStringList printerNames() const;
    // False when a bill window stayed open (its unsaved note kept).
    bool closeAllBills();
    // Reads the default issuing unit (the row of the group 默认出票人) into the context again.
    void loadDefaultIssuer();
    void loadBackground();
    bool backgroundShown() const;
    bool firstUseNotesVisible() const;

    // The clock tick, public so the first-tick login can be driven directly.
    void TimerSystemTimer();
    void ExitSystem();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // No pop-up of docks and tool bars: the tool bar is shown and hidden by its menu command
    // alone, which remembers the choice.
    QMenu* createPopupMenu() override { return nullptr; }
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void createToolBar();
    void createStatusBar();
    QAction* addAction(QMenu* menu, const QString& caption, const QString& name);
    QAction* addPending(QMenu* menu, const QString& caption, const QString& name,
                        const QString& command = {});
    QAction* addFixedOff(QMenu* menu, const QString& caption, const QString& name, bool visible);
    void registerCommand(QAction* action, const QString& command);
    void commandTriggered();
    QWidget* openEntryWindow();
    void entryWindowDestroyed();
    void applyBackground();
    void toggleSwitch(bool nowTicked, const QString& option);
    void updateClock();
    void fillPrinters();

    void actDeliveryNoteClick();
    void actCloseBillsClick();
    void mPopPrintClick(bool checked);
    void mNeedLoginClick(bool checked);
    void mUseDefaultCPRClick(bool checked);
    void mSystemBackImageClick(bool checked);
    void actCleanCacheClick();
    void actCompactDatabaseClick();
    void actToggleToolBarClick();
    void actAboutClick();
    void actRestartClick();
    void actTbFirstUseClick();
    void actTbExitClick();
    void actPopRefreshClick();
    void Image1ContextPopup(const QPoint& pos);

    AppContext& m_app;
    GridServices m_grids;
    InstallRecord* m_record = nullptr;
    std::unique_ptr<InstallRecord> m_ownRecord;

    QMdiArea* m_mdiArea;
    QToolBar* ToolBarMain = nullptr;
    QList<QLabel*> m_panels;
    QPlainTextEdit* MemoFirstRead;
    QComboBox* cbPrinters;
    QTimer* TimerSystem;
    QMenu* m_newBillMenu = nullptr;
    QMenu* m_popup = nullptr;
    QAction* mNeedLogin = nullptr;
    QAction* mPopPrint = nullptr;
    QAction* mUseDefaultCPR = nullptr;
    QAction* mSystemBackImage = nullptr;

    QHash<QString, QList<QAction*>> m_commands;
    QHash<QString, std::function<void()>> m_handlers;
    std::function<QWidget*(Tfm_Main&)> m_entryFactory;
    std::function<bool()> m_login;
    std::function<bool()> m_loginSwitchGuard;
    std::function<void()> m_beforeStoreCloses;
    QList<QPointer<QWidget>> m_toolWindows;

    QPixmap m_background;
    bool m_firstTickDone = false;
};

} // namespace core::ui
