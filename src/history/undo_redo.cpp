#include "undo_redo.h"

#include "cards/card_change.h"
#include "cards/card_layout.h"
#include "cards/staged_card_files.h"
#include "history_text.h"
#include "profile/atomic_file.h"
#include "profile/profile_document.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSet>

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

// The cards of a set of card files as their bytes hold them (the header from the set, or as it is now).
QMap<QString, CardState> CardsIn(const QList<FileImage>& images, const QString& dataDir) {
    QByteArray header;
    for (const FileImage& image : images)
        if (image.name == kHeaderFileName && image.bytes) header = *image.bytes;
    if (header.isNull())
        header = profile::ReadWholeFile(dataDir + kHeaderFileName).value_or(profile::FileContent{}).bytes;
    const profile::ProfileDocument head = profile::ProfileDocument::parse(header);
    const QString nameFirst = head.value(header::Section, header::NameFirstRecord).value_or(QString()).trimmed();
    const QString delFirst = head.value(header::Section, header::DelFirstRecord).value_or(QString()).trimmed();
    QMap<QString, CardState> cards;
    const QString links[] = {key::PrevName, key::PrevDel};
    for (const FileImage& image : images) {
        if (image.name == kHeaderFileName || !image.bytes) continue;
        const profile::ProfileDocument doc = profile::ProfileDocument::parse(*image.bytes);
        const std::int64_t first = LeadingNumber(image.name.mid(5)) * kCardsPerFile;
        for (std::int64_t n = first; n < first + kCardsPerFile; ++n) {
            const QString recNo = QString::number(n);
            const std::optional<QStringList> fields = doc.values(RecordSection(recNo), FieldKeys);
            if (!fields) continue;
            CardState state;
            std::copy(fields->begin(), fields->end(), state.fields.begin());
            const QStringList prev =
                doc.values(RecordSection(recNo), links).value_or(QStringList{QString(), QString()});
            if (recNo == nameFirst || !prev[0].trimmed().isEmpty())
                state.place = CardPlace::Live;
            else if (recNo == delFirst || !prev[1].trimmed().isEmpty())
                state.place = CardPlace::Deleted;
            cards.insert(recNo, state);
        }
    }
    return cards;
}

bool SameFile(const std::optional<QByteArray>& a, const std::optional<QByteArray>& b, const QString& name) {
    if (!a || !b) return !a && !b;
    if (name != kHeaderFileName) return *a == *b;
    return WithUses(*a, QStringLiteral("0")) == WithUses(*b, QStringLiteral("0"));
}

void StepFiles(ChangeJournal& journal, CardStore& store, CardChange& change, const JournalEntry& entry,
               Operation operation) {
    const QString dataDir = store.DataDir();
    QSet<QString> names;
    for (const FileImage& image : entry.after) names.insert(image.name);
    QList<FileImage> before;
    for (const FileImage& image : entry.before)
        if (names.contains(image.name)) before << image;
    const QList<FileImage>& expected = operation == Operation::Undo ? entry.after : before;
    const QList<FileImage>& target = operation == Operation::Undo ? before : entry.after;

    QList<FileImage> now;
    bool same = true;
    for (const FileImage& image : expected) {
        std::optional<profile::FileContent> content = profile::ReadWholeFile(dataDir + image.name);
        now << FileImage{image.name, content ? std::optional<QByteArray>(std::move(content->bytes)) : std::nullopt};
        same = same && SameFile(now.last().bytes, image.bytes, image.name);
    }
    // Files that differ only in their links (a start-up sort) or in the count of users hold the same cards.
    if (!same) {
        const QMap<QString, CardState> want = CardsIn(expected, dataDir), have = CardsIn(now, dataDir);
        QStringList recNos = want.keys() + have.keys();
        for (const QString& recNo : recNos)
            if (!(want.value(recNo) == have.value(recNo)))
                RefuseChanged(journal, dataDir, recNo, want.contains(recNo) ? want.value(recNo) : have.value(recNo),
                              operation);
    }

    const QString uses = store.ReadHeader(header::NoOfUses);
    StagedCardFiles stage(dataDir);
    stage.copyCurrent();
    for (const FileImage& image : target) {
        if (!image.bytes)
            QFile::remove(stage.folder() + image.name);
        else
            stage.put(image.name, image.name == kHeaderFileName ? WithUses(*image.bytes, uses) : *image.bytes);
    }
    change.aboutToReplace(stage.filesReplaced());
    stage.switchIn();
    store.LoadLists();
    store.SortLists();
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
    const EntryKind kind = seen->kind;
    RecordedBy recorded(store, journal);
    // Cards move through the store's own changes, which need the lists as the files hold them.
    CardChange change(store, kind == EntryKind::Cards ? CardChange::Lists::Refresh : CardChange::Lists::AsTheyAre);
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
