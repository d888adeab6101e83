#pragma once

#include <QString>
#include <functional>

namespace core {
class AppContext;
}

namespace upgrade {

// At start, once whoever works at the desk may change the data (mayUpgrade): when the database
// or the template package carries a version mark older than the program's (UpgradeRun::isDue),
// asks whether to upgrade now. Yes calls openWindow, which shows the upgrade window; No starts as
// before and the question comes again at the next start. Returns whether it asked.
bool offerAtStart(core::AppContext& app, const std::function<void()>& openWindow);

// The upgrade rewrites the store every seat works on: with the login on, it is offered only to an
// operator who has logged in with a role (a role is what lets an operator change data); with the
// login off, to the clerk at the desk.
bool mayUpgrade(core::AppContext& app);

// A command cannot open the upgrade window: what it tells an operator who may upgrade, when due.
QString commandNotice(core::AppContext& app);

// The question, naming the program's version text.
QString offerText(const QString& version);

} // namespace upgrade
