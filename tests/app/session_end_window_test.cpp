// A signal while a card dialog holds typed text: the program ends as Exit
// does, without the question that would hold up a logout. In a program of its
// own, since ending stops the test process's event loops for good.
#include "app_fixture.h"

#include "app/session_end.h"
#include "dialogs/new_dialog.h"

#include <QLineEdit>
#include <csignal>

TEST_F(AppTest, aSignalClosesADialogWithTypedTextWithoutAskingAndCountsOff) {
    preferences();
    cards({{QStringLiteral("Ann"), QStringLiteral("Lee"), QString()}});
    app::EndOnRequest();
    ASSERT_TRUE(app::Main(context()));
    ASSERT_FALSE(app::StartUpDone());
    ASSERT_EQ(header(QStringLiteral("NoOfUses")), "1");
    QStringList asked;
    shell::SetModalAnswerer([&](QDialog& window) { asked << window.windowTitle(); });

    QTest::mouseClick(app::TheMainDialog()->BtnNew, Qt::LeftButton);
    dialogs::NewDialog* typing = dialogs::NewDialog::Current();
    ASSERT_NE(typing, nullptr);
    auto* box = qobject_cast<QLineEdit*>(typing->TxtBox[store::LastName]);
    ASSERT_NE(box, nullptr);
    QTest::keyClicks(box, QStringLiteral("Typed"));
    ::raise(SIGTERM);

    QTRY_COMPARE_WITH_TIMEOUT(header(QStringLiteral("NoOfUses")), QStringLiteral("0"), 10000);
    EXPECT_TRUE(asked.isEmpty()) << qPrintable(asked.join(u", "));
    EXPECT_EQ(dialogs::NewDialog::Current(), nullptr);
    profile::CachedProfile files;
    store::CardStore after(files, cardsDir());
    after.LoadLists();
    EXPECT_EQ(after.AllNames, QStringList{QStringLiteral("Lee, Ann")});  // nothing typed was saved
}
