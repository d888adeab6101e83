#include "print/PrinterSetup.h"

#include "core/AppContext.h"
#include "print/PaperMemory.h"
#include "print/PrintDevice.h"
#include "print/PrintError.h"

namespace print {

void PrinterSetup::applyPaper(PrintDevice& device, const PrintDevice::Paper& paper) {
    if (!paper.isValid())
        return;
    try {
        device.setPaper(paper);
    } catch (const PrintError&) {
        // A size the driver no longer offers: the printer's own paper stays, and the check of
        // the printable area before the job says what would not fit.
    }
}

void PrinterSetup::run(core::AppContext& app, PrintDevice& device, QWidget* parent) {
    if (device.printerNames().isEmpty()) {
        app.dialogs().error(
            QStringLiteral("没有检测到任何打印机驱动，无法设置,如果是新添加的打印机，请重新打开软件！"));
        return;
    }
    try {
        const bool accepted = device.setupDialog(parent) == PrintDevice::SetupResult::Accepted;
        app.printReady = accepted;
        if (accepted) {
            // Kept before the printer becomes current, which puts its kept paper on the device.
            PaperMemory(app.userIni()).remember(device.printerName(), device.paper());
            app.setCurrentPrinter(device.printerName());
        }
    } catch (const PrintError&) {
        app.dialogs().alert(QStringLiteral("打开打印机设置对话框出错，请确认打印机是否可用！"),
                            QStringLiteral("提示"), false);
    }
}

void PrinterSetup::follow(core::AppContext& app, PrintDevice& device) {
    app.setPrinterSelector([&app, &device](const QString& name) {
        if (name != device.printerName() && !device.selectPrinter(name))
            return;
        applyPaper(device, PaperMemory(app.userIni()).recall(name));
    });
}

} // namespace print
