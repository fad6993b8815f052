#include "change_journal.h"

#include "cards/card_layout.h"
#include "cards/card_lock.h"
#include "cards/staged_card_files.h"
#include "history_text.h"
#include "profile/atomic_file.h"
#include "profile/profile_document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

namespace tessaly::history {

using store::CardPlace;
using store::CardTransition;

namespace {

Record RecordOf(RecordType type, std::uint64_t id) {
    Record r;
    r.type = type;
    r.id = id;
    return r;
}

QByteArray Checksum(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5);
}

// What a person calls the change, from the cards it changed.
QString DescriptionOf(EntryKind kind, const QList<CardTransition>& cards) {
    if (kind == EntryKind::Files) return QStringLiteral("Repair the card lists");
    if (cards.size() != 1) return QStringLiteral("Change %1 cards").arg(cards.size());
    const CardTransition& t = cards.first();
    const CardPlace from = t.before.place, to = t.after.place;
    const QString name = CardName(to == CardPlace::Absent ? t.before.fields : t.after.fields);
    if (from == CardPlace::Absent && to == CardPlace::Live) return QStringLiteral("Add %1").arg(name);
    if (from == CardPlace::Live && to == CardPlace::Deleted) return QStringLiteral("Delete %1").arg(name);
    if (from == CardPlace::Deleted && to == CardPlace::Live) return QStringLiteral("Restore %1").arg(name);
    return QStringLiteral("Edit %1").arg(name);
}

void MakePrivateFolder(const QString& folder) {
    if (!QDir().mkpath(folder))
        throw profile::WriteError(QStringLiteral("Cannot make the history folder %1").arg(folder).toStdString());
    ::chmod(QFile::encodeName(folder).constData(), 0700);
}

}  // namespace

QByteArray WithUses(const QByteArray& header, const QString& uses) {
    profile::ProfileDocument doc = profile::ProfileDocument::parse(header);
    if (doc.value(store::header::Section, store::header::NoOfUses).value_or(QString()) == uses) return header;
    doc.setValue(store::header::Section, store::header::NoOfUses, uses);
    return doc.serialize();
}

ChangeJournal::ChangeJournal(QString dataDir, QString journalFile)
    : dataDir_(std::move(dataDir)), file_(std::move(journalFile)) {}

QString ChangeJournal::FileFor(const QString& dataDir) {
    QString canonical = QFileInfo(dataDir).canonicalFilePath();
    if (canonical.isEmpty()) canonical = QFileInfo(dataDir).absoluteFilePath();
    const QByteArray key = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Tessaly/history/") +
           QString::fromLatin1(key) + QStringLiteral(".journal");
}

void ChangeJournal::Open(std::chrono::milliseconds wait) {
    const store::CardFileLock lock(dataDir_, wait);
    // A switch of the card files that a crash stopped is settled first: the files are then whole.
    store::SettleCardFiles(dataDir_);
    load(true);
    compactIfWorthIt();
}

QString ChangeJournal::TakeNotice() {
    return std::exchange(notice_, QString());
}

const QList<JournalEntry>& ChangeJournal::Entries() {
    refresh();
    return entries_;
}

const JournalEntry* ChangeJournal::NextUndo() {
    refresh();
    for (auto it = entries_.crbegin(); it != entries_.crend(); ++it)
        if (!it->undone) return &*it;
    return nullptr;
}

const JournalEntry* ChangeJournal::NextRedo() {
    refresh();
    const JournalEntry* redo = nullptr;
    for (auto it = entries_.crbegin(); it != entries_.crend() && it->undone; ++it) redo = &*it;
    return redo;
}

void ChangeJournal::PrepareUndoRedo(Operation operation, std::uint64_t target, const QString& description) {
    nextUndoRedo_.emplace(operation, target);
    nextDescription_ = description;
}

void ChangeJournal::Clear(std::chrono::milliseconds wait) {
    const store::CardFileLock lock(dataDir_, wait);
    if (QFile::exists(file_) && !QFile::remove(file_))
        throw profile::WriteError(QStringLiteral("Cannot remove the history %1").arg(file_).toStdString());
    entries_.clear();
    lastChecksums_.clear();
    retainedBytes_ = 0;
    seen_ = stampNow();
}

// Called under the change lock before the change's first write to each file: the
// file's bytes go to the journal before the file changes.
void ChangeJournal::aboutToWrite(const QString& file, const std::optional<QByteArray>& before, bool wholeSet) {
    QByteArray bytes;
    if (!current_) {
        refresh();
        Pending p;
        p.timeMs = QDateTime::currentMSecsSinceEpoch();
        p.description = nextDescription_;
        if (nextUndoRedo_) std::tie(p.operation, p.target) = *nextUndoRedo_;
        Record begin;
        begin.type = RecordType::Begin;
        begin.id = newId();
        begin.operation = p.operation;
        begin.target = p.target;
        begin.timeMs = p.timeMs;
        begin.text = p.description;
        bytes = EncodeRecord(begin);
        current_.emplace(begin.id, std::move(p));
    }
    Record image;
    image.type = RecordType::FileBefore;
    image.id = current_->first;
    image.file = {nameOf(file), before};
    image.wholeSet = wholeSet;
    bytes += EncodeRecord(image);
    append(bytes, false);
    current_->second.before << image.file;
    current_->second.size += bytes.size();
}

void ChangeJournal::describe(const QString& text) {
    if (current_ && current_->second.operation == Operation::Change) current_->second.description = text;
}

void ChangeJournal::committed(const QList<CardTransition>& cards, const std::function<store::CardStates()>& everyCard) {
    if (!current_) return;
    auto [id, pending] = std::move(*current_);
    current_.reset();
    nextDescription_.clear();
    nextUndoRedo_.reset();
    Record commit;
    commit.type = RecordType::Commit;
    commit.id = id;
    commit.kind = cards.isEmpty() ? EntryKind::Files : EntryKind::Cards;
    commit.text = pending.description;
    commit.cards = cards;
    // An undo or redo keeps no files: the entry it acts on holds them.
    const bool keepsFiles = commit.kind == EntryKind::Files && pending.operation == Operation::Change;
    bool changedAnything = !cards.isEmpty() || pending.operation != Operation::Change;
    for (const FileImage& was : pending.before) {
        std::optional<profile::FileContent> now = profile::ReadWholeFile(dataDir_ + was.name);
        FileImage after{was.name, now ? std::optional<QByteArray>(std::move(now->bytes)) : std::nullopt};
        if (after.bytes) lastChecksums_.insert(was.name, Checksum(*after.bytes));
        if (keepsFiles && !(after == was)) {
            commit.after << std::move(after);
            changedAnything = true;
        }
    }
    if (!changedAnything) {
        // Nothing changed (an edit that typed the same values): nothing to take back.
        append(EncodeRecord(RecordOf(RecordType::Abort, id)), false);
        seen_ = stampNow();
        return;
    }
    if (commit.kind == EntryKind::Files) commit.states = everyCard();
    commit.carried = std::exchange(carried_, {});
    const QByteArray bytes = EncodeRecord(commit);
    append(bytes, true);
    pending.size += bytes.size();
    QHash<std::uint64_t, Pending> open{{id, std::move(pending)}};
    apply(commit, 0, open);
    seen_ = stampNow();
    compactIfWorthIt();
}

void ChangeJournal::rolledBack(bool whole) noexcept {
    if (!current_) return;
    const std::uint64_t id = current_->first;
    current_.reset();
    ForgetPrepared();
    // Files left half-changed: the change stays unfinished in the journal, and the next opening puts them back.
    if (!whole) return;
    try {
        append(EncodeRecord(RecordOf(RecordType::Abort, id)), false);
        seen_ = stampNow();
    } catch (const std::exception& e) {
        // The next opening finds the change unfinished, with its files as they were before: nothing to put back.
        qWarning("Could not note in the history that a change was put back: %s", e.what());
    }
}

// Another process wrote to the journal since this one read it: read it again.
void ChangeJournal::refresh() {
    if (stampNow() == seen_) return;
    load(false);
}

void ChangeJournal::load(bool settleUnfinished) {
    entries_.clear();
    lastChecksums_.clear();
    retainedBytes_ = 0;
    seen_ = stampNow();
    QFile in(file_);
    if (!in.exists()) return;
    if (in.size() > kMaxJournalBytes) return setAside(QStringLiteral("it is larger than any history"));
    if (!in.open(QIODevice::ReadOnly)) return setAside(QStringLiteral("it cannot be read (%1)").arg(in.errorString()));
    const QByteArray bytes = in.readAll();
    in.close();
    QList<Record> records;
    qsizetype valid = 0;
    QHash<std::uint64_t, Pending> pending;
    try {
        records = DecodeRecords(bytes, &valid);
        replay(records, pending);
    } catch (const JournalDamaged& e) {
        return setAside(QString::fromUtf8(e.what()));
    }
    if (!settleUnfinished) return;
    // Under the change lock: a record cut short by a crash goes, so that the next one follows whole ones.
    if (valid < bytes.size() && ::truncate(QFile::encodeName(file_).constData(), valid) != 0)
        qWarning("Could not shorten the history %s: %s", qPrintable(file_), std::strerror(errno));
    settle(pending, records);
    seen_ = stampNow();
}

void ChangeJournal::replay(const QList<Record>& records, QHash<std::uint64_t, Pending>& pending) {
    for (const Record& r : records) {
        lastId_ = std::max<std::uint64_t>(lastId_, r.id & ~(1ULL << 63));
        apply(r, EncodeRecord(r).size(), pending);
    }
}

void ChangeJournal::apply(const Record& r, qint64 size, QHash<std::uint64_t, Pending>& pending) {
    switch (r.type) {
        case RecordType::Begin: {
            if (pending.contains(r.id)) throw JournalDamaged("a change of the history begins twice");
            Pending p;
            p.operation = r.operation;
            p.target = r.target;
            p.timeMs = r.timeMs;
            p.description = r.text;
            p.size = size;
            pending.insert(r.id, std::move(p));
            return;
        }
        case RecordType::FileBefore: {
            auto it = pending.find(r.id);
            if (it == pending.end()) throw JournalDamaged("the history holds a file of no change");
            it->before << r.file;
            it->wholeSet = it->wholeSet || r.wholeSet;
            it->size += size;
            return;
        }
        case RecordType::Abort:
            pending.remove(r.id);
            return;
        case RecordType::Commit:
            break;
    }
    auto it = pending.find(r.id);
    if (it == pending.end()) throw JournalDamaged("the history ends a change that never began");
    Pending p = std::move(*it);
    pending.erase(it);
    if (r.kind == EntryKind::Files)
        for (const FileImage& image : r.after)
            if (image.bytes) lastChecksums_.insert(image.name, Checksum(*image.bytes));
    if (p.operation != Operation::Change) {
        for (JournalEntry& e : entries_) {
            if (e.id != p.target) continue;
            e.undone = p.operation == Operation::Undo;
            // What the undo of a replacement left is what its redo expects.
            if (e.undone && e.kind == EntryKind::Files) {
                e.beforeStates = r.states;
                e.carried = r.carried;
            }
        }
        return;
    }
    // A new change ends what could be redone.
    for (qsizetype i = entries_.size() - 1; i >= 0 && entries_[i].undone; --i) {
        retainedBytes_ -= entries_[i].size;
        entries_.removeAt(i);
    }
    JournalEntry e;
    e.id = r.id;
    e.timeMs = p.timeMs;
    e.kind = r.kind;
    e.cards = r.cards;
    e.description = !r.text.isEmpty()          ? r.text
                    : !p.description.isEmpty() ? p.description
                                               : DescriptionOf(r.kind, r.cards);
    if (r.kind == EntryKind::Files) {
        e.before = std::move(p.before);
        e.after = r.after;
        e.afterStates = r.states;
        // The files before each change of cards were only kept in case a crash stopped it.
        e.size = p.size + size;
    } else {
        e.size = EncodeRecord(r).size() + 64;
    }
    retainedBytes_ += e.size;
    entries_ << std::move(e);
    keepWithinBounds();
}

void ChangeJournal::keepWithinBounds() {
    while (!entries_.isEmpty() && (entries_.size() > kMaxEntries || retainedBytes_ > kMaxBytes)) {
        retainedBytes_ -= entries_.first().size;
        entries_.removeFirst();
    }
}

// A change a stopped run left unfinished is put back, file by file, to the bytes it
// noted before writing each (the count of users of the file aside). One that a later
// change was made on top of is left as it is (the start-up repair sees to its lists),
// and so is a switch of the whole card file, which its own journal finished or threw away.
void ChangeJournal::settle(const QHash<std::uint64_t, Pending>& pending, const QList<Record>& records) {
    for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
        const std::uint64_t id = it.key();
        bool laterChange = false;
        bool seen = false;
        for (const Record& r : records) {
            if (r.id == id)
                seen = true;
            else if (seen && r.type == RecordType::Commit)
                laterChange = true;
        }
        if (!laterChange && !it->wholeSet) {
            const QString uses =
                profile::ProfileDocument::parse(
                    profile::ReadWholeFile(dataDir_ + store::kHeaderFileName).value_or(profile::FileContent{}).bytes)
                    .value(store::header::Section, store::header::NoOfUses)
                    .value_or(QStringLiteral("0"));
            for (const FileImage& image : it->before) {
                const QString path = dataDir_ + image.name;
                if (!image.bytes) {
                    if (QFile::exists(path) && !QFile::remove(path))
                        throw profile::WriteError(QStringLiteral("Cannot remove %1").arg(path).toStdString());
                    continue;
                }
                const QByteArray bytes =
                    image.name == store::kHeaderFileName ? WithUses(*image.bytes, uses) : *image.bytes;
                const std::optional<profile::FileContent> now = profile::ReadWholeFile(path);
                if (!now || now->bytes != bytes) profile::ReplaceFile(path, bytes, profile::Durability::Synced);
            }
        }
        append(EncodeRecord(RecordOf(RecordType::Abort, id)), true);
    }
}

void ChangeJournal::append(const QByteArray& bytes, bool durable) {
    MakePrivateFolder(QFileInfo(file_).absolutePath());
    const QByteArray path = QFile::encodeName(file_);
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) != 0) st.st_size = -1;
    // A record that did not wholly reach the disk is cut off again: the journal stays as it was.
    auto fail = [&](const char* what) {
        const int error = errno;
        if (fd >= 0 && st.st_size >= 0 && ::ftruncate(fd, st.st_size) != 0)
            qWarning("Could not cut a record short in %s", qPrintable(file_));
        if (fd >= 0) ::close(fd);
        throw profile::WriteError(
            QStringLiteral("Cannot %1 the history %2: %3").arg(what, file_, std::strerror(error)).toStdString());
    };
    if (fd < 0) fail("open");
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail("write to");
        done += n;
    }
    if (durable && ::fdatasync(fd) != 0) fail("flush");
    if (::close(fd) != 0) fail("close");
}

// The journal is written anew with only what it keeps once the records it no longer
// needs (changes dropped, files kept only for a crash) outweigh what it keeps.
void ChangeJournal::compactIfWorthIt() {
    const qint64 size = QFileInfo(file_).size();
    if (size <= 2 * retainedBytes_ + (4LL << 20)) return;
    QByteArray bytes;
    for (const JournalEntry& e : entries_) {
        Record begin;
        begin.type = RecordType::Begin;
        begin.id = e.id;
        begin.timeMs = e.timeMs;
        begin.text = e.description;
        bytes += EncodeRecord(begin);
        for (const FileImage& image : e.before) {
            Record file;
            file.type = RecordType::FileBefore;
            file.id = e.id;
            file.file = image;
            bytes += EncodeRecord(file);
        }
        Record commit;
        commit.type = RecordType::Commit;
        commit.id = e.id;
        commit.kind = e.kind;
        commit.cards = e.cards;
        commit.after = e.after;
        commit.states = e.afterStates;
        commit.text = e.description;
        bytes += EncodeRecord(commit);
        if (e.undone) {
            Record undo;
            undo.type = RecordType::Begin;
            undo.id = e.id | (1ULL << 63);
            undo.operation = Operation::Undo;
            undo.target = e.id;
            undo.timeMs = e.timeMs;
            bytes += EncodeRecord(undo);
            Record done;
            done.type = RecordType::Commit;
            done.id = undo.id;
            done.kind = e.kind;
            done.states = e.beforeStates;
            done.carried = e.carried;
            bytes += EncodeRecord(done);
        }
    }
    MakePrivateFolder(QFileInfo(file_).absolutePath());
    profile::ReplaceFile(file_, bytes, profile::Durability::Synced);
    ::chmod(QFile::encodeName(file_).constData(), 0600);
    seen_ = stampNow();
}

void ChangeJournal::setAside(const QString& why) {
    const QString aside = file_ + QStringLiteral(".damaged-") +
                          QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const bool moved = QFile::rename(file_, aside);
    notice_ = moved ? QStringLiteral(
                          "The history of changes could not be read (%1). It was set aside as %2, and a "
                          "new history begins.")
                          .arg(why, aside)
                    : QStringLiteral(
                          "The history of changes could not be read (%1), nor set aside. Undo is off "
                          "until %2 is moved away.")
                          .arg(why, file_);
    entries_.clear();
    lastChecksums_.clear();
    retainedBytes_ = 0;
    seen_ = stampNow();
    if (!moved) throw profile::WriteError(notice_.toStdString());
}

ChangeJournal::Stamp ChangeJournal::stampNow() const {
    struct stat st {};
    if (::stat(QFile::encodeName(file_).constData(), &st) != 0) return {};
    return {quint64(st.st_ino), qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

QString ChangeJournal::nameOf(const QString& file) const {
    return file.startsWith(dataDir_) ? file.mid(dataDir_.size()) : QFileInfo(file).fileName();
}

std::uint64_t ChangeJournal::newId() {
    return ++lastId_;
}

}  // namespace tessaly::history
