#include "../support/store_fixture.h"
#include "backup/card_backup.h"
#include "backup/card_restore.h"
#include "exchange/import_cards.h"
#include "history/change_journal.h"
#include "history/undo_redo.h"
#include "profile/cached_profile.h"

#include <random>

using namespace tessaly;
using namespace tessaly::store;

namespace {

// Every card with its values and its list, as a fresh start reads the card file.
struct Snapshot {
    QMap<QString, Card> live, deleted;
};

Snapshot Read(const QString& dataDir) {
    profile::CachedProfile profile;
    CardStore store(profile, dataDir);
    store.LoadLists();
    Snapshot s;
    for (const QString& n : store.AllByName) s.live.insert(n, store.ReadCard(n));
    for (const QString& n : store.LoadDeletedList().DeletedRecs) s.deleted.insert(n, store.ReadCard(n));
    return s;
}

class HistoryPropertyTest : public StoreTest, public ::testing::WithParamInterface<unsigned> {
protected:
    HistoryPropertyTest() : journal(dir.path(), dir.path("history/cards.journal")) {}

    Card randomCard() {
        static const char* names[] = {"Adams", "Baker", "Cole", "Dunn", "Evans", "Ford", "Grey", "Hill"};
        Card f;
        f[FirstName] = QString("F%1").arg(rng() % 50);
        f[LastName] = names[rng() % 8];
        if (rng() % 3 == 0) f[Company] = QString("Co %1").arg(rng() % 5);
        f[Phone1] = QString::number(rng() % 100000);
        return f;
    }
    QString pick(const QStringList& list) { return list.isEmpty() ? QString() : list[rng() % list.size()]; }

    // One random change of the kinds a user makes; the cards it added by Add.
    void randomChange(QSet<QString>& added) {
        switch (rng() % 10) {
            case 0:
            case 1:
            case 2:
                added.insert(store.AddCard(randomCard()));
                return;
            case 3:
            case 4: {
                const QString n = pick(store.AllByName);
                Card current = store.ReadCard(n);
                Card typed = rng() % 2 ? randomCard() : current;
                typed[Notes] = QString("note %1").arg(rng());
                store.ChangeCard(n, current, typed);
                return;
            }
            case 5:
            case 6:
                store.DeleteCard(pick(store.AllByName));
                return;
            case 7: {
                const QString n = pick(store.LoadDeletedList().DeletedRecs);
                if (!n.isEmpty()) store.RestoreCard(n);
                return;
            }
            case 8: {  // a small import, appended
                QList<Card> cards;
                for (unsigned i = 0, k = 1 + rng() % 4; i < k; ++i) cards << randomCard();
                ProgressSink silent;
                // Its outcome is not needed: the test compares the card files it leaves after undo and redo.
                (void)ImportCardList(store, cards, ImportOptions::AllMatches(DuplicateAction::Import), silent);
                return;
            }
            default:
                RestoreBackup(backup.path(), store);
                return;
        }
    }

    TempFolder backup;
    history::ChangeJournal journal;
    std::mt19937 rng{GetParam()};
};

// 80 random changes on 300 cards, undone all and redone all: the card file comes back to the start
// (the cards whose add was undone wait on the deleted list) and to the end, each time consistent.
TEST_P(HistoryPropertyTest, undoingEverythingGivesTheStartAndRedoingItTheEnd) {
    {
        profile::ProfileBulk bulk(profile);
        for (int i = 0; i < 300; ++i) store.AddCard(randomCard());
        bulk.finish();
    }
    for (int i = 0; i < 20; ++i) store.DeleteCard(pick(store.AllByName));
    ASSERT_NO_THROW(CopyDataFiles(dir.path(), backup.path()));
    journal.Open(std::chrono::seconds(1));
    store.SetRecorder(&journal);
    const Snapshot start = Read(dir.path());
    QSet<QString> added;
    for (int i = 0; i < 80; ++i) ASSERT_NO_THROW(randomChange(added)) << "change " << i;
    const Snapshot end = Read(dir.path());
    const int entries = int(journal.Entries().size());

    // The message of what an undo or redo threw, or empty.
    auto failure = [&](auto step) {
        try {
            step(journal, store);
            return std::string();
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
    };
    for (int i = 0; i < entries; ++i) ASSERT_EQ(failure(history::Undo), "") << "undo " << i;
    EXPECT_THROW(history::Undo(journal, store), history::NothingToUndo);
    const Snapshot undone = Read(dir.path());
    EXPECT_TRUE(undone.live == start.live);
    for (auto it = undone.deleted.cbegin(); it != undone.deleted.cend(); ++it)
        EXPECT_TRUE(start.deleted.value(it.key()) == it.value() || added.contains(it.key())) << it.key().toStdString();
    for (const QString& n : start.deleted.keys()) EXPECT_TRUE(undone.deleted.contains(n)) << n.toStdString();
    expectConsistent();

    for (int i = 0; i < entries; ++i) ASSERT_EQ(failure(history::Redo), "") << "redo " << i;
    const Snapshot redone = Read(dir.path());
    EXPECT_TRUE(redone.live == end.live);
    EXPECT_TRUE(redone.deleted == end.deleted);
    expectConsistent();
}

INSTANTIATE_TEST_SUITE_P(Seeds, HistoryPropertyTest, ::testing::Values(1u, 7u, 2026u));

}  // namespace
