#include "../support/store_fixture.h"

using namespace tessaly::store;

namespace {

class DamagedFileTest : public StoreTest {
protected:
    void SetUp() override {
        for (const char* name : {"Adams", "Baker", "Clark", "Dunn"}) add("A", name);
    }
    void damageHeader(const QString& key, const QString& value) {
        profile.real.write(store.DataFile(), "General Info", key, value);
    }
    void damageCard(const QString& rec, const QString& key, const QString& value) {
        profile.real.write(dir.path("tesly0.dat"), "Record" + rec, key, value);
    }
    // Loading and the start-up sort keep every card reachable and leave a sound file.
    void expectRepairedTo(int cards) {
        store.LoadLists();
        store.SortLists();
        EXPECT_EQ(store.NoOfRecords, cards);
        EXPECT_EQ(store.AllByName.size(), cards);
        EXPECT_EQ(QSet<QString>(store.AllByName.begin(), store.AllByName.end()).size(), cards);
        store.FillList();
        for (auto d : list.data) EXPECT_GE(d, 0);
        expectConsistent();
    }
};

}  // namespace

TEST_F(DamagedFileTest, countsThatAreNegativeHugeOrNoNumberAreCorrectedFromTheLists) {
    for (const char* count : {"0", "-3", "32767", "99999999999", "lots", ""}) {
        SCOPED_TRACE(count);
        damageHeader("NoOfRecords", count);
        expectRepairedTo(4);
        EXPECT_EQ(header("NoOfRecords"), "4");
    }
}

TEST_F(DamagedFileTest, aNextLinkThatLeadsNowhereKeepsTheCardsReachedThroughEitherList) {
    damageCard("1", "NextName", "77");
    expectRepairedTo(4);
}

TEST_F(DamagedFileTest, aLinkBackIntoTheListEndsTheWalkAndNoCardIsLost) {
    damageCard("2", "NextName", "0");
    damageCard("2", "NextCompany", "1");
    expectRepairedTo(4);
}

TEST_F(DamagedFileTest, aRecordNumberThatIsNoNumberIsNeverShownAsAnotherCard) {
    damageCard("0", "NextName", "x1");
    damageCard("0", "NextCompany", "x1");
    damageHeader("NoOfRecords", "1");
    store.DeleteCard("3");
    expectRepairedTo(3);  // the unreachable live cards come back; the deleted one stays deleted
}

TEST_F(DamagedFileTest, anInsertInterruptedBeforeTheCountIsRecovered) {
    damageHeader("NoOfRecords", "3");  // a crash after linking the fourth card
    expectRepairedTo(4);
}

TEST_F(DamagedFileTest, checkReportsEachBrokenInvariant) {
    damageCard("1", "PrevName", "3");
    damageCard("2", "PrevDel", "0");
    damageHeader("DelNoOfRecords", "2");
    const QStringList faults = CheckCardFile(store);
    EXPECT_EQ(faults.size(), 3) << faults.join('\n').toStdString();
}

TEST_F(DamagedFileTest, theDeletedListIsWalkedToItsEndWhateverItsCountSays) {
    store.DeleteCard("1");
    store.DeleteCard("3");
    for (const char* count : {"0", "1", "-4", "x"}) {
        SCOPED_TRACE(count);
        damageHeader("DelNoOfRecords", count);
        EXPECT_EQ(store.LoadDeletedList().DeletedRecs, (QStringList{"1", "3"}));
    }
    damageCard("3", "NextDel", "42");  // a link to no card ends the list there
    EXPECT_EQ(store.LoadDeletedList().DeletedRecs, QStringList{"3"});
}
