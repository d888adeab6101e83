#pragma once

#include "cli/Commands.h"

namespace core {
class Dialogs;
}

namespace cli {

// db copy --to URL | --from URL: the program folder's local store moved to a server, or a
// server's store into the program folder (the local file it replaces is kept beside it as
// EPData.ini.复制前-<time>). Both ends are counted table by table afterwards and the day totals
// counted again on the target. With the login on at either end, --user logs in there first.
Outcome runDbCopy(const QString& runPath, core::Dialogs& dialogs, const Invocation& call);

} // namespace cli
