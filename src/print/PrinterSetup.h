#pragma once

class QWidget;

namespace core {
class AppContext;
}

namespace print {

class PrintDevice;

// The printer set-up command (menu "打印机设置 (&C)", tool button "打印机(&C)"): the standard
// dialog of the device; OK makes printing ready (and the printer chosen there current),
// Cancel not. Also run before each print when "打印前弹出打印机设置" is on.
class PrinterSetup {
public:
    static void run(core::AppContext& app, PrintDevice& device, QWidget* parent = nullptr);
};

} // namespace print
