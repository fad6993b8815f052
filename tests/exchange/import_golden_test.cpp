#include "../support/golden.h"
#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "cards/card_check.h"
#include "cards/card_store.h"
#include "exchange/import_cards.h"
#include "profile/cached_profile.h"

#include <gtest/gtest.h>

using namespace tessaly;

// An import into the sibling's card file (tests/data/cards/sibling) writes exactly the bytes of
// tests/data/cards/import-append or import-replace: names that tie with each other and with cards
// there, a company alone, a line without names, and enough cards for a second card file, each at
// the place, with the links and header, that adding it at the head of both lists and sorting gives.
TEST(ImportGolden, anImportWritesTheCardFileThatAddingEachAtTheHeadAndSortingGives) {
    QStringList lines = {"Ann,Lee,Second Ann", "Cy,Park,", "Ann,Lee,Third Ann", ",,Acme", ",,", "Zoë,Åberg,"};
    for (int i = 0; i < 110; ++i) lines << QString("P%1,Q%2,+%3").arg(i % 7).arg(i % 11).arg(i);
    store::ImportPlan plan;
    plan.fieldCount = 3;
    plan.choices = {1, 2, 6};
    for (const bool replace : {false, true}) {
        const QString golden = replace ? "cards/import-replace/" : "cards/import-append/";
        SCOPED_TRACE(qPrintable(golden));
        TempFolder dir;
        for (const QString& f : QStringList{"tesly.dat", "tesly0.dat"})
            ASSERT_TRUE(QFile::copy(TestData("cards/sibling/" + f), dir.path(f)));
        profile::CachedProfile profile;
        store::CardStore cards(profile, dir.path());
        cards.RefreshLists();
        store::ProgressSink silent;
        plan.replace = replace;
        EXPECT_EQ(store::ImportCards(cards, lines, plan, silent).imported, lines.size());
        EXPECT_EQ(store::CheckCardFile(cards), QStringList());
        for (const QString& f : QStringList{"tesly.dat", "tesly0.dat", "tesly1.dat"})
            ExpectGolden(golden + f, dir.bytes(f));
    }
}
