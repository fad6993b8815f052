#include "undo_redo.h"

#include "cards/card_change.h"
#include "cards/card_layout.h"
#include "cards/display_text.h"
#include "cards/staged_card_files.h"
#include "history_text.h"
#include "profile/atomic_file.h"
#include "profile/profile_access.h"

#include <QCryptographicHash>
#include <QDir>

namespace tessaly::history {

using namespace store;

namespace {

// The state an undo leaves a card in: as before the change, except that an added card goes to the deleted list.
CardState UndoneState(const CardTransition& t) {
    return t.before.place == CardPlace::Absent ? CardState{CardPlace::Deleted, t.after.fields} : t.before;
}

CardState CurrentState(CardStore& store, const QString& recNo) {
    return store.ReadCardState(recNo, store.ReadHeader(header::NameFirstRecord).trimmed(),
                               store.ReadHeader(header::DelFirstRecord).trimmed());
}

[[noreturn]] void RefuseChanged(ChangeJournal& journal, const QString& dataDir, const QString& recNo,
                                const CardState& expected, Operation operation) {
    const QString file = RecordFile(QString(), recNo);
    const std::optional<profile::FileContent> now = profile::ReadWholeFile(dataDir + file);
    const bool ours =
        now && journal.LastKnownChecksum(file) == QCryptographicHash::hash(now->bytes, QCryptographicHash::Md5);
    throw ChangedSince(QStringLiteral("%1 (card %2) was changed by %3 since; nothing is %4.")
                           .arg(CardName(expected.fields), recNo,
                                ours ? QStringLiteral("this program") : QStringLiteral("another program"),
                                operation == Operation::Undo ? QStringLiteral("undone") : QStringLiteral("redone"))
                           .toStdString());
}

// Moves card n from the state it is in to another, through the store's own changes.
void MoveCard(CardStore& store, const QString& n, const CardState& from, const CardState& to) {
    Card current = from.fields;
    if (from.place != CardPlace::Live && to.place == CardPlace::Live) store.RestoreCard(n);
    if (!(from.fields == to.fields)) {
        if (from.place == CardPlace::Live || to.place == CardPlace::Live) {
            (void)store.ChangeCard(n, current, to.fields);
        } else {
            Card fields = to.fields;
            store.WriteCard(n, fields);
        }
    }
    if (from.place == CardPlace::Live && to.place == CardPlace::Deleted) store.DeleteCard(n);
}

void StepCards(ChangeJournal& journal, CardStore& store, const JournalEntry& entry, Operation operation) {
    QList<CardState> current;
    for (const CardTransition& t : entry.cards) {
        const CardState expected = operation == Operation::Undo ? t.after : UndoneState(t);
        current << CurrentState(store, t.recNo);
        if (!(current.last() == expected)) RefuseChanged(journal, store.DataDir(), t.recNo, expected, operation);
    }
    for (qsizetype i = entry.cards.size() - 1; i >= 0; --i) {
        const CardTransition& t = entry.cards[i];
        MoveCard(store, t.recNo, current[i], operation == Operation::Undo ? UndoneState(t) : t.after);
    }
}

bool SameFile(const std::optional<QByteArray>& a, const std::optional<QByteArray>& b, const QString& name) {
    if (!a || !b) return !a && !b;
    if (name != kHeaderFileName) return *a == *b;
    return WithUses(*a, QStringLiteral("0")) == WithUses(*b, QStringLiteral("0"));
}

void StepFiles(ChangeJournal& journal, CardStore& store, CardChange& change, const JournalEntry& entry,
               Operation operation) {
    const QString dataDir = store.DataDir();
    // The whole set of card files before the change, and after it (the files it left alone as they were).
    QMap<QString, std::optional<QByteArray>> before, after;
    for (const FileImage& image : entry.before) before.insert(image.name, image.bytes);
    after = before;
    for (const FileImage& image : entry.after) after.insert(image.name, image.bytes);
    const auto& expected = operation == Operation::Undo ? after : before;
    const auto& target = operation == Operation::Undo ? before : after;

    bool same = true;
    for (auto it = expected.cbegin(); it != expected.cend() && same; ++it) {
        const std::optional<profile::FileContent> now = profile::ReadWholeFile(dataDir + it.key());
        same = SameFile(now ? std::optional<QByteArray>(now->bytes) : std::nullopt, it.value(), it.key());
    }
    for (const QString& name : QDir(dataDir).entryList(QDir::Files | QDir::Hidden))
        same = same && (!IsCardFileName(name) || expected.contains(name));
    // Files that differ only in their links (a start-up sort) or in the count of users hold the same cards.
    // A card on the deleted list that the entry never knew (an add undone since) is kept there.
    QMap<QString, CardState> carried;
    if (!same) {
        const CardStates& want = operation == Operation::Undo ? entry.afterStates : entry.beforeStates;
        const CardStates have = store.EveryCardState();
        if (want.isEmpty() && !have.isEmpty())
            throw ChangedSince("The card file was changed since; nothing is changed.");
        QStringList recNos = want.keys() + have.keys();
        for (const QString& recNo : recNos) {
            const bool deleted = have.value(recNo).place == CardPlace::Deleted;
            // A redo keeps what its undo kept.
            if (operation == Operation::Redo && deleted && entry.carried.contains(recNo))
                carried.insert(recNo, have.value(recNo));
            if (want.value(recNo) == have.value(recNo)) continue;
            if (operation == Operation::Undo && !want.contains(recNo) && deleted) {
                carried.insert(recNo, have.value(recNo));
                continue;
            }
            RefuseChanged(journal, dataDir, recNo, want.contains(recNo) ? want.value(recNo) : have.value(recNo),
                          operation);
        }
    }

    if (operation == Operation::Undo) journal.NoteCarried(carried.keys());
    const QString uses = store.ReadHeader(header::NoOfUses);
    // Exactly the set of files put back: their lists are whole only together.
    StagedCardFiles stage(dataDir);
    for (auto it = target.cbegin(); it != target.cend(); ++it)
        if (it.value()) stage.put(it.key(), it.key() == kHeaderFileName ? WithUses(*it.value(), uses) : *it.value());
    change.aboutToReplace(stage.filesReplaced());
    stage.switchIn();
    store.LoadLists();
    store.SortLists();
    store.FillList();  // the window's list follows the files before any card moves in it
    // A number the files put back hold already (a replacing import numbers from 0 again) gives the
    // card a new one.
    for (auto it = carried.cbegin(); it != carried.cend(); ++it) {
        Card fields = it.value().fields;
        QString n = it.key();
        if (store.Profile().hasSection(store.RecordFile(n), RecordSection(n))) {
            n = store.AddCard(fields);
        } else {
            store.WriteCard(n, fields);
            store.InsertCard(n, NameText(fields[FirstName], fields[LastName], fields[Company]),
                             CompanyText(fields[FirstName], fields[LastName], fields[Company]));
        }
        store.DeleteCard(n);
        // The counter of the files put back may lie behind the card kept.
        if (LeadingNumber(store.ReadHeader(header::TotalNoOfRecords)) <= LeadingNumber(n))
            store.WriteHeader(header::TotalNoOfRecords, QString::number(LeadingNumber(n) + 1));
    }
}

// The store tells this journal of the undo for as long as it runs.
class RecordedBy {
public:
    RecordedBy(CardStore& store, ChangeJournal& journal) : store_(store), was_(store.Recorder()) {
        store_.SetRecorder(&journal);
    }
    ~RecordedBy() { store_.SetRecorder(was_); }
    RecordedBy(const RecordedBy&) = delete;
    RecordedBy& operator=(const RecordedBy&) = delete;

private:
    CardStore& store_;
    ChangeRecorder* was_;
};

QString Step(ChangeJournal& journal, CardStore& store, Operation operation) {
    if (store.InUse()) throw InUseError();
    const bool undo = operation == Operation::Undo;
    auto next = [&] { return undo ? journal.NextUndo() : journal.NextRedo(); };
    const JournalEntry* seen = next();
    if (!seen) throw NothingToUndo(undo ? "There is nothing to undo." : "There is nothing to redo.");
    const std::uint64_t id = seen->id;
    RecordedBy recorded(store, journal);
    // Cards move through the store's own changes, and are compared, on the lists as the files hold them.
    CardChange change(store);
    const JournalEntry* found = next();  // under the lock now: another process may have undone it meanwhile
    if (!found || found->id != id)
        throw ChangedSince("The history was changed by another window or command meanwhile; nothing is changed.");
    const JournalEntry entry = *found;
    journal.PrepareUndoRedo(operation, entry.id,
                            (undo ? QStringLiteral("Undo ") : QStringLiteral("Redo ")) + entry.description);
    try {
        if (entry.kind == EntryKind::Cards)
            StepCards(journal, store, entry, operation);
        else
            StepFiles(journal, store, change, entry, operation);
        change.commit();
    } catch (...) {
        journal.ForgetPrepared();
        throw;
    }
    return entry.description;
}

}  // namespace

QString Undo(ChangeJournal& journal, CardStore& store) {
    return Step(journal, store, Operation::Undo);
}

QString Redo(ChangeJournal& journal, CardStore& store) {
    return Step(journal, store, Operation::Redo);
}

int UndoBackTo(ChangeJournal& journal, CardStore& store, std::uint64_t id) {
    const QList<JournalEntry>& entries = journal.Entries();
    if (std::none_of(entries.begin(), entries.end(), [&](const JournalEntry& e) { return e.id == id && !e.undone; }))
        return 0;
    int undone = 0;
    auto stopped = [&](const std::exception& e) {
        return QStringLiteral("%1 changes were undone, then this one was refused: %2")
            .arg(undone)
            .arg(QString::fromUtf8(e.what()))
            .toStdString();
    };
    for (;;) {
        const JournalEntry* next = journal.NextUndo();
        if (!next) return undone;
        const bool last = next->id == id;
        try {
            Step(journal, store, Operation::Undo);
        } catch (const ChangedSince& e) {
            if (undone == 0) throw;
            throw ChangedSince(stopped(e));
        } catch (const ChangeRefused& e) {
            if (undone == 0) throw;
            throw ChangeRefused(stopped(e));
        }
        ++undone;
        if (last) return undone;
    }
}

}  // namespace tessaly::history
