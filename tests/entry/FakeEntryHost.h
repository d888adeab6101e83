#pragma once

#include "core/ui/GridServices.h"
#include "entry/ui/EntryHost.h"
#include "print/RecordingPrintDevice.h"

#include <QList>
#include <QSet>
#include <functional>

// The main window as the entry window sees it, recording what it was asked.
class FakeEntryHost final : public entry::ui::EntryHost {
public:
    explicit FakeEntryHost(core::AppContext& app) : gridServices(app) {}

    QSet<Command> offered;
    QList<Command> ran;
    QList<bool> backgroundMenu;
    int sizesSaved = 0;
    std::function<void(Command)> onRun;
    print::RecordingPrintDevice device;
    core::ui::GridServices gridServices;

    bool offers(Command command) const override { return offered.contains(command); }
    void run(Command command) override {
        ran << command;
        if (onRun)
            onRun(command);
    }
    void setBackgroundMenuEnabled(bool enabled) override { backgroundMenu << enabled; }
    void formFaceSave(const QWidget&) override { ++sizesSaved; }
    void formFaceLoad(QWidget&) override {}
    print::PrintDevice& printDevice() override { return device; }
    core::ui::GridServices& grids() override { return gridServices; }
};
