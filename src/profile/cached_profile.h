#pragma once
#include "atomic_file.h"
#include "profile_access.h"
#include "profile_document.h"

#include <QHash>
#include <QSet>
#include <array>
#include <cstdint>

namespace tessaly::profile {

// The profile layer the program uses: a parsed copy of each file, checked
// against the file on disk (size, times, inode) before it is trusted. Every
// write replaces the file atomically, in call order; the end of the outermost
// operation makes all of them durable at once.
class CachedProfile final : public ProfileAccess {
public:
    QString read(const QString& file, const QString& section, const QString& key) override;
    void write(const QString& file, const QString& section, const QString& key, const QString& value) override;
    bool hasSection(const QString& file, const QString& section) override;
    void writeSection(const QString& file, const QString& section, std::span<const QString> keys,
                      std::span<const QString> values) override;
    bool visitSection(const QString& file, const QString& section, std::span<const QString> keys,
                      const ValueSink& take) override;

    void flushPending() override;
    void discardPending() override;
    void beginOperation() override;
    void endOperation() override;
    void beginBulk() override;
    void endBulk() override;
    void setFlushedLast(const QString& file) override { flushedLast_ = file; }
    void setNewFileModel(const QString& modelFile) override { newFileModel_ = modelFile; }

    // Forget every cached file (tests; after files were replaced wholesale).
    void clear() {
        files_.clear();
        recent_ = {};
        pending_.clear();
    }

private:
    struct Entry {
        ProfileDocument doc;
        FileStamp stamp;
        std::int64_t checkedAtNs = 0;  // when the copy was last known to equal the file
        // The bytes the copy was made from or last written as (shared with the
        // parsed copy): a file whose times moved but whose bytes did not is not parsed again.
        QByteArray content;
        std::uint64_t validatedInOperation = 0;
        bool dirty = false;  // held by bulk mode or a run of writes, not yet on disk
    };

    Entry& entry(const QString& file, bool forWrite = false);
    void load(Entry& e, const QString& file);
    void flush(const QString& file, Entry& e);
    void written(const QString& file, Entry& e, bool changed);
    void endRunBefore(const QString& file);
    void flushHeld();
    void syncWritten();
    void forget(const QString& file);

    Entry* recentEntry(const QString& file);
    void noteRecent(const QString& file, Entry* e);

    QHash<QString, Entry> files_;
    // The files of the last calls, the latest first: runs of calls on one file,
    // or on two in turn as a sort writes them, skip the lookup. Cleared when
    // files_ changes, which may move its entries.
    struct Recent {
        QString name;
        Entry* entry = nullptr;
    };
    std::array<Recent, 2> recent_;
    QString pending_;         // the file of the run of writes held, if any
    QSet<QString> unsynced_;  // replaced within the operation, not yet flushed to disk
    ReplacedFiles replaced_;  // what the operation's replaces put aside
    QString flushedLast_;
    QString newFileModel_;
    int operationDepth_ = 0;
    std::uint64_t operationId_ = 0;
    int bulkDepth_ = 0;
};

}  // namespace tessaly::profile
