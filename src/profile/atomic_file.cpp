#include "atomic_file.h"

#include "file_faults.h"
#include "profile_access.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace tessaly::profile {
namespace {

// Our temporaries: ".<name>.tessaly-tmp-XXXXXX", hidden and never a name the
// sibling program uses, so leftovers of a killed run can be told apart.
constexpr char kTempMarker[] = ".tessaly-tmp-";
constexpr int kTempSuffixLength = 6;

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

std::int64_t nanoseconds(const timespec& t) {
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

FileStamp stampFrom(const struct stat& st) {
    return FileStamp{true,
                     std::int64_t(st.st_size),
                     nanoseconds(st.st_mtim),
                     nanoseconds(st.st_ctim),
                     std::uint64_t(st.st_dev),
                     std::uint64_t(st.st_ino)};
}

QString reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void failRead(const QString& path, int error) {
    throw ReadError(QStringLiteral("Could not read %1: %2").arg(path, reason(error)).toStdString());
}

[[noreturn]] void failWrite(const QString& path, int error) {
    throw WriteError(QStringLiteral("Could not write %1: %2").arg(path, reason(error)).toStdString());
}

// Runs one step of a replace: an injected fault fails it as the disk would.
template <typename Call>
bool step(FileStep which, const QString& path, Call call) {
    if (InjectedFault(which, path)) {
        errno = EIO;
        return false;
    }
    return call();
}

bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {  // no progress and no error: treat as a full disk
            errno = ENOSPC;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

mode_t currentUmask() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

struct Ownership {
    uid_t uid;
    gid_t gid;
    mode_t mode;
};

// Whose the new file is: the file it replaces, else the model in the same
// folder, else ours with the usual mode of a new file.
Ownership ownershipFor(const QString& path, const QString& model) {
    struct stat st {};
    if (::stat(native(path).constData(), &st) == 0) return {st.st_uid, st.st_gid, mode_t(st.st_mode & 07777)};
    if (errno != ENOENT) failWrite(path, errno);
    if (!model.isEmpty() && QFileInfo(model).absolutePath() == QFileInfo(path).absolutePath() &&
        ::stat(native(model).constData(), &st) == 0 && S_ISREG(st.st_mode))
        return {st.st_uid, st.st_gid, mode_t(st.st_mode & 07777)};
    return {::geteuid(), ::getegid(), mode_t(0666 & ~currentUmask())};
}

// Gives the temporary file the owner, group and mode it must have. Changing
// owner or group needs the right to do so; without it the replace is refused
// rather than leave the file someone else's.
bool applyOwnership(int fd, const Ownership& want) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return false;
    if ((st.st_uid != want.uid || st.st_gid != want.gid) && ::fchown(fd, want.uid, want.gid) != 0) return false;
    return ::fchmod(fd, want.mode) == 0;
}

int syncDescriptor(int fd, bool dataOnly) {
    int rc;
    do rc = dataOnly ? ::fdatasync(fd) : ::fsync(fd);
    while (rc != 0 && errno == EINTR);
    return rc;
}

void syncPath(const QString& path, bool folder) {
    if (InjectedFault(FileStep::Sync, path)) failWrite(path, EIO);
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | (folder ? O_DIRECTORY : 0));
    if (fd < 0) failWrite(path, errno);
    const int rc = syncDescriptor(fd, !folder);
    const int error = errno;
    ::close(fd);
    // Some file systems cannot sync a folder; their renames are durable without it.
    if (rc != 0 && !(folder && (error == EINVAL || error == EROFS))) failWrite(path, error);
}

}  // namespace

FileStamp StampOf(const QString& path) {
    struct stat st {};
    if (::stat(native(path).constData(), &st) == 0) return stampFrom(st);
    if (errno == ENOENT) return {};
    failRead(path, errno);
}

std::optional<FileContent> ReadWholeFile(const QString& path) {
    // O_NONBLOCK: a FIFO in the file's place must not hang us; it is refused below.
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) return std::nullopt;
        failRead(path, errno);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) failRead(path, errno);
    if (!S_ISREG(st.st_mode)) failRead(path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    FileContent content;
    // One byte more than the size, so that the read which finds the end needs no larger buffer.
    content.bytes.resize(qsizetype(st.st_size) + 1);
    qsizetype done = 0;
    for (;;) {
        if (done == content.bytes.size()) content.bytes.resize(done + 65536);  // grown since the fstat
        const ssize_t n = ::read(fd, content.bytes.data() + done, size_t(content.bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            failRead(path, errno);
        }
        if (n == 0) break;
        done += n;
    }
    content.bytes.truncate(done);
    if (::fstat(fd, &st) != 0) failRead(path, errno);
    content.stamp = stampFrom(st);
    return content;
}

// At most a quarter of the descriptors the process may have, so that the
// replaces themselves never run out of them; a longer run frees in rounds.
std::size_t ReplacedFiles::mostHeld() {
    constexpr rlim_t kMost = 256;
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
    return std::size_t(limit.rlim_cur == RLIM_INFINITY ? kMost : std::min(kMost, limit.rlim_cur / 4));
}

void ReplacedFiles::hold(const QString& path) {
    if (descriptors_.empty()) mostHeld_ = mostHeld();
    if (descriptors_.size() >= mostHeld_) release();
    if (mostHeld_ == 0) return;
    const int fd = ::open(native(path).constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) descriptors_.push_back(fd);
}

ReplacedFiles::~ReplacedFiles() {
    release();
    if (closing_.joinable()) closing_.join();
}

void ReplacedFiles::release() {
    if (closing_.joinable()) closing_.join();
    if (descriptors_.empty()) return;
    const std::vector<int> descriptors = std::exchange(descriptors_, {});
    auto closeAll = [](const std::vector<int>& held) {
        for (const int fd : held) ::close(fd);
    };
    try {
        closing_ = std::thread(closeAll, descriptors);
    } catch (const std::system_error&) {
        closeAll(descriptors);  // no thread to be had: freed here
    }
}

FileStamp ReplaceFile(const QString& path, const QByteArray& bytes, Durability durability, const QString& newFileModel,
                      ReplacedFiles* keepReplaced) {
    const QFileInfo info(path);
    const Ownership owner = ownershipFor(path, newFileModel);
    QByteArray temp = native(info.absolutePath() + QStringLiteral("/.") + info.fileName()) + kTempMarker +
                      QByteArray(kTempSuffixLength, 'X');
    int fd = -1;
    if (!step(FileStep::Create, path, [&] { return (fd = ::mkostemp(temp.data(), O_CLOEXEC)) >= 0; }))
        failWrite(path, errno);
    int kept = -1;  // a second descriptor that outlives the checked close, for the stamp
    auto abandon = [&](int error) {
        if (fd >= 0) ::close(fd);
        if (kept >= 0) ::close(kept);
        ::unlink(temp.constData());
        failWrite(path, error);
    };
    if (!applyOwnership(fd, owner)) abandon(errno);
    if (!step(FileStep::Write, path, [&] { return writeAll(fd, bytes); })) abandon(errno);
    if (durability == Durability::Synced && !step(FileStep::Sync, path, [&] { return syncDescriptor(fd, true) == 0; }))
        abandon(errno);
    if ((kept = ::dup(fd)) < 0) abandon(errno);
    // Network file systems report write errors only when the file is closed.
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) abandon(errno);
    if (keepReplaced) keepReplaced->hold(path);
    if (!step(FileStep::Rename, path, [&] { return ::rename(temp.constData(), native(path).constData()) == 0; }))
        abandon(errno);
    // The stamp after the rename (which sets the ctime), from the file we wrote.
    struct stat st {};
    const bool stamped = ::fstat(kept, &st) == 0;
    ::close(kept);
    if (durability == Durability::Synced) SyncFolder(info.absolutePath());
    return stamped ? stampFrom(st) : FileStamp{};
}

void SyncFile(const QString& path) {
    syncPath(path, false);
}

void SyncFolder(const QString& folder) {
    syncPath(folder, true);
}

bool IsOurTemporaryName(const QString& fileName) {
    const qsizetype at = fileName.lastIndexOf(QLatin1String(kTempMarker));
    return fileName.startsWith(u'.') && at > 0 &&
           at + qsizetype(std::strlen(kTempMarker)) + kTempSuffixLength == fileName.size();
}

int RemoveLeftoverTemporaries(const QString& folder) {
    int removed = 0;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names)
        if (IsOurTemporaryName(name) && ::unlink(native(folder + u'/' + name).constData()) == 0) ++removed;
    return removed;
}

}  // namespace tessaly::profile
