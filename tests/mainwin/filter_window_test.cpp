#include "window_fixture.h"

#include "dialogs/filter_dialog.h"
#include "shell/progress_windows.h"

#include <QAction>
#include <QPlainTextEdit>

using dialogs::FilterDialog;

namespace {

// Five cards in name order: Brown (0), Dunn (1), Evans (2), Goldsmith (3), Smithers (4).
class FilterWindowTest : public FindCopyTest {
protected:
    void SetUp() override {
        FindCopyTest::SetUp();
        FilterDialog::Remembered() = {};
        start({{{store::FirstName, "Bert"}, {store::LastName, "Brown"}},
               {{store::FirstName, "Dora"}, {store::LastName, "Dunn"}, {store::Company, "Fair Ltd"}},
               {{store::FirstName, "Eve"}, {store::LastName, "Evans"}, {store::Notes, "two\r\nlines"}},
               {{store::FirstName, "Anna"}, {store::LastName, "Goldsmith"}, {store::Company, "Alpha"}},
               {{store::FirstName, "Carl"}, {store::LastName, "Smithers"}}});
    }
    FilterDialog& open() {
        QTest::mouseClick(main().BtnFilter, Qt::LeftButton);
        FilterDialog* dialog = FilterDialog::Current();
        EXPECT_NE(dialog, nullptr);
        EXPECT_FALSE(main().isEnabled());
        return *dialog;
    }
    // Opens the dialog, types the texts over what it shows and presses OK.
    void filter(const QString& first, const QString& last, const QString& notes = {}) {
        FilterDialog& dialog = open();
        dialog.TxtFirstName->setText(first);
        dialog.TxtLastName->setText(last);
        dialog.TxtNotes->setPlainText(notes);
        QTest::mouseClick(dialog.BtnOK, Qt::LeftButton);
        QApplication::processEvents();
    }
    void select(int row) { main().LstNames->setCurrentRow(row); }
    QStringList shown() {
        QStringList texts;
        for (int i = 0; i < main().LstNames->model()->rowCount(); ++i)
            texts << main().LstNames->model()->index(i, 0).data().toString();
        return texts;
    }
    void expectClosedAndBack() {
        EXPECT_EQ(FilterDialog::Current(), nullptr);
        EXPECT_FALSE(shell::PercentWindow().isVisible());
        EXPECT_TRUE(main().isEnabled());
        // Empty, or why the list is.
        EXPECT_TRUE(panel(0).isEmpty() || main().LstNames->model()->rowCount() == 0) << panel(0).toStdString();
    }
    bool onMarked() { return main().Menus().MnuFilterArray[0]->isChecked(); }
};

TEST_F(FilterWindowTest, okWithTextsShowsTheMatchingCardsFromTheFirstAndSaysFilterOn) {
    select(2);
    filter("", "SMITH");
    expectClosedAndBack();
    EXPECT_EQ(shown(), (QStringList{"Goldsmith, Anna", "Smithers, Carl"}));
    EXPECT_EQ(main().LstNames->currentRow(), 0);
    EXPECT_EQ(panel(3), "Filter - ON");
    EXPECT_TRUE(onMarked());

    filter("", "", "TWO\nlines");  // a line break typed in the notes matches a stored one
    EXPECT_EQ(shown(), QStringList{"Evans, Eve"});
}

TEST_F(FilterWindowTest, okWithOnlyBlankTextsLeavesOrTurnsTheFilterOffKeepingTheCard) {
    const struct {
        const char* what;
        bool filteredFirst;
        QString first;
    } cases[] = {{"empty while off", false, ""},
                 {"blanks alone while off", false, "   "},
                 {"cleared while on", true, ""},
                 {"blanks while on", true, "  "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.filteredFirst) {
            filter("", "smith");
            select(1);  // Smithers
        } else {
            select(4);
        }
        filter(c.first, "");
        expectClosedAndBack();
        EXPECT_EQ(main().LstNames->model()->rowCount(), 5);
        EXPECT_EQ(main().LstNames->currentRow(), 4);
        EXPECT_EQ(panel(3), "Filter - OFF");
        EXPECT_FALSE(onMarked());
    }
}

TEST_F(FilterWindowTest, aTextNoCardHoldsTurnsTheFilterOnWithAnEmptyList) {
    filter("Zed", "");
    expectClosedAndBack();
    EXPECT_EQ(main().LstNames->model()->rowCount(), 0);
    EXPECT_EQ(panel(3), "Filter - ON");
    EXPECT_FALSE(main().BtnEdit->isEnabled());
    EXPECT_FALSE(main().BtnDelete->isEnabled());
    const QString said = QStringLiteral("No card matches the filter \u2014 double-click Filter - ON to show all");
    EXPECT_EQ(panel(0), said);
    EXPECT_TRUE(main().EmptyListHint->isVisible());
    EXPECT_EQ(main().EmptyListHint->text(), said);
    EXPECT_TRUE(main().BtnDial->isEnabled());  // a number can still be typed
    main().Menus().MnuFilterArray[1]->trigger();
    EXPECT_FALSE(main().EmptyListHint->isVisible());
}

TEST_F(FilterWindowTest, cancelKeepsTheTextsAndTheListAndTheNextOpeningShowsTheLastTexts) {
    filter("", "smith");
    FilterDialog& dialog = open();
    EXPECT_EQ(dialog.TxtLastName->text(), "smith");
    dialog.TxtLastName->setText("brown");
    dialog.TxtTitle->setText("boss");
    QTest::mouseClick(dialog.BtnCancel, Qt::LeftButton);
    QApplication::processEvents();
    expectClosedAndBack();
    EXPECT_EQ(main().LstNames->model()->rowCount(), 2);
    FilterDialog& again = open();
    EXPECT_EQ(again.TxtLastName->text(), "smith");
    EXPECT_EQ(again.TxtTitle->text(), "");
    QTest::mouseClick(again.BtnCancel, Qt::LeftButton);
}

TEST_F(FilterWindowTest, theMenusAndTheStatusPanelOpenTheDialogOrTurnTheFilterOff) {
    main().Menus().MnuFilterArray[0]->trigger();  // "Filter - ON"
    ASSERT_NE(FilterDialog::Current(), nullptr);
    FilterDialog::Current()->TxtCompany->setText("a");
    QTest::mouseClick(FilterDialog::Current()->BtnOK, Qt::LeftButton);
    EXPECT_EQ(shown(), (QStringList{"Dunn, Dora", "Goldsmith, Anna"}));

    main().Menus().MnuFilterArray[1]->trigger();  // "Filter - OFF"
    EXPECT_EQ(main().LstNames->model()->rowCount(), 5);
    EXPECT_EQ(panel(3), "Filter - OFF");

    const QPoint status = main().StatBar->panel(3)->geometry().center();
    QTest::mouseDClick(main().StatBar, Qt::LeftButton, {}, status);
    ASSERT_NE(FilterDialog::Current(), nullptr);
    QTest::mouseClick(FilterDialog::Current()->BtnOK, Qt::LeftButton);  // the same texts again
    EXPECT_EQ(panel(3), "Filter - ON");
    QTest::mouseDClick(main().StatBar, Qt::LeftButton, {}, status);
    EXPECT_EQ(FilterDialog::Current(), nullptr);
    EXPECT_EQ(panel(3), "Filter - OFF");

    filter("", "smith");
    QTest::mouseClick(main().BtnFilter, Qt::LeftButton, Qt::ShiftModifier);  // off, without the dialog
    EXPECT_EQ(FilterDialog::Current(), nullptr);
    EXPECT_EQ(main().LstNames->model()->rowCount(), 5);
    EXPECT_EQ(panel(3), "Filter - OFF");
}

TEST_F(FilterWindowTest, cardsAddedEditedDeletedAndRestoredWhileFilteredFollowTheFilter) {
    filter("", "smith");
    store::CardStore& s = *context().Store;
    store::Card f;
    f[store::FirstName] = "Abe", f[store::LastName] = "Blacksmith";
    const QString added = s.AddCard(f);
    store::Card current = s.ReadCard("4"), typed = current;
    typed[store::LastName] = "Jones";
    s.ChangeCard("4", current, typed);
    s.DeleteCard("3");
    main().SetData();
    EXPECT_EQ(shown(), QStringList{"Blacksmith, Abe"});
    s.RestoreCard("3");
    main().SetData();
    EXPECT_EQ(shown(), (QStringList{"Blacksmith, Abe", "Goldsmith, Anna"}));
    EXPECT_EQ(panel(1), " 1/ 2");
    EXPECT_EQ(added, "5");
}

TEST_F(FilterWindowTest, aCardFileThatCannotBeReadIsReportedAndTheListStaysAsItWas) {
    QStringList notices;
    shell::SetModalAnswerer([&](QDialog& window) {
        notices << window.windowTitle();
        window.reject();
    });
    select(2);
    ASSERT_TRUE(QFile::remove(cardsDir() + "tesly0.dat"));
    ASSERT_TRUE(QDir().mkdir(cardsDir() + "tesly0.dat"));  // a folder in its place
    filter("", "smith");
    ASSERT_FALSE(notices.isEmpty());
    EXPECT_EQ(notices.first(), "Read Error");  // then the details, which cannot be read either
    expectClosedAndBack();
    EXPECT_EQ(main().LstNames->model()->rowCount(), 5);
    EXPECT_EQ(main().LstNames->currentRow(), 2);
    EXPECT_EQ(panel(3), "Filter - OFF");
}

}  // namespace
