#include "card_lock.h"

#include "card_store.h"
#include "profile/profile_access.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <thread>

namespace tessaly::store {

QString LockFilePath(const QString& dataDir) {
    return dataDir + QStringLiteral("tesly.lock");
}

CardFileBusy::CardFileBusy(const QString& lockFile)
    : InUseError(QStringLiteral("Another change to the card file is still in progress (%1 is locked); try again.")
                     .arg(lockFile)
                     .toStdString()) {}

CardFileLock::CardFileLock(const QString& dataDir, std::chrono::milliseconds wait) {
    const QString path = LockFilePath(dataDir);
    // Never through a link: a dangling one would make its target.
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        const QString why =
            errno == ELOOP ? QStringLiteral("it is a symbolic link") : QString::fromLocal8Bit(std::strerror(errno));
        throw profile::WriteError(QStringLiteral("Could not open the lock file %1: %2").arg(path, why).toStdString());
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error != EWOULDBLOCK && error != EINTR) {
            ::close(fd_);
            throw profile::WriteError(QStringLiteral("Could not lock %1: %2")
                                          .arg(path, QString::fromLocal8Bit(std::strerror(error)))
                                          .toStdString());
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd_);
            throw CardFileBusy(path);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

CardFileLock::~CardFileLock() {
    ::close(fd_);
}

}  // namespace tessaly::store
