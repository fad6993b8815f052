#pragma once
#include "card_backup.h"

namespace tessaly::store {

// Restores the backup in 'src' into dataDir under the card file's change lock:
// safety copies of the current files first (a failure there changes nothing),
// then each backup file atomically. When a file fails, every card file is put
// back from the safety copies and the files the restore added are removed.
CopyResult RestoreBackup(const QString& src, const QString& dataDir);

}  // namespace tessaly::store
