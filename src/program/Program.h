#pragma once

#include "core/ui/Tfm_Main.h"
#include "entry/ui/MainWindowHost.h"

#include <QVector>

#include <functional>
#include <memory>

namespace core {
class AppContext;
class Database;
} // namespace core
namespace print {
class PrintDevice;
struct JournalPage;
} // namespace print

namespace masterdata::ui {
class AddressBook;
}
namespace recognition::ui {
class TfrmMatchAddr;
}
namespace entry::ui {
class TfmCheckFHDSHD;
}
namespace batch::ui {
class TfrmMutiPrintOrder;
}
namespace backup::ui {
class BackupRunner;
}
namespace history {
struct NoteFilter;
}

namespace program {

// The program as a user meets it: the main window with the windows of every folder hooked into
// its commands. main() runs it on the real dialogs and printer; the end-to-end tests run the
// very same wiring offscreen with scripted answers.
class Program {
public:
    Program(core::AppContext& app, print::PrintDevice& device);
    ~Program();
    Q_DISABLE_COPY_MOVE(Program)

    core::ui::Tfm_Main& mainWindow() { return m_main; }
    masterdata::ui::AddressBook& addressBook() { return *m_addressBook; }
    // The batch printing window once the entry window's "批量打印" made it, else nullptr. An
    // import of orders reloads its list (reloadList) after a run.
    batch::ui::TfrmMutiPrintOrder* batchWindow() const { return m_batch.get(); }
    // "批量打印": the batch window, made on first use and kept, shown without blocking.
    void openBatchPrinting();
    // The reprint of journal pages: each note loaded into the entry window (opened when needed)
    // as stored now, printed in one job. Pages handed to the printer.
    int reprintPages(const QVector<print::JournalPage>& pages);
    // The history's "发送给客户": each (template kind, number) loaded into the entry window as the
    // reprint loads it and written as the customer's copy; with several notes the clerk chooses
    // one file each (beside the first, in its format) or one PDF with a page each. Files written.
    QStringList sendCopies(const QList<std::pair<QString, QString>>& notes, QWidget* parent = nullptr);
    // The start-up sequence of the main window; false when the program must end. The store is
    // looked after first (storeOpened).
    bool startUp(bool withSplash);
    // What a start does to the store once it is open and upgraded, before any window or command
    // reads or writes it: the history's day totals get their unique key and are counted again
    // when an earlier build left them wrong (NoteDayTotals::repair). A failure leaves them as
    // they are (the history's opening tries again).
    static void storeOpened(core::Database& db);
    // A template package the program was started on (the file manager's "open"): the package
    // window lists its templates as if the clerk had chosen it with "浏览..", once the main
    // window is enabled, that is after the operator's log-in when one is needed.
    void openPackageFile(const QString& path);
    // The file given on the command line: the first argument that is no option and not the
    // value of --home or --user; empty when there is none.
    static QString fileArgument(const QStringList& arguments);
    // "  升级到9.28" (hidden) and the start-up offer: the data upgrade with the running program
    // preset.
    void openUpgrade();

private:
    // "打印整体偏移调整(&M)" for a template id, the current template when it is not positive.
    void openOffsets(int id = 0);
    // "设计模式（票据模板界面及打印效果调整）": the entry-form designer for the entry window's
    // template (else the current one); open entry windows lay their template out again after it.
    void openFormDesigner();
    // "票据模板管理（默认、显示、隐藏）".
    void openTemplateManager();
    // "票据模板导入" and the tool bar's "新模板导入", on a package when one is given; open entry
    // windows reload their templates.
    void openTemplatePackages(const QString& package = QString());
    // Open entry windows offer the templates the store holds now.
    void templatesChanged();
    void forEachEntryWindow(const std::function<void(entry::ui::TfmCheckFHDSHD&)>& apply);
    // "锁定/匹配票据打印机".
    void openPrinterLock();
    // "按模板纸张尺寸打印": the current template's switch and the bill printer's (every template
    // printed on it), shown when the print menu opens.
    void showTemplatePaper();
    void actTemplatePaperClick();
    void actPrinterTemplatePaperClick();
    // The printer jobs go to: the one chosen at start or by the lock, else the device's.
    QString billPrinter() const;
    // "进入系统需要密码验证" is switched on only when some operator can log in.
    bool loginCanBeSwitchedOn();
    // Shows a saved note in the entry window for the history window, opening the window first.
    bool openSavedNote(const QString& kind, const QString& number);
    // "打印测试页" of the current template (else the default one), over parent (else the main
    // window).
    void openTestPage(QWidget* parent = nullptr);
    // "打印记录（补打）": the journal; its reprint goes through the entry window.
    void openPrintJournal();
    // "出货单管理": the history, over parent; on a preset filter (a bar of the overview) when given.
    void openHistory(const history::NoteFilter* preset, QWidget* parent);
    // "经营概况（图表）": the overview; a bar opens the history on what it stands for.
    void openOverview();

    core::AppContext& m_app;
    print::PrintDevice& m_device;
    core::ui::Tfm_Main m_main;
    entry::ui::MainWindowHost m_entryHost;
    // Owns the manager and the edit form of the address book.
    std::unique_ptr<masterdata::ui::AddressBook> m_addressBook;
    // Made on first use and kept, so its boxes keep their values between openings.
    std::unique_ptr<recognition::ui::TfrmMatchAddr> m_matchAddr;
    std::unique_ptr<batch::ui::TfrmMutiPrintOrder> m_batch;
    // The automatic backups (the day's first start, the exit after changes) and "立即备份".
    backup::ui::BackupRunner* m_backups;
};

} // namespace program
