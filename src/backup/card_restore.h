#pragma once
#include "card_backup.h"

namespace tessaly::store {
class CardStore;

// Restores the backup in 'src' into dataDir, under the card file's change
// lock: exactly the backup's card files, read without following links and
// each checked as a card file before anything changes, are prepared beside
// the card file and switched in whole (StagedCardFiles). Card files the backup
// lacks leave the data folder; the card files as they were become the safety
// copy (SafetyFolder). The restored header counts 'uses' users. Only
// "tesly.old" and "tesly<N>.old" are read, in lower or in upper case; a folder
// that mixes the two spellings is refused as no valid backup.
// The store's lists are loaded from the restored files; its change history records the restore.
void RestoreBackup(const QString& src, CardStore& store, const QString& uses = QStringLiteral("0"));
// The same for a card file no store has open.
void RestoreBackup(const QString& src, const QString& dataDir, const QString& uses = QStringLiteral("0"));

}  // namespace tessaly::store
