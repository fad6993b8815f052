#include "store_fixture.h"

#include "store/card_lock.h"

#include <random>

using namespace tessaly::store;

TEST_F(StoreTest, aChangeWaitsForTheLockThenIsRefusedAndWritesNothing) {
    add("Jo", "Adams");
    const QByteArray before = dir.bytes("tesly.dat");
    store.SetLockWait(std::chrono::milliseconds(50));
    {
        CardFileLock other(dir.path(), std::chrono::milliseconds(0));  // another process's change
        EXPECT_THROW(add("Al", "Baker"), CardFileBusy);
        EXPECT_THROW(store.DeleteCard("0"), CardFileBusy);
    }
    EXPECT_EQ(dir.bytes("tesly.dat"), before);
    EXPECT_EQ(add("Al", "Baker"), "1");
    expectConsistent();
}

// Two stores on one card file stand for two processes: each change must see
// what the other did since, whatever the other did.
TEST_F(StoreTest, aChangeSeesWhatAnotherProcessChangedSince) {
    struct Case {
        const char* what;
        std::function<void(CardStore&)> other;
    };
    auto addCard = [](CardStore& s, const char* last) {
        CardFieldList f;
        f[LastName] = last;
        return s.AddCard(f);
    };
    const Case cases[] = {
        {"added a card", [&](CardStore& s) { addCard(s, "Bates"); }},
        {"deleted a neighbour", [](CardStore& s) { s.DeleteCard("1"); }},
        {"moved a card", [](CardStore& s) {
             CardFieldList current = s.ReadCard("2"), typed = current;
             typed[LastName] = "Aaron";
             s.ChangeCard("2", current, typed);
         }},
        {"restored a card", [](CardStore& s) { s.RestoreCard("3"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        tessaly::profile::CachedProfile mine, theirs;
        CardStore a(mine, folder.path()), b(theirs, folder.path());
        WriteEmptyHeader(mine, a.DataFile());
        for (const char* name : {"Adams", "Baker", "Clark", "Dunn"}) addCard(a, name);
        a.DeleteCard("3");
        b.RefreshLists();
        c.other(b);
        addCard(a, "Bell");
        a.DeleteCard("0");
        b.RestoreCard("0");
        addCard(b, "Cole");
        EXPECT_EQ(CheckCardFile(a), QStringList());
        tessaly::profile::CachedProfile fresh;
        CardStore next(fresh, folder.path());
        next.RefreshLists();
        EXPECT_EQ(next.AllByName, b.AllByName);
        EXPECT_EQ(a.ReadHeader("TotalNoOfRecords").toInt(), next.AllByName.size() + next.LoadDeletedList().DeletedRecs.size());
    }
}

// Two stores taking random turns against a model of live and deleted cards.
TEST(ChangeLock, twoStoresTakingRandomTurnsLoseNoCardAndHandOutNoNumberTwice) {
    TempFolder folder;
    tessaly::profile::CachedProfile p1, p2;
    CardStore s1(p1, folder.path()), s2(p2, folder.path());
    WriteEmptyHeader(p1, s1.DataFile());
    std::mt19937 rng(777);
    auto pick = [&](qsizetype n) { return static_cast<qsizetype>(std::uniform_int_distribution<qsizetype>(0, n - 1)(rng)); };
    QSet<QString> live, deleted;
    for (int step = 0; step < 200; ++step) {
        CardStore& s = pick(2) ? s1 : s2;
        const int op = static_cast<int>(pick(10));
        if (op < 4 || live.isEmpty()) {
            CardFieldList f;
            f[LastName] = QString("Name%1").arg(pick(50));
            const QString n = s.AddCard(f);
            ASSERT_FALSE(live.contains(n) || deleted.contains(n)) << "number handed out twice: " << n.toStdString();
            live.insert(n);
        } else if (op < 6) {
            const QString n = live.values()[pick(live.size())];
            CardFieldList current = s.ReadCard(n), typed = current;
            typed[LastName] = QString("Name%1").arg(pick(50));
            s.ChangeCard(n, current, typed);
        } else if (op < 8) {
            const QString n = live.values()[pick(live.size())];
            s.DeleteCard(n);
            live.remove(n), deleted.insert(n);
        } else if (!deleted.isEmpty()) {
            const QString n = deleted.values()[pick(deleted.size())];
            s.RestoreCard(n);
            deleted.remove(n), live.insert(n);
        }
    }
    tessaly::profile::CachedProfile fresh;
    CardStore next(fresh, folder.path());
    next.RefreshLists();
    EXPECT_EQ(CheckCardFile(next), QStringList());
    EXPECT_EQ(QSet<QString>(next.AllByName.begin(), next.AllByName.end()), live);
    const QStringList gone = next.LoadDeletedList().DeletedRecs;
    EXPECT_EQ(QSet<QString>(gone.begin(), gone.end()), deleted);
}
