#pragma once

#include "cli/Commands.h"

namespace cli {

// backup [--to DIR]: one whole backup into DIR (else the folder of the backup settings), then
// the folder's rotation.
Outcome runBackup(core::AppContext& app, const Invocation& call);
// restore FILE: the store replaced by the backup, after a question only --yes answers.
Outcome runRestore(core::AppContext& app, const Invocation& call);
// Where OVERPRINT_KILL_AT names a step of a backup or a restore, the command kills itself there.
void killAtNamedStep();

} // namespace cli
