#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <thread>
#include <vector>

namespace tessaly::profile {

// What tells one version of a file from another: a rewrite in place changes
// size, mtime or ctime (ctime also when the mtime was set back); a
// replacement changes the inode.
struct FileStamp {
    bool exists = false;
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::int64_t ctimeNs = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileStamp&) const = default;
};

struct FileContent {
    QByteArray bytes;
    FileStamp stamp;  // of the descriptor the bytes came from
};

// The stamp of the file at 'path'; exists=false only when it does not exist.
// Throws ReadError when it cannot be told (a folder on the way that we may not
// search, an I/O error).
FileStamp StampOf(const QString& path);

// The whole file, or nothing when it does not exist. Throws ReadError when it
// exists but cannot be read: no permission, an I/O error, a folder in its place.
std::optional<FileContent> ReadWholeFile(const QString& path);

enum class Durability { Deferred, Synced };

// Keeps the files a run of replaces put aside open until the run ends, so that
// the file system frees them all then rather than one between each two
// creations. ext4 without a journal passes over every inode freed in the last
// minute when it creates a file, so freeing as we went made each creation pass
// over all the files replaced before it: a sort of 8000 cards spent 25 ms of
// its 60 creating and renaming, 7 now.
class ReplacedFiles {
public:
    ReplacedFiles() = default;
    ReplacedFiles(const ReplacedFiles&) = delete;
    ReplacedFiles& operator=(const ReplacedFiles&) = delete;
    ~ReplacedFiles();

    // Holds the file now at 'path' (a link itself, not followed), if there is one.
    void hold(const QString& path);
    // Lets every file held go, on a thread of its own: freeing them is the
    // file system's work, which the caller need not wait for.
    void release();

private:
    static std::size_t mostHeld();

    std::vector<int> descriptors_;
    std::size_t mostHeld_ = 0;
    std::thread closing_;
};

// Replaces 'path' with 'bytes' atomically: a temporary file of ours in the same
// folder, every byte written, owner, group and mode of the file replaced (or of
// 'newFileModel' for a new file in the model's folder), then rename. Synced
// flushes the data before the rename and the folder after it. Returns the
// stamp of the file written, taken from our own descriptor. Throws WriteError
// naming the file and the reason; the old file is then untouched and no
// temporary file remains. 'keepReplaced' holds the file replaced, for a run
// of replaces.
FileStamp ReplaceFile(const QString& path, const QByteArray& bytes, Durability durability,
                      const QString& newFileModel = QString(), ReplacedFiles* keepReplaced = nullptr);

// Flushes a file's data, or a folder's entries, to the disk. Throws WriteError.
void SyncFile(const QString& path);
void SyncFolder(const QString& folder);

// Removes the temporary files that runs killed in the middle of a replace left
// in 'folder'; returns how many. Call it only while no replace of ours runs there.
int RemoveLeftoverTemporaries(const QString& folder);

// True for the names of our temporary files.
bool IsOurTemporaryName(const QString& fileName);

}  // namespace tessaly::profile
