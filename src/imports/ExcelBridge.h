#pragma once

#include "imports/Spreadsheet.h"

#include <functional>
#include <memory>

namespace core {
class AppContext;
}

namespace imports {

// The spreadsheet services of the main window for the import windows: starting the
// "application" that opens workbooks, releasing it, and the preference "MS EXCEL FIRST".
//
// The program reads every format with its own engine, so no office program is started. The
// preference is kept because users set it and the import windows show it (cfgWPSFirst): the
// engine stands in for whichever suite is tried first, so a start stores "YES" when Microsoft
// Excel comes first and "NO" otherwise, just as on a PC where both suites work. The preference
// therefore changes nothing in what is read. The starter is a seam: a build that drives a real
// office suite plugs in its own, and then the order and the failure message apply as they read.
class ExcelBridge {
public:
    enum class Suite { MsExcel, Wps };
    using Starter = std::function<std::unique_ptr<Spreadsheet>(Suite)>;

    // With the built-in engine for both suites.
    explicit ExcelBridge(core::AppContext& app);
    ExcelBridge(core::AppContext& app, Starter starter);

    // A ready application object, or null after the failure message.
    std::unique_ptr<Spreadsheet> openExcelApplication();
    // Closes the workbook and releases the object; a null object is left alone.
    static void closeExcelApplication(std::unique_ptr<Spreadsheet>& application);

    // The import windows' check box "WPS first": checked exactly when the option is "NO".
    bool wpsFirst();
    void setWpsFirst(bool checked);

    static QString startFailureMessage();

private:
    core::AppContext& m_app;
    Starter m_starter;
};

} // namespace imports
