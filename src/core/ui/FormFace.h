#pragma once

class QWidget;

namespace core {
class IniFile;
}

namespace core::ui {

// Window-size memory in Config.ini: section = the window's objectName in upper case, keys
// "FormWidth" and "FormHeight". Only a window in its normal state is saved or resized, so a
// maximised window never stores the screen size as its own.
class FormFace {
public:
    static void save(IniFile& ini, const QWidget& window);
    // Applies the stored size (the current size where none is stored), each side limited to
    // the window's screen.
    static void load(const IniFile& ini, QWidget& window);
};

} // namespace core::ui
