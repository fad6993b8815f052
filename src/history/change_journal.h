#pragma once
#include "journal_records.h"

#include <QHash>
#include <QString>
#include <chrono>
#include <optional>

namespace tessaly::history {

// The history of one card file: every change made through a store it is attached to
// (CardStore::SetRecorder), kept across runs in a journal file outside the card
// file's folder, so that the sibling program finds nothing new there. The journal
// holds personal data: its folder is private to the user and the file too.
//
// Every write to the journal comes under the card file's change lock, and the journal
// is read again whenever another process (another window, tessaly-cli) wrote to it.
class ChangeJournal : public store::ChangeRecorder {
public:
    // The history keeps the last kMaxEntries changes within kMaxBytes, dropping the oldest first.
    static constexpr int kMaxEntries = 100;
    static constexpr qint64 kMaxBytes = 64LL << 20;

    // The journal of the card file in dataDir, in journalFile (by default: see FileFor).
    ChangeJournal(QString dataDir, QString journalFile);
    // The journal of a card folder: in the user's data location, named after the folder's canonical path.
    static QString FileFor(const QString& dataDir);

    // Reads the journal under the change lock (waiting up to 'wait'), and settles a change
    // that a stopped run left: its files are put back as they were before it, unless a later
    // change was made on top of it. A journal that cannot be read is set aside (renamed, never
    // removed) and a new one begun; Notice() then says so. Throws profile::FileError when the
    // lock or the folder cannot be had.
    void Open(std::chrono::milliseconds wait);
    // A message for the user about the history (a journal set aside), once; empty when none.
    QString TakeNotice();
    const QString& File() const { return file_; }

    // The entries, oldest first, as the journal holds them now.
    const QList<JournalEntry>& Entries();
    // The latest change not undone, and the earliest undone one (what Redo applies); null for none.
    const JournalEntry* NextUndo();
    const JournalEntry* NextRedo();

    // An undo or redo of entry 'target' comes next: the change made next is recorded as that.
    void PrepareUndoRedo(Operation operation, std::uint64_t target, const QString& description);
    // The cards an undo of replaced files kept on the deleted list besides them.
    void NoteCarried(const QStringList& recNos) { carried_ = recNos; }
    // The next change is an ordinary one again (an undo refused before it wrote anything).
    void ForgetPrepared() {
        nextUndoRedo_.reset();
        nextDescription_.clear();
        carried_.clear();
    }
    // Removes the whole history, under the change lock.
    void Clear(std::chrono::milliseconds wait);

    // The bytes of a card file as the last change this history recorded left them, as a
    // checksum; empty when no change recorded it.
    QByteArray LastKnownChecksum(const QString& fileName) const { return lastChecksums_.value(fileName); }

    void aboutToWrite(const QString& file, const std::optional<QByteArray>& before, bool wholeSet) override;
    void describe(const QString& text) override;
    void committed(const QList<store::CardTransition>& cards,
                   const std::function<store::CardStates()>& everyCard) override;
    void rolledBack(bool whole) noexcept override;

private:
    struct Pending {
        Operation operation = Operation::Change;
        std::uint64_t target = 0;
        std::int64_t timeMs = 0;
        QString description;
        QList<FileImage> before;
        bool wholeSet = false;  // a switch of the whole card file: never half-done, never put back
        qint64 size = 0;
    };
    struct Stamp {
        quint64 inode = 0;
        qint64 size = -1;
        qint64 mtimeNs = 0;
        bool operator==(const Stamp&) const = default;
    };

    void refresh();
    void load(bool settle);
    void replay(const QList<Record>& records, QHash<std::uint64_t, Pending>& pending);
    void apply(const Record& record, qint64 size, QHash<std::uint64_t, Pending>& pending);
    void settle(const QHash<std::uint64_t, Pending>& pending, const QList<Record>& records);
    void append(const QByteArray& bytes, bool durable);
    void compactIfWorthIt();
    void keepWithinBounds();
    void setAside(const QString& why);
    Stamp stampNow() const;
    QString nameOf(const QString& file) const;
    std::uint64_t newId();

    QString dataDir_, file_;
    QList<JournalEntry> entries_;
    QHash<QString, QByteArray> lastChecksums_;
    Stamp seen_;
    qint64 retainedBytes_ = 0;
    std::uint64_t lastId_ = 0;
    QString notice_;
    QString nextDescription_;
    QStringList carried_;
    std::optional<std::pair<Operation, std::uint64_t>> nextUndoRedo_;
    // The change under way in this process: its id and what it noted so far.
    std::optional<std::pair<std::uint64_t, Pending>> current_;
};

// The bytes of a card file with its "NoOfUses" line set to 'uses': the count of the
// programs that have the file open is theirs, never the history's.
QByteArray WithUses(const QByteArray& header, const QString& uses);

}  // namespace tessaly::history
