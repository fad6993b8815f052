#include "window_fixture.h"

#include "shell/progress_windows.h"

namespace {

// Five cards in name order: Brown, Dunn, Evans, Goldsmith, Smithers.
class FindWindowTest : public FindCopyTest {
protected:
    void SetUp() override {
        FindCopyTest::SetUp();
        start({{{store::FirstName, "Bert"}, {store::LastName, "Brown"}},
               {{store::FirstName, "Dora"},
                {store::LastName, "Dunn"},
                {store::Company, "Fair Ltd"},
                {store::Notes, "Likes orchids"}},
               {{store::FirstName, "Eve"}, {store::LastName, "Evans"}},
               {{store::FirstName, "Anna"}, {store::LastName, "Goldsmith"}},
               {{store::FirstName, "Carl"}, {store::LastName, "Smithers"}, {store::Phone1, "555 0199"}}});
        // The notices, answered with OK, and the status bar while each is up.
        shell::SetModalAnswerer([this](QDialog& window) {
            auto* box = qobject_cast<shell::MessageWindow*>(&window);
            if (!box) return;
            notices << box->windowTitle() + u'|' + box->Text1->text();
            statusDuringNotice << panel(0) + u'|' + panel(1);
            QTest::mouseClick(box->BtnOK, Qt::LeftButton);
        });
    }
    void find(const QString& text, int item) {
        main().TxtFind->setText(text);
        main().CboSrchIn->setCurrentIndex(item);
        QTest::mouseClick(main().BtnFind, Qt::LeftButton);
    }
    void select(int row) { main().LstNames->setCurrentRow(row); }
    // The highlight's end, as the timer's tick brings it.
    void tick() { QMetaObject::invokeMethod(main().SearchResultTimer, "timeout"); }
    QString caption() {
        return main().BtnFind->text().remove(u'&') + u'|' + main().BtnFind->property("tag").toString();
    }
    // Labels in the found colour.
    QList<int> found() {
        QList<int> lit;
        for (int i = 0; i < 13; ++i)
            if (colour(i) == context().FoundColor) lit << i;
        return lit;
    }
    // Gives the window the focus, as the user's click on it would.
    void activate() {
        main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main()));
    }

    QStringList notices, statusDuringNotice;
};

TEST_F(FindWindowTest, findNextRunsOnAndWrapsToTheTopWithTheMatchedNameInRed) {
    select(3);  // Goldsmith
    find("SMITH", 0);
    EXPECT_EQ(main().LstNames->currentRow(), 4);
    EXPECT_EQ(main().CurrentRecNo(), "4");
    EXPECT_EQ(main().Label[0]->text(), "Smithers");
    EXPECT_EQ(found(), QList<int>{0});
    EXPECT_EQ(caption(), "Find Next|Find Next");
    EXPECT_EQ(panel(0), "");
    EXPECT_EQ(panel(1), " 5/ 5");
    EXPECT_TRUE(main().SearchResultTimer->isActive());
    EXPECT_TRUE(main().Menus().InUseTimer.isActive());
    EXPECT_FALSE(shell::PercentWindow().isVisible());
    EXPECT_TRUE(main().isEnabled());

    QTest::mouseClick(main().BtnFind, Qt::LeftButton);  // from the last entry: back at the top, to "Goldsmith"
    EXPECT_EQ(main().LstNames->currentRow(), 3);
    EXPECT_EQ(caption(), "Find Next|Find Next");
    EXPECT_TRUE(notices.isEmpty());
}

TEST_F(FindWindowTest, aTextOnlyInTheNotesIsFoundByAllFieldsAndLitUntilTheTimerTicks) {
    find("ORCHID", 1);  // company only
    EXPECT_EQ(notices, QStringList{"Can't find text|Can't find 'ORCHID'"});
    EXPECT_EQ(statusDuringNotice, QStringList{"Can't find 'ORCHID'| 1/ 5"});
    EXPECT_EQ(main().LstNames->currentRow(), 0);
    EXPECT_EQ(caption(), "Find|Find");
    EXPECT_EQ(panel(0), "");

    find("ORCHID", 3);  // all fields
    EXPECT_EQ(main().LstNames->currentRow(), 1);
    EXPECT_EQ(found(), QList<int>{12});
    tick();
    EXPECT_TRUE(found().isEmpty());
    EXPECT_EQ(colour(12), context().TextColor);
    EXPECT_FALSE(main().SearchResultTimer->isActive());

    find("0199", 3);  // a phone number lights the phone's label
    EXPECT_EQ(main().LstNames->currentRow(), 4);
    EXPECT_EQ(found(), QList<int>{8});
}

TEST_F(FindWindowTest, theOnlyMatchAlreadySelectedIsReportedAndTheButtonSaysFindAgain) {
    select(2);  // Evans
    find("evans", 0);
    EXPECT_EQ(notices, QStringList{"Can't find text|Can't find next 'evans'"});
    EXPECT_EQ(statusDuringNotice, QStringList{"Can't find 'evans' again| 3/ 5"});
    EXPECT_EQ(main().LstNames->currentRow(), 2);
    EXPECT_EQ(main().Label[0]->text(), "Evans");
    EXPECT_EQ(caption(), "Find|Find");
    EXPECT_EQ(panel(0), "");
    EXPECT_TRUE(main().Menus().InUseTimer.isActive());
}

TEST_F(FindWindowTest, aBlankTextSearchesNothing) {
    select(1);
    main().Label[12]->SetColour(context().FoundColor);
    find("   ", 3);
    EXPECT_TRUE(notices.isEmpty());
    EXPECT_TRUE(found().isEmpty());  // the old highlight goes all the same
    EXPECT_EQ(main().LstNames->currentRow(), 1);
    EXPECT_EQ(caption(), "Find|Find");
    EXPECT_TRUE(main().Menus().InUseTimer.isActive());
    EXPECT_TRUE(main().isEnabled());

    find("Bert ", 0);  // a trailing blank is part of the text
    EXPECT_EQ(notices, QStringList{"Can't find text|Can't find 'Bert '"});
}

TEST_F(FindWindowTest, withAFilterOnOnlyTheFilteredCardsAreSearched) {
    const QStringList& byName = cardStore().AllByName;
    cardStore().SetFilter({byName[0], byName[2], byName[4]});  // Brown, Evans, Smithers
    main().ShowLists(0);

    find("goldsmith", 0);
    EXPECT_EQ(notices, QStringList{"Can't find text|Can't find 'goldsmith'"});
    find("smith", 0);
    EXPECT_EQ(main().LstNames->currentRow(), 2);
    EXPECT_EQ(panel(1), " 3/ 3");
    EXPECT_EQ(main().Label[0]->text(), "Smithers");
}

TEST_F(FindWindowTest, theFindControlsDecideWhatEnterPressesAndWhatTheButtonSays) {
    activate();
    EXPECT_TRUE(main().BtnCopy->isDefault());
    EXPECT_FALSE(main().BtnFind->isDefault());

    main().TxtFind->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(main().BtnFind->isDefault());
    EXPECT_FALSE(main().BtnCopy->isDefault());
    QTest::keyClicks(main().TxtFind, "smith");
    QTest::keyClick(main().TxtFind, Qt::Key_Return);  // Enter while typing searches
    EXPECT_EQ(main().LstNames->currentRow(), 3);
    EXPECT_EQ(caption(), "Find Next|Find Next");
    EXPECT_EQ(QApplication::focusWidget(), main().TxtFind);  // the search hands the focus back
    QApplication::processEvents();
    EXPECT_EQ(found(), QList<int>{0});  // and the window's return to the front keeps the highlight
    QTest::keyClick(main().TxtFind, Qt::Key_Enter, Qt::KeypadModifier);  // and Enter finds the next one
    EXPECT_EQ(main().LstNames->currentRow(), 4);

    QTest::keyClick(main().TxtFind, Qt::Key_Backspace);  // a change of the text
    EXPECT_EQ(caption(), "Find|Find");
    QTest::keyClick(main().TxtFind, Qt::Key_Return);  // "smit": past the end, back to Goldsmith
    EXPECT_EQ(main().LstNames->currentRow(), 3);
    EXPECT_EQ(caption(), "Find Next|Find Next");
    main().LstNames->setFocus(Qt::TabFocusReason);  // leaving the text
    EXPECT_EQ(caption(), "Find|Find");
    EXPECT_TRUE(main().BtnCopy->isDefault());
    EXPECT_FALSE(main().BtnFind->isDefault());

    find("smith", 0);  // the button keeps the focus it took
    main().CboSrchIn->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(caption(), "Find Next|Find Next");
    EXPECT_TRUE(main().BtnCopy->isDefault());
    QTest::keyClick(main().CboSrchIn, Qt::Key_Down);  // the user's choice of fields
    EXPECT_EQ(main().CboSrchIn->currentIndex(), 1);
    EXPECT_EQ(caption(), "Find|Find");
    EXPECT_TRUE(main().BtnFind->isDefault());
    main().LstNames->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(main().BtnCopy->isDefault());
    EXPECT_FALSE(main().BtnFind->isDefault());

    // The refresh that preselects a field choice leaves Copy the default.
    main().CboSrchIn->setCurrentIndex(-1);
    main().SetData();
    EXPECT_EQ(main().CboSrchIn->currentIndex(), 0);
    EXPECT_TRUE(main().BtnCopy->isDefault());
}

}  // namespace
