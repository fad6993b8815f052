#include "../support/read_only_folder.h"
#include "card_dialog_fixture.h"

namespace {

using EditDialogTest = CardDialogTest;

TEST_F(EditDialogTest, editingTheTitleRewritesTheCardInPlace) {
    start({{"Ann", "Able", ""}, {"Bob", "Baker", "Acme"}, {"Cy", "Cole", ""}});
    main().LstNames->setCurrentRow(1);
    const QStringList list = listTexts();
    EditDialog& d = openEdit();
    EXPECT_EQ(d.windowTitle(), "Edit Name");
    EXPECT_EQ(d.BoxTexts(), main().CurrentCard());
    EXPECT_EQ(d.BoxText(store::Company), "Acme");
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    EXPECT_EQ(main().StatBar->text(0), "Edit Name");

    d.SetBoxText(store::Title, "Manager");
    d.SetBoxText(store::Address2, "High Street 1");
    ok(d);
    EXPECT_EQ(stored("1")[store::Title], "Manager");
    EXPECT_EQ(stored("1")[store::Address2], "High Street 1");
    EXPECT_EQ(main().CurrentRecNo(), "1");
    EXPECT_EQ(main().LstNames->currentRow(), 1);
    EXPECT_EQ(listTexts(), list);
    EXPECT_EQ(main().Label[1]->text(), "Manager");  // the details show the card as stored
    EXPECT_EQ(shell::PleaseWaitWindow().Lbl1->text(), "Please wait while setting record");
    EXPECT_EQ(header("TotalNoOfRecords"), "3");
    EXPECT_TRUE(main().Menus().InUseTimer.isActive());
    expectUnloaded();
    EXPECT_EQ(faults(), QStringList());
}

TEST_F(EditDialogTest, editingTheLastNameMovesTheCardAndLeavesTheDeletedCardsAlone) {
    preferences();
    cards({{"Ann", "Able", ""}, {"Bob", "Baker", ""}, {"Cy", "Cole", ""}, {"Di", "Dow", ""}});
    {
        profile::CachedProfile p;
        store::CardStore s(p, cardsDir());
        s.LoadLists();
        s.DeleteCard("1");
    }
    ASSERT_TRUE(app::Main(context()));
    ASSERT_EQ(header("DelNoOfRecords"), "1");
    main().LstNames->setCurrentRow(0);  // Able, Ann: card 0
    EditDialog& d = openEdit();
    d.SetBoxText(store::LastName, "Ebert");
    ok(d);

    EXPECT_EQ(listTexts(), QStringList({"Cole, Cy", "Dow, Di", "Ebert, Ann"}));
    EXPECT_EQ(main().LstNames->currentRow(), 2);
    EXPECT_EQ(main().CurrentRecNo(), "0");
    EXPECT_EQ(stored("0")[store::LastName], "Ebert");
    EXPECT_EQ(stored("0")[store::Sal], "Mr.");
    EXPECT_EQ(header("DelNoOfRecords"), "1");
    EXPECT_EQ(header("DelFirstRecord"), "1");
    EXPECT_EQ(header("TotalNoOfRecords"), "4");
    EXPECT_EQ(cardStore().DeletedCount, 1);
    EXPECT_EQ(listTexts(), cardStore().AllNames);
    expectUnloaded();
    EXPECT_EQ(faults(), QStringList());
}

TEST_F(EditDialogTest, notesWithLineBreaksAreStoredExactlyAndShownBack) {
    start({{"Ann", "Able", ""}});
    const QString notes = QStringLiteral("Call after 5\n\nkey=value\n[Section]\n  trailing  ");
    EditDialog& d = openEdit();
    d.SetBoxText(store::Notes, notes);
    ok(d);
    settle();
    EXPECT_EQ(stored("0")[store::Notes], notes);
    EXPECT_EQ(stored("0")[store::FirstName], "Ann");
    EXPECT_EQ(openEdit().BoxText(store::Notes), notes);
    EXPECT_EQ(faults(), QStringList());
}

TEST_F(EditDialogTest, emptyingNameAndCompanyIsRefused) {
    start({{"Ann", "Able", ""}});
    const QByteArray before = cardFiles();
    answerMessages(true);
    EditDialog& d = openEdit();
    d.SetBoxText(store::FirstName, "");
    d.SetBoxText(store::LastName, "");
    ok(d);
    EXPECT_EQ(asked, QStringList({"Empty Name and Company"}));
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.BoxText(store::LastName), "");
    EXPECT_EQ(d.BoxText(store::Sal), "Mr.");
    EXPECT_EQ(cardFiles(), before);
    EXPECT_TRUE(main().Menus().InUseTimer.isActive());
}

TEST_F(EditDialogTest, okIsDisabledWhileTheFileIsInUse) {
    start({{"Ann", "Able", ""}});
    context().InUse = true;
    EditDialog& edit = openEdit();
    EXPECT_FALSE(edit.BtnOK->isEnabled());
    context().InUse = false;
    dialogs::SetCardDialogsEditState(false);
    EXPECT_TRUE(edit.BtnOK->isEnabled());

    NewDialog& add = openNew();
    EXPECT_TRUE(add.BtnOK->isEnabled());
    dialogs::SetCardDialogsEditState(true);
    EXPECT_FALSE(add.BtnOK->isEnabled());
    EXPECT_FALSE(edit.BtnOK->isEnabled());
    const QByteArray before = cardFiles();
    add.SetBoxText(store::LastName, "Baker");
    QTest::keyClick(add.TxtBox[store::LastName], Qt::Key_Return);  // Enter cannot press it either
    EXPECT_EQ(cardFiles(), before);
    EXPECT_TRUE(add.isVisible());
}

TEST_F(EditDialogTest, escapeWritesNothingAndEnablesTheMainWindow) {
    start({{"Ann", "Able", ""}});
    const QByteArray before = cardFiles();
    EditDialog& d = openEdit();
    EXPECT_FALSE(main().isEnabled());
    d.SetBoxText(store::LastName, "Baker");
    QTest::keyClick(d.TxtBox[store::Title], Qt::Key_Escape);
    expectUnloaded();
    EXPECT_EQ(cardFiles(), before);
    EXPECT_EQ(main().CurrentCard()[store::LastName], "Able");
}

TEST_F(EditDialogTest, aRefusedWriteIsReportedAndTheProgramCarriesOn) {
    start({{"Ann", "Able", ""}, {"Bob", "Baker", ""}});
    main().LstNames->setCurrentRow(1);
    EditDialog& d = openEdit();
    d.SetBoxText(store::LastName, "Abbot");
    answerMessages(true);
    {
        ReadOnlyFolder locked(cardsDir());
        if (!locked.refusesWrites()) GTEST_SKIP() << "this file system cannot refuse writes to root";
        ok(d);
    }
    EXPECT_EQ(asked, QStringList({"Write Error"}));
    expectUnloaded();
    EXPECT_EQ(stored("1")[store::LastName], "Baker");
    EXPECT_EQ(listTexts(), cardStore().AllNames);
    EXPECT_EQ(faults(), QStringList());
    EXPECT_TRUE(main().Menus().InUseTimer.isActive());
}

}  // namespace

namespace {

// Another program changes the card while its Edit window is open: OK shows both versions and the
// person keeps theirs or the other program's; nothing is written over unseen.
class EditConflictTest : public CardDialogTest, public ::testing::WithParamInterface<bool> {};

TEST_P(EditConflictTest, aCardChangedMeanwhileIsNeverOverwrittenUnasked) {
    const bool keepMine = GetParam();
    start({{"Ann", "Able", ""}, {"Bob", "Baker", ""}});
    main().LstNames->setCurrentRow(1);
    EditDialog& d = openEdit();
    {
        profile::CachedProfile p;
        p.write(cardsDir() + "tesly0.dat", "Record1", "Phone1", "555 0777");
    }
    d.SetBoxText(store::Title, "Manager");
    QString shown;
    shell::SetModalAnswerer([&](QDialog& window) {
        auto* box = qobject_cast<shell::MessageWindow*>(&window);
        ASSERT_NE(box, nullptr);
        shown = box->Text1->text();
        QTest::mouseClick(keepMine ? box->BtnOK : box->BtnCancel, Qt::LeftButton);
    });
    ok(d);
    settle();
    EXPECT_TRUE(shown.contains("Phone1: 555 0777 | (empty)")) << shown.toStdString();
    EXPECT_EQ(stored("1")[store::Title], keepMine ? "Manager" : "");
    EXPECT_EQ(stored("1")[store::Phone1], keepMine ? "" : "555 0777");
    EXPECT_EQ(faults(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(KeepMineOrTheirs, EditConflictTest, ::testing::Bool());

}  // namespace
