// What the store tells the windows about the list the main window shows.
#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "cards/card_store.h"
#include "profile/cached_profile.h"

#include <gtest/gtest.h>

using namespace tessaly;

namespace {

// The rows as the store told of them, each read back when it was told.
class RecordingList : public store::ShownListObserver {
public:
    explicit RecordingList(const store::CardStore& s) : s_(s) {}
    void shownListReset() override {
        recs.clear();
        for (int row = 0; row < s_.ShownCount(); ++row) shownRowInserted(row);
    }
    void shownRowInserted(int row) override { recs.insert(row, s_.ShownRecNo(row)); }
    void shownRowRemoved(int row) override { recs.removeAt(row); }
    QStringList recs;

private:
    const store::CardStore& s_;
};

// Four cards whose name order (0 1 2 3) runs against their company order (3 2 1 0).
class ShownListTest : public ::testing::Test {
protected:
    void SetUp() override {
        store::WriteEmptyHeader(profile, s.DataFile());
        const char* names[][2] = {{"Ann", "Zeta"}, {"Bob", "Young"}, {"Cy", "Xu"}, {"Di", "Webb"}};
        for (const auto& n : names) {
            store::Card f;
            f[store::LastName] = QString::fromLatin1(n[0]);
            f[store::Company] = QString::fromLatin1(n[1]);
            s.AddCard(f);
        }
        s.SetShownListObserver(&list);
    }
    // Every row as the store reports it, checked against the list box and ListPosition.
    QStringList rows() {
        QStringList shown;
        for (int row = 0; row < s.ShownCount(); ++row) {
            shown << s.ShownRecNo(row);
            EXPECT_EQ(s.ListPosition(shown.last()), row);
        }
        EXPECT_EQ(s.ShownRecNos(), shown);
        EXPECT_EQ(list.recs, shown) << "the list box shows the same rows";
        EXPECT_EQ(s.ShownRecNo(-1), QString());
        EXPECT_EQ(s.ShownRecNo(s.ShownCount()), QString());
        return shown;
    }

    TempFolder dir;
    profile::CachedProfile profile;
    store::CardStore s{profile, dir.path()};
    RecordingList list{s};
};

TEST_F(ShownListTest, theRowsFollowTheViewAndTheFilter) {
    struct Row {
        const char* name;
        int view;
        std::optional<QStringList> filter;
        QStringList expected;
    };
    const Row table[] = {
        {"names", 0, std::nullopt, {"0", "1", "2", "3"}},
        {"companies", 1, std::nullopt, {"3", "2", "1", "0"}},
        {"names, filtered", 0, QStringList{"3", "1", "7"}, {"1", "3"}},
        {"companies, filtered", 1, QStringList{"3", "1"}, {"3", "1"}},
        {"a filter that passes nothing", 0, QStringList{}, {}},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.name);
        s.SetView(row.view);
        row.filter ? s.SetFilter(*row.filter) : s.ClearFilter();
        EXPECT_EQ(s.IsFiltered(), row.filter.has_value());
        EXPECT_EQ(rows(), row.expected);
        if (row.filter) {
            EXPECT_EQ(s.ListPosition(QStringLiteral("2")), -1) << "a card the filter hides has no row";
        }
    }
    // Switching the view keeps the filter.
    s.SetFilter({"0", "2"});
    s.SetView(1);
    EXPECT_EQ(rows(), QStringList({"2", "0"}));
}

// Before the lists are read the count comes from the header: the file has
// cards, but no row shows one that the lists do not hold.
TEST_F(ShownListTest, theCountReadAtOpeningShowsNoRowsBeforeTheListsAreRead) {
    profile::CachedProfile fresh;
    store::CardStore opened(fresh, dir.path());
    opened.ReadRecordCount();
    EXPECT_TRUE(opened.HasCards());
    EXPECT_EQ(opened.NoOfRecords, 4);
    EXPECT_EQ(opened.ShownCount(), 0);
    EXPECT_EQ(opened.ShownRecNo(0), QString());
    EXPECT_EQ(opened.ListPosition(QStringLiteral("0")), -1);
    opened.LoadLists();
    EXPECT_EQ(opened.ShownCount(), 4);
}

}  // namespace
