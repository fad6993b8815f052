#include "cards/find_cards.h"

#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "profile/cached_profile.h"

#include <gtest/gtest.h>

using namespace tessaly;
using store::FindFunction;

namespace {

// The real profile layer, with the card keys read noted as "RecordN|Key".
class ReadLog final : public profile::ProfileAccess {
public:
    QString read(const QString& f, const QString& s, const QString& k) override {
        reads << s + u'|' + k;
        return real.read(f, s, k);
    }
    void write(const QString& f, const QString& s, const QString& k, const QString& v) override {
        real.write(f, s, k, v);
    }
    bool hasSection(const QString& f, const QString& s) override { return real.hasSection(f, s); }
    void beginBulk() override { real.beginBulk(); }
    void endBulk() override { real.endBulk(); }
    profile::CachedProfile real;
    QStringList reads;
};

// What the search tells the windows.
struct Gauge final : store::ProgressSink {
    void gauge(int percent) override { percents << percent; }
    void pumpEvents() override { ++pumps; }
    QList<int> percents;
    int pumps = 0;
};

class FindCardsTest : public ::testing::Test {
protected:
    FindCardsTest() : store(log, dir.path()) { store::WriteEmptyHeader(log, store.DataFile()); }

    // A card from field values by index; its record number joins the list in the order added.
    void add(std::initializer_list<std::pair<store::FieldIndex, QString>> values) {
        store::Card f;
        for (const auto& [field, value] : values) f[field] = value;
        list << store.AddCard(f);
    }
    // Five cards at positions 0..4.
    void fiveCards() {
        profile::ProfileBulk bulk(log);  // one write per file, not one per key
        add({{store::FirstName, "Anna"}, {store::LastName, "Goldsmith"}, {store::Company, "Alpha"}});
        add({{store::FirstName, "Bert"}, {store::LastName, "Brown"}, {store::Notes, "met at the fair"}});
        add({{store::FirstName, "Carl"}, {store::LastName, "Smithers"}, {store::Title, "Fair trader"}});
        add({{store::Sal, "Dr."}, {store::LastName, "Dunn"}, {store::Address5, "Springfield"}});
        add({{store::FirstName, "Eve"}, {store::LastName, "Evans"}, {store::Phone1, "555 0199"}});
        bulk.finish();
        log.reads.clear();
    }
    store::FindResult find(int start, const QString& text, int item) {
        return FindFunction(store, list, start, text, item, gauge);
    }

    TempFolder dir;
    ReadLog log;
    store::CardStore store;
    QStringList list;
    Gauge gauge;
};

TEST(FindTables, eachSearchItemReadsItsFieldsInOrderAndOtherItemsReadNone) {
    auto fields = [](int item) {
        const auto span = store::SearchFields(item);
        return std::vector<int>(span.begin(), span.end());
    };
    EXPECT_EQ(fields(0), (std::vector<int>{store::FirstName, store::LastName}));
    EXPECT_EQ(fields(1), (std::vector<int>{store::Company}));
    EXPECT_EQ(fields(2), (std::vector<int>{store::FirstName, store::LastName, store::Title, store::Company}));
    ASSERT_EQ(fields(3).size(), 16u);
    for (int f = 0; f < 16; ++f) EXPECT_EQ(fields(3)[f], f);
    EXPECT_TRUE(fields(-1).empty());
    EXPECT_TRUE(fields(4).empty());
}

TEST(FindTables, aMatchLightsTheLabelThatShowsTheField) {
    const int expected[16] = {0, 0, 0, 1, 2, 3, 4, 5, 6, 6, 7, 8, 9, 10, 11, 12};
    for (int f = 0; f < 16; ++f) EXPECT_EQ(store::FoundLabel(f), expected[f]) << "field " << f;
}

TEST_F(FindCardsTest, theSearchRunsOnFromTheSelectedCardAndWrapsToTheTop) {
    fiveCards();
    store::FindResult r = find(0, "smith", 0);  // Goldsmith (0) is selected, Smithers (2) is next
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.position, 2);
    EXPECT_EQ(r.field, store::LastName);
    EXPECT_EQ(r.lastRecNo, list[2]);

    r = find(2, "smith", 0);  // nothing after Smithers: back at the top
    EXPECT_EQ(r.position, 0);
    EXPECT_EQ(r.field, store::LastName);
}

TEST_F(FindCardsTest, capitalsFindAnyCaseAlsoInTheMiddleOfAName) {
    fiveCards();
    const store::FindResult r = find(4, "MITH", 0);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.position, 0);  // "Goldsmith"
}

TEST_F(FindCardsTest, theChosenFieldsDecideWhatIsFound) {
    fiveCards();
    EXPECT_FALSE(find(0, "fair", 1).found);    // company only: the notes and title are not read
    store::FindResult r = find(0, "fair", 2);  // name, title and company: Carl's title
    EXPECT_EQ(r.position, 2);
    EXPECT_EQ(r.field, store::Title);
    r = find(0, "fair", 3);  // all fields: Bert's notes come first
    EXPECT_EQ(r.position, 1);
    EXPECT_EQ(r.field, store::Notes);
    EXPECT_EQ(store::FoundLabel(r.field), 12);

    r = find(0, "springf", 3);
    EXPECT_EQ(r.field, store::Address5);
    r = find(0, "0199", 3);
    EXPECT_EQ(r.field, store::Phone1);
    r = find(0, "dr.", 3);
    EXPECT_EQ(r.field, store::Sal);
    EXPECT_FALSE(find(0, "fair", -1).found);  // no item chosen: nothing is searched
}

TEST_F(FindCardsTest, onlyTheChosenFieldsAreReadAndReadingStopsAtTheFirstMatchingCard) {
    fiveCards();
    const store::FindResult r = find(0, "bert", 0);
    EXPECT_EQ(r.position, 1);
    EXPECT_EQ(log.reads, (QStringList{"Record1|FirstName", "Record1|LastName"}));

    log.reads.clear();
    find(3, "nobody", 1);
    EXPECT_EQ(log.reads, (QStringList{"Record4|Company", "Record0|Company", "Record1|Company", "Record2|Company",
                                      "Record3|Company"}));
}

TEST_F(FindCardsTest, theGaugeRunsThroughBothPassesAndEventsPassBetweenCards) {
    fiveCards();
    EXPECT_FALSE(find(1, "nobody", 0).found);
    // first pass: positions 2..4 at (i-2)/5; second pass: positions 0..1 at (5-1+i)/5
    EXPECT_EQ(gauge.percents, (QList<int>{0, 20, 40, 80, 100}));
    EXPECT_EQ(gauge.pumps, 5);
}

TEST_F(FindCardsTest, withTheLastEntrySelectedTheSearchStartsAtTheTop) {
    fiveCards();
    const store::FindResult r = find(4, "a", 0);  // Anna, at the top, and Carl match
    EXPECT_EQ(r.position, 0);
    EXPECT_EQ(gauge.percents, QList<int>{20});  // the first pass never ran
    EXPECT_EQ(log.reads.first(), "Record0|FirstName");
}

TEST_F(FindCardsTest, theOnlyMatchIsTheSelectedCardItself) {
    fiveCards();
    const store::FindResult r = find(3, "dunn", 0);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.position, 3);
}

TEST_F(FindCardsTest, theTextIsMatchedWithItsBlanks) {
    add({{store::LastName, "Smith"}});
    add({{store::LastName, "Smith Jones"}});
    EXPECT_EQ(find(1, "smith ", 0).position, 1);  // only the value with the blank
    EXPECT_EQ(find(1, " ", 0).position, 1);
    EXPECT_FALSE(find(1, "smith  ", 0).found);
}

TEST_F(FindCardsTest, aFailedSearchEndsAtTheSelectedCard) {
    fiveCards();
    const store::FindResult r = find(2, "nobody", 3);
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.lastRecNo, list[2]);
}

TEST_F(FindCardsTest, stalePositionsAndMissingCardsSearchSafely) {
    fiveCards();
    EXPECT_EQ(find(9, "anna", 0).position, 0);  // a position past the end: the whole list, once
    EXPECT_EQ(find(-7, "eve", 0).position, 4);  // no selection: from the top
    EXPECT_FALSE(FindFunction(store, {}, 0, "anna", 0, gauge).found);

    // A card that cannot be read counts as empty.
    list.insert(1, QStringLiteral("977"));
    list.insert(2, QStringLiteral("-1"));
    EXPECT_EQ(find(0, "bert", 0).position, 3);
}

}  // namespace

// A field holds the text when its small letters do, as QString::toLower makes them.
TEST(FindTables, aFieldHoldsTheTextInSmallLetters) {
    const struct {
        const char* value;
        const char* lowered;
        bool holds;
    } cases[] = {{"GOLDSMITH", "smith", true},
                 {"Goldsmith", "smiths", false},
                 {"Ölmez & Co", "ölm", true},
                 {"ÖLMEZ", "olm", false},
                 {"İstanbul", "i̇st", true},
                 {"A[Z]@`", "[z]@`", true},
                 {"", "", true},
                 {"x", "", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(store::FieldHolds(QString::fromUtf8(c.value), QString::fromUtf8(c.lowered)), c.holds);
        EXPECT_EQ(QString::fromUtf8(c.value).toLower().contains(QString::fromUtf8(c.lowered)), c.holds);
    }
}
