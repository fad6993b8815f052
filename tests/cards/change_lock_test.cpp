#include "../support/store_fixture.h"

#include "cards/card_lock.h"

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

// Two stores on one card file stand for two processes taking random turns:
// each change must see what the other did since, against a model of the cards.
TEST(ChangeLock, twoStoresTakingRandomTurnsLoseNoCardAndHandOutNoNumberTwice) {
    TempFolder folder;
    tessaly::profile::CachedProfile p1, p2;
    CardStore s1(p1, folder.path()), s2(p2, folder.path());
    WriteEmptyHeader(p1, s1.DataFile());
    std::mt19937 rng(777);
    auto pick = [&](qsizetype n) {
        return static_cast<qsizetype>(std::uniform_int_distribution<qsizetype>(0, n - 1)(rng));
    };
    QSet<QString> live, deleted;
    for (int step = 0; step < 200; ++step) {
        CardStore& s = pick(2) ? s1 : s2;
        const int op = static_cast<int>(pick(10));
        if (op < 4 || live.isEmpty()) {
            Card f;
            f[LastName] = QString("Name%1").arg(pick(50));
            const QString n = s.AddCard(f);
            ASSERT_FALSE(live.contains(n) || deleted.contains(n)) << "number handed out twice: " << n.toStdString();
            live.insert(n);
        } else if (op < 6) {
            const QString n = live.values()[pick(live.size())];
            Card current = s.ReadCard(n), typed = current;
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
