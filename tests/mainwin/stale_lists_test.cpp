#include "../dialogs/card_dialog_fixture.h"

namespace {

using StaleListsTest = CardDialogTest;

// Another program adds a card while it holds the file; when it lets go, the
// lists are read again, so a card this program adds next keeps both.
TEST_F(StaleListsTest, aCardAddedWhileTheFileWasHeldIsListedWhenEditingComesBack) {
    start({{"Ann", "Able", ""}, {"Cy", "Cole", ""}});
    main().LstNames->setCurrentRow(1);
    setHeader(QStringLiteral("NoOfUses"), QStringLiteral("2"));
    main().Menus().InUseTimer_Timer();
    ASSERT_TRUE(context().InUse);
    {
        profile::CachedProfile p;
        store::CardStore other(p, cardsDir());
        other.LoadLists();
        store::Card f;
        f[store::LastName] = QStringLiteral("Bell");
        other.AddCard(f);
    }
    // Reading the lists lets the windows repaint; the in-use check waits meanwhile.
    struct : store::ProgressSink {
        void pumpEvents() override { checked |= timer->isActive(); }
        QTimer* timer = nullptr;
        bool checked = false;
    } probe;
    probe.timer = &main().Menus().InUseTimer;
    cardStore().SetProgress(&probe);
    setHeader(QStringLiteral("NoOfUses"), QStringLiteral("1"));
    main().Menus().InUseTimer_Timer();
    cardStore().SetProgress(nullptr);
    ASSERT_FALSE(context().InUse);
    EXPECT_FALSE(probe.checked);
    EXPECT_TRUE(main().Menus().InUseTimer.isActive());
    EXPECT_EQ(listTexts(), (QStringList{"Able, Ann", "Bell", "Cole, Cy"}));
    EXPECT_EQ(selectedText(), "Cole, Cy");  // the selected card stays selected

    NewDialog& d = openNew();
    d.SetBoxText(store::FirstName, QString());
    d.SetBoxText(store::LastName, QStringLiteral("Dunn"));
    ok(d);
    settle();
    EXPECT_EQ(listTexts(), (QStringList{"Able, Ann", "Bell", "Cole, Cy", "Dunn"}));
    EXPECT_EQ(faults(), QStringList());
}

}  // namespace
