#pragma once
#include <QString>
#include <QStringList>

namespace tessaly::store {

// The name a data file is kept under in a backup ("tesly0.dat" -> "tesly0.old"),
// and the name a backup file is restored to. A backup made by the sibling
// program on a diskette names its files in upper case ("TESLY0.OLD"); those
// come back under the lower-case names the card files have here.
QString BackupName(const QString& dataName);
QString RestoredName(const QString& backupName);

// The marker of a complete backup; it is written last and removed first.
inline const QString kBackupMarker = QStringLiteral("tesly.old");

enum class CopyOutcome { Done, NotReady, NoValidBackup, Failed };

struct CopyResult {
    CopyOutcome outcome = CopyOutcome::Done;
    QString file;       // the file that failed, when one did
    QString reason;
    bool putBack = true;  // a failed restore: the card files are as they were
    bool ok() const { return outcome == CopyOutcome::Done; }
    QString message() const;
};

// True when 'folder' exists and we may write there (the backup's "drive ready").
bool FolderWritable(const QString& folder);

// Copies every "*.dat" of dataDir to dest under its backup name, each file
// replaced atomically. The marker is removed first and written last, so a
// copy that stops half-way is never taken for a backup. Folders end in '/'.
// Takes no lock: a caller copying the card file of a running program holds it.
CopyResult CopyDataFiles(const QString& dataDir, const QString& dest);

// Whether 'src' holds a complete backup of a card file of ours.
bool HasValidBackup(const QString& src);

}  // namespace tessaly::store
