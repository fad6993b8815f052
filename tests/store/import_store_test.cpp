#include "store_fixture.h"

#include "store/card_change.h"
#include "store/import_cards.h"

using namespace tessaly::store;

namespace {

ImportPlan CommaPlan(QList<int> choices, bool replace = false) {
    ImportPlan plan;
    plan.fieldCount = int(choices.size());
    plan.choices = std::move(choices);
    plan.replace = replace;
    return plan;
}

}  // namespace

class ImportStoreTest : public StoreTest {
protected:
    ProgressSink silent;
};

TEST_F(ImportStoreTest, appendingKeepsTheCardsAndSortsTheNewOnesIn) {
    add("Bob", "Baker");
    EXPECT_EQ(ImportCards(store, {"Carl,Clark,+1", "Al,Adams,+2"}, CommaPlan({1, 2, 13}), silent).imported, 2);
    EXPECT_EQ(store.AllNames, QStringList({"Adams, Al", "Baker, Bob", "Clark, Carl"}));
    EXPECT_EQ(header("NoOfRecords"), "3");
    EXPECT_EQ(card(store.AllByName[0], "Phone1"), "+2");
    EXPECT_EQ(list.texts, store.AllNames);
    EXPECT_TRUE(QFile::exists(dir.path("safety-copy/tesly.old"))) << "safety copy";
    expectConsistent();
}

TEST_F(ImportStoreTest, replacingLeavesOnlyTheImportedCards) {
    QStringList old;
    for (int i = 0; i < 120; ++i) old << QString("A,Old%1").arg(i);
    (void)ImportCards(store, old, CommaPlan({1, 2}), silent);
    store.DeleteCard(store.AllByName[0]);
    (void)ImportCards(store, {"New,One"}, CommaPlan({1, 2}, true), silent);
    EXPECT_EQ(store.AllNames, QStringList({"One, New"}));
    EXPECT_EQ(reloadedNames(), store.AllByName);
    EXPECT_FALSE(store.HasDeletedCards());
    EXPECT_FALSE(QFile::exists(dir.path("tesly1.dat")));
    EXPECT_TRUE(QFile::exists(dir.path("safety-copy/tesly1.old"))) << "safety copy";
    expectConsistent();
}

TEST_F(ImportStoreTest, aCounterBehindTheCardsNeverOverwritesOne) {
    add("Keep", "Me");
    store.WriteHeader("TotalNoOfRecords", "0");
    (void)ImportCards(store, {"New,Card"}, CommaPlan({1, 2}), silent);
    EXPECT_EQ(store.AllNames, QStringList({"Card, New", "Me, Keep"}));
    expectConsistent();
}

TEST_F(ImportStoreTest, refusesMoreCardsThanTheFileCanTakeAndWritesNothing) {
    add("Bob", "Baker");
    const QByteArray before = dir.bytes("tesly.dat");
    EXPECT_THROW((void)ImportCards(store, QStringList(kMaxCards, "a,b"), CommaPlan({1, 2}), silent), CardLimitReached);
    EXPECT_EQ(dir.bytes("tesly.dat"), before);
    EXPECT_FALSE(QFile::exists(dir.path("safety-copy")));
    EXPECT_EQ(ImportRoom(false, 1), kMaxCards - 1);
    EXPECT_EQ(ImportRoom(true, 1), kMaxCards);
}

TEST_F(ImportStoreTest, isRefusedWhileAnotherProgramHasTheFile) {
    store.SetInUse(true);
    EXPECT_THROW((void)ImportCards(store, {"a,b"}, CommaPlan({1, 2}), silent), InUseError);
    EXPECT_FALSE(QFile::exists(dir.path("safety-copy")));
}
