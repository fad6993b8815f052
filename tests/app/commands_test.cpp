#include "app_fixture.h"

#include "dialogs/delete_dialog.h"
#include "dialogs/dialog_openers.h"
#include "dialogs/edit_dialog.h"
#include "dialogs/new_dialog.h"
#include "dialogs/restore_dialog.h"
#include "shell/about_window.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>

namespace {

// Which gesture runs which command in the main window.
class CommandsTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        preferences("CopyName=1\nCopyPhone1=1\n");
        profile::CachedProfile p;
        store::CardStore s(p, cardsDir());
        store::WriteEmptyHeader(p, s.DataFile());
        store::Card f;
        f[store::Sal] = QStringLiteral("Ms.");
        f[store::FirstName] = QStringLiteral("Ann");
        f[store::LastName] = QStringLiteral("Lee");
        f[store::Title] = QStringLiteral("Chief");
        f[store::Address1] = QStringLiteral("1 Road");
        f[store::Address3] = QStringLiteral("Town");
        f[store::Phone1] = QStringLiteral("555 1234");
        s.AddCard(f);
        f[store::FirstName] = QStringLiteral("Bo");
        f[store::LastName] = QStringLiteral("Mo");
        s.AddCard(f);
        ASSERT_TRUE(app::Main(context()));
    }
    void TearDown() override {
        shell::SetPopupAnswerer({});
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QDialog*>(w) && !qobject_cast<shell::MessageWindow*>(w)) delete w;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<shell::AboutWindow*>(w)) delete w;
        AppTest::TearDown();
    }
    QString clipboard() { return QGuiApplication::clipboard()->text(); }
    void chooseOnPopup(QAction* entry) {
        shell::SetPopupAnswerer([entry](QMenu&) { entry->trigger(); });
    }
};

TEST_F(CommandsTest, copyActsOnThePressAndCopiesAllWithAModifier) {
    QTest::mousePress(main().BtnCopy, Qt::LeftButton);
    EXPECT_EQ(clipboard(), "Ms. Lee\r555 1234\r");
    QTest::mousePress(main().BtnCopy, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(clipboard(), "Ms. Lee\rChief\r1 Road\rTown\r555 1234\r");
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(main().BtnCopy, Qt::Key_Space);  // the keyboard copies the selected details too
    EXPECT_EQ(clipboard(), "Ms. Lee\r555 1234\r");
    QGuiApplication::clipboard()->clear();
    // A double-click is a click and then the second press.
    const QPoint line = main().LstNames->visualRect(main().LstNames->model()->index(0, 0)).center();
    QTest::mouseClick(main().LstNames->viewport(), Qt::LeftButton, {}, line);
    QTest::mouseDClick(main().LstNames->viewport(), Qt::LeftButton, {}, line);
    EXPECT_EQ(clipboard(), "Ms. Lee\r555 1234\r");
}

TEST_F(CommandsTest, theCopyMenuAndTheDetailLabelsCopy) {
    chooseOnPopup(main().Menus().MnuCopyArray[1]);
    QTest::mousePress(main().BtnCopy, Qt::RightButton);
    EXPECT_EQ(clipboard(), "Ms. Lee\rChief\r1 Road\rTown\r555 1234\r");
    QTest::mousePress(main().Label[4], Qt::LeftButton);  // any address line: the whole block
    EXPECT_EQ(clipboard(), "1 Road\r\rTown\r\r");
    QTest::mousePress(main().Label[1], Qt::RightButton);  // title: any press
    EXPECT_EQ(clipboard(), "Chief");
    QTest::mousePress(main().Label[0], Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(clipboard(), "Ms. Lee");
    QTest::mousePress(main().Label[8], Qt::LeftButton);  // a plain press on a phone is for dialling
    EXPECT_EQ(clipboard(), "Ms. Lee");
    QTest::mousePress(main().Label[8], Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(clipboard(), "555 1234");
}

TEST_F(CommandsTest, newOpensEmptyShiftOrTheMenuDuplicates) {
    QTest::mouseClick(main().BtnNew, Qt::LeftButton);
    ASSERT_NE(dialogs::NewDialog::Current(), nullptr);
    EXPECT_EQ(dialogs::NewDialog::Current()->windowTitle(), "New Name");
    EXPECT_EQ(dialogs::NewDialog::Current()->BoxText(1), "First Name");
    QTest::mouseClick(dialogs::NewDialog::Current()->BtnCancel, Qt::LeftButton);
    flushDeletes();

    QTest::mousePress(main().BtnNew, Qt::LeftButton, Qt::ShiftModifier);
    ASSERT_NE(dialogs::NewDialog::Current(), nullptr);
    EXPECT_EQ(dialogs::NewDialog::Current()->windowTitle(), "New Name - Duplicate");
    EXPECT_EQ(dialogs::NewDialog::Current()->BoxText(2), "Lee");
    QTest::mouseClick(dialogs::NewDialog::Current()->BtnCancel, Qt::LeftButton);
    flushDeletes();

    chooseOnPopup(main().Menus().MnuNewArray[1]);
    QTest::mousePress(main().BtnNew, Qt::RightButton);
    ASSERT_NE(dialogs::NewDialog::Current(), nullptr);
    EXPECT_EQ(dialogs::NewDialog::Current()->windowTitle(), "New Name - Duplicate");
}

TEST_F(CommandsTest, editAndDeleteOpenTheirDialogsFromButtonsAndMenus) {
    QTest::mouseClick(main().BtnEdit, Qt::LeftButton);
    ASSERT_NE(dialogs::EditDialog::Current(), nullptr);
    QTest::mouseClick(dialogs::EditDialog::Current()->BtnCancel, Qt::LeftButton);
    flushDeletes();
    chooseOnPopup(main().Menus().MnuEdit);
    QTest::mousePress(main().LstNames->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    ASSERT_NE(dialogs::EditDialog::Current(), nullptr);
    QTest::mouseClick(dialogs::EditDialog::Current()->BtnCancel, Qt::LeftButton);
    flushDeletes();

    chooseOnPopup(main().Menus().MnuDeleteArray[0]);
    QTest::mousePress(main().BtnDelete, Qt::RightButton);
    ASSERT_NE(dialogs::DeleteDialog::Current(), nullptr);
    QTest::mouseClick(dialogs::DeleteDialog::Current()->BtnCancel, Qt::LeftButton);
    flushDeletes();
    EXPECT_EQ(main().LstNames->model()->rowCount(), 2);

    chooseOnPopup(main().Menus().MnuExchangeArray[3]);  // nothing deleted yet: the entry is off
    QTest::mousePress(main().LstNames->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(dialogs::RestoreDialog::Current(), nullptr);
    dialogs::DeleteNoConfirm(context(), main().Selected());
    QTest::mousePress(main().LstNames->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_NE(dialogs::RestoreDialog::Current(), nullptr);
}

TEST_F(CommandsTest, theTipAndAboutOpenFromTheMenuOverADisabledWindow) {
    main().Menus().MnuTipOfDay->trigger();
    shell::TipOfDay* tip = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<shell::TipOfDay*>(w)) tip = t;
    ASSERT_NE(tip, nullptr);
    EXPECT_FALSE(main().isEnabled());
    QTest::mouseClick(tip->BtnOK, Qt::LeftButton);
    EXPECT_TRUE(main().isEnabled());
    main().Menus().MnuAbout->trigger();
    EXPECT_FALSE(main().isEnabled());
}

}  // namespace
