#pragma once

#include "entry/ui/EntryHost.h"

#include <QString>

namespace core::ui {
class Tfm_Main;
}

namespace entry::ui {

// The main window in the role the entry window needs: its commands are the main window's
// actions (offered while enabled), the background pop-up menu is its client area's context menu.
class MainWindowHost final : public EntryHost {
public:
    MainWindowHost(core::ui::Tfm_Main& main, print::PrintDevice& device) : m_main(main), m_device(device) {}

    bool offers(Command command) const override;
    void run(Command command) override;
    void setBackgroundMenuEnabled(bool enabled) override;
    void formFaceSave(const QWidget& window) override;
    void formFaceLoad(QWidget& window) override;
    print::PrintDevice& printDevice() override { return m_device; }
    core::ui::GridServices& grids() override;

private:
    static QString actionName(Command command);

    core::ui::Tfm_Main& m_main;
    print::PrintDevice& m_device;
};

} // namespace entry::ui
