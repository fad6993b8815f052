#include "app_fixture.h"

#include "dialogs/delete_dialog.h"
#include "dialogs/dialog_openers.h"
#include "dialogs/restore_dialog.h"

#include <QAction>
#include <QLabel>

namespace {

class DeleteRestoreTest : public AppTest {
protected:
    void start(bool companyView = false) {
        preferences(companyView ? "Show=1\n" : "");
        cards({{"Ann", "Adams", "Zeta"},
               {"Bob", "Brown", "Young"},
               {"Cy", "Cole", "Xeno"},
               {"Di", "Dunn", "Wolf"},
               {"Ed", "Eden", "Vale"}});
        ASSERT_TRUE(app::Main(context()));
    }
    void TearDown() override {
        shell::SetPopupAnswerer({});
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<dialogs::RestoreDialog*>(w) || qobject_cast<dialogs::DeleteDialog*>(w)) delete w;
        AppTest::TearDown();
    }
    QStringList listTexts() {
        QStringList texts;
        for (int i = 0; i < main().LstNames->model()->rowCount(); ++i)
            texts << main().LstNames->model()->index(i, 0).data().toString();
        return texts;
    }
    // Whether the list's menu offers "Restore Deleted Record" right now.
    bool restoreOffered() {
        bool enabled = false;
        shell::SetPopupAnswerer([&](QMenu&) { enabled = main().Menus().MnuExchangeArray[3]->isEnabled(); });
        QTest::mousePress(main().LstNames->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        shell::SetPopupAnswerer({});
        return enabled;
    }
};

TEST_F(DeleteRestoreTest, deletingThroughTheDialogAsksFirstAndSelectsTheLineAbove) {
    start();
    const QString copy = copyOfCards();
    main().LstNames->setCurrentRow(2);  // Cole, Cy = card 2
    QTest::mouseClick(main().BtnDelete, Qt::LeftButton);
    dialogs::DeleteDialog* dialog = dialogs::DeleteDialog::Current();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(main().isEnabled());
    EXPECT_EQ(dialog->LblName->text(), "Cy Cole");
    EXPECT_EQ(dialog->LblCompany->text(), "Xeno");
    QTest::mouseClick(dialog->BtnOK, Qt::LeftButton);
    flushDeletes();
    EXPECT_EQ(listTexts(), (QStringList{"Adams, Ann", "Brown, Bob", "Dunn, Di", "Eden, Ed"}));
    EXPECT_EQ(main().LstNames->currentRow(), 1);
    EXPECT_EQ(main().CurrentRecNo(), "1");
    EXPECT_TRUE(main().isEnabled());
    EXPECT_EQ(header(QStringLiteral("DelFirstRecord")), "2");
    EXPECT_EQ(checkFile(), QStringList());
    cli(copy, {QStringLiteral("delete"), QStringLiteral("2")});
    expectSameCards(cardsDir(), copy);
}

TEST_F(DeleteRestoreTest, cancellingTheDialogChangesNothing) {
    start();
    const QByteArray before = home.bytes(QStringLiteral("cards/tesly0.dat"));
    QTest::mouseClick(main().BtnDelete, Qt::LeftButton);
    QTest::mouseClick(dialogs::DeleteDialog::Current()->BtnCancel, Qt::LeftButton);
    flushDeletes();
    EXPECT_EQ(dialogs::DeleteDialog::Current(), nullptr);
    EXPECT_TRUE(main().isEnabled());
    EXPECT_EQ(home.bytes(QStringLiteral("cards/tesly0.dat")), before);
}

TEST_F(DeleteRestoreTest, shiftPressDeletesAtOnceAndTheFirstLineStaysFirst) {
    start();
    QTest::mousePress(main().BtnDelete, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(dialogs::DeleteDialog::Current(), nullptr);
    EXPECT_EQ(listTexts().first(), "Brown, Bob");
    EXPECT_EQ(main().LstNames->currentRow(), 0);
    main().Menus().MnuDeleteArray[1]->trigger();  // "Delete with no confirmation !"
    EXPECT_EQ(listTexts(), (QStringList{"Cole, Cy", "Dunn, Di", "Eden, Ed"}));
    EXPECT_EQ(header(QStringLiteral("DelNoOfRecords")), "2");
    EXPECT_EQ(checkFile(), QStringList());
}

TEST_F(DeleteRestoreTest, deletingTheLastCardLeavesAnEmptyWindow) {
    preferences();
    cards({{"Only", "One", ""}});
    ASSERT_TRUE(app::Main(context()));
    dialogs::DeleteNoConfirm(context(), main().Selected());
    EXPECT_EQ(main().LstNames->model()->rowCount(), 0);
    EXPECT_FALSE(main().LstNames->isEnabled());
    EXPECT_EQ(header(QStringLiteral("NameFirstRecord")), "");
    EXPECT_EQ(header(QStringLiteral("NoOfRecords")), "0");
    EXPECT_EQ(checkFile(), QStringList());
}

TEST_F(DeleteRestoreTest, restoreIsOfferedOnlyWithDeletedCardsAndTheFileToOurselves) {
    start();
    EXPECT_FALSE(restoreOffered());
    dialogs::DeleteNoConfirm(context(), main().Selected());
    EXPECT_TRUE(restoreOffered());
    context().InUse = true;
    EXPECT_FALSE(restoreOffered());
}

TEST_F(DeleteRestoreTest, aCardFromTheMiddleOfTheDeletedListComesBackInItsPlace) {
    start(true);  // company view: the deleted list shows company texts, sorted
    for (const char* rec : {"0", "3", "4"}) {
        const int row = cardStore().ListPosition(QString::fromLatin1(rec));
        main().LstNames->setCurrentRow(row);
        dialogs::DeleteNoConfirm(context(), main().Selected());
    }
    const QString copy = copyOfCards();
    dialogs::LoadDeletedList(context());
    dialogs::RestoreDialog* window = dialogs::RestoreDialog::Current();
    ASSERT_NE(window, nullptr);
    QStringList deleted;
    for (int i = 0; i < window->DelLstNames->model()->rowCount(); ++i)
        deleted << window->DelLstNames->model()->index(i, 0).data().toString();
    EXPECT_EQ(deleted, (QStringList{"( Vale )", "( Wolf )", "( Zeta )"}));
    EXPECT_EQ(window->Label[0]->text(), "Mr. Eden");  // the first one's details
    const QString selectedBefore = main().CurrentRecNo();

    window->DelLstNames->setCurrentRow(1);  // Wolf = card 3, in the middle of the deleted chain
    EXPECT_EQ(window->RestoreRecNo, "3");
    EXPECT_EQ(window->Label[2]->text(), "Wolf");
    EXPECT_EQ(main().CurrentRecNo(), selectedBefore);  // the main window's card is untouched
    QTest::mouseClick(window->BtnRestore, Qt::LeftButton);
    flushDeletes();
    EXPECT_EQ(dialogs::RestoreDialog::Current(), nullptr);
    EXPECT_EQ(main().LstNames->currentIndex().data().toString(), "( Wolf )");
    EXPECT_EQ(main().CurrentRecNo(), "3");
    EXPECT_EQ(header(QStringLiteral("DelNoOfRecords")), "2");
    EXPECT_TRUE(main().Menus().InUseTimer.isActive());
    EXPECT_EQ(checkFile(), QStringList());
    cli(copy, {QStringLiteral("restore"), QStringLiteral("3")});
    expectSameCards(cardsDir(), copy);
}

TEST_F(DeleteRestoreTest, cancellingTheRestoreWindowKeepsTheSelection) {
    start();
    dialogs::DeleteNoConfirm(context(), main().Selected());
    main().LstNames->setCurrentRow(2);
    dialogs::LoadDeletedList(context());
    ASSERT_NE(dialogs::RestoreDialog::Current(), nullptr);
    QTest::mouseClick(dialogs::RestoreDialog::Current()->BtnCancel, Qt::LeftButton);
    flushDeletes();
    EXPECT_TRUE(main().isEnabled());
    EXPECT_EQ(main().LstNames->currentRow(), 2);
    EXPECT_EQ(main().Label[0]->text(), "Mr. Dunn");
}

TEST_F(DeleteRestoreTest, whileTheFileIsInUseTheDialogsCannotChangeIt) {
    start();
    dialogs::DeleteNoConfirm(context(), main().Selected());
    QTest::mouseClick(main().BtnDelete, Qt::LeftButton);
    dialogs::LoadDeletedList(context());
    context().InUse = true;
    main().SetEditState();
    EXPECT_FALSE(dialogs::DeleteDialog::Current()->BtnOK->isEnabled());
    EXPECT_FALSE(dialogs::RestoreDialog::Current()->BtnRestore->isEnabled());
    context().InUse = false;
    main().SetEditState();
    EXPECT_TRUE(dialogs::RestoreDialog::Current()->BtnRestore->isEnabled());
}

}  // namespace
