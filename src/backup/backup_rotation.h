#pragma once
#include "card_backup.h"

#include <QDateTime>
#include <QList>

namespace tessaly::store {

// An automatic backup: a dated subfolder "auto-YYYYMMDD-HHMMSS/" of the backup folder.
struct AutoBackup {
    QString folder;  // ends in '/'
    QDateTime made;
};

// The complete automatic backups in 'backupRoot', newest first: those of the
// card file in 'ofDataDir', or of any card file when it is empty.
QList<AutoBackup> AutoBackups(const QString& backupRoot, const QString& ofDataDir = QString());

// True when no complete automatic backup of the card file in dataDir was made
// on the day of 'now' (or a later one).
bool DailyBackupDue(const QString& backupRoot, const QString& dataDir, const QDateTime& now);

enum class AutoBackupOutcome { Made, InUse, NotReady, Failed };

struct AutoBackupResult {
    AutoBackupOutcome outcome = AutoBackupOutcome::Made;
    QString folder;       // the backup made
    QStringList removed;  // older backups removed to keep the number asked for
    QString message;      // why it was not made, or what could not be removed
    bool ok() const { return outcome == AutoBackupOutcome::Made; }
};

// One step of the rotation, under the card file's change lock and the backup
// folder's lock: unless the card file's use count is above 'ownUses' (another
// program has it open), the card files are copied into a new dated subfolder
// of 'backupRoot', which appears complete or not at all, then the oldest
// complete automatic backups of this card file beyond 'keep' are removed, with
// any of its own that a removal left incomplete. Backups of other card files
// and folders without our mark are neither counted nor touched; a removal
// takes only the backup's own files, never through a link.
AutoBackupResult MakeAutoBackup(const QString& dataDir, const QString& backupRoot, int keep, int ownUses,
                                const QDateTime& now);

}  // namespace tessaly::store
