#pragma once

#include <QString>
#include <functional>

namespace core {
class AppContext;
}

namespace upgrade {

// At start, before the main window shows: when the database or the template package carries a
// version mark older than the program's (UpgradeRun::isDue), asks whether to upgrade now. Yes
// calls openWindow, which shows the upgrade window; No starts as before and the question comes
// again at the next start. Returns whether it asked.
bool offerAtStart(core::AppContext& app, const std::function<void()>& openWindow);

// The question, naming the program's version text.
QString offerText(const QString& version);

} // namespace upgrade
