#pragma once

class QWidget;

namespace core::ui {
class GridServices;
}
namespace print {
class PrintDevice;
}

namespace entry::ui {

// What the entry window asks of the main window beyond the shared AppContext.
class EntryHost {
public:
    // Commands of the main window that the entry window runs from its tool bar and tabs.
    enum class Command { Designer, Offsets, TemplateManager, History, TestPage };

    virtual ~EntryHost() = default;

    // False while the main window has no such command: its button stays disabled.
    virtual bool offers(Command command) const = 0;
    // Runs the command modally for the main window's current template.
    virtual void run(Command command) = 0;

    // The main window's background pop-up menu is off while the entry window is open.
    virtual void setBackgroundMenuEnabled(bool enabled) = 0;
    virtual void formFaceSave(const QWidget& window) = 0;
    virtual void formFaceLoad(QWidget& window) = 0;
    virtual print::PrintDevice& printDevice() = 0;
    // The main window's grid services (column widths, column chooser) for the product picker.
    virtual core::ui::GridServices& grids() = 0;
};

} // namespace entry::ui
