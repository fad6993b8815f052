#pragma once
#include "backup_files.h"

#include <QString>
#include <QStringList>

namespace tessaly::store {

// A backup is written whole into a staging folder inside the backup folder,
// then a journal naming its files is renamed into the backup folder (the
// commit) and renames swap the files in: the previous backup's files go to a
// folder aside (its marker first), the new ones come in (the marker last). The
// backup folder's own name never changes, so this works on FAT as well. An
// interrupted swap is finished from the journal the next time the folder is
// settled; without a journal the staging folder is rolled back. Callers hold
// the folder's BackupFolderLock.

// The mark that names the card file a backup belongs to; its name matches
// neither "tesly*.old" nor "*.dat".
inline const QString kOwnerMarkName = QStringLiteral(".tessaly-backup");
inline const QString kStagingName = QStringLiteral(".tessaly-new");
inline const QString kAsideName = QStringLiteral(".tessaly-old");
inline const QString kJournalName = QStringLiteral(".tessaly-swap");

// tesly.old and tesly<N>.old in either letter case, and the mark: the files a swap replaces.
bool IsBackupFileName(const QString& name);

// The card file a backup belongs to: the canonical path of its data folder.
QString CardFileIdentity(const QString& dataDir);
enum class BackupOwner { None, Ours, Other };
// Whose backup 'folder' holds, by its mark ('named' gets the card file the mark names).
// A backup without a mark (an older one, or the sibling program's) is nobody's.
BackupOwner OwnerOfBackup(const QString& folder, const QString& dataDir, QString* named = nullptr);

// Writes a complete backup of the card files of dataDir into 'folder' ('/'
// at the end), which must not exist yet: each card file, the mark, the marker
// last, each flushed, then the folder. Returns the names in that order. Throws
// profile::FileError.
QStringList WriteBackupInto(const QString& folder, const QString& dataDir, const CopyAccess& access);

// Swaps the complete backup in the staging folder of 'folder' in. Throws
// BackupFailed, which says whether the previous backup stands (else the new one will).
void SwapIn(const QString& folder, const QStringList& names, const CopyAccess& access);

// True when an interrupted swap or a staging folder is there to settle.
bool SettleNeeded(const QString& folder);
// Finishes an interrupted swap and removes what an interrupted one left. Throws profile::FileError.
void SettleLocked(const QString& folder);

}  // namespace tessaly::store
