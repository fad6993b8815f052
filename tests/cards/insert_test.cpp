#include "../support/store_fixture.h"

#include "cards/display_text.h"

using namespace tessaly::store;

TEST_F(StoreTest, theFirstCardOfAnEmptyFileWritesItsFieldsThenLinksThenTheCount) {
    EXPECT_EQ(dir.files(), QStringList{"tesly.dat"});
    Card f;
    f[Sal] = "Mr.";
    f[Company] = " Acme ";
    f[Notes] = "two\nlines";
    EXPECT_EQ(store.AddCard(f), "0");
    QStringList expected = {"tesly.dat|General Info|TotalNoOfRecords=1"};
    for (int i = 0; i < kFieldCount; ++i)
        expected << "tesly0.dat|Record0|" + FieldKeys[i] + "=" +
                        (i == Company ? "Acme"
                         : i == Notes ? "two\nlines"
                                      : "");
    expected << "tesly0.dat|Record0|ShowName=( Acme )"
             << "tesly0.dat|Record0|ShowCompany=( Acme )";
    for (const char* k : {"PrevName", "NextName", "PrevCompany", "NextCompany", "PrevDel", "NextDel"})
        expected << QString("tesly0.dat|Record0|%1=").arg(k);
    expected << "tesly.dat|General Info|NameFirstRecord=0"
             << "tesly.dat|General Info|CompanyFirstRecord=0"
             << "tesly.dat|General Info|NoOfRecords=1";
    EXPECT_EQ(profile.writes, expected);
    EXPECT_EQ(list.texts, QStringList{"( Acme )"});
    EXPECT_EQ(card("0", "Notes"), "two\nlines");
    expectConsistent();
}

TEST_F(StoreTest, aCardIsLinkedAtItsSortedPlaceWithItsOwnLinkWrittenBeforeTheNeighbours) {
    add("Mia", "Baker");
    add("Al", "Young");
    profile.writes.clear();
    add("Al", "Zeta", "Acme");  // last by name, first by company
    const QStringList links = profile.writes.mid(profile.writes.indexOf("tesly0.dat|Record2|NextDel=") + 1);
    EXPECT_EQ(links, (QStringList{"tesly0.dat|Record2|PrevName=1", "tesly0.dat|Record1|NextName=2",
                                  "tesly.dat|General Info|CompanyFirstRecord=2", "tesly0.dat|Record2|NextCompany=0",
                                  "tesly0.dat|Record0|PrevCompany=2", "tesly.dat|General Info|NoOfRecords=3"}));
    EXPECT_EQ(store.AllNames, (QStringList{"Baker, Mia", "Young, Al", "Zeta, Al"}));
    EXPECT_EQ(store.AllCompanies, (QStringList{"( Acme )", "Baker, Mia", "Young, Al"}));
    EXPECT_EQ(list.texts, store.AllNames);
    EXPECT_EQ(reloadedNames(), store.AllByName);
    expectConsistent();
}

TEST_F(StoreTest, aCardEqualToAnotherInAnyLetterCaseGoesBeforeIt) {
    add("Jo", "Adams");
    add("JO", "ADAMS");
    add("jo", "adams");
    EXPECT_EQ(store.AllByName, (QStringList{"2", "1", "0"}));
    EXPECT_EQ(header("NameFirstRecord"), "2");
    EXPECT_EQ(store.SortLists(), false);  // equal texts never change places
    expectConsistent();
}

TEST_F(StoreTest, neighboursAcrossTheHundredBoundaryAreLinkedInTheirOwnFiles) {
    {
        tessaly::profile::ProfileBulk bulk(profile);
        for (int i = 0; i < 101; ++i) add("A", QString("Name%1").arg(i, 3, 10, QChar('0')));
        bulk.finish();
    }
    EXPECT_TRUE(dir.files().contains("tesly1.dat"));
    EXPECT_TRUE(dir.bytes("tesly0.dat").contains("[Record99]"));
    EXPECT_FALSE(dir.bytes("tesly0.dat").contains("[Record100]"));
    tessaly::profile::CachedProfile fresh;
    EXPECT_EQ(fresh.read(dir.path("tesly0.dat"), "Record99", "NextName"), "100");
    EXPECT_EQ(fresh.read(dir.path("tesly1.dat"), "Record100", "PrevName"), "99");
    expectConsistent();
}

TEST_F(StoreTest, aCompanyCardDropsItsSalutationAndANewCardNeverReusesANumber) {
    Card f;
    f[Sal] = "Mr.";
    f[Company] = "Acme";
    const QString n = store.AddCard(f);
    EXPECT_EQ(card(n, "Sal"), "");
    store.DeleteCard(n);
    EXPECT_EQ(add("Jo", "Adams"), "1");
    EXPECT_EQ(card("0", "Company"), "Acme");  // the deleted card keeps its fields
}

TEST_F(StoreTest, aCounterLeftBehindTheCardsNeverHandsOutANumberInUse) {
    add("Jo", "Adams");
    add("Al", "Baker");
    profile.real.write(store.DataFile(), "General Info", "TotalNoOfRecords", "1");
    EXPECT_EQ(add("Cy", "Clark"), "2");
    EXPECT_EQ(card("1", "LastName"), "Baker");
    expectConsistent();
}

TEST_F(StoreTest, withTheFilterOnACardThatDoesNotMatchChangesOnlyTheFileAndTheFullLists) {
    add("Jo", "Adams");
    store.FilterOn = true;
    store.FilterMatch = [](const QString&) { return false; };
    list.texts = {"kept"};
    add("Al", "Baker");
    EXPECT_EQ(list.texts, QStringList{"kept"});
    EXPECT_EQ(store.FilteredCount, 0);
    EXPECT_EQ(store.AllNames.size(), 2);
    store.FilterMatch = [](const QString&) { return true; };
    add("Cy", "Clark");
    EXPECT_EQ(store.FilteredNames, QStringList{"Clark, Cy"});
    EXPECT_EQ(list.texts, QStringList{"Clark, Cy"});
}

TEST_F(StoreTest, editingTheTitleRewritesInPlaceAndEditingTheNameMovesTheCard) {
    add("Jo", "Adams");
    add("Al", "Baker");
    add("Cy", "Clark");
    store.DeleteCard("2");
    const auto deleted = store.DeletedCount;
    Card current = store.ReadCard("0");
    Card typed = current;
    typed[Title] = "Boss";
    profile.writes.clear();
    store.ChangeCard("0", current, typed);
    EXPECT_EQ(profile.writes.size(), 18);  // the sixteen fields and two display texts
    EXPECT_EQ(store.AllByName, (QStringList{"0", "1"}));
    typed = current;
    typed[LastName] = " Zimmer ";
    store.ChangeCard("0", current, typed);
    EXPECT_EQ(current[LastName], "Zimmer");
    EXPECT_EQ(store.AllNames, (QStringList{"Baker, Al", "Zimmer, Jo"}));
    EXPECT_EQ(list.texts, store.AllNames);
    EXPECT_EQ(card("0", "ShowName"), "Zimmer, Jo");
    EXPECT_EQ(card("0", "Title"), "Boss");
    EXPECT_EQ(store.DeletedCount, deleted);
    EXPECT_EQ(header("DelNoOfRecords"), "1");
    expectConsistent();
}

TEST_F(StoreTest, aRecordNumberTheStoreCannotNameIsRefusedWithoutAWrite) {
    struct Case {
        const char* total;
        bool refused;
    };
    for (const Case& c : {Case{"999999998", false}, Case{"1000000000", true}, Case{"99999999999999999999999", true},
                          Case{"-5", false}}) {
        SCOPED_TRACE(c.total);
        profile.real.write(store.DataFile(), "General Info", "TotalNoOfRecords", c.total);
        const QByteArray before = dir.bytes("tesly.dat");
        const QStringList files = dir.files();
        if (c.refused) {
            EXPECT_THROW(add("Jo", "Adams"), CardLimitReached);
            EXPECT_EQ(dir.bytes("tesly.dat"), before);
            EXPECT_EQ(dir.files(), files);
        } else {
            const QString n = add("Jo", "Adams");
            EXPECT_EQ(header("TotalNoOfRecords").toLongLong(), n.toLongLong() + 1);
        }
    }
}

TEST_F(StoreTest, aFileHoldingAsManyCardsAsTheCountsReachTakesNoMore) {
    // 32767 live cards, written directly: each file is one run of 100 linked sections.
    const int count = 32767;
    for (int f = 0; f * 100 < count; ++f) {
        QByteArray text;
        for (int n = f * 100; n < std::min(count, f * 100 + 100); ++n) {
            const QByteArray prev = n > 0 ? QByteArray::number(n - 1) : "",
                             next = n + 1 < count ? QByteArray::number(n + 1) : "";
            const QByteArray show = "Name" + QByteArray::number(n).rightJustified(5, '0');
            text += "[Record" + QByteArray::number(n) + "]\r\nLastName=" + show + "\r\nShowName=" + show +
                    "\r\nShowCompany=" + show + "\r\nPrevName=" + prev + "\r\nNextName=" + next +
                    "\r\nPrevCompany=" + prev + "\r\nNextCompany=" + next + "\r\n";
        }
        dir.put(QString("tesly%1.dat").arg(f), text);
    }
    dir.put("tesly.dat",
            "[General Info]\r\nApplication=Tessaly\r\nTotalNoOfRecords=32767\r\nNoOfRecords=32767\r\n"
            "NameFirstRecord=0\r\nCompanyFirstRecord=0\r\nDelNoOfRecords=0\r\nDelFirstRecord=\r\n");
    EXPECT_THROW(add("Jo", "Adams"), CardLimitReached);
    EXPECT_EQ(header("TotalNoOfRecords"), "32767");
    store.DeleteCard("5");
    EXPECT_EQ(add("Jo", "Adams"), "32767");
    EXPECT_EQ(header("NoOfRecords"), "32767");
    EXPECT_THROW(store.RestoreCard("5"), CardLimitReached);
    EXPECT_EQ(header("DelNoOfRecords"), "1");
}
