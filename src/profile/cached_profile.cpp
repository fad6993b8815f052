#include "cached_profile.h"

#include "file_faults.h"

#include <QFile>
#include <QSaveFile>
#include <sys/stat.h>
#include <time.h>

namespace tessaly::profile {
namespace {

// File times tick coarsely (a jiffy on most Linux file systems, two seconds on
// FAT): a file changed within this margin of our last look may have been
// rewritten again without its time moving, so we compare its content instead.
constexpr std::int64_t kRacyMarginNs = 2'000'000'000;

std::int64_t nowNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

QByteArray readAll(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

CachedProfile::Stamp CachedProfile::stampOf(const QString& file) {
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) != 0) return {};
    return Stamp{true, std::int64_t(st.st_size),
                 std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec, std::uint64_t(st.st_ino)};
}

void CachedProfile::load(Entry& e, const QString& file, const Stamp& stamp) {
    const QByteArray bytes = stamp.exists ? readAll(file) : QByteArray();
    const std::size_t hash = qHash(bytes);
    if (!(e.stamp.exists && hash == e.contentHash && e.stamp.size == stamp.size)) e.doc = ProfileDocument::parse(bytes);
    e.stamp = stamp;
    e.contentHash = hash;
    e.checkedAtNs = nowNs();
}

CachedProfile::Entry& CachedProfile::entry(const QString& file, bool forWrite) {
    auto it = files_.find(file);
    if (it != files_.end() &&
        (it->dirty || (!forWrite && operationDepth_ > 0 && it->validatedInOperation == operationId_)))
        return *it;
    const Stamp stamp = stampOf(file);
    if (it == files_.end()) {
        it = files_.insert(file, Entry{});
        load(*it, file, stamp);
    } else {
        // The content is compared once per operation; later writes in it compare the stamp.
        const bool seen = operationDepth_ > 0 && it->validatedInOperation == operationId_;
        const bool racy = !seen && it->stamp.exists && it->stamp.mtimeNs + kRacyMarginNs > it->checkedAtNs;
        if (!(stamp == it->stamp) || racy) load(*it, file, stamp);
    }
    it->validatedInOperation = operationId_;
    return *it;
}

QString CachedProfile::read(const QString& file, const QString& section, const QString& key) {
    return entry(file).doc.value(section, key).value_or(QString());
}

bool CachedProfile::hasSection(const QString& file, const QString& section) {
    return entry(file).doc.hasSection(section);
}

void CachedProfile::write(const QString& file, const QString& section, const QString& key, const QString& value) {
    // Checked before every write, so that a change another program made
    // since the operation began is not written over.
    Entry& e = entry(file, true);
    e.doc.setValue(section, key, value);
    if (bulkDepth_ > 0) {
        e.dirty = true;
        return;
    }
    flush(file, e);
}

void CachedProfile::flush(const QString& file, Entry& e) {
    const QByteArray bytes = e.doc.serialize();
    QSaveFile out(file);
    const bool ok = !InjectedFault(FileStep::Create, file) && out.open(QIODevice::WriteOnly) &&
                    !InjectedFault(FileStep::Write, file) && out.write(bytes) == bytes.size() &&
                    !InjectedFault(FileStep::Rename, file) && out.commit();
    if (!ok) {
        const QString reason = out.errorString();
        files_.remove(file);  // the copy holds a value the disk refused: read the file afresh next time
        throw WriteError(QStringLiteral("Could not write %1: %2").arg(file, reason).toStdString());
    }
    e.dirty = false;
    e.stamp = stampOf(file);
    e.contentHash = qHash(bytes);
    e.checkedAtNs = nowNs();
}

void CachedProfile::beginOperation() {
    if (operationDepth_++ == 0) ++operationId_;
}

void CachedProfile::endOperation() {
    if (operationDepth_ > 0) --operationDepth_;
}

void CachedProfile::beginBulk() {
    ++bulkDepth_;
    beginOperation();
}

void CachedProfile::endBulk() {
    endOperation();
    if (bulkDepth_ == 0 || --bulkDepth_ > 0) return;
    QString firstError;
    const QStringList names = files_.keys();
    for (const QString& file : names) {
        auto it = files_.find(file);
        if (it == files_.end() || !it->dirty) continue;
        try {
            flush(file, *it);
        } catch (const WriteError& error) {
            if (firstError.isEmpty()) firstError = QString::fromStdString(error.what());
        }
    }
    if (!firstError.isEmpty()) throw WriteError(firstError.toStdString());
}

}  // namespace tessaly::profile
