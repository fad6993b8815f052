#pragma once
#include "profile_access.h"
#include "profile_document.h"

#include <QHash>
#include <cstdint>

namespace tessaly::profile {

// The profile layer the program uses: a parsed copy of each file, checked
// against the file on disk (size, modification time, inode) before it is
// trusted, and every write replacing the file atomically.
class CachedProfile final : public ProfileAccess {
public:
    QString read(const QString& file, const QString& section, const QString& key) override;
    void write(const QString& file, const QString& section, const QString& key, const QString& value) override;
    bool hasSection(const QString& file, const QString& section) override;

    void beginOperation() override;
    void endOperation() override;
    void beginBulk() override;
    void endBulk() override;

    // Forget every cached file (tests; after files were replaced wholesale).
    void clear() { files_.clear(); }

private:
    struct Stamp {
        bool exists = false;
        std::int64_t size = 0;
        std::int64_t mtimeNs = 0;
        std::uint64_t inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry {
        ProfileDocument doc;
        Stamp stamp;
        std::int64_t checkedAtNs = 0;  // when the copy was last known to equal the file
        std::size_t contentHash = 0;
        std::uint64_t validatedInOperation = 0;
        bool dirty = false;  // held by bulk mode, not yet on disk
    };

    Entry& entry(const QString& file, bool forWrite = false);
    void load(Entry& e, const QString& file, const Stamp& stamp);
    void flush(const QString& file, Entry& e);
    static Stamp stampOf(const QString& file);

    QHash<QString, Entry> files_;
    int operationDepth_ = 0;
    std::uint64_t operationId_ = 0;
    int bulkDepth_ = 0;
};

}  // namespace tessaly::profile
