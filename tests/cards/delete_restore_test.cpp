#include "../support/store_fixture.h"

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
    add("Al", "Adams", "Mid");  // 0: first by name, middle by company
    add("Bo", "Brown", "Aaa");  // 1
    add("Cy", "Clark", "Zzz");  // 2
    add("Di", "Dunn");          // 3
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

TEST_F(StoreTest, deletingTakesItsNeighboursFromTheListsNotFromWrongLinksInTheCard) {
    for (const char* name : {"Adams", "Baker", "Clark", "Dunn", "Evans"}) add("A", name);
    profile.real.write(dir.path("tesly0.dat"), "Record3", "PrevName", "4");  // left wrong by a crash
    store.DeleteCard("3");
    EXPECT_EQ(store.AllByName, (QStringList{"0", "1", "2", "4"}));
    EXPECT_EQ(reloadedNames(), store.AllByName);
    EXPECT_EQ(card("2", "NextName"), "4");
    EXPECT_EQ(card("4", "PrevName"), "2");
    EXPECT_EQ(store.LoadDeletedList().DeletedRecs, QStringList{"3"});
    expectConsistent();
}

TEST_F(StoreTest, changesToACardThatIsNotWhereTheyNeedItAreRefusedAndWriteNothing) {
    add("Jo", "Adams");
    add("Al", "Baker");
    store.DeleteCard("1");
    // Card 7 is named by the deleted list but was never written.
    profile.real.write(dir.path("tesly0.dat"), "Record1", "NextDel", "7");
    profile.real.write(store.DataFile(), "General Info", "DelNoOfRecords", "2");
    struct Case {
        const char* what;
        std::function<void()> change;
    };
    const Case cases[] = {
        {"delete a card that does not exist", [&] { store.DeleteCard("9"); }},
        {"delete a deleted card", [&] { store.DeleteCard("1"); }},
        {"restore a live card", [&] { store.RestoreCard("0"); }},
        {"restore a card that does not exist", [&] { store.RestoreCard("9"); }},
        {"restore a deleted-list entry with no card behind it", [&] { store.RestoreCard("7"); }},
        {"edit a deleted card",
         [&] {
             Card current = store.ReadCard("1"), typed = current;
             typed[LastName] = "Zeta";
             store.ChangeCard("1", current, typed);
         }},
    };
    const QByteArray header0 = dir.bytes("tesly.dat"), cards0 = dir.bytes("tesly0.dat");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_THROW(c.change(), NoSuchCard);
        EXPECT_EQ(dir.bytes("tesly.dat"), header0);
        EXPECT_EQ(dir.bytes("tesly0.dat"), cards0);
        EXPECT_EQ(dir.files(), (QStringList{"tesly.dat", "tesly.lock", "tesly0.dat"}));
    }
    store.RestoreCard("1");  // the real deleted card is still there to restore
    EXPECT_EQ(store.AllByName, (QStringList{"0", "1"}));
}
