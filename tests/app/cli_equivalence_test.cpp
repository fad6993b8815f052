#include "app_fixture.h"

#include "dialogs/dialog_openers.h"
#include "dialogs/edit_dialog.h"
#include "dialogs/new_dialog.h"

namespace {

// A change made in the windows leaves the same card files as the same change made with tessaly-cli.
class CliEquivalenceTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        preferences();
        cards({{"Ann", "Adams", "Zeta"}, {"Bob", "Brown", "Young"}, {"Cy", "Cole", "Xeno"}});
        ASSERT_TRUE(app::Main(context()));
        copy = copyOfCards();
    }
    QString copy;
};

TEST_F(CliEquivalenceTest, addingACard) {
    dialogs::OpenNewDialog(context());
    dialogs::NewDialog& dialog = *dialogs::NewDialog::Current();
    dialog.SetBoxText(1, QStringLiteral("Al"));
    dialog.SetBoxText(2, QStringLiteral("Baker"));
    dialog.SetBoxText(4, QStringLiteral("Acme"));
    dialog.SetBoxText(15, QStringLiteral("two\nlines"));
    QTest::mouseClick(dialog.BtnOK, Qt::LeftButton);
    flushDeletes();
    EXPECT_EQ(main().LstNames->currentIndex().data().toString(), "Baker, Al");
    // The placeholders the user left (ZIP/Postal code, Country) are stored empty.
    EXPECT_EQ(cli(copy, {"add", "Sal=Mr.", "FirstName=Al", "LastName=Baker", "Company=Acme", "Notes=two\\nlines"}),
              "3");
    EXPECT_EQ(checkFile(), QStringList());
    expectSameCards(cardsDir(), copy);
}

TEST_F(CliEquivalenceTest, editingALastNameMovesTheCard) {
    main().LstNames->setCurrentRow(0);  // Adams = card 0
    dialogs::OpenEditDialog(context(), main().Selected());
    dialogs::EditDialog& dialog = *dialogs::EditDialog::Current();
    dialog.SetBoxText(2, QStringLiteral("Zorn"));
    QTest::mouseClick(dialog.BtnOK, Qt::LeftButton);
    flushDeletes();
    EXPECT_EQ(main().LstNames->currentIndex().data().toString(), "Zorn, Ann");
    cli(copy, {"edit", "0", "LastName=Zorn"});
    EXPECT_EQ(checkFile(), QStringList());
    expectSameCards(cardsDir(), copy);
}

}  // namespace
