#include "imports/ExcelBridge.h"

#include "core/AppContext.h"

namespace imports {

namespace {
const QString optionName = QStringLiteral("MS EXCEL FIRST");
}

ExcelBridge::ExcelBridge(core::AppContext& app)
    : ExcelBridge(app, [](Suite) { return std::make_unique<Spreadsheet>(); }) {}

ExcelBridge::ExcelBridge(core::AppContext& app, Starter starter)
    : m_app(app), m_starter(std::move(starter)) {}

std::unique_ptr<Spreadsheet> ExcelBridge::openExcelApplication() {
    const bool excelFirst = m_app.getConfigByname(optionName) == u"YES";
    const Suite first = excelFirst ? Suite::MsExcel : Suite::Wps;
    const Suite second = excelFirst ? Suite::Wps : Suite::MsExcel;
    Suite started = first;
    std::unique_ptr<Spreadsheet> application = m_starter(first);
    if (!application) {
        started = second;
        application = m_starter(second);
    }
    if (!application) {
        m_app.dialogs().message(startFailureMessage());
        return nullptr;
    }
    m_app.setConfigByname(optionName,
                          started == Suite::MsExcel ? QStringLiteral("YES") : QStringLiteral("NO"));
    return application;
}

void ExcelBridge::closeExcelApplication(std::unique_ptr<Spreadsheet>& application) {
    if (!application)
        return;
    application->close();
    application.reset();
}

bool ExcelBridge::wpsFirst() {
    return m_app.getConfigByname(optionName) == u"NO";
}

void ExcelBridge::setWpsFirst(bool checked) {
    m_app.setConfigByname(optionName, checked ? QStringLiteral("NO") : QStringLiteral("YES"));
}

QString ExcelBridge::startFailureMessage() {
    return QStringLiteral(
        "MSExcel 和 wps Excel 均不能正常启动。请确认系统安装了可用的Office Excel软件(WPS或者MSOffice)！");
}

} // namespace imports
