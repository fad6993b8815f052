#include "app_fixture.h"

#include "shell/file_in_use.h"

#include <QCheckBox>

namespace {

using StartupTest = AppTest;

TEST_F(StartupTest, aFirstStartInAnEmptyFolderMakesAnEmptyCardFileWhenTheUserAgrees) {
    answerMessages(true);
    ASSERT_TRUE(app::Main(context()));
    EXPECT_EQ(asked, QStringList{"Missing data file"});
    const QString dataDir = home.path(QStringLiteral("data/Tessaly/teslydat/"));
    EXPECT_EQ(
        home.bytes(QStringLiteral("data/Tessaly/teslydat/tesly.dat")),
        QByteArray("[General Info]\r\nApplication=Tessaly\r\nTotalNoOfRecords=0\r\nNoOfRecords=0\r\n"
                   "NameFirstRecord=\r\nCompanyFirstRecord=\r\nDelNoOfRecords=0\r\nDelFirstRecord=\r\nNoOfUses=1\r\n"));
    profile::CachedProfile p;
    EXPECT_EQ(p.read(prefsFile(), QStringLiteral("Data Files"), QStringLiteral("TeslyDataPath")), dataDir);
    EXPECT_EQ(p.read(prefsFile(), QStringLiteral("TS32"), QStringLiteral("Version")), "2.0");

    EXPECT_TRUE(main().isVisible());
    EXPECT_EQ(main().windowTitle(), "Tessaly, Version 2.0");
    EXPECT_EQ(main().LstNames->model()->rowCount(), 0);
    EXPECT_FALSE(main().LstNames->isEnabled());
    // No "Tips" key yet: the tip of the day opens over a disabled main window.
    shell::TipOfDay* tip = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<shell::TipOfDay*>(w); t && t->isVisible()) tip = t;
    ASSERT_NE(tip, nullptr);
    EXPECT_FALSE(main().isEnabled());
    QTest::mouseClick(tip->BtnOK, Qt::LeftButton);
    EXPECT_TRUE(main().isEnabled());
    main().SetData();  // as coming back to the window does
    EXPECT_EQ(main().focusWidget(), main().BtnNew);
}

TEST_F(StartupTest, decliningTheNewCardFileEndsTheProgramWithoutWritingIt) {
    answerMessages(false);
    EXPECT_FALSE(app::Main(context()));
    EXPECT_EQ(asked, QStringList{"Missing data file"});
    EXPECT_EQ(app::TheMainDialog(), nullptr);
    EXPECT_FALSE(QDir(home.path(QStringLiteral("data"))).exists());
    // Only the version of the preferences is written.
    EXPECT_EQ(home.bytes(QStringLiteral("config/Tessaly/ostrel.ini")), QByteArray("[TS32]\r\nVersion=2.0\r\n"));
}

TEST_F(StartupTest, aFirstStartAsksWhereTheCardFileGoesAndTheEmptyWindowSaysWhatToDo) {
    QString text;
    bool question = false;
    shell::SetModalAnswerer([&](QDialog& window) {
        auto& box = static_cast<shell::MessageWindow&>(window);
        text = box.Text1->text();
        question = box.Question->isVisibleTo(&box) && !box.Critical->isVisibleTo(&box);
        QTest::mouseClick(box.BtnOK, Qt::LeftButton);
    });
    ASSERT_TRUE(app::Main(context()));
    EXPECT_TRUE(question);
    EXPECT_TRUE(text.endsWith("It will be made in the folder " + home.path(QStringLiteral("data/Tessaly/teslydat/"))));
    EXPECT_TRUE(main().EmptyListHint->isVisibleTo(&main()));
    EXPECT_EQ(main().EmptyListHint->text(), "No cards yet: New adds one, Exchange imports a file");
    for (QPushButton* greyed : {main().BtnDial, main().BtnEdit, main().BtnDelete, main().BtnCopy}) {
        SCOPED_TRACE(greyed->objectName().toStdString());
        EXPECT_FALSE(greyed->isEnabledTo(&main()));
    }
    EXPECT_TRUE(main().BtnNew->isEnabledTo(&main()));
}

TEST_F(StartupTest, aFileOfAnotherApplicationIsNamedAsSuchAndReplacedByAnEmptyOne) {
    preferences();
    home.put(QStringLiteral("cards/tesly.dat"),
             "[General Info]\nApplication=Other\nTotalNoOfRecords=5\nNoOfRecords=5\n");
    QString text;
    shell::SetModalAnswerer([&](QDialog& window) {
        auto& box = static_cast<shell::MessageWindow&>(window);
        text = box.Text1->text();
        QTest::mouseClick(box.BtnOK, Qt::LeftButton);
    });
    ASSERT_TRUE(app::Main(context()));
    EXPECT_TRUE(text.startsWith("This is not a valid Tessaly data file.")) << text.toStdString();
    EXPECT_TRUE(text.contains("Should I create a new empty one now?\nIt will be made in the folder " +
                              home.path(QStringLiteral("data/Tessaly/teslydat/"))));
    EXPECT_EQ(cardStore().NoOfRecords, 0);
    EXPECT_EQ(context().DataDir, home.path(QStringLiteral("data/Tessaly/teslydat/")));
    // The foreign file is left as it was.
    EXPECT_EQ(home.bytes(QStringLiteral("cards/tesly.dat")),
              QByteArray("[General Info]\nApplication=Other\nTotalNoOfRecords=5\nNoOfRecords=5\n"));
}

TEST_F(StartupTest, aCountLeftByACrashShowsTheInUseWindowAndRecoveryTurnsEditingOn) {
    preferences();
    cards({{"Ann", "Lee", "Acme"}});
    setHeader(QStringLiteral("NoOfUses"), QStringLiteral("1"));
    bool inUseShown = false;
    answerMessages(true, [&](QDialog& window) {
        auto* dialog = qobject_cast<shell::FileInUse*>(&window);
        ASSERT_NE(dialog, nullptr);
        inUseShown = true;
        EXPECT_TRUE(main().isVisible());  // shown centred over the main window
        EXPECT_NEAR(dialog->frameGeometry().center().x(), main().frameGeometry().center().x(), 6);
        EXPECT_NEAR(dialog->frameGeometry().center().y(), main().frameGeometry().center().y(), 6);
        EXPECT_EQ(header(QStringLiteral("NoOfUses")), "2");
        QTest::mouseClick(dialog->ChkCrashRecover, Qt::LeftButton);  // asks "Are you sure ?", answered Yes
        QTest::mouseClick(dialog->BtnOK, Qt::LeftButton);
    });
    ASSERT_TRUE(app::Main(context()));
    EXPECT_TRUE(inUseShown);
    EXPECT_EQ(asked, QStringList{"Are you sure ?"});
    EXPECT_EQ(header(QStringLiteral("NoOfUses")), "1");
    EXPECT_FALSE(context().InUse);
    EXPECT_TRUE(main().BtnEdit->isEnabled());
    EXPECT_TRUE(main().Menus().MnuNew->menuAction()->isEnabled());
}

TEST_F(StartupTest, aFileInUseKeepsEditingOffUntilTheOtherProgramCountsItselfOff) {
    preferences();
    cards({{"Ann", "Lee", "Acme"}});
    setHeader(QStringLiteral("NoOfUses"), QStringLiteral("1"));
    answerMessages(
        true, [](QDialog& window) { QTest::mouseClick(static_cast<shell::FileInUse&>(window).BtnOK, Qt::LeftButton); });
    ASSERT_TRUE(app::Main(context()));
    EXPECT_TRUE(context().InUse);
    EXPECT_FALSE(main().BtnEdit->isEnabled());
    EXPECT_FALSE(main().BtnNew->isEnabled());
    EXPECT_FALSE(main().Menus().MnuDelete->menuAction()->isEnabled());
    EXPECT_TRUE(main().BtnCopy->isEnabled());  // browsing stays
    EXPECT_TRUE(main().Menus().InUseTimer.isActive());
    EXPECT_EQ(main().Menus().InUseTimer.interval(), 2000);

    setHeader(QStringLiteral("NoOfUses"), QStringLiteral("1"));  // the other program ends
    main().Menus().InUseTimer_Timer();
    EXPECT_FALSE(context().InUse);
    EXPECT_TRUE(main().BtnEdit->isEnabled());
    EXPECT_TRUE(main().BtnNew->isEnabled());
    EXPECT_TRUE(main().Menus().MnuDelete->menuAction()->isEnabled());

    setHeader(QStringLiteral("NoOfUses"), QStringLiteral("2"));  // and starts again
    main().Menus().InUseTimer_Timer();
    EXPECT_TRUE(context().InUse);
    EXPECT_FALSE(main().BtnDelete->isEnabled());
}

TEST_F(StartupTest, exitCountsThisProgramOff) {
    preferences();
    cards({});
    ASSERT_TRUE(app::Main(context()));
    EXPECT_EQ(header(QStringLiteral("NoOfUses")), "1");
    QTest::mouseClick(main().BtnExit, Qt::LeftButton);
    EXPECT_EQ(header(QStringLiteral("NoOfUses")), "0");
}

TEST_F(StartupTest, exitWithTheCountGoneWritesMinusOne) {
    preferences();
    cards({});
    ASSERT_TRUE(app::Main(context()));
    home.put(QStringLiteral("cards/tesly.dat"),
             QByteArray(home.bytes(QStringLiteral("cards/tesly.dat"))).replace("NoOfUses=1\r\n", ""));
    main().close();
    EXPECT_EQ(header(QStringLiteral("NoOfUses")), "-1");
}

TEST_F(StartupTest, aSecondStartBringsTheFirstToTheFrontAndTouchesNothing) {
    preferences();
    cards({{"Ann", "Lee", "Acme"}});
    ASSERT_TRUE(app::Main(context()));
    const QByteArray before = home.bytes(QStringLiteral("cards/tesly.dat"));
    mainwin::MainDialog* first = app::TheMainDialog();

    shell::AppContext second;  // a second program: a context of its own, the same user and preferences
    EXPECT_FALSE(app::Main(second));
    EXPECT_EQ(home.bytes(QStringLiteral("cards/tesly.dat")), before);
    delete first;
}

TEST_F(StartupTest, tipsZeroWithBlanksKeepsTheTipClosed) {
    preferences();  // the folder
    home.put(QStringLiteral("config/Tessaly/ostrel.ini"),
             "[Data Files]\nTeslyDataPath=" + cardsDir().toUtf8() + "\n[TS32]\nTips=  0 \nVersion=3.1\n");
    cards({});
    ASSERT_TRUE(app::Main(context()));
    for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_EQ(qobject_cast<shell::TipOfDay*>(w), nullptr);
    EXPECT_TRUE(main().isEnabled());
    EXPECT_EQ(main().windowTitle(), "Tessaly, Version 3.1");
}

}  // namespace
