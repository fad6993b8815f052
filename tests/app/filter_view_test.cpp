#include "app_fixture.h"

#include <QAction>

namespace {

// The main window with a filtered list, as the filter leaves it: here the cards whose last name is even.
class FilterViewTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        QList<std::array<QString, 3>> list;
        for (int i = 0; i < 14; ++i)
            list.append({QStringLiteral("P"), QStringLiteral("L%1").arg(i, 2, 10, QLatin1Char('0')),
                         QStringLiteral("C%1").arg(13 - i, 2, 10, QLatin1Char('0'))});
        preferences();
        cards(list);
        ASSERT_TRUE(app::Main(context()));
    }
    void TearDown() override {
        shell::SetPopupAnswerer({});
        AppTest::TearDown();
    }
    void filterTo(const std::function<bool(int rec)>& keep) {
        QStringList matching;
        for (const QString& rec : cardStore().AllByName)
            if (keep(rec.toInt())) matching << rec;
        cardStore().SetFilter(matching);
        main().ShowLists(0);
    }
    QString panel(int i) { return main().StatBar->text(i); }
    QPoint panelCentre(int i) { return main().StatBar->panel(i)->geometry().center(); }
};

TEST_F(FilterViewTest, aFilteredListCountsItsOwnCardsAndTheViewSwitchKeepsTheFilter) {
    filterTo([](int rec) { return rec % 2 == 0; });
    EXPECT_EQ(main().LstNames->model()->rowCount(), 7);
    EXPECT_EQ(panel(1), " 1/ 7");
    EXPECT_EQ(panel(3), "Filter - ON");
    EXPECT_TRUE(main().Menus().MnuFilterArray[0]->isChecked());
    main().LstNames->setCurrentRow(2);  // L04
    ASSERT_EQ(main().CurrentRecNo(), "4");

    QTest::mouseDClick(main().StatBar, Qt::LeftButton, {}, panelCentre(2));
    EXPECT_EQ(panel(2), "Company");
    EXPECT_EQ(panel(3), "Filter - ON");
    EXPECT_EQ(main().LstNames->model()->rowCount(), 7);
    EXPECT_EQ(main().LstNames->model()->index(0, 0).data().toString(), "( C01 )");  // card 12
    EXPECT_EQ(main().CurrentRecNo(), "4");
    EXPECT_EQ(main().LstNames->currentRow(), 4);
}

TEST_F(FilterViewTest, turningTheFilterOffKeepsTheCardOrElseThePosition) {
    filterTo([](int rec) { return rec % 2 == 0; });
    main().LstNames->setCurrentRow(3);  // L06
    QTest::mouseDClick(main().StatBar, Qt::LeftButton, {}, panelCentre(3));
    EXPECT_EQ(panel(3), "Filter - OFF");
    EXPECT_EQ(main().LstNames->model()->rowCount(), 14);
    EXPECT_EQ(main().CurrentRecNo(), "6");
    EXPECT_EQ(main().LstNames->currentRow(), 6);

    // A card that the whole list does not hold: the position stays.
    filterTo([](int rec) { return rec % 2 == 0; });
    cardStore().FilteredByName[3] = QStringLiteral("99");
    main().LstNames->setCurrentRow(3);
    ASSERT_EQ(main().CurrentRecNo(), "99");
    QTest::mousePress(main().BtnFilter, Qt::LeftButton, Qt::ShiftModifier);  // Shift-press turns it off too
    EXPECT_EQ(panel(3), "Filter - OFF");
    EXPECT_EQ(main().LstNames->currentRow(), 3);
}

TEST_F(FilterViewTest, aFilterThatFoundNothingLeavesOnlyTheFilterButton) {
    filterTo([](int) { return false; });
    EXPECT_FALSE(main().LstNames->isEnabled());
    EXPECT_TRUE(main().BtnFilter->isEnabled());
    EXPECT_EQ(main().focusWidget(), main().BtnFilter);
    EXPECT_EQ(panel(1), "");
    EXPECT_EQ(panel(3), "Filter - ON");
}

TEST_F(FilterViewTest, theStatusBarOpensTheViewAndFilterMenusOnlyOverTheirPanels) {
    QStringList opened;
    shell::SetPopupAnswerer([&](QMenu& menu) { opened << menu.objectName(); });
    QTest::mousePress(main().StatBar, Qt::RightButton, {}, panelCentre(1));
    EXPECT_TRUE(opened.isEmpty());
    QTest::mousePress(main().StatBar, Qt::RightButton, {}, panelCentre(2));
    QTest::mousePress(main().StatBar, Qt::RightButton, {}, panelCentre(3));
    EXPECT_EQ(opened, (QStringList{"MnuView", "MnuFilter"}));
    EXPECT_TRUE(main().Menus().MnuViewArray[0]->isChecked());
    EXPECT_FALSE(main().Menus().MnuViewArray[1]->isChecked());

    // Choosing "Company" from it switches the view.
    shell::SetPopupAnswerer([&](QMenu& menu) {
        if (&menu == main().Menus().MnuView) main().Menus().MnuViewArray[1]->trigger();
    });
    QTest::mousePress(main().StatBar, Qt::RightButton, {}, panelCentre(2));
    EXPECT_EQ(panel(2), "Company");
    EXPECT_TRUE(main().Menus().MnuViewArray[1]->isChecked());
}

TEST_F(FilterViewTest, aRightPressOnNewOpensItsMenuOnlyWhenThereAreCards) {
    QStringList opened;
    shell::SetPopupAnswerer([&](QMenu& menu) { opened << menu.objectName(); });
    QTest::mousePress(main().BtnNew, Qt::RightButton);
    QTest::mousePress(main().BtnDial, Qt::RightButton);
    EXPECT_EQ(opened, QStringList{"MnuNew"});
}

TEST_F(FilterViewTest, theExchangeButtonAddsAWayOutToItsMenuWhileItIsUp) {
    QStringList entries;
    bool timerPaused = false;
    shell::SetPopupAnswerer([&](QMenu& menu) {
        for (QAction* a : menu.actions()) entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
        timerPaused = !main().Menus().InUseTimer.isActive();
    });
    QTest::mouseClick(main().BtnExchange, Qt::LeftButton);
    EXPECT_EQ(entries, (QStringList{"Re&ports", "&Import", "&Back Up", "Restore &Deleted Record", "Import &vCard…",
                                    "&Export vCard…", "-", "&Undo", "&Redo", "&History…", "-", "&Sync Now",
                                    "Cancel S&ync", "Sync C&onflicts…", "Sync &Accounts…", "-", "Ca&ncel"}));
    EXPECT_TRUE(timerPaused);
    EXPECT_TRUE(main().Menus().InUseTimer.isActive());
    EXPECT_EQ(main().Menus().MnuExchange->actions().size(), 15);
}

}  // namespace
