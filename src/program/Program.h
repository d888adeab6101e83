#pragma once

#include "core/ui/Tfm_Main.h"
#include "entry/ui/MainWindowHost.h"

#include <functional>
#include <memory>

namespace core {
class AppContext;
}
namespace print {
class PrintDevice;
}

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
    // The start-up sequence of the main window; false when the program must end.
    bool startUp(bool withSplash) { return m_main.startUp(withSplash); }

private:
    // "打印整体偏移调整(&M)" for a template id, the current template when it is not positive.
    void openOffsets(int id = 0);
    // "设计模式（票据模板界面及打印效果调整）": the entry-form designer for the entry window's
    // template (else the current one); open entry windows lay their template out again after it.
    void openFormDesigner();
    // "票据模板管理（默认、显示、隐藏）".
    void openTemplateManager();
    // "票据模板导入" and the tool bar's "新模板导入"; open entry windows reload their templates.
    void openTemplatePackages();
    // Open entry windows offer the templates the store holds now.
    void templatesChanged();
    void forEachEntryWindow(const std::function<void(entry::ui::TfmCheckFHDSHD&)>& apply);
    // "锁定/匹配票据打印机".
    void openPrinterLock();
    // "按模板纸张尺寸打印": the current template's switch, shown when the print menu opens.
    void showTemplatePaper();
    void actTemplatePaperClick();
    // "进入系统需要密码验证" is switched on only when some operator can log in.
    bool loginCanBeSwitchedOn();
    // "  升级到9.28": the data upgrade with the running program preset.
    void openUpgrade();
    // Shows a saved note in the entry window for the history window, opening the window first.
    bool openSavedNote(const QString& kind, const QString& number);

    core::AppContext& m_app;
    print::PrintDevice& m_device;
    core::ui::Tfm_Main m_main;
    entry::ui::MainWindowHost m_entryHost;
    // Owns the manager and the edit form of the address book.
    std::unique_ptr<masterdata::ui::AddressBook> m_addressBook;
    // Made on first use and kept, so its boxes keep their values between openings.
    std::unique_ptr<recognition::ui::TfrmMatchAddr> m_matchAddr;
    std::unique_ptr<batch::ui::TfrmMutiPrintOrder> m_batch;
};

} // namespace program
