#include "card_dialog_fixture.h"

#include "shell/placement.h"
#include "shell/twips.h"

#include <QLineEdit>
#include <QScreen>

namespace {

using NewDialogTest = CardDialogTest;

const QStringList kPlaceholderBoxes = {"Mr.", "First Name",      "Last Name", "", "", "", "", "",
                                       "",    "ZIP/Postal code", "Country",   "", "", "", "", ""};

QStringList boxTexts(const CardForm& d) {
    const store::Card f = d.BoxTexts();
    return QStringList(f.begin(), f.end());
}

TEST_F(NewDialogTest, newShowsThePlaceholdersAndEmptiesTheRestAlsoAfterADuplicate) {
    startWith({fullCard()});
    dialogs::OpenDuplicateDialog(context(), main().Selected());
    NewDialog* duplicate = NewDialog::Current();
    ASSERT_NE(duplicate, nullptr);
    EXPECT_EQ(duplicate->windowTitle(), "New Name - Duplicate");
    EXPECT_EQ(duplicate->BoxTexts(), fullCard());

    NewDialog& d = openNew();
    EXPECT_EQ(&d, duplicate);  // the open dialog is prepared again, not a second one
    EXPECT_EQ(d.windowTitle(), "New Name");
    EXPECT_EQ(boxTexts(d), kPlaceholderBoxes);
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(main().isEnabled());
    EXPECT_TRUE(d.BtnOK->isDefault());

    // The form as laid out: sixteen boxes in Frame1, the notes box taking several lines.
    ASSERT_NE(d.findChild<QPlainTextEdit*>("TxtBox(15)"), nullptr);
    EXPECT_EQ(d.findChildren<QLineEdit*>().size(), 15);
    EXPECT_EQ(d.TxtBox[9]->parentWidget(), d.Frame1);
    EXPECT_EQ(d.TxtBox[9]->geometry(), shell::ToPixels(QRect(2520, 2400, 1575, 285)));
    EXPECT_EQ(d.TxtBox[15]->geometry(), shell::ToPixels(QRect(960, 4560, 3135, 495)));
    EXPECT_EQ(d.BtnCancel->geometry(), shell::ToPixels(QRect(2460, 5580, 1215, 375)));

    // While active the first panel shows the caption.
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    EXPECT_EQ(main().StatBar->text(0), "New Name");
}

TEST_F(NewDialogTest, aCompanyOnlyCardDropsTheSalutationAndIsSelected) {
    start({{"Ann", "Able", ""}, {"Zed", "Zulu", ""}});
    NewDialog& d = openNew();
    d.SetBoxText(store::Company, "Acme");
    d.SetBoxText(store::Phone1, "555 1234");
    ok(d);

    const store::Card f = stored("2");
    for (int i : {store::Sal, store::FirstName, store::LastName, store::Address5, store::Address6})
        EXPECT_EQ(f[i], "") << i;
    EXPECT_EQ(f[store::Company], "Acme");
    EXPECT_EQ(f[store::Phone1], "555 1234");
    EXPECT_EQ(header("TotalNoOfRecords"), "3");
    EXPECT_EQ(header("NoOfRecords"), "3");

    EXPECT_EQ(main().CurrentRecNo(), "2");
    EXPECT_EQ(main().LstNames->currentIndex().data(Qt::UserRole).toInt(), 2);
    EXPECT_EQ(listTexts(), cardStore().AllNames);
    EXPECT_EQ(shell::PleaseWaitWindow().Lbl1->text(), "Please wait while inserting new record");
    EXPECT_TRUE(main().Menus().InUseTimer.isActive());
    expectUnloaded();
    EXPECT_EQ(faults(), QStringList());
}

TEST_F(NewDialogTest, newCardsTakeTheirPlaceFirstLastAndBesideAnEqualName) {
    start({{"Bob", "Baker", ""}, {"Dan", "Dunn", ""}});
    const QList<std::array<QString, 2>> added = {{"Adam", "Aaron"}, {"Zoe", "Zimmer"}, {"Bob", "Baker"}};
    const QList<int> expectedRow = {0, 3, 1};  // the equal name goes before or after its twin, beside it
    for (int k = 0; k < added.size(); ++k) {
        NewDialog& d = openNew();
        d.SetBoxText(store::FirstName, added[k][0]);
        d.SetBoxText(store::LastName, added[k][1]);
        ok(d);
        settle();
        const QString n = QString::number(2 + k);
        EXPECT_EQ(main().CurrentRecNo(), n);
        EXPECT_EQ(stored(n)[store::Sal], "Mr.");
        EXPECT_EQ(listTexts(), cardStore().AllNames);
        const int row = main().LstNames->currentRow();
        if (k < 2)
            EXPECT_EQ(row, expectedRow[k]);
        else
            EXPECT_TRUE(row == 1 || row == 2) << row;
    }
    EXPECT_EQ(listTexts(), QStringList({"Aaron, Adam", "Baker, Bob", "Baker, Bob", "Dunn, Dan", "Zimmer, Zoe"}));
    EXPECT_EQ(faults(), QStringList());
}

TEST_F(NewDialogTest, placeholderTextsInOtherLetterCaseAreStoredAsTyped) {
    start({});
    NewDialog& d = openNew();
    d.SetBoxText(store::FirstName, "first name");
    d.SetBoxText(store::Address6, "COUNTRY");
    ok(d);
    const store::Card f = stored("0");
    EXPECT_EQ(f[store::FirstName], "first name");
    EXPECT_EQ(f[store::LastName], "");
    EXPECT_EQ(f[store::Address5], "");
    EXPECT_EQ(f[store::Address6], "COUNTRY");
    EXPECT_EQ(f[store::Sal], "Mr.");
    EXPECT_EQ(faults(), QStringList());
}

TEST_F(NewDialogTest, okWithoutNameAndCompanyIsRefusedAndTheDialogStaysAsItWas) {
    start({{"Ann", "Able", ""}});
    const QByteArray before = cardFiles();
    QString text;
    bool timerRan = true;
    bool oneButton = false;
    shell::SetModalAnswerer([&](QDialog& window) {
        auto& box = dynamic_cast<shell::MsgBoxSnglTxt&>(window);
        text = box.Text1->text();
        asked << box.windowTitle();
        oneButton = box.BtnOK->text() == "OK" && !box.BtnCancel->isVisible() && box.Exclamation->isVisible();
        timerRan = main().Menus().InUseTimer.isActive();
        QTest::mouseClick(box.BtnOK, Qt::LeftButton);
    });

    // Untouched placeholders count as empty names.
    NewDialog& d = openNew();
    d.SetBoxText(store::Title, "Boss");
    ok(d);
    EXPECT_EQ(asked, QStringList({"Empty Name and Company"}));
    EXPECT_EQ(text, "Either Name or Company must be filled");
    EXPECT_TRUE(oneButton);
    EXPECT_FALSE(timerRan);                             // paused while the card is checked...
    EXPECT_TRUE(main().Menus().InUseTimer.isActive());  // ...and running again after
    QStringList expected = kPlaceholderBoxes;
    expected[store::Title] = "Boss";
    EXPECT_EQ(boxTexts(d), expected);
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(main().isEnabled());

    // The dialog still works: a name now goes through.
    d.SetBoxText(store::LastName, "Baker");
    ok(d);
    EXPECT_EQ(asked.size(), 1);
    EXPECT_EQ(stored("1")[store::Title], "Boss");
    EXPECT_NE(cardFiles(), before);
    expectUnloaded();
}

TEST_F(NewDialogTest, aDuplicateIsStoredUnderANewRecordNumber) {
    startWith({fullCard()});
    dialogs::OpenDuplicateDialog(context(), main().Selected());
    ok(*NewDialog::Current());
    EXPECT_EQ(stored("1"), fullCard());
    EXPECT_EQ(stored("0"), fullCard());
    EXPECT_EQ(main().CurrentRecNo(), "1");
    EXPECT_EQ(main().LstNames->model()->rowCount(), 2);
    expectUnloaded();
    EXPECT_EQ(faults(), QStringList());
}

TEST_F(NewDialogTest, withTheFilterOnANewCardItHidesLeavesTheFirstEntrySelected) {
    start({{"Ann", "Able", ""}, {"Bob", "Baker", ""}, {"Cy", "Cole", ""}});
    store::CardStore& s = cardStore();
    s.FilterMatch = [](const QString& n) { return n != "3"; };  // the card about to be added does not pass
    s.SetFilter({"1", "2"});
    main().ShowLists(1);

    NewDialog& d = openNew();
    d.SetBoxText(store::LastName, "Aaron");
    ok(d);
    EXPECT_EQ(header("NoOfRecords"), "4");
    EXPECT_EQ(main().LstNames->currentRow(), 0);
    EXPECT_EQ(main().CurrentRecNo(), "1");
    EXPECT_EQ(listTexts(), QStringList({"Baker, Bob", "Cole, Cy"}));
    expectUnloaded();
    EXPECT_EQ(faults(), QStringList());

    // A filter that shows no card leaves nothing to duplicate or edit.
    s.SetFilter({});
    main().SetData();
    dialogs::OpenDuplicateDialog(context(), main().Selected());
    dialogs::OpenEditDialog(context(), main().Selected());
    EXPECT_EQ(NewDialog::Current(), nullptr);
    EXPECT_EQ(EditDialog::Current(), nullptr);
    EXPECT_TRUE(main().isEnabled());
}

TEST_F(NewDialogTest, typingReplacesTheFocusedBoxAndEnterAddsTheCard) {
    start({});
    NewDialog& d = openNew();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    auto* last = static_cast<QLineEdit*>(d.TxtBox[store::LastName]);
    QTest::mouseClick(last, Qt::LeftButton, {}, QPoint(4, last->height() / 2));
    QCoreApplication::processEvents();
    EXPECT_EQ(last->selectedText(), "Last Name");
    QTest::keyClicks(last, "Smith");
    EXPECT_EQ(last->text(), "Smith");

    // Enter in the notes starts a new line; in a one-line box it presses OK.
    auto* notes = static_cast<QPlainTextEdit*>(d.TxtBox[store::Notes]);
    notes->setFocus();
    QTest::keyClicks(notes, "one");
    QTest::keyClick(notes, Qt::Key_Return);
    QTest::keyClicks(notes, "two\tthree");
    EXPECT_TRUE(d.isVisible());
    QTest::keyClick(last, Qt::Key_Return);
    EXPECT_EQ(stored("0")[store::LastName], "Smith");
    EXPECT_EQ(stored("0")[store::Notes],
              "one\r\ntwothree");  // Tab moved on instead of typing; CR LF as the sibling writes
    expectUnloaded();
}

TEST_F(NewDialogTest, cancelAndEscapeWriteNothingAndEnableTheMainWindow) {
    start({{"Ann", "Able", ""}});
    const QByteArray before = cardFiles();
    NewDialog& d = openNew();
    d.SetBoxText(store::LastName, "Baker");
    QTest::mouseClick(d.BtnCancel, Qt::LeftButton);
    expectUnloaded();

    NewDialog& again = openNew();
    EXPECT_EQ(again.BoxText(store::LastName), "Last Name");  // a fresh dialog
    again.SetBoxText(store::LastName, "Baker");
    QTest::keyClick(again.TxtBox[store::LastName], Qt::Key_Escape);
    expectUnloaded();

    dialogs::OpenDuplicateDialog(context(), main().Selected());
    NewDialog::Current()->close();
    expectUnloaded();
    EXPECT_EQ(cardFiles(), before);
    EXPECT_EQ(main().LstNames->model()->rowCount(), 1);
}

TEST_F(NewDialogTest, theDialogOpensBesideTheMainWindowsTopRightCorner) {
    start({});
    const QSize screen = shell::ScreenTwips(&main()).size();
    // Where the rule puts the dialog's outer corner, from its outer size.
    auto expectPlacedByRule = [&](const CardForm& d) {
        const QSize size = shell::WindowTwips(&d).size();
        const QPoint rule = shell::TopRightOf(shell::WindowTwips(&main()), size, screen);
        const QPoint placed = shell::ToTwips(QRect(d.pos(), QSize())).topLeft();
        EXPECT_NEAR(placed.x(), rule.x(), 15);
        EXPECT_NEAR(placed.y(), rule.y(), 15);
        return rule;
    };
    shell::MoveWindowTwips(&main(), {3000, 2000});
    const QRect m = shell::WindowTwips(&main());
    const QPoint open = expectPlacedByRule(openNew());
    EXPECT_EQ(open.y(), m.top() + 150);  // in the open: no correction
    NewDialog::Current()->close();
    settle();

    // From the bottom-right corner of the screen it is pulled back on the screen.
    shell::MoveWindowTwips(&main(), {screen.width() - 1500, screen.height() - 900});
    dialogs::OpenEditDialog(context(), main().Selected());  // no card: nothing opens
    dialogs::OpenDuplicateDialog(context(), main().Selected());
    EXPECT_EQ(EditDialog::Current(), nullptr);
    EXPECT_EQ(NewDialog::Current(), nullptr);
    const QPoint corner = expectPlacedByRule(openNew());
    EXPECT_LE(corner.y(), screen.height() - 6135 - 300);
    EXPECT_LE(corner.x(), screen.width() - 4635 - 150);
}

}  // namespace
