#include "store_fixture.h"

using namespace tessaly::store;

TEST_F(StoreTest, deletingTheOnlyCardEmptiesBothHeadsAndMakesItTheHeadOfTheDeletedList) {
    add("Jo", "Adams");
    store.DeleteCard("0");
    EXPECT_EQ(header("NameFirstRecord"), "");
    EXPECT_EQ(header("CompanyFirstRecord"), "");
    EXPECT_EQ(header("NoOfRecords"), "0");
    EXPECT_EQ(header("DelFirstRecord"), "0");
    EXPECT_EQ(header("DelNoOfRecords"), "1");
    EXPECT_EQ(card("0", "NextDel"), "");
    EXPECT_TRUE(store.AllByName.isEmpty());
    EXPECT_TRUE(list.texts.isEmpty());
    EXPECT_TRUE(store.HasDeletedCards());
    expectConsistent();
}

TEST_F(StoreTest, deletingTheFirstNameJoinsItsCompanyNeighboursAndPushesOntoTheDeletedList) {
    add("Al", "Adams", "Mid");   // 0: first by name, middle by company
    add("Bo", "Brown", "Aaa");   // 1
    add("Cy", "Clark", "Zzz");   // 2
    add("Di", "Dunn");           // 3
    store.DeleteCard("3");
    store.DeleteCard("0");
    EXPECT_EQ(header("NameFirstRecord"), "1");
    EXPECT_EQ(card("1", "PrevName"), "");
    EXPECT_EQ(card("1", "NextCompany"), "2");
    EXPECT_EQ(card("2", "PrevCompany"), "1");
    EXPECT_EQ(header("DelFirstRecord"), "0");
    EXPECT_EQ(card("0", "NextDel"), "3");
    EXPECT_EQ(card("3", "PrevDel"), "0");
    EXPECT_EQ(card("0", "ShowName"), "Adams, Al");
    EXPECT_EQ(list.texts, (QStringList{"Brown, Bo", "Clark, Cy"}));
    expectConsistent();
}

TEST_F(StoreTest, restoringTheOnlyDeletedCardPutsItBackAtItsPlaceWithItsNumber) {
    add("Jo", "Adams");
    add("Al", "Baker");
    store.DeleteCard("0");
    const DeletedList deleted = store.LoadDeletedList();
    EXPECT_EQ(deleted.DeletedRecs, QStringList{"0"});
    profile.writes.clear();
    store.RestoreCard("0");
    EXPECT_EQ(profile.writes.first(), "tesly.dat|General Info|DelNoOfRecords=0");
    EXPECT_EQ(profile.writes.at(1), "tesly.dat|General Info|DelFirstRecord=");
    EXPECT_EQ(header("DelNoOfRecords"), "0");
    EXPECT_EQ(store.AllByName, (QStringList{"0", "1"}));
    EXPECT_EQ(list.texts, (QStringList{"Adams, Jo", "Baker, Al"}));
    EXPECT_FALSE(store.HasDeletedCards());
    expectConsistent();
}

TEST_F(StoreTest, restoringFromTheMiddleOfTheDeletedListJoinsItsNeighbours) {
    for (const char* name : {"Adams", "Baker", "Clark", "Dunn"}) add("A", name);
    for (const char* rec : {"0", "1", "2"}) store.DeleteCard(rec);  // deleted list: 2, 1, 0
    store.LoadDeletedList();
    store.RestoreCard("1");
    EXPECT_EQ(card("2", "NextDel"), "0");
    EXPECT_EQ(card("0", "PrevDel"), "2");
    EXPECT_EQ(header("DelNoOfRecords"), "2");
    EXPECT_EQ(store.AllNames, (QStringList{"Baker, A", "Dunn, A"}));
    expectConsistent();
}

TEST_F(StoreTest, theDeletedListIsSortedByTheViewsText) {
    add("Zed", "Young", "Acme");
    add("Al", "Baker", "Zulu");
    store.DeleteCard("0");
    store.DeleteCard("1");
    EXPECT_EQ(store.LoadDeletedList().DeletedTexts, (QStringList{"Baker, Al", "Young, Zed"}));
    store.Show = 1;
    EXPECT_EQ(store.LoadDeletedList().DeletedTexts, (QStringList{"( Acme )", "( Zulu )"}));
}

TEST_F(StoreTest, aDeletedListThatRunsBackIntoItselfOrBreaksOffEndsThere) {
    add("Jo", "Adams");
    add("Al", "Baker");
    store.DeleteCard("0");
    store.DeleteCard("1");
    profile.real.write(dir.path("tesly0.dat"), "Record0", "NextDel", "1");
    profile.real.write(store.DataFile(), "General Info", "DelNoOfRecords", "30000");
    EXPECT_EQ(store.LoadDeletedList().DeletedRecs.size(), 2);
    profile.real.write(dir.path("tesly0.dat"), "Record0", "NextDel", "x7");
    EXPECT_EQ(store.LoadDeletedList().DeletedRecs.size(), 2);
}
