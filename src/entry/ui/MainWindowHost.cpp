#include "entry/ui/MainWindowHost.h"

#include "core/ui/Tfm_Main.h"

#include <QAction>
#include <QMdiArea>

namespace entry::ui {

QString MainWindowHost::actionName(Command command) {
    switch (command) {
    case Command::Designer:
        return QStringLiteral("actDesigner");
    case Command::Offsets:
        return QStringLiteral("actOffsets");
    case Command::TemplateManager:
        return QStringLiteral("actTemplateManager");
    case Command::History:
        return QStringLiteral("actHistory");
    case Command::TestPage:
        return QStringLiteral("actTestPage");
    }
    return {};
}

bool MainWindowHost::offers(Command command) const {
    const QAction* action = m_main.action(actionName(command));
    return action && action->isEnabled();
}

void MainWindowHost::run(Command command) {
    if (QAction* action = m_main.action(actionName(command)); action && action->isEnabled())
        action->trigger();
}

void MainWindowHost::setBackgroundMenuEnabled(bool enabled) {
    m_main.mdiArea()->viewport()->setContextMenuPolicy(enabled ? Qt::CustomContextMenu : Qt::NoContextMenu);
}

void MainWindowHost::formFaceSave(const QWidget& window) {
    m_main.FormFaceSave(window);
}

core::ui::GridServices& MainWindowHost::grids() {
    return m_main.grids();
}

void MainWindowHost::formFaceLoad(QWidget& window) {
    m_main.FormFaceLoad(window);
}

} // namespace entry::ui
