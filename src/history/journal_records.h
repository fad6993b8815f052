#pragma once
#include "cards/change_recorder.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace tessaly::history {

// A journal that cannot be read as one: damaged, written by something else, or hostile.
class JournalDamaged : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A card file as it was or became: its name in the data folder, and its bytes (none: it did not exist).
struct FileImage {
    QString name;
    std::optional<QByteArray> bytes;
    bool operator==(const FileImage&) const = default;
};

// What an entry can take back: single cards moved between their values and lists,
// or card files put back whole (an import, a restore from backup, a repair).
enum class EntryKind : std::uint8_t { Cards = 0, Files = 1 };

// One change a user made, as the history keeps it.
struct JournalEntry {
    std::uint64_t id = 0;
    std::int64_t timeMs = 0;  // since the epoch, UTC
    QString description;
    EntryKind kind = EntryKind::Cards;
    QList<store::CardTransition> cards;  // Cards: each card before and after
    QList<FileImage> before, after;      // Files: the files the change replaced, before and after
    // Files: every card as the change left them, and as its undo left them (what a redo expects).
    store::CardStates afterStates, beforeStates;
    // Files: the cards its undo kept on the deleted list although the entry's files lacked them
    // (adds undone since): its redo keeps them too.
    QStringList carried;
    bool undone = false;
    qint64 size = 0;  // its bytes in the journal, for the size budget
};

// The journal is a log of records, each framed with its length and a checksum, appended under the
// card file's change lock. A change (or an undo or redo of one) is a Begin, the files as they were
// before each is first written (so that a change a crash stopped can be put back), then a Commit or
// an Abort.
enum class RecordType : std::uint8_t { Begin = 1, FileBefore = 2, Commit = 3, Abort = 4 };
enum class Operation : std::uint8_t { Change = 0, Undo = 1, Redo = 2 };

struct Record {
    RecordType type = RecordType::Begin;
    std::uint64_t id = 0;
    // Begin
    Operation operation = Operation::Change;
    std::uint64_t target = 0;  // the entry an undo or redo acts on
    std::int64_t timeMs = 0;
    QString text;  // Begin and Commit: the description (the Commit's, when it has one)
    // FileBefore
    FileImage file;
    bool wholeSet = false;
    // Commit
    EntryKind kind = EntryKind::Cards;
    QList<store::CardTransition> cards;
    QList<FileImage> after;
    store::CardStates states;  // every card afterwards, for a change that reports no single cards
    QStringList carried;       // an undo of replaced files: the cards it kept besides
};

// The framed bytes of a record.
QByteArray EncodeRecord(const Record& record);

// The records of a journal's bytes. A record cut short at the very end (a write a crash stopped)
// ends the list, and 'validLength' says where the whole records end; anything else that is not a
// record of ours throws JournalDamaged. Never trusts a length or a count it reads.
QList<Record> DecodeRecords(const QByteArray& bytes, qsizetype* validLength = nullptr);

// The largest record, and the largest journal, that a reader accepts.
inline constexpr qint64 kMaxRecordBytes = 96LL << 20;
inline constexpr qint64 kMaxJournalBytes = 256LL << 20;

}  // namespace tessaly::history
