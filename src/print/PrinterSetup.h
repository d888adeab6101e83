#pragma once

#include "print/PrintDevice.h"

class QWidget;

namespace core {
class AppContext;
}

namespace print {

// The printer set-up command (menu "打印机设置 (&C)", tool button "打印机(&C)"): the standard
// dialog of the device; OK makes printing ready, makes the printer chosen there current and
// remembers its paper for that printer (PaperMemory), Cancel not. Also run before each print
// when "打印前弹出打印机设置" is on.
class PrinterSetup {
public:
    static void run(core::AppContext& app, PrintDevice& device, QWidget* parent = nullptr);

    // Makes the device follow app's current printer from now on: each new choice (at start,
    // by the printer lock) is selected on the device at once, with the paper remembered for it.
    static void follow(core::AppContext& app, PrintDevice& device);

    // Puts the paper on the device; an invalid paper, or a size the printer refuses, leaves the
    // printer's paper as it is.
    static void applyPaper(PrintDevice& device, const PrintDevice::Paper& paper);
};

} // namespace print
