#pragma once
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QProcess>
#include <QString>

// Makes a folder refuse new files, for root too (which ignores permissions):
// the immutable attribute where the file system has it, the mode bits otherwise.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path) : path_(path) {
        chmod(QFile::encodeName(path_).constData(), 0555);
        if (geteuid() == 0) immutable_ = QProcess::execute("chattr", {"+i", path_}) == 0;
    }
    ~ReadOnlyFolder() {
        if (immutable_) QProcess::execute("chattr", {"-i", path_});
        chmod(QFile::encodeName(path_).constData(), 0755);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    bool refusesWrites() const { return immutable_ || geteuid() != 0; }

private:
    QString path_;
    bool immutable_ = false;
};
