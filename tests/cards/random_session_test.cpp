#include "../support/store_fixture.h"

#include <random>

using namespace tessaly::store;

// A long random run of adds, edits, deletes and restores against a plain model
// of which cards are live and which deleted.
TEST_F(StoreTest, aLongRandomSessionKeepsTheFileConsistentWithAModel) {
    std::mt19937 rng(12345);
    const QStringList names = {"Adams", "adams", "Baker", "Clark", "Dunn", "", "Évian", "Zeta"};
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    QSet<QString> live, deleted;
    for (int step = 0; step < 300; ++step) {
        const int op = pick(10);
        if (op < 4 || live.isEmpty()) {
            const QString last = names[pick(names.size())];
            live.insert(add(last.isEmpty() ? "" : "Jo", last, pick(2) ? "Acme" : ""));
        } else if (op < 6) {
            const QString rec = store.AllByName[pick(store.AllByName.size())];
            Card current = store.ReadCard(rec), typed = current;
            typed[pick(2) ? LastName : Title] = names[pick(names.size())] + "x";
            store.ChangeCard(rec, current, typed);
        } else if (op < 8) {
            const int at = pick(store.AllByName.size());
            const QString rec = store.AllByName[at];
            store.DeleteCard(rec);
            live.remove(rec);
            deleted.insert(rec);
        } else if (!deleted.isEmpty()) {
            const DeletedList d = store.LoadDeletedList();
            const QString rec = d.DeletedRecs[pick(d.DeletedRecs.size())];
            store.RestoreCard(rec);
            deleted.remove(rec);
            live.insert(rec);
        }
        ASSERT_EQ(QSet<QString>(store.AllByName.begin(), store.AllByName.end()), live) << "step " << step;
        ASSERT_EQ(QSet<QString>(store.AllByCompany.begin(), store.AllByCompany.end()), live);
        ASSERT_EQ(list.texts, store.AllNames);
    }
    expectConsistent();
    EXPECT_EQ(reloadedNames(), store.AllByName);
    EXPECT_EQ(header("DelNoOfRecords").toInt(), deleted.size());
}
