#pragma once
#include <QIODevice>
#include <QString>

namespace tessaly::store {

// A file handed out of the card file (exported vCards, a printed PDF). It is
// written as a hidden temporary file beside its target and takes the target's
// name by one rename only once every byte is written and flushed, so a failure
// at any step leaves the previous file as it was. It gets the mode of the card
// file it was made from (a private card file gives a private export), and is
// never written through a symbolic link.
class ExportFile : public QIODevice {
public:
    // Creates the temporary file; 'modeModel' is the card file whose mode the
    // export takes (none: private, 0600). Throws profile::WriteError naming the target.
    ExportFile(const QString& target, const QString& modeModel);
    // Removes the temporary file unless it was committed.
    ~ExportFile() override;
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    // Writes what is buffered, flushes the file to the disk and puts it in
    // the target's place. Throws profile::WriteError naming the target and the
    // first failure, also one of an earlier write; the target is then untouched.
    void commit();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool flushBuffer();
    [[noreturn]] void fail(int error);

    QString target_;
    QByteArray temp_;  // the temporary file's path, encoded
    int fd_ = -1;
    int error_ = 0;  // the first write that failed, kept for commit
    QByteArray buffer_;
    bool committed_ = false;
};

}  // namespace tessaly::store
