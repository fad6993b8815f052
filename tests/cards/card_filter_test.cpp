#include "cards/card_filter.h"

#include "../support/store_fixture.h"

using namespace tessaly;
using store::FilterTexts;

namespace {

class CardFilterTest : public StoreTest {
protected:
    QString add(const QString& first, const QString& last, const QString& company, const QString& title = {},
                const QString& notes = {}) {
        store::Card f;
        f[store::FirstName] = first, f[store::LastName] = last, f[store::Company] = company;
        f[store::Title] = title, f[store::Notes] = notes;
        return store.AddCard(f);
    }
    // Card numbers: Anna Smith (0), Bert Goldsmith (1), Carl Smithers (2), Dora Brown (3), Eve Ærø (4).
    void fiveCards() {
        add("Anna", "Smith", "Acme", "Chief buyer", "met at the fair");
        add("Bert", "Goldsmith", "Beta Ltd", "", "");
        add("Carl", "Smithers", "acme east", "Buyer", "two  spaces");
        add("Dora", "Brown", "Delta", "", "Smith's cousin");
        add("Eve", "Ærø", "Echo", "", "");
    }
    bool filter(const FilterTexts& texts) { return store::ApplyFilter(store, texts, silent); }
    QStringList shownNames() const { return store.ShownRecNos(); }
    store::ProgressSink silent;
};

TEST_F(CardFilterTest, conditionsKeepTheCardsThatContainEveryTextInNameOrder) {
    fiveCards();
    const struct {
        const char* what;
        FilterTexts texts;
        QStringList expected;  // in name order: Brown, Goldsmith, Smith, Smithers, Ærø
    } cases[] = {
        {"start, middle and end, any case", {"", "SMITH", "", "", ""}, {"1", "0", "2"}},
        {"non-ASCII letters fold", {"", "æRØ", "", "", ""}, {"4"}},
        {"two conditions keep both", {"", "smith", "", "acme", ""}, {"0", "2"}},
        {"title and notes", {"", "", "buyer", "", "fair"}, {"0"}},
        {"blanks beside another condition match only blanks", {"", "", "", "acme", "  "}, {"2"}},
        {"a blank inside the text counts", {"", "", "", "acme ", ""}, {"2"}},
        {"no card", {"Zed", "", "", "", ""}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(filter(c.texts));
        EXPECT_TRUE(store.IsFiltered());
        EXPECT_EQ(shownNames(), c.expected);
        EXPECT_EQ(list.texts.size(), c.expected.size());
    }
}

TEST_F(CardFilterTest, blankOrEmptyTextsTurnTheFilterOffAndShowEveryCard) {
    fiveCards();
    ASSERT_TRUE(filter({"", "smith", "", "", ""}));
    for (const FilterTexts& texts : {FilterTexts{}, FilterTexts{"  ", "", " ", "", "   "}}) {
        EXPECT_FALSE(filter(texts));
        EXPECT_FALSE(store.IsFiltered());
        EXPECT_EQ(store.ShownCount(), 5);
        EXPECT_EQ(list.texts.size(), 5);
    }
}

TEST_F(CardFilterTest, theSingleCardTestNeedsEveryNonEmptyTextAndPassesWithNone) {
    fiveCards();
    EXPECT_FALSE(store::CardPasses(store, "1", {"", "", "", "", "x"}));  // empty notes
    EXPECT_FALSE(store::CardPasses(store, "0", {"anna", "", "", "beta", ""}));
    EXPECT_TRUE(store::CardPasses(store, "0", {"anna", "", "", "acme", "FAIR"}));
    EXPECT_TRUE(store::CardPasses(store, "1", {}));
}

TEST_F(CardFilterTest, aCompanyViewOfTheFilterIsInCompanyOrder) {
    fiveCards();
    store.SetView(1);
    filter({"", "", "", "", ""});
    filter({"", "smith", "", "", ""});
    EXPECT_EQ(shownNames(), (QStringList{"0", "2", "1"}));  // Acme, acme east, Beta Ltd
}

TEST_F(CardFilterTest, addingEditingDeletingAndRestoringFollowTheFilter) {
    fiveCards();
    filter({"", "smith", "", "", ""});
    const QString added = add("Abe", "Blacksmith", "");
    add("Zoe", "Other", "");  // does not pass
    EXPECT_EQ(shownNames(), (QStringList{added, "1", "0", "2"}));

    store::Card current = store.ReadCard("2"), typed = current;
    typed[store::LastName] = "Jones";  // moves, and no longer passes
    store.ChangeCard("2", current, typed);
    EXPECT_EQ(shownNames(), (QStringList{added, "1", "0"}));
    current = store.ReadCard("3"), typed = current;
    typed[store::LastName] = "Brownsmith";  // moves, and passes now
    store.ChangeCard("3", current, typed);
    EXPECT_EQ(shownNames(), (QStringList{added, "3", "1", "0"}));

    store.DeleteCard("1");
    EXPECT_EQ(shownNames(), (QStringList{added, "3", "0"}));
    store.RestoreCard("1");
    EXPECT_EQ(shownNames(), (QStringList{added, "3", "1", "0"}));
    EXPECT_EQ(list.texts.size(), 4);
    expectConsistent();
}

TEST_F(CardFilterTest, aFilterThatMatchedNothingTakesTheFirstMatchingCardAdded) {
    fiveCards();
    filter({"Zed", "", "", "", ""});
    EXPECT_EQ(store.ShownCount(), 0);
    const QString zed = add("Zed", "Zulu", "");
    EXPECT_EQ(shownNames(), QStringList{zed});
    EXPECT_EQ(list.texts, QStringList{"Zulu, Zed"});
}

TEST_F(CardFilterTest, theFilterFollowsCardsAnotherProgramAdded) {
    fiveCards();
    filter({"", "smith", "", "", ""});
    {
        profile::CachedProfile other;
        store::CardStore elsewhere(other, dir.path());
        elsewhere.RefreshLists();
        store::Card f;
        f[store::LastName] = "Arrowsmith";
        elsewhere.AddCard(f);
        f[store::LastName] = "Plain";
        elsewhere.AddCard(f);
    }
    add("Ivo", "Nobody", "");  // the change rereads the lists first
    EXPECT_EQ(shownNames(), (QStringList{"5", "1", "0", "2"}));
}

}  // namespace
