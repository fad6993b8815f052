#include "dialogs/history_window.h"
#include "../dialogs/card_dialog_fixture.h"
#include "mainwin/tesly_mnu.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTreeWidget>

namespace {

using HistoryWindowTest = CardDialogTest;
using tessaly::dialogs::HistoryWindow;

// A card added in the New dialog is taken back from the list's menu and by the keys, and the History
// window shows the change, greys the main window and undoes back to the change selected.
TEST_F(HistoryWindowTest, undoAndRedoFromTheMenusTheKeysAndTheHistoryWindow) {
    start({{"Ann", "Able", ""}, {"Cy", "Cole", ""}});
    NewDialog& d = openNew();
    d.SetBoxText(store::FirstName, QString());
    d.SetBoxText(store::LastName, QStringLiteral("Dunn"));
    ok(d);
    settle();
    const QStringList two = {"Able, Ann", "Cole, Cy"}, three = {"Able, Ann", "Cole, Cy", "Dunn"};
    mainwin::TeslyMnu& m = main().Menus();
    emit m.MnuLstNames->aboutToShow();
    EXPECT_EQ(m.MnuUndo->text(), "&Undo Add Dunn");
    EXPECT_FALSE(m.MnuRedo->isEnabled());
    m.MnuUndo->trigger();
    settle();
    EXPECT_EQ(listTexts(), two);
    EXPECT_EQ(m.MnuRedo->text(), "&Redo Add Dunn");
    QApplication::setActiveWindow(&main());
    QTest::keyClick(main().LstNames, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    settle();
    EXPECT_EQ(listTexts(), three);

    m.MnuHistory->trigger();
    HistoryWindow* w = HistoryWindow::Current();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(main().isEnabled());
    ASSERT_EQ(w->LstChanges->topLevelItemCount(), 1);
    EXPECT_TRUE(w->TxtDetails->toPlainText().contains("LastName: (empty) → Dunn"))
        << w->TxtDetails->toPlainText().toStdString();
    QTest::mouseClick(w->BtnUndoBack, Qt::LeftButton);
    settle();
    EXPECT_EQ(listTexts(), two);
    EXPECT_TRUE(w->LstChanges->topLevelItem(0)->text(1).endsWith("(undone)"));
    EXPECT_FALSE(w->BtnUndoBack->isEnabled());
    w->close();
    settle();
    EXPECT_TRUE(main().isEnabled());
    EXPECT_EQ(faults(), QStringList());
}

}  // namespace
