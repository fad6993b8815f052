#include "../support/golden.h"
#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "cards/card_check.h"
#include "cards/card_store.h"
#include "profile/cached_profile.h"

#include <gtest/gtest.h>

using namespace tessaly;

// A card file in the form the sibling program's writes give it (tests/data/cards/sibling: CR LF,
// Windows-1252, a blank line between sections, a quoted value, a deleted card) reads whole; after an
// edit that moves a card and an add, both files hold exactly the bytes of tests/data/cards/after:
// the keys in the sibling's order, every line the change did not write kept as it was.
TEST(CardFileGolden, theSiblingsFileReadsWholeAndAChangeWritesExactlyTheGoldenBytes) {
    const QStringList files = {"tesly.dat", "tesly0.dat"};
    TempFolder dir;
    for (const QString& f : files)
        ASSERT_TRUE(QFile::copy(TestData("cards/sibling/" + f), dir.path(f))) << qPrintable(f);
    profile::CachedProfile profile;
    store::CardStore cards(profile, dir.path());
    cards.LoadLists();
    cards.SortLists();
    EXPECT_TRUE(cards.Repairs().isEmpty());
    EXPECT_EQ(store::CheckCardFile(cards), QStringList());
    EXPECT_EQ(cards.AllNames, QStringList({"Lee, Ann", "Müller, Jürgen", "Park, Cy"}));
    EXPECT_EQ(cards.AllByCompany, QStringList({"0", "1", "3"}));
    EXPECT_EQ(cards.LoadDeletedList().DeletedRecs, QStringList({"2"}));
    store::Card ann = cards.ReadCard("0");
    EXPECT_EQ(cards.ReadCard("1")[store::Notes], "  quoted, with blanks  ");

    store::Card typed = ann;
    typed[store::LastName] = "Young";
    typed[store::Phone1] = "555 0111";
    EXPECT_TRUE(cards.ChangeCard("0", ann, typed));
    store::Card dan;
    dan[store::FirstName] = "Dan";
    dan[store::LastName] = "Kim";
    dan[store::Company] = "Café Olé";
    EXPECT_EQ(cards.AddCard(dan), "4");
    EXPECT_EQ(cards.AllNames, QStringList({"Kim, Dan", "Müller, Jürgen", "Park, Cy", "Young, Ann"}));
    EXPECT_EQ(store::CheckCardFile(cards), QStringList());
    for (const QString& f : files) ExpectGolden("cards/after/" + f, dir.bytes(f));
}
