#include "../support/store_fixture.h"

#include "cards/card_change.h"
#include "exchange/import_cards.h"

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

TEST(ImportSummary, saysWhatCameInAndWhatWasLeftOut) {
    struct Case {
        const char* what;
        ImportOutcome outcome;
        const char* text;
    } cases[] = {
        {"all in",
         {.imported = 1, .note = {}},
         "1 card was imported. | 0 cards skipped as duplicates. | No card left out by the limit of 8000 cards. | "
         "0 empty lines made no card."},
        {"over the limit, from a line on",
         {.imported = 7700,
          .skipped = 3,
          .filled = 2,
          .leftOut = 300,
          .firstLeftOutLine = 7705,
          .empty = 1,
          .note = {}},
         "7700 cards were imported. | 2 filled the empty fields of cards already there. | 3 cards skipped as "
         "duplicates. | "
         "300 cards left out by the limit of 8000 cards, from line 7705 on. | 1 empty line made no card."},
        {"vCards: from a vCard on, no empty lines",
         {.imported = 2, .leftOut = 1, .firstLeftOutLine = 3, .source = ImportSourceKind::VCards, .note = {}},
         "2 cards were imported. | 0 cards skipped as duplicates. | 1 card left out by the limit of 8000 cards, from "
         "vCard 3 on."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ImportSummary(c.outcome).join(" | "), c.text);
    }
}

TEST(ImportSummary, theQuestionGivesTheFigures) {
    EXPECT_EQ(TooManyCardsQuestion(8000, 7700, 7702, ImportSourceKind::Lines),
              "Tessaly can have up to 8000 records.\rThe file holds 8000 lines to import; the card file has 7700 "
              "places free.\r"
              "300 cards will be left out, from line 7702 on (fewer when duplicates are skipped).\rShould I import up "
              "to 8000 records?");
    EXPECT_EQ(
        TooManyCardsQuestion(5, 5, 0, ImportSourceKind::VCards),
        "Tessaly can have up to 8000 records.\rThe file holds 5 vCards to import; the card file has 5 places free.\r"
        "Should I import up to 8000 records?");
}
