#include "export_file.h"

#include "profile/profile_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tessaly::store {

namespace {

constexpr qsizetype kBufferBytes = 1 << 16;
constexpr mode_t kPrivateMode = 0600;

// The card file's permission bits; without a readable model the export stays private.
mode_t ModeOf(const QString& model) {
    struct stat st {};
    if (model.isEmpty() || ::stat(QFile::encodeName(model).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return kPrivateMode;
    return st.st_mode & 0777;
}

// A link in the target's place is refused rather than followed or replaced:
// the export goes where the person named it, or nowhere.
int RefusalOfTarget(const QByteArray& target) {
    struct stat st {};
    if (::lstat(target.constData(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (S_ISLNK(st.st_mode)) return ELOOP;
    if (!S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return 0;
}

}  // namespace

ExportFile::ExportFile(const QString& target, const QString& modeModel) : target_(target) {
    const QFileInfo info(target);
    if (const int refused = RefusalOfTarget(QFile::encodeName(target))) fail(refused);
    temp_ = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()) + ".tessaly-export-XXXXXX";
    // mkostemp makes the file 0600 and never through a link; a file system
    // that refuses the chmod (FAT) leaves it at that, which is never more open
    // than the card file.
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    if (fd_ < 0) fail(errno);
    (void)::fchmod(fd_, ModeOf(modeModel));
    buffer_.reserve(kBufferBytes);
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

ExportFile::~ExportFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !temp_.isEmpty()) ::unlink(temp_.constData());
}

qint64 ExportFile::readData(char*, qint64) {
    return -1;
}

qint64 ExportFile::writeData(const char* data, qint64 size) {
    if (error_) return -1;
    buffer_.append(data, size);
    if (buffer_.size() >= kBufferBytes && !flushBuffer()) return -1;
    return size;
}

bool ExportFile::flushBuffer() {
    const char* data = buffer_.constData();
    qsizetype left = buffer_.size();
    while (left > 0 && !error_) {
        const ssize_t n = ::write(fd_, data, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            error_ = n < 0 ? errno : ENOSPC;  // no progress and no error: a full disk
        else
            data += n, left -= n;
    }
    buffer_.clear();
    return !error_;
}

void ExportFile::commit() {
    if (!flushBuffer()) fail(error_);
    int rc;
    do rc = ::fsync(fd_);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) fail(errno);
    // Network file systems report a failed write only when the file is closed.
    rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0) fail(errno);
    const QByteArray target = QFile::encodeName(target_);
    if (const int refused = RefusalOfTarget(target)) fail(refused);
    // The folder is not flushed after the rename: after a power cut the old or
    // the new export is there under the name, each of them whole.
    if (::rename(temp_.constData(), target.constData()) != 0) fail(errno);
    committed_ = true;
    QIODevice::close();
}

void ExportFile::fail(int error) {
    const QString why = error == ELOOP ? QStringLiteral("it is a symbolic link, and nothing is written through one")
                                       : QString::fromLocal8Bit(std::strerror(error));
    throw profile::WriteError(QStringLiteral("Could not write %1: %2").arg(target_, why).toStdString());
}

}  // namespace tessaly::store
