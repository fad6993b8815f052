#include "cached_profile.h"

#include <time.h>
#include <QFileInfo>
#include <algorithm>
#include <exception>
#include <utility>

namespace tessaly::profile {
namespace {

// File times tick coarsely (a jiffy on most Linux file systems, two seconds on
// FAT): a file changed within this margin of our last look may have been
// rewritten again without its times moving, so we compare its content instead.
constexpr std::int64_t kRacyMarginNs = 2'000'000'000;

std::int64_t nowNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// Names in the order a person numbers them: tesly2 before tesly10.
bool naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit()) ++ei;
            while (ej < b.size() && b[ej].isDigit()) ++ej;
            QStringView da = QStringView(a).sliced(i, ei - i), db = QStringView(b).sliced(j, ej - j);
            while (da.size() > 1 && da.front() == u'0') da = da.sliced(1);
            while (db.size() > 1 && db.front() == u'0') db = db.sliced(1);
            if (da.size() != db.size()) return da.size() < db.size();
            if (const int c = da.compare(db); c != 0) return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

}  // namespace

void CachedProfile::load(Entry& e, const QString& file) {
    std::optional<FileContent> content = ReadWholeFile(file);
    const QByteArray bytes = content ? content->bytes : QByteArray();
    if (!(e.stamp.exists && bytes == e.content)) e.doc = ProfileDocument::parse(bytes);
    e.stamp = content ? content->stamp : FileStamp{};
    e.content = bytes;
    e.checkedAtNs = nowNs();
}

CachedProfile::Entry* CachedProfile::recentEntry(const QString& file) {
    // Callers that keep their file names pass the same text again: its address tells it at once.
    // Both addresses are tried before any text is compared, as a sort's two files take turns.
    for (std::size_t i = 0; i < recent_.size(); ++i) {
        if (!recent_[i].entry || file.constData() != recent_[i].name.constData()) continue;
        if (i > 0) std::swap(recent_[0], recent_[i]);
        return recent_[0].entry;
    }
    for (std::size_t i = 0; i < recent_.size(); ++i) {
        if (!recent_[i].entry || file != recent_[i].name) continue;
        if (i > 0) std::swap(recent_[0], recent_[i]);
        return recent_[0].entry;
    }
    return nullptr;
}

void CachedProfile::noteRecent(const QString& file, Entry* e) {
    if (recent_[0].entry == e) return;
    recent_[1] = std::move(recent_[0]);
    recent_[0] = {file, e};
}

CachedProfile::Entry& CachedProfile::entry(const QString& file, bool forWrite) {
    Entry* e = recentEntry(file);
    if (!e) {
        const auto it = files_.find(file);
        e = it == files_.end() ? nullptr : &*it;
    }
    // A bulk writes what it holds over the file at its end whatever happened meanwhile, so within
    // one a file checked once is not checked again, also for a write that changed nothing.
    const bool checkedNow = operationDepth_ > 0 && e && e->validatedInOperation == operationId_;
    if (e && (e->dirty || (checkedNow && (!forWrite || bulkDepth_ > 0)))) {
        noteRecent(file, e);
        return *e;
    }
    const FileStamp stamp = StampOf(file);
    if (!e) {
        Entry fresh;
        load(fresh, file);
        recent_ = {};                                  // the entries may have moved
        e = &*files_.emplace(file, std::move(fresh));  // insert() would copy the parsed file
    } else {
        // The content is compared once per operation; later writes in it compare the stamp.
        const bool seen = operationDepth_ > 0 && e->validatedInOperation == operationId_;
        const bool racy =
            !seen && e->stamp.exists && std::max(e->stamp.mtimeNs, e->stamp.ctimeNs) + kRacyMarginNs > e->checkedAtNs;
        if (!(stamp == e->stamp) || racy) {
            try {
                load(*e, file);
            } catch (const ReadError&) {
                forget(file);
                throw;
            }
        }
    }
    e->validatedInOperation = operationId_;
    noteRecent(file, e);
    return *e;
}

void CachedProfile::forget(const QString& file) {
    if (file == pending_) pending_.clear();
    files_.remove(file);
    recent_ = {};
}

QString CachedProfile::read(const QString& file, const QString& section, const QString& key) {
    return entry(file).doc.value(section, key).value_or(QString());
}

bool CachedProfile::hasSection(const QString& file, const QString& section) {
    return entry(file).doc.hasSection(section);
}

bool CachedProfile::visitSection(const QString& file, const QString& section, std::span<const QString> keys,
                                 const ValueSink& take) {
    return entry(file).doc.visitValues(section, keys, take);
}

void CachedProfile::write(const QString& file, const QString& section, const QString& key, const QString& value) {
    // Checked before every write, so that a change another program made
    // since the operation began is not written over.
    endRunBefore(file);
    Entry& e = entry(file, true);
    written(file, e, e.doc.setValue(section, key, value));
}

void CachedProfile::writeSection(const QString& file, const QString& section, std::span<const QString> keys,
                                 std::span<const QString> values) {
    endRunBefore(file);
    Entry& e = entry(file, true);
    written(file, e, e.doc.setValues(section, keys, values));
}

// A value the file already held leaves it as it is on disk.
void CachedProfile::written(const QString& file, Entry& e, bool changed) {
    if (!changed) return;
    if (bulkDepth_ > 0) {
        e.dirty = true;
        return;
    }
    if (operationDepth_ > 0) {  // held until the run of writes to this file ends
        e.dirty = true;
        pending_ = file;
        return;
    }
    flush(file, e);
}

// A write to another file ends the run held: the files reach the disk in the order written.
void CachedProfile::endRunBefore(const QString& file) {
    if (!pending_.isNull() && bulkDepth_ == 0 && pending_ != file) flushPending();
}

void CachedProfile::flushPending() {
    if (pending_.isNull()) return;
    const QString file = std::exchange(pending_, QString());
    const auto it = files_.find(file);
    if (it != files_.end() && it->dirty) flush(file, *it);
}

void CachedProfile::discardPending() {
    if (!pending_.isNull()) forget(std::exchange(pending_, QString()));
}

void CachedProfile::flush(const QString& file, Entry& e) {
    const QByteArray bytes = e.doc.serialize();
    const Durability durability = operationDepth_ > 0 ? Durability::Deferred : Durability::Synced;
    FileStamp stamp;
    try {
        stamp = ReplaceFile(file, bytes, durability, newFileModel_,
                            durability == Durability::Deferred ? &replaced_ : nullptr);
    } catch (const WriteError&) {
        forget(file);  // the copy holds a value the disk refused: read the file afresh next time
        throw;
    }
    if (durability == Durability::Deferred) unsynced_.insert(file);
    e.dirty = false;
    e.stamp = stamp;
    e.content = bytes;
    e.checkedAtNs = nowNs();
}

void CachedProfile::syncWritten() {
    if (unsynced_.isEmpty()) return;
    QStringList files = unsynced_.values();
    unsynced_.clear();
    std::sort(files.begin(), files.end(), naturalLess);
    QStringList folders;
    try {
        for (const QString& file : files) {
            SyncFile(file);
            const QString folder = QFileInfo(file).absolutePath();
            if (!folders.contains(folder)) folders << folder;
        }
        for (const QString& folder : folders) SyncFolder(folder);
    } catch (const WriteError&) {
        for (const QString& file : files) forget(file);
        throw;
    }
}

void CachedProfile::flushHeld() {
    QStringList held;
    for (auto it = files_.cbegin(); it != files_.cend(); ++it)
        if (it->dirty) held << it.key();
    std::sort(held.begin(), held.end(), [&](const QString& a, const QString& b) {
        if ((a == flushedLast_) != (b == flushedLast_)) return b == flushedLast_;
        return naturalLess(a, b);
    });
    for (qsizetype i = 0; i < held.size(); ++i) {
        try {
            // The file flushed last (the header) names the others' cards: it
            // goes to disk only once they are there.
            if (held[i] == flushedLast_) syncWritten();
            flush(held[i], files_[held[i]]);
        } catch (const WriteError& error) {
            // Stop at the first failure: what was held for the rest is dropped and named.
            const QStringList lost = held.mid(i);
            for (const QString& file : lost) forget(file);
            throw WriteError(QStringLiteral("%1; not written: %2")
                                 .arg(QString::fromStdString(error.what()), lost.join(QStringLiteral(", ")))
                                 .toStdString());
        }
    }
}

void CachedProfile::beginOperation() {
    if (operationDepth_++ == 0) ++operationId_;
}

void CachedProfile::endOperation() {
    if (operationDepth_ == 0) return;
    if (operationDepth_ > 1) {
        --operationDepth_;
        return;
    }
    // The files the operation replaced go once the new ones are on disk, or have failed.
    struct Release {
        ReplacedFiles& files;
        ~Release() { files.release(); }
    } release{replaced_};
    try {
        flushPending();  // still within the operation: made durable with the others below
    } catch (const WriteError&) {
        --operationDepth_;
        try {
            syncWritten();
        } catch (const WriteError&) {
        }
        throw;
    }
    --operationDepth_;
    syncWritten();
}

void CachedProfile::beginBulk() {
    flushPending();
    ++bulkDepth_;
    beginOperation();
}

void CachedProfile::endBulk() {
    if (bulkDepth_ == 0) return;
    std::exception_ptr failure;
    if (--bulkDepth_ == 0) {
        try {
            flushHeld();
        } catch (const WriteError&) {
            failure = std::current_exception();
        }
    }
    try {
        endOperation();
    } catch (const WriteError&) {
        if (!failure) failure = std::current_exception();
    }
    if (failure) std::rethrow_exception(failure);
}

}  // namespace tessaly::profile
