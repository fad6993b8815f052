#include "backup_files.h"

#include "profile/atomic_file.h"
#include "profile/file_faults.h"
#include "profile/profile_access.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <thread>

namespace tessaly::store {

namespace {

using profile::FileStep;
using profile::InjectedFault;

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void FailWrite(const QString& path, int error) {
    throw profile::WriteError(QStringLiteral("Could not write %1: %2").arg(path, Reason(error)).toStdString());
}

[[noreturn]] void FailRead(const QString& path, int error) {
    throw profile::ReadError(QStringLiteral("Could not read %1: %2").arg(path, Reason(error)).toStdString());
}

// Runs one step; an injected fault fails it as the disk would.
template <typename Call>
void Step(FileStep which, const QString& path, Call call) {
    if (InjectedFault(which, path)) FailWrite(path, EIO);
    if (!call()) FailWrite(path, errno);
}

bool WriteAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

bool IsFolder(const QString& path) {
    struct stat st {};
    return ::lstat(Native(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

CopyAccess AccessOf(const QString& cardFile) {
    struct stat st {};
    if (::stat(Native(cardFile).constData(), &st) != 0) FailRead(cardFile, errno);
    return {st.st_uid, st.st_gid, mode_t(st.st_mode & 0666)};
}

void MakeFolder(const QString& path, mode_t mode) {
    Step(FileStep::Create, path, [&] { return ::mkdir(Native(path).constData(), mode) == 0; });
}

void WriteNewFile(const QString& path, const QByteArray& bytes, const CopyAccess& access) {
    int fd = -1;
    Step(FileStep::Create, path, [&] {
        return (fd = ::open(Native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            access.mode)) >= 0;
    });
    struct Closer {
        int& fd;
        ~Closer() {
            if (fd >= 0) ::close(fd);
        }
    } closer{fd};
    // The umask may have taken bits the card file has; the owner is the card file's where we may give it.
    // Either change refused (FAT, another user's card file) leaves the file ours with at most that mode.
    struct stat st {};
    if (::fstat(fd, &st) == 0 && (st.st_uid != access.uid || st.st_gid != access.gid))
        (void)::fchown(fd, access.uid, access.gid);
    (void)::fchmod(fd, access.mode);
    Step(FileStep::Write, path, [&] { return WriteAll(fd, bytes); });
    Step(FileStep::Sync, path, [&] {
        int rc;
        do rc = ::fdatasync(fd);
        while (rc != 0 && errno == EINTR);
        return rc == 0;
    });
    const int done = ::close(fd);
    fd = -1;
    if (done != 0) FailWrite(path, errno);
}

void MoveEntry(const QString& from, const QString& to) {
    Step(FileStep::Rename, to, [&] { return ::rename(Native(from).constData(), Native(to).constData()) == 0; });
}

void RemoveEntry(const QString& path) {
    if (::unlink(Native(path).constData()) != 0 && errno != ENOENT)
        throw profile::WriteError(QStringLiteral("Could not remove %1: %2").arg(path, Reason(errno)).toStdString());
}

bool EntryExists(const QString& path) {
    struct stat st {};
    return ::lstat(Native(path).constData(), &st) == 0;
}

QStringList NonFolderEntries(const QString& folder) {
    QStringList names;
    const QStringList all =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : all)
        if (!IsFolder(folder + name)) names << name;
    return names;
}

std::optional<QByteArray> ReadSmallFile(const QString& path, qint64 limit) {
    const int fd = ::open(Native(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return std::nullopt;
        FailRead(path, errno);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) FailRead(path, errno);
    if (!S_ISREG(st.st_mode) || st.st_size > limit) FailRead(path, EINVAL);
    // One byte more than the size, so that the read which finds the end needs no larger buffer.
    QByteArray bytes(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) bytes.resize(done + 4096);  // grown since the fstat
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) FailRead(path, errno);
        if (n == 0) break;
        done += n;
        if (done > limit) FailRead(path, EFBIG);
    }
    bytes.truncate(done);
    return bytes;
}

bool ClearFolder(const QString& folder) {
    const QString path = folder.endsWith(u'/') ? folder.chopped(1) : folder;
    if (!EntryExists(path)) return true;
    if (!IsFolder(path)) return ::unlink(Native(path).constData()) == 0;
    bool all = true;
    for (const QString& name : NonFolderEntries(path + u'/'))
        all = ::unlink(Native(path + u'/' + name).constData()) == 0 && all;
    return ::rmdir(Native(path).constData()) == 0 && all;
}

BackupFolderBusy::BackupFolderBusy(const QString& folder)
    : InUseError(QStringLiteral("Another backup into %1 is still in progress; try again.").arg(folder).toStdString()) {}

BackupFolderLock::BackupFolderLock(const QString& folder, std::chrono::milliseconds wait) {
    const QString path = folder + kBackupLockName;
    if (InjectedFault(FileStep::Create, path)) FailWrite(path, EIO);
    fd_ = ::open(Native(path).constData(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ < 0) FailWrite(path, errno);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error != EWOULDBLOCK && error != EINTR) {
            ::close(fd_);
            FailWrite(path, error);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd_);
            throw BackupFolderBusy(folder);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

BackupFolderLock::~BackupFolderLock() {
    ::close(fd_);
}

}  // namespace tessaly::store
