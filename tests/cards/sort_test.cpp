#include "../support/store_fixture.h"

using namespace tessaly::store;

TEST_F(StoreTest, listsInOrderAreSortedInOnePassWithoutWrites) {
    add("Jo", "Adams");
    add("Al", "Baker");
    store.LoadLists();
    profile.writes.clear();
    EXPECT_FALSE(store.SortLists());
    EXPECT_TRUE(profile.writes.isEmpty());
}

TEST_F(StoreTest, namesOutOfOrderRewriteEveryNameAndCompanyLink) {
    add("Jo", "Adams", "Acme");
    add("Al", "Baker", "Bolt");
    // The sibling program sorted the names the other way round.
    for (auto [rec, key, value] :
         {std::tuple{"1", "PrevName", ""}, {"1", "NextName", "0"}, {"0", "PrevName", "1"}, {"0", "NextName", ""}})
        profile.real.write(dir.path("tesly0.dat"), QString("Record") + rec, key, value);
    profile.real.write(store.DataFile(), "General Info", "NameFirstRecord", "1");
    store.LoadLists();
    EXPECT_EQ(store.AllNames, (QStringList{"Baker, Al", "Adams, Jo"}));
    profile.writes.clear();
    EXPECT_TRUE(store.SortLists());
    EXPECT_EQ(
        profile.writes,
        (QStringList{"tesly.dat|General Info|NameFirstRecord=0", "tesly.dat|General Info|CompanyFirstRecord=0",
                     "tesly0.dat|Record0|PrevName=", "tesly0.dat|Record0|PrevCompany=", "tesly0.dat|Record0|NextName=1",
                     "tesly0.dat|Record0|NextCompany=1", "tesly0.dat|Record1|PrevName=0",
                     "tesly0.dat|Record1|NextName=", "tesly0.dat|Record1|PrevCompany=0",
                     "tesly0.dat|Record1|NextCompany="}));
    EXPECT_EQ(reloadedNames(), (QStringList{"0", "1"}));
    expectConsistent();
}

TEST_F(StoreTest, oneCardOrNoneIsNeverSortedOrWritten) {
    store.LoadLists();
    EXPECT_FALSE(store.SortLists());
    add("Jo", "Adams");
    store.LoadLists();
    EXPECT_FALSE(store.SortLists());
    EXPECT_EQ(profile.writes.filter("Record0|PrevName").size(), 1);
}

TEST_F(StoreTest, fillListShowsTheViewWithRecordNumbersAsItemData) {
    add("Jo", "Adams", "Zeta");
    add("Al", "Baker");
    store.LoadLists();
    store.FillList();
    EXPECT_EQ(list.texts, (QStringList{"Adams, Jo", "Baker, Al"}));
    EXPECT_EQ(list.data, (QList<std::int32_t>{0, 1}));
    store.Show = 1;
    store.FillList();
    EXPECT_EQ(list.texts, (QStringList{"( Zeta )", "Baker, Al"}));
}
