#pragma once

#include "backup/BackupFile.h"

#include <QString>

namespace core {
class AppContext;
}

namespace backup {

struct RestoreResult {
    bool ok = false;
    QString error;
    QString safety; // the backup of the state the restore replaced
    QString kept;   // the local file: where the replaced store is kept
    Manifest manifest;
};

// The store replaced by a backup file. The file is checked whole first (a refused one changes
// nothing), then the current state is backed up into folder, then the store is replaced in one
// step: the local file through StoreCopy::replaceLocal (staged beside the old, swapped by
// renames; an interrupted swap is finished by the next start), a server store through
// StoreCopy::copy in one transaction. Config.ini takes the backup's settings but for the
// sections of this seat ([Database], [Backup]). On the local file the store's connection is
// closed for the swap and opened again on the restored file.
RestoreResult restore(core::AppContext& app, const QString& file, const QString& folder);

// Named steps (kill tests); StoreCopy names those of the swap.
extern const QString kRestoreChecked; // the file judged whole
extern const QString kRestoreSafety;  // the current state backed up
extern const QString kRestoreStored;  // the store replaced, settings not yet

} // namespace backup
