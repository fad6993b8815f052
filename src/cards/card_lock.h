#pragma once
#include <QString>
#include <chrono>

namespace tessaly::store {

// The lock file beside tesly.dat; its name escapes the "*.dat" globs of backups and loading.
QString LockFilePath(const QString& dataDir);

// An exclusive advisory lock (flock) on the card file's lock file, held until
// destruction. Waits up to 'wait' for another process to let go, then throws
// CardFileBusy; throws profile::WriteError when the lock file cannot be opened.
// flock belongs to the open file, so one process must not take it twice.
class CardFileLock {
public:
    CardFileLock(const QString& dataDir, std::chrono::milliseconds wait);
    ~CardFileLock();
    CardFileLock(const CardFileLock&) = delete;
    CardFileLock& operator=(const CardFileLock&) = delete;

private:
    int fd_ = -1;
};

}  // namespace tessaly::store
