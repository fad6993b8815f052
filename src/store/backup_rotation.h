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

// The complete automatic backups in 'backupRoot', newest first. A folder whose
// copy stopped half-way has no marker and is not one of them.
QList<AutoBackup> AutoBackups(const QString& backupRoot);

// True when no complete automatic backup was made on the day of 'now' (or a later one).
bool DailyBackupDue(const QString& backupRoot, const QDateTime& now);

enum class AutoBackupOutcome { Made, InUse, NotReady, Failed };

struct AutoBackupResult {
    AutoBackupOutcome outcome = AutoBackupOutcome::Made;
    QString folder;        // the backup made
    QStringList removed;   // older backups removed to keep the number asked for
    QString message;       // why it was not made, or what could not be removed
    bool ok() const { return outcome == AutoBackupOutcome::Made; }
};

// One step of the rotation, under the card file's change lock: unless the
// card file's use count is above 'ownUses' (another program has it open), the
// card files are copied into a new dated subfolder of 'backupRoot' (marker
// last), then the oldest complete automatic backups beyond 'keep' are removed,
// with any left incomplete by an earlier run. Only the backup files themselves
// are removed; a folder holding anything else stays (without its marker).
AutoBackupResult MakeAutoBackup(const QString& dataDir, const QString& backupRoot, int keep, int ownUses, const QDateTime& now);

}  // namespace tessaly::store
