#include "app_fixture.h"

#include "dialogs/delete_dialog.h"
#include "dialogs/dialog_openers.h"
#include "dialogs/edit_dialog.h"
#include "dialogs/new_dialog.h"
#include "dialogs/restore_dialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <random>

namespace {

// A long session of a user's commands in random order, through the real windows.
class RandomSessionTest : public AppTest {
protected:
    void TearDown() override {
        shell::SetPopupAnswerer({});
        AppTest::TearDown();
    }
    int pick(int n) { return n <= 0 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng); }
    QString word() {
        static const QStringList words = {"Smith", "smith", "Åsa", "Ng", "O'Neil", "Zeta", "a", "Müller", "", "Lee"};
        return words[pick(words.size())];
    }
    void selectSomeCard() {
        if (main().LstNames->model()->rowCount() > 0)
            main().LstNames->setCurrentRow(pick(main().LstNames->model()->rowCount()));
    }
    void typeCard(dialogs::CardForm& form) {
        form.SetBoxText(1, word());
        form.SetBoxText(2, word());
        if (pick(3) == 0) form.SetBoxText(4, word());
        if (pick(4) == 0) form.SetBoxText(15, QStringLiteral("line one\nline two"));
        QTest::mouseClick(form.BtnOK, Qt::LeftButton);
        if (form.isVisible()) QTest::mouseClick(form.BtnCancel, Qt::LeftButton);  // refused as empty
    }
    void step() {
        const bool cards = cardStore().NoOfRecords > 0;
        switch (pick(10)) {
            case 0:
                selectSomeCard();
                break;
            case 1:
                main().ToggleView();
                break;
            case 2:
                dialogs::OpenNewDialog(context());
                typeCard(*dialogs::NewDialog::Current());
                break;
            case 3:
                if (!cards) break;
                selectSomeCard();
                dialogs::OpenEditDialog(context(), main().Selected());
                typeCard(*dialogs::EditDialog::Current());
                break;
            case 4:
                if (!cards) break;
                selectSomeCard();
                dialogs::OpenDuplicateDialog(context(), main().Selected());
                QTest::mouseClick(dialogs::NewDialog::Current()->BtnOK, Qt::LeftButton);
                break;
            case 5:
                if (!cards) break;
                selectSomeCard();
                QTest::mousePress(main().BtnDelete, Qt::LeftButton, Qt::ShiftModifier);
                break;
            case 6:
                if (!cards) break;
                QTest::mouseClick(main().BtnDelete, Qt::LeftButton);
                QTest::mouseClick(dialogs::DeleteDialog::Current()->BtnOK, Qt::LeftButton);
                break;
            case 7: {
                if (!cardStore().HasDeletedCards()) break;
                dialogs::LoadDeletedList(context());
                dialogs::RestoreDialog* window = dialogs::RestoreDialog::Current();
                window->DelLstNames->setCurrentRow(pick(window->DelLstNames->model()->rowCount()));
                QTest::mouseClick(window->BtnRestore, Qt::LeftButton);
                break;
            }
            case 8:
                if (!cards) break;
                main().TxtFind->setText(word().left(2) + QStringLiteral(" ").left(pick(2)));
                main().CboSrchIn->setCurrentIndex(pick(4));
                QTest::mouseClick(main().BtnFind, Qt::LeftButton);
                break;
            case 9:
                if (!cards) break;
                pick(2) ? main().CopySelected() : main().CopyAll();
                break;
        }
        flushDeletes();
    }
    std::mt19937 rng{20261208};
};

TEST_F(RandomSessionTest, fourHundredCommandsOnAThousandCardsLeaveASoundFile) {
    QList<std::array<QString, 3>> list;
    std::mt19937 names(7);
    for (int i = 0; i < 1000; ++i)
        list.append({QStringLiteral("F%1").arg(names() % 50), QStringLiteral("L%1").arg(names() % 300),
                     (i % 4 == 0) ? QStringLiteral("Co %1").arg(names() % 40) : QString()});
    preferences();
    cards(list);
    ASSERT_TRUE(app::Main(context()));
    answerMessages(true);
    for (int i = 0; i < 400; ++i) {
        step();
        ASSERT_TRUE(main().isEnabled()) << "after step " << i;
    }
    EXPECT_EQ(checkFile(), QStringList());
    // The window shows what the file holds.
    profile::CachedProfile fresh;
    store::CardStore reread(fresh, cardsDir());
    reread.LoadLists();
    reread.Show = cardStore().Show;
    EXPECT_EQ(reread.NoOfRecords, main().LstNames->model()->rowCount());
    EXPECT_EQ(cardStore().NoOfRecords, reread.NoOfRecords);
}

}  // namespace
