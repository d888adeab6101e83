#include "print/PrinterSetup.h"

#include "core/AppContext.h"
#include "print/PrintDevice.h"
#include "print/PrintError.h"

namespace print {

void PrinterSetup::run(core::AppContext& app, PrintDevice& device, QWidget* parent) {
    if (device.printerNames().isEmpty()) {
        app.dialogs().error(
            QStringLiteral("没有检测到任何打印机驱动，无法设置,如果是新添加的打印机，请重新打开软件！"));
        return;
    }
    try {
        const bool accepted = device.setupDialog(parent) == PrintDevice::SetupResult::Accepted;
        app.printReady = accepted;
        if (accepted)
            app.currentPrinter = device.printerName();
    } catch (const PrintError&) {
        app.dialogs().alert(QStringLiteral("打开打印机设置对话框出错，请确认打印机是否可用！"),
                            QStringLiteral("提示"), false);
    }
}

} // namespace print
