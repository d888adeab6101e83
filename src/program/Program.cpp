#include "program/Program.h"

#include "accounts/AccountsTables.h"
#include "accounts/Ledger.h"
#include "accounts/ui/TfrmOverview.h"
#include "accounts/ui/TfrmPayments.h"
#include "accounts/ui/TfrmStatement.h"
#include "backup/ui/BackupRunner.h"
#include "backup/ui/TfrmBackupOptions.h"
#include "backup/ui/TfrmBackupRestore.h"
#include "batch/ui/EntryFill.h"
#include "batch/ui/TfrmMutiPrintOrder.h"
#include "core/AppContext.h"
#include "core/DbError.h"
#include "core/ScriptedDialogs.h"
#include "core/ui/DataGrid.h"
#include "core/ui/FileClipboard.h"
#include "designer/ui/TfmCheckDesign.h"
#include "designer/ui/TfmTemplateDesigner.h"
#include "entry/DeliveryNoteStore.h"
#include "entry/NoteDayTotals.h"
#include "entry/ui/NoteCommands.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "history/ui/TfmSearch_FHDSHD.h"
#include "history/ui/TfrmGridConfig.h"
#include "imports/ColumnMatching.h"
#include "imports/ui/ImportRunPanel.h"
#include "imports/ui/TfrmImportMatchOrder.h"
#include "masterdata/PersonStore.h"
#include "masterdata/TPerson.h"
#include "masterdata/ui/AddressBook.h"
#include "masterdata/ui/Tfm_DMConfig.h"
#include "masterdata/ui/Tfm_PersonManage.h"
#include "masterdata/ui/TfrmCom.h"
#include "masterdata/ui/TfrmSsSet.h"
#include "masterdata/ui/Tfrm_GoodsManage.h"
#include "print/ControlValues.h"
#include "print/JournalReprint.h"
#include "print/NoteCopy.h"
#include "print/PrintError.h"
#include "print/PrintLookups.h"
#include "print/PrinterSetup.h"
#include "print/TemplatePaperSwitch.h"
#include "print/ui/TfrmMeasuredCalibration.h"
#include "print/ui/TfrmPrintJournal.h"
#include "print/ui/TfrmTestPage.h"
#include "recognition/ui/TfrmMatchAddr.h"
#include "templates/ui/TfmLockPrinter.h"
#include "templates/ui/TfrmBillImportExport.h"
#include "templates/ui/TfrmCheckTypeMng.h"
#include "templates/ui/TfrmPrintOffset.h"
#include "upgrade/StartupOffer.h"
#include "upgrade/ui/TfrmUp2NewVersion.h"
#include "users/UserStore.h"
#include "users/ui/TfrmUserLogin.h"
#include "users/ui/TfrmUserManage.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QScopeGuard>
#include <QTimer>
#include <functional>
#include <utility>

namespace program {

Program::Program(core::AppContext& app, print::PrintDevice& device)
    : m_app(app), m_device(device), m_main(app), m_entryHost(m_main, device),
      m_addressBook(std::make_unique<masterdata::ui::AddressBook>(app, m_main.grids(), &m_main)),
      m_backups(new backup::ui::BackupRunner(app, &m_main)) {
    m_addressBook->reloadDefaultIssuer = [this] { m_main.loadDefaultIssuer(); };
    m_addressBook->unitSaved = [this] {
        forEachEntryWindow([](entry::ui::TfmCheckFHDSHD& window) { window.unitsChanged(); });
    };
    m_addressBook->closeBills = [this] {
        if (m_main.childWindowCount() == 0)
            return;
        m_app.dialogs().message(QStringLiteral("默认出票人已经修改，请重新填开票据！"));
        m_main.closeAllBills();
    };
    // Windows of the higher folders reach the main window only through these hooks.
    m_main.setEntryWindowFactory([this](core::ui::Tfm_Main& main) -> QWidget* {
        auto* entryWindow = new entry::ui::TfmCheckFHDSHD(main.app(), m_entryHost);
        entryWindow->setAddressRecogniser([this] {
            if (!m_matchAddr)
                m_matchAddr = std::make_unique<recognition::ui::TfrmMatchAddr>(m_app, &m_main);
            return m_matchAddr->run();
        });
        entryWindow->setAddressBook(
            [this] {
                return m_addressBook->fetchOnePerson(masterdata::PersonStore::kPartnerUnit,
                                                     QStringLiteral("选取客户名称"));
            },
            [this](const masterdata::TPerson& customer) { m_addressBook->saveParty(&customer); });
        entryWindow->setBatchPrinting([this] { openBatchPrinting(); });
        return entryWindow;
    });
    m_main.grids().setColumnChooser([this](core::ui::DataGrid& grid, const QString& section) {
        history::ui::GridColsConfigration(m_app, m_main.grids(), grid, section, grid.window());
    });
    m_main.setCommand(QStringLiteral("actPrinterSetup"),
                      [this] { print::PrinterSetup::run(m_app, m_device, &m_main); });
    print::PrinterSetup::follow(m_app, m_device);
    m_main.setCommand(QStringLiteral("actTemplatePaper"), [this] { actTemplatePaperClick(); });
    m_main.setCommand(QStringLiteral("actPrinterTemplatePaper"), [this] { actPrinterTemplatePaperClick(); });
    if (auto* printMenu = m_main.findChild<QMenu*>(QStringLiteral("mPrint")))
        QObject::connect(printMenu, &QMenu::aboutToShow, &m_main, [this] { showTemplatePaper(); });
    m_main.setCommand(QStringLiteral("actOffsets"), [this] { openOffsets(); });
    m_main.setCommand(QStringLiteral("actDesigner"), [this] { openFormDesigner(); });
    m_main.setCommand(QStringLiteral("actPrinterLock"), [this] { openPrinterLock(); });
    m_main.setCommand(QStringLiteral("actAddressBook"), [this] { m_addressBook->openManager(QString()); });
    m_main.setCommand(QStringLiteral("tbSelfComp"),
                      [this] { m_addressBook->openManager(masterdata::PersonStore::kOwnUnit); });
    m_main.setCommand(QStringLiteral("tbCustomerComp"),
                      [this] { m_addressBook->openManager(masterdata::PersonStore::kPartnerUnit); });
    m_main.setCommand(QStringLiteral("actTemplateManager"), [this] { openTemplateManager(); });
    m_main.setCommand(QStringLiteral("actTemplateImport"), [this] { openTemplatePackages(); });
    m_main.setCommand(QStringLiteral("actTbTemplateImport"), [this] { openTemplatePackages(); });
    m_main.setCommand(QStringLiteral("actProducts"),
                      [this] { masterdata::ui::openGoodsManage(m_app, m_main.grids(), &m_main); });
    m_main.setCommand(QStringLiteral("actDictionaries"),
                      [this] { masterdata::ui::openDictionaries(m_app, &m_main); });
    m_main.setCommand(QStringLiteral("actRegionCodes"),
                      [this] { masterdata::ui::openRegionCodes(m_app, &m_main); });
    m_main.setCommand(QStringLiteral("actCurrencies"),
                      [this] { masterdata::ui::openCurrencies(m_app, &m_main); });
    // After an import the address book, when open, lists everything again.
    imports::ui::afterImport().addressBook = [this] {
        if (masterdata::ui::Tfm_PersonManage* manager = m_addressBook->manager();
            manager && manager->isVisible())
            manager->btSelAllClick();
    };
    // After an order import the batch window, once made, lists the orders again.
    imports::ui::afterImport().batchList = [this] {
        if (m_batch)
            m_batch->reloadList();
    };
    m_main.setCommand(QStringLiteral("actHistory"), [this] { openHistory(nullptr, &m_main); });
    m_main.setCommand(QStringLiteral("actOverview"), [this] { openOverview(); });
    m_main.setCommand(QStringLiteral("actPayments"), [this] {
        accounts::ui::TfrmPayments window(m_app, &m_main);
        window.exec();
    });
    m_main.setCommand(QStringLiteral("actStatement"), [this] {
        accounts::ui::TfrmStatement window(m_app, m_device, &m_main);
        window.exec();
    });
    m_main.setLoginHook([this] {
        if (!users::ui::runStartupLogin(m_app, &m_main))
            return false;
        // The upgrade is offered once it is known who works at the desk (offerAtStart asks only
        // an operator who may change data). Its window needs the main window usable.
        m_main.setEnabled(true);
        upgrade::offerAtStart(m_app, [this] {
            openUpgrade();
            // The entry window read its template before the upgrade: it opens again on the new tables.
            if (m_main.closeAllBills())
                if (QAction* bill = m_main.action(QStringLiteral("actDeliveryNote")))
                    bill->trigger();
        });
        return true;
    });
    m_main.setLoginSwitchGuard([this] { return loginCanBeSwitchedOn(); });
    m_main.setCommand(QStringLiteral("actUsers"), [this] {
        users::ui::TfrmUserManage window(m_app, &m_main);
        window.exec();
    });
    m_main.setCommand(QStringLiteral("actUpgrade"), [this] { openUpgrade(); });
    m_main.setCommand(QStringLiteral("actTestPage"), [this] { openTestPage(); });
    m_main.setCommand(QStringLiteral("actMeasuredCalibration"), [this] {
        print::ui::TfrmMeasuredCalibration window(m_app, m_device, &m_main);
        window.exec();
    });
    m_main.setCommand(QStringLiteral("actPrintJournal"), [this] { openPrintJournal(); });
    m_main.setCommand(QStringLiteral("actBackup"), [this] {
        backup::ui::TfrmBackupOptions window(m_app, *m_backups, &m_main);
        window.exec();
    });
    m_main.setCommand(QStringLiteral("actRestore"), [this] {
        backup::ui::TfrmBackupRestore window(m_app, &m_main);
        // The windows hold statements of the replaced store: the program starts again on the new one.
        window.restored = [this] {
            m_main.close();
            QProcess::startDetached(QCoreApplication::applicationFilePath(),
                                    QCoreApplication::arguments().mid(1));
            QCoreApplication::quit();
        };
        window.exec();
    });
    m_main.setBeforeStoreCloses([this] { m_backups->atExit(); });
}

Program::~Program() {
    m_app.setPrinterSelector({});
    imports::ui::afterImport() = {};
}

void Program::openBatchPrinting() {
    if (!m_batch) {
        // The entry window is looked up at every run, so a closed one is never called into.
        m_batch = std::make_unique<batch::ui::TfrmMutiPrintOrder>(
            m_app, m_main.grids(),
            [this] { return qobject_cast<entry::ui::TfmCheckFHDSHD*>(m_main.entryWindow()); }, &m_main);
        m_batch->setImportCommand([this] { imports::ui::openOrderImport(m_app, m_batch.get()); });
        m_batch->setTestPageCommand([this] { openTestPage(m_batch.get()); });
    }
    if (m_batch->isMinimized())
        m_batch->showNormal();
    else
        m_batch->show();
    m_batch->raise();
    m_batch->activateWindow();
}

void Program::openOffsets(int id) {
    templates::ui::TfrmPrintOffset window(m_app, id > 0 ? id : m_app.currentCheckTypeId, &m_main);
    if (QAction* designer = m_main.action(QStringLiteral("actDesigner")); designer && designer->isEnabled())
        window.setDesignerCommand([designer] { designer->trigger(); });
    window.exec();
}

void Program::openFormDesigner() {
    auto* entryWindow = qobject_cast<entry::ui::TfmCheckFHDSHD*>(m_main.entryWindow());
    if (entryWindow && entryWindow->currentCheckTypeId() > 0)
        m_app.currentCheckTypeId = entryWindow->currentCheckTypeId();
    {
        designer::ui::TfmCheckDesign window(m_app, m_app.currentCheckTypeId, &m_main);
        if (!window.isValid())
            return;
        window.setOffsetOpener([this](int id) { openOffsets(id); });
        window.setPrintLayoutOpener(
            [this](QWidget* parent, int id) { designer::ui::TfmTemplateDesigner::run(m_app, id, parent); });
        window.exec();
    }
    // The entry window shows the boxes where the designer left them.
    forEachEntryWindow([](entry::ui::TfmCheckFHDSHD& window) { window.reloadTemplate(); });
}

void Program::openTemplateManager() {
    templates::ui::TfrmCheckTypeMng manager(m_app, m_app.currentCheckTypeId, &m_main);
    manager.setOffsetCommand([this](int id) { openOffsets(id); });
    QObject::connect(&manager, &templates::ui::TfrmCheckTypeMng::templatesChanged, &m_main,
                     [this] { templatesChanged(); });
    manager.exec();
}

void Program::templatesChanged() {
    forEachEntryWindow([](entry::ui::TfmCheckFHDSHD& window) { window.templatesChanged(); });
}

void Program::forEachEntryWindow(const std::function<void(entry::ui::TfmCheckFHDSHD&)>& apply) {
    for (QMdiSubWindow* sub : m_main.mdiArea()->subWindowList())
        if (auto* window = qobject_cast<entry::ui::TfmCheckFHDSHD*>(sub->widget()))
            apply(*window);
}

namespace {

// For as long as it lives, the program's dialogs answer the first file choice with a package
// given beforehand and pass everything else on.
class ChosenPackage final : public core::Dialogs {
public:
    ChosenPackage(core::AppContext& app, const QString& package)
        : m_app(app), m_inner(app.dialogs()), m_package(package) {
        m_app.setDialogs(*this);
    }
    ~ChosenPackage() override { m_app.setDialogs(m_inner); }
    Q_DISABLE_COPY_MOVE(ChosenPackage)

    bool alert(const QString& message, const QString& caption, bool ask) override {
        return m_inner.alert(message, caption, ask);
    }
    void message(const QString& text) override { m_inner.message(text); }
    void error(const QString& text) override { m_inner.error(text); }
    int yesNoCancel(const QString& message, const QString& caption) override {
        return m_inner.yesNoCancel(message, caption);
    }
    bool inputValue(const QString& title, const QString& defaultValue, const QString& type,
                    QString& value) override {
        return m_inner.inputValue(title, defaultValue, type, value);
    }
    QString openFileName(const QString& caption, const QString& filter) override {
        if (m_package.isNull())
            return m_inner.openFileName(caption, filter);
        return std::exchange(m_package, QString());
    }
    QString saveFileName(const QString& caption, const QString& suggestedName,
                         const QString& filter) override {
        return m_inner.saveFileName(caption, suggestedName, filter);
    }

private:
    core::AppContext& m_app;
    core::Dialogs& m_inner;
    QString m_package;
};

// Runs an action, queued, on the first time the watched window becomes enabled, then goes.
class WhenEnabled final : public QObject {
public:
    WhenEnabled(QWidget& window, std::function<void()> action)
        : QObject(&window), m_window(window), m_action(std::move(action)) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && event->type() == QEvent::EnabledChange && m_window.isEnabled()) {
            QTimer::singleShot(0, &m_window, m_action);
            deleteLater();
        }
        return false;
    }

private:
    QWidget& m_window;
    std::function<void()> m_action;
};

} // namespace

bool Program::startUp(bool withSplash) {
    storeOpened(m_app.db());
    if (!m_main.startUp(withSplash))
        return false;
    m_backups->markStart();
    m_backups->startOfDay();
    return true;
}

void Program::storeOpened(core::Database& db) {
    try {
        entry::NoteDayTotals(db).repair();
    } catch (const core::DbError&) {
        // Kept as they are; the history's opening tries again.
    }
    try {
        accounts::ensureTables(db);
    } catch (const core::DbError&) {
        // The register's opening tries again and says why it cannot.
    }
}

QString Program::fileArgument(const QStringList& arguments) {
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        // The values of the global options are no file (the command line decided alike).
        if (arg == QLatin1String("--home") || arg == QLatin1String("--user"))
            ++i;
        else if (!arg.startsWith(QLatin1Char('-')))
            return arg;
    }
    return {};
}

void Program::openPackageFile(const QString& path) {
    const auto open = [this, path] { openTemplatePackages(path); };
    if (m_main.isEnabled())
        QTimer::singleShot(0, &m_main, open);
    else
        new WhenEnabled(m_main, open);
}

void Program::openTemplatePackages(const QString& package) {
    templates::ui::TfrmBillImportExport window(m_app, templates::ui::TfrmBillImportExport::Pages::Both,
                                               &m_main);
    QObject::connect(&window, &templates::ui::TfrmBillImportExport::templatesChanged, &m_main,
                     [this] { templatesChanged(); });
    if (!package.isEmpty()) {
        const ChosenPackage chosen(m_app, QFileInfo(package).absoluteFilePath());
        window.btBrowseImportClick();
    }
    window.exec();
    if (!window.importedAny())
        return;
    forEachEntryWindow([](entry::ui::TfmCheckFHDSHD& window) { window.reloadTemplate(); });
}

void Program::openPrinterLock() {
    templates::ui::TfmLockPrinter lock(
        m_app, m_main.printerNames(), [this](const QString& name) { m_main.setDefaultPrinter(name); },
        [this] { return m_device.printerNames(); }, &m_main);
    lock.exec();
    m_main.raise();
    m_main.activateWindow();
}

bool Program::openSavedNote(const QString& kind, const QString& number) {
    auto* entryWindow = qobject_cast<entry::ui::TfmCheckFHDSHD*>(m_main.entryWindow());
    if (!entryWindow && m_main.childWindowCount() > 0) {
        if (!m_app.dialogs().ask(QStringLiteral("自动关闭已打开的单据吗？"),
                                 QStringLiteral("查看历史单据"))) {
            m_app.dialogs().message(QStringLiteral("请先关闭正在编辑的单据模块！"));
            return false;
        }
        if (!m_main.closeAllBills())
            return false;
    }
    if (!entryWindow) {
        m_main.action(QStringLiteral("actDeliveryNote"))->trigger();
        entryWindow = qobject_cast<entry::ui::TfmCheckFHDSHD*>(m_main.entryWindow());
        if (!entryWindow)
            return false;
    }
    return entryWindow->commands().BrowseOldCheck(kind, number);
}

void Program::openTestPage(QWidget* parent) {
    int id = m_app.currentCheckTypeId;
    if (id <= 0)
        id = m_app.templates().loadDefaultCheckTypeId(QStringLiteral("出货单"));
    if (id <= 0) {
        m_app.dialogs().message(QStringLiteral("请先选择出货单模板~"));
        return;
    }
    print::ui::TfrmTestPage window(m_app, m_device, id, parent ? parent : &m_main);
    window.exec();
}

void Program::openPrintJournal() {
    print::ui::TfrmPrintJournal window(
        m_app, [this](const QVector<print::JournalPage>& pages) { return reprintPages(pages); }, &m_main);
    window.exec();
}

int Program::reprintPages(const QVector<print::JournalPage>& pages) {
    auto* entryWindow = qobject_cast<entry::ui::TfmCheckFHDSHD*>(m_main.entryWindow());
    if (entryWindow && !entryWindow->commands().confirmDiscard(QStringLiteral("补打")))
        return 0;
    if (!entryWindow) {
        if (!openSavedNote(QString(), QString()))
            return 0;
        entryWindow = qobject_cast<entry::ui::TfmCheckFHDSHD*>(m_main.entryWindow());
        if (!entryWindow)
            return 0;
    }
    // The clerk was asked once: loading the pages asks no more. The typed note stays marked
    // unsaved until a page replaces it, so a reprint that fails first keeps it asking.
    entry::ui::NoteCommands& commands = entryWindow->commands();
    commands.agreeToDiscard(true);
    const auto agreed = qScopeGuard([&commands] { commands.agreeToDiscard(false); });
    const auto load = [this, entryWindow](const print::JournalPage& page) {
        // A source that is gone says so in a box; here it is one name in the reprint's question.
        core::ScriptedDialogs quiet;
        core::Dialogs& dialogs = m_app.dialogs();
        m_app.setDialogs(quiet);
        const auto restore = qScopeGuard([this, &dialogs] { m_app.setDialogs(dialogs); });
        bool found = false;
        if (page.source == print::JournalPage::Source::Order) {
            // On the template the run printed it with, as a note opens on its own.
            std::optional<batch::Order> order;
            try {
                order = batch::OrderFill::load(m_app.db(), page.orderNumber);
            } catch (const core::DbError&) {
            }
            if (order && !page.templateName.isEmpty() && page.templateName != entryWindow->variant())
                entryWindow->selectVariant(page.templateName);
            found = order && batch::ui::fillEntryWindow(m_app, *entryWindow, *order, page.orderRemark).kind ==
                                 batch::FillOutcome::Filled;
            // The order loaded is kept, so the next page replaces it without a question.
            if (found)
                entryWindow->commands().markClean();
        } else {
            // Only a note that is there replaces what the window shows.
            try {
                found = entry::DeliveryNoteStore(m_app.db()).exists(page.noteNumber) &&
                        entryWindow->commands().BrowseOldCheck(page.templateName, page.noteNumber) &&
                        quiet.shown.isEmpty();
            } catch (const core::DbError&) {
                found = false;
            }
        }
        m_app.currentCheckTypeId = entryWindow->templateId();
        return found;
    };
    print::JournalReprint reprint(m_app, entryWindow->billPrinter(), load);
    const int printed = reprint.reprint(pages);
    entryWindow->billPrinter().writeJournal(); // the journal window lists the reprint at once
    return printed;
}

QStringList Program::sendCopies(const QList<std::pair<QString, QString>>& notes, QWidget*) {
    using print::NoteCopy;
    const QString caption = QStringLiteral("发送给客户");
    if (notes.isEmpty())
        return {};
    bool oneEach = true;
    if (notes.size() > 1) {
        const int answer = m_app.dialogs().yesNoCancel(
            QStringLiteral(
                "选中了 %1 张出货单。\n\n是：每张存成一个文件（同一文件夹）\n否：合成一个 PDF，每张一页")
                .arg(notes.size()),
            caption);
        if (answer < 0)
            return {};
        oneEach = answer == 1;
    }
    auto* entryWindow = qobject_cast<entry::ui::TfmCheckFHDSHD*>(m_main.entryWindow());
    if (entryWindow && !entryWindow->commands().confirmDiscard(caption))
        return {};
    if (!entryWindow) {
        if (!openSavedNote(QString(), QString()))
            return {};
        entryWindow = qobject_cast<entry::ui::TfmCheckFHDSHD*>(m_main.entryWindow());
        if (!entryWindow)
            return {};
    }
    entry::ui::NoteCommands& commands = entryWindow->commands();
    commands.agreeToDiscard(true);
    const auto agreed = qScopeGuard([&commands] { commands.agreeToDiscard(false); });
    const auto load = [this, entryWindow](const std::pair<QString, QString>& note) {
        // A note that is gone is named once at the end, not in a box of its own.
        core::ScriptedDialogs quiet;
        core::Dialogs& dialogs = m_app.dialogs();
        m_app.setDialogs(quiet);
        const auto restore = qScopeGuard([this, &dialogs] { m_app.setDialogs(dialogs); });
        try {
            return entry::DeliveryNoteStore(m_app.db()).exists(note.second) &&
                   entryWindow->commands().BrowseOldCheck(note.first, note.second) && quiet.shown.isEmpty();
        } catch (const core::DbError&) {
            return false;
        }
    };
    const auto suggested = [this, entryWindow](const QString& suffix) {
        return NoteCopy::fileName(NoteCopy::templateName(m_app, entryWindow->templateId()),
                                  entryWindow->commands().noteFromBoxes().number,
                                  entryWindow->commands().noteFromBoxes().customerName, suffix);
    };
    const print::ControlValues values(m_app);
    QStringList written;
    QStringList missing;
    QImage picture;
    try {
        QString first;
        NoteCopy::Options options;
        std::unique_ptr<NoteCopy> book; // one PDF of every note
        for (const auto& note : notes) {
            if (!load(note)) {
                missing << note.second;
                continue;
            }
            const int templateId = entryWindow->templateId();
            const QString currency = commands.noteFromBoxes().currency;
            const print::ControlIndex boxes(values, entryWindow->container());
            if (first.isEmpty()) {
                // The first note found names the file the clerk is offered.
                first = m_app.dialogs().saveFileName(
                    caption, oneEach ? suggested(QStringLiteral("png")) : suggested(QStringLiteral("pdf")),
                    oneEach ? QStringLiteral("PNG 图片 (*.png);;PDF 文件 (*.pdf)")
                            : QStringLiteral("PDF 文件 (*.pdf)"));
                if (first.isEmpty())
                    return {};
                const bool pdf = !oneEach || first.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
                options.format = pdf ? NoteCopy::Format::Pdf : NoteCopy::Format::Png;
                if (!oneEach)
                    book = std::make_unique<NoteCopy>(m_app, first, options);
            }
            if (book) {
                book->addNote(templateId, boxes, currency);
                continue;
            }
            const QString suffix =
                options.format == NoteCopy::Format::Pdf ? QStringLiteral("pdf") : QStringLiteral("png");
            const QString path =
                written.isEmpty() ? first : QFileInfo(first).absoluteDir().filePath(suggested(suffix));
            NoteCopy copy(m_app, path, options);
            copy.addNote(templateId, boxes, currency);
            copy.finish();
            written << QFileInfo(path).absoluteFilePath();
            if (notes.size() == 1)
                picture = options.format == NoteCopy::Format::Png
                              ? copy.picture()
                              : NoteCopy::render(m_app, NoteCopy::form(m_app, templateId), templateId, boxes,
                                                 currency, options.dpi, NoteCopy::Fit::Form);
        }
        if (book && book->pages() > 0) {
            book->finish();
            written << QFileInfo(first).absoluteFilePath();
        }
    } catch (const print::PrintError& e) {
        m_app.dialogs().message(e.message());
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("生成客户副本失败：") + e.message());
    }
    if (written.isEmpty() && missing.isEmpty())
        return written;
    QString text = QStringLiteral("没有生成客户副本。");
    if (written.size() == 1)
        text = QStringLiteral("客户副本已保存：") + QDir::toNativeSeparators(written.first());
    else if (written.size() > 1)
        text = QStringLiteral("客户副本已保存（%1 个文件）：\n%2")
                   .arg(written.size())
                   .arg(QDir::toNativeSeparators(QFileInfo(written.first()).absolutePath()));
    if (!missing.isEmpty())
        text += QStringLiteral("\n\n找不到这些出货单：") + missing.join(QStringLiteral("、"));
    if (!written.isEmpty() && core::ui::putFilesOnClipboard(written, picture))
        text += QStringLiteral("\n\n已复制到剪贴板，在聊天窗口粘贴即可发送给客户。");
    m_app.dialogs().alert(text, caption, false);
    return written;
}

void Program::openHistory(const history::NoteFilter* preset, QWidget* parent) {
    history::ui::TfmSearch_FHDSHD window(
        m_app, m_main.grids(),
        [this](const QString& kind, const QString& number) { return openSavedNote(kind, number); },
        [this](const QString& kind, const QString& caption) {
            return m_addressBook->fetchOnePerson(kind, caption);
        },
        parent,
        [this, &window](const QList<std::pair<QString, QString>>& notes) { sendCopies(notes, &window); });
    if (preset) {
        window.show();
        window.presetFilter(*preset);
    }
    window.exec();
}

void Program::openOverview() {
    accounts::ui::TfrmOverview window(
        m_app, m_device, billPrinter(),
        [this](const accounts::ui::HistoryPick& pick) {
            history::NoteFilter filter;
            filter.anyDate = !pick.from.isValid();
            filter.from = pick.from;
            filter.to = pick.to;
            filter.customer = pick.customer;
            filter.productCode = pick.productCode;
            filter.productName = pick.productName;
            openHistory(&filter, QApplication::activeModalWidget());
        },
        [this](QDate asOf) { return accounts::Ledger(m_app.db()).receivables(asOf); }, &m_main);
    window.exec();
}

QString Program::billPrinter() const {
    const QString chosen = m_app.currentPrinter();
    return chosen.isEmpty() ? m_device.printerName() : chosen;
}

void Program::showTemplatePaper() {
    const print::TemplatePaperSwitch paper(m_app.db(), m_app.userIni());
    const QString printer = billPrinter();
    QAction* wide = m_main.action(QStringLiteral("actPrinterTemplatePaper"));
    const bool printerWide = paper.forPrinter(printer);
    wide->setEnabled(!printer.isEmpty());
    wide->setChecked(printerWide);
    wide->setStatusTip(printer.isEmpty() ? QString() : QStringLiteral("打印机：") + printer);
    // While the printer's switch is on, every template prints on its own paper: the template's
    // switch shows that and waits.
    QAction* action = m_main.action(QStringLiteral("actTemplatePaper"));
    const int id = m_app.currentCheckTypeId;
    action->setEnabled(id > 0 && !printerWide);
    action->setChecked(printerWide || (id > 0 && paper.forTemplate(id)));
}

void Program::actTemplatePaperClick() {
    QAction* action = m_main.action(QStringLiteral("actTemplatePaper"));
    const int id = m_app.currentCheckTypeId;
    const bool on = action->isChecked();
    if (id <= 0 || !m_app.templates().setCheckConfigByName(id, print::PrintLookups::kTemplatePaperOption,
                                                           on ? QStringLiteral("1") : QStringLiteral("0")))
        action->setChecked(!on && id > 0);
}

void Program::actPrinterTemplatePaperClick() {
    QAction* action = m_main.action(QStringLiteral("actPrinterTemplatePaper"));
    const QString printer = billPrinter();
    const bool on = action->isChecked();
    if (!print::TemplatePaperSwitch(m_app.db(), m_app.userIni()).setForPrinter(printer, on)) {
        action->setChecked(!on);
        m_app.dialogs().message(QStringLiteral("打印机【") + printer +
                                QStringLiteral("】的这项设置无法保存：打印机名称不能含有 = [ ] ; 或换行，"
                                               "Config.ini 也须可写~"));
    }
}

// Switching the login on while no operator has a role would keep everybody out at the next start.
bool Program::loginCanBeSwitchedOn() {
    try {
        if (users::UserStore(m_app).anyOperatorWithRole())
            return true;
    } catch (const core::DbError&) {
    }
    m_app.dialogs().message(QStringLiteral("还没有任何分配了操作角色的用户，开启密码验证后将无法进入系统。"
                                           "请先在【更改系统登录密码】中添加用户并分配角色~"));
    return false;
}

void Program::openUpgrade() {
    upgrade::ui::TfrmUp2NewVersion window(m_app, QCoreApplication::applicationFilePath(),
                                          m_main.installRecord(), &m_main);
    window.createMatchColumn = [this](core::Database& db) {
        return imports::ColumnMatching::createMatchColumnTableIfNotExists(m_app, db);
    };
    window.exec();
}

} // namespace program
