#pragma once
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace tessaly::store {

// The name a data file is kept under in a backup ("tesly0.dat" -> "tesly0.old"),
// and the name a backup file is restored to. A backup made by the sibling
// program on a diskette names its files in upper case ("TESLY0.OLD"); those
// come back under the lower-case names the card files have here.
QString BackupName(const QString& dataName);
QString RestoredName(const QString& backupName);

// The marker of a complete backup; it is written last and removed first.
inline const QString kBackupMarker = QStringLiteral("tesly.old");

// Far above any card file (8000 cards of long notes): a larger file is no card file of ours,
// and is not read into memory.
inline constexpr qint64 kMaxCardFileBytes = 256 * 1024 * 1024;

enum class CopyOutcome {
    NotReady,
    NoValidBackup,
    Failed,
    OtherCardFile,  // the folder holds another card file's backup; nothing was written
    DataFolder,     // a backup into the data folder or a folder inside it; nothing was written
};

// A backup or restore that was not made; what() names the file that failed, when one did, and the reason.
class BackupFailed : public std::runtime_error {
public:
    BackupFailed(CopyOutcome outcome, const QString& file, const QString& reason, bool putBack = true);
    QString message() const { return QString::fromUtf8(what()); }

    CopyOutcome outcome;
    // A failed restore: the card files are as they were. A failed backup: the
    // previous backup stands (else the new one, complete, is put in place the
    // next time the folder is used).
    bool putBack;
};

// True when 'folder' exists and we may write there (the backup's "drive ready").
bool FolderWritable(const QString& folder);

// Whether a backup of another card file in 'dest' may be replaced.
enum class OtherBackup { Refuse, Replace };

// Backs up the card files of dataDir (tesly.dat, tesly<N>.dat) into dest as
// tesly*.old: the new backup is written completely beside the previous one
// and swapped in by renames inside dest, the marker removed first and written
// last, so the folder holds the previous complete backup or the new one, never
// a mixture, even when the copy fails or is killed. Each backup carries a mark
// naming its card file; a folder holding another card file's backup is refused
// unless 'other' says to replace it. The copies take the card file's mode.
// Folders end in '/'. Throws BackupFailed. Takes no change lock: a caller copying the card file of
// a running program holds it.
void CopyDataFiles(const QString& dataDir, const QString& dest, OtherBackup other = OtherBackup::Refuse);

// "Back Up" and tessaly-cli backup: CopyDataFiles, refused into the data folder
// itself or a folder inside it.
void MakeBackup(const QString& dataDir, const QString& dest, OtherBackup other);
bool InDataFolder(const QString& dataDir, const QString& folder);

// Finishes a swap that was interrupted in 'folder' (or clears away one that
// never committed), so that the folder holds one complete backup or none.
// Every use of a backup folder starts with it; the restore calls it before it
// reads a backup. Takes the folder's lock only when there is something to do.
void SettleBackupFolder(const QString& folder);

// Whether 'src' holds a complete backup of a card file of ours (settled first).
bool HasValidBackup(const QString& src);

}  // namespace tessaly::store
