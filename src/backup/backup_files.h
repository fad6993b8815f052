#pragma once
#include "cards/card_store.h"

#include <sys/types.h>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

namespace tessaly::store {

// Who may read the copies of a card file: the owner, group and mode of its header file.
struct CopyAccess {
    uid_t uid = 0;
    gid_t gid = 0;
    mode_t mode = 0600;
    // Folders of a private card file are private too.
    mode_t folderMode() const { return (mode & 077) == 0 ? 0700 : 0777; }
};
// Throws profile::ReadError when the file cannot be told (missing included).
CopyAccess AccessOf(const QString& cardFile);

// The steps of making a backup. Each throws profile::WriteError naming the path;
// the profile layer's fault seam fails them as a failing disk would. Nothing
// here follows a symbolic link: links are moved or removed as themselves.
void MakeFolder(const QString& path, mode_t mode);
// A new file (never one that exists, never through a link) with the card
// file's mode; its data is flushed before it returns. A mode or owner the file
// system refuses (FAT) is no error: the file then has at most the card file's mode.
void WriteNewFile(const QString& path, const QByteArray& bytes, const CopyAccess& access);
void MoveEntry(const QString& from, const QString& to);
void RemoveEntry(const QString& path);
// True when something (a link included) has this name.
bool EntryExists(const QString& path);
// The names in 'folder' that are not folders, links and files alike.
QStringList NonFolderEntries(const QString& folder);

// A small regular file read without following a link; nothing when it does not
// exist. Throws profile::ReadError when it is no file of that kind or too large.
std::optional<QByteArray> ReadSmallFile(const QString& path, qint64 limit);

// Removes a folder of ours and every entry in it that is no folder; false when
// something stays.
bool ClearFolder(const QString& folder);

// Another backup into the same folder kept its lock for longer than we wait.
class BackupFolderBusy : public InUseError {
public:
    explicit BackupFolderBusy(const QString& folder);
};

// An exclusive lock on a backup folder (flock on a hidden file in it), so that
// two card files sharing the folder never swap backups at once. Waits up to
// 'wait', then throws BackupFolderBusy; throws profile::WriteError when the lock
// file cannot be opened (a link in its place included).
class BackupFolderLock {
public:
    BackupFolderLock(const QString& folder, std::chrono::milliseconds wait);
    ~BackupFolderLock();
    BackupFolderLock(const BackupFolderLock&) = delete;
    BackupFolderLock& operator=(const BackupFolderLock&) = delete;

private:
    int fd_ = -1;
};

inline const QString kBackupLockName = QStringLiteral(".tessaly-lock");

}  // namespace tessaly::store
