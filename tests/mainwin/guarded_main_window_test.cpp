#include "../dialogs/card_dialog_fixture.h"

#include "dialogs/delete_dialog.h"
#include "shell/about_window.h"
#include "shell/window_opener.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

namespace {

class GuardedMainWindowTest : public CardDialogTest {
protected:
    void SetUp() override {
        CardDialogTest::SetUp();
        shell::SetPopupAnswerer([this](QMenu& menu) { popups << menu.objectName(); });
    }
    void TearDown() override {
        shell::SetPopupAnswerer({});
        delete dialogs::DeleteDialog::Current();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<shell::AboutWindow*>(w)) delete w;
        CardDialogTest::TearDown();
    }
    void shiftPress(QWidget* w) { QTest::mousePress(w, Qt::LeftButton, Qt::ShiftModifier); }
    // Ending the program asks the event loop to quit; a test that ended it runs one
    // that ends at once, so later modal windows of this process run again.
    static void forgetTheExit() {
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }
    void holdFile() {
        setHeader(QStringLiteral("NoOfUses"), QStringLiteral("2"));
        main().Menus().InUseTimer_Timer();
        ASSERT_TRUE(context().InUse);
    }

    QStringList popups;  // menus that would have opened
};

struct Opener {
    const char* name;
    std::function<QWidget*(shell::AppContext&, mainwin::MainDialog&)> open;
};

const Opener kOpeners[] = {
    {"Edit",
     [](shell::AppContext& context, mainwin::MainDialog& main) {
         dialogs::OpenEditDialog(context, main.Selected());
         return static_cast<QWidget*>(EditDialog::Current());
     }},
    {"New",
     [](shell::AppContext& context, mainwin::MainDialog&) {
         dialogs::OpenNewDialog(context);
         return static_cast<QWidget*>(NewDialog::Current());
     }},
    {"Delete",
     [](shell::AppContext& context, mainwin::MainDialog& main) {
         dialogs::OpenDeleteDialog(context, main.Selected());
         return static_cast<QWidget*>(dialogs::DeleteDialog::Current());
     }},
    {"About",
     [](shell::AppContext&, mainwin::MainDialog&) {
         shell::MainWindow()->findChild<QPushButton*>("BtnAbout")->click();
         return shell::OpenWindowOverMain();
     }},
};

TEST_F(GuardedMainWindowTest, aWindowOpenOverTheMainWindowIsItsChildAndKeepsTakingInput) {
    start({{"Ann", "Able", ""}, {"Bo", "Bell", ""}});
    for (const Opener& opener : kOpeners) {
        SCOPED_TRACE(opener.name);
        QWidget* window = opener.open(context(), main());
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->parentWidget(), &main());
        EXPECT_TRUE(window->isWindow());
        EXPECT_FALSE(main().isEnabled());
        EXPECT_TRUE(window->isEnabled());
        window->close();
        settle();
        EXPECT_TRUE(main().isEnabled());
    }
}

TEST_F(GuardedMainWindowTest, theDisabledMainWindowRunsNoCommandWhateverTheGesture) {
    start({{"Ann", "Able", ""}, {"Bo", "Bell", ""}});
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    const QByteArray before = cardFiles();
    struct Gesture {
        const char* name;
        std::function<void()> run;
    };
    const QPoint line = main().LstNames->visualRect(main().LstNames->model()->index(0, 0)).center();
    const Gesture gestures[] = {
        {"Shift+press Delete", [&] { shiftPress(main().BtnDelete); }},
        {"Shift+double-click Delete", [&] { QTest::mouseDClick(main().BtnDelete, Qt::LeftButton, Qt::ShiftModifier); }},
        {"Shift+press New", [&] { shiftPress(main().BtnNew); }},
        {"right press on the list", [&] { QTest::mousePress(main().LstNames->viewport(), Qt::RightButton, {}, line); }},
        {"right press on Delete", [&] { QTest::mousePress(main().BtnDelete, Qt::RightButton); }},
        {"press on Copy", [&] { QTest::mousePress(main().BtnCopy, Qt::LeftButton); }},
        {"click on the notice", [&] { QTest::mousePress(main().NoticeLabel, Qt::LeftButton); }},
    };
    for (const Opener& opener : kOpeners) {
        QWidget* window = opener.open(context(), main());
        ASSERT_NE(window, nullptr);
        auto* form = qobject_cast<CardForm*>(window);
        if (form) form->SetBoxText(store::Title, QStringLiteral("typed"));
        for (const Gesture& gesture : gestures) {
            SCOPED_TRACE(std::string(opener.name) + ", " + gesture.name);
            gesture.run();
            settle();
            EXPECT_EQ(cardFiles(), before);
            EXPECT_EQ(main().LstNames->model()->rowCount(), 2);
            EXPECT_TRUE(popups.isEmpty());
            EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
            EXPECT_FALSE(main().isEnabled());
            EXPECT_TRUE(window->isVisible());
            if (form) {
                EXPECT_EQ(form->BoxText(store::Title), "typed");
            }
        }
        window->close();
        settle();
    }
}

TEST_F(GuardedMainWindowTest, whileAnotherProgramHoldsTheFileEveryDeleteGestureIsRefused) {
    start({{"Ann", "Able", ""}, {"Bo", "Bell", ""}});
    holdFile();
    const QByteArray before = cardFiles();
    answerMessages(true);
    struct Gesture {
        const char* name;
        std::function<void()> run;
    };
    const Gesture gestures[] = {
        {"Shift+press on the greyed Delete", [&] { shiftPress(main().BtnDelete); }},
        {"right press on the greyed Delete",
         [&] {
             shell::SetPopupAnswerer([&](QMenu&) { main().Menus().MnuDeleteArray[1]->trigger(); });
             QTest::mousePress(main().BtnDelete, Qt::RightButton);
         }},
        {"the command itself", [&] { dialogs::DeleteNoConfirm(context(), main().Selected()); }},
        {"a change in the store", [&] { cardStore().DeleteCard(main().CurrentRecNo()); }},
    };
    for (const Gesture& gesture : gestures) {
        SCOPED_TRACE(gesture.name);
        try {
            gesture.run();
        } catch (const store::InUseError&) {
        }
        EXPECT_EQ(cardFiles(), before);
        EXPECT_EQ(main().LstNames->model()->rowCount(), 2);
    }
    EXPECT_FALSE(main().Menus().MnuDeleteArray[1]->isEnabled());
}

TEST_F(GuardedMainWindowTest, closingTheMainWindowClosesAnUntouchedDialogFirst) {
    start({{"Ann", "Able", ""}});
    const QByteArray before = cardFiles();
    QPointer<EditDialog> edit = &openEdit();
    main().close();
    forgetTheExit();
    settle();
    EXPECT_TRUE(edit.isNull());
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(header(QStringLiteral("NoOfUses")), "0");
    EXPECT_EQ(cardFiles().replace("NoOfUses=0", "NoOfUses=1"), before);
}

TEST_F(GuardedMainWindowTest, closingTheMainWindowAsksBeforeTypedChangesAreLost) {
    start({{"Ann", "Able", ""}});
    for (const bool agree : {false, true}) {
        SCOPED_TRACE(agree ? "Yes" : "No");
        answerMessages(agree);
        QPointer<NewDialog> dialog = NewDialog::Current() ? NewDialog::Current() : &openNew();
        dialog->SetBoxText(store::LastName, QStringLiteral("Baker"));
        QTest::keyClicks(dialog->TxtBox[store::Company], QStringLiteral("Acme"));
        main().close();
        if (agree) forgetTheExit();
        settle();
        EXPECT_EQ(asked.size(), 1);
        asked.clear();
        EXPECT_EQ(dialog.isNull(), agree);
        EXPECT_EQ(header(QStringLiteral("NoOfUses")), agree ? "0" : "1");
        if (!agree) {
            EXPECT_EQ(dialog->BoxText(store::Company), "Acme");
        }
    }
    EXPECT_EQ(app::TheMainDialog(), nullptr);  // ended
}

TEST_F(GuardedMainWindowTest, editAndOkWithoutAChangeKeepsTheNotesByteForByte) {
    const QString notes[] = {QStringLiteral("line one\nline two\r\nline three"), QStringLiteral("one\r\n\r\ntwo"),
                             QStringLiteral("trailing\n")};
    QList<store::Card> list;
    for (const QString& note : notes) {
        store::Card card;
        card[store::LastName] = QStringLiteral("Able %1").arg(list.size());
        card[store::Notes] = note;
        list << card;
    }
    startWith(list);
    answerMessages(true);
    const QByteArray before = cardFiles();
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(notes[i].toStdString());
        main().LstNames->setCurrentRow(i);
        ok(openEdit());
        settle();
        EXPECT_EQ(stored(QString::number(i))[store::Notes], notes[i]);
        EXPECT_EQ(cardFiles(), before);
    }
}

TEST_F(GuardedMainWindowTest, typedLineBreaksAreStoredAsCrLfAndPastedOnesInALineBoxAsBlanks) {
    start({{"Ann", "Able", ""}});
    EditDialog& d = openEdit();
    auto* notes = static_cast<QPlainTextEdit*>(d.TxtBox[store::Notes]);
    notes->setPlainText(QStringLiteral("a\nb"));
    d.SetBoxText(store::Title, QStringLiteral("Chief"));
    static_cast<QLineEdit*>(d.TxtBox[store::Company])->setText(QStringLiteral("Acme\nLtd"));
    ok(d);
    settle();
    EXPECT_EQ(stored("0")[store::Notes], "a\r\nb");
    EXPECT_EQ(stored("0")[store::Company], "Acme Ltd");
}

TEST_F(GuardedMainWindowTest, namesOfBlanksOnlyAreRefused) {
    start({});
    const QByteArray before = cardFiles();
    answerMessages(true);
    NewDialog& d = openNew();
    d.SetBoxText(store::FirstName, QStringLiteral("  "));
    d.SetBoxText(store::LastName, QStringLiteral(" "));
    d.SetBoxText(store::Company, QStringLiteral("\t"));
    ok(d);
    EXPECT_EQ(asked, QStringList{"Empty Name and Company"});
    EXPECT_EQ(cardFiles(), before);
    EXPECT_TRUE(d.isVisible());
}

TEST_F(GuardedMainWindowTest, theListMenuOfAnEmptyListOffersNoCardCommand) {
    start({});
    QList<bool> enabled;
    shell::SetPopupAnswerer([&](QMenu&) {
        const mainwin::TeslyMnu& m = main().Menus();
        enabled = {m.MnuEdit->isEnabled(), m.MnuDelete->menuAction()->isEnabled(), m.MnuNewArray[1]->isEnabled(),
                   m.MnuNewArray[0]->isEnabled()};
    });
    QTest::mousePress(main().LstNames->viewport(), Qt::RightButton);
    EXPECT_EQ(enabled, (QList<bool>{false, false, false, true}));
}

TEST_F(GuardedMainWindowTest, enterPressesTheFocusedButtonOfTheMainWindowAndOfAMessage) {
    start({{"Ann", "Able", ""}});
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    main().BtnAbout->setFocus();
    QTest::keyClick(&main(), Qt::Key_Return);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
    EXPECT_NE(shell::OpenWindowOverMain(), nullptr);  // About opened
    shell::OpenWindowOverMain()->close();

    for (const bool tabbed : {false, true}) {
        SCOPED_TRACE(tabbed ? "Tab to Yes, then Enter" : "Enter");
        shell::SetModalAnswerer([&](QDialog& window) {
            auto& box = static_cast<shell::MessageWindow&>(window);
            if (tabbed) box.BtnOK->setFocus();
            QTest::keyClick(&box, Qt::Key_Return);
        });
        const shell::MessageButton pressed = shell::SingleTextBox().ShowMsg(
            QStringLiteral("Sure?"), 3, QStringLiteral("Yes"), QStringLiteral("No"), 2, QStringLiteral("Question"));
        EXPECT_EQ(pressed, tabbed ? shell::MessageButton::First : shell::MessageButton::Second);
    }
}

TEST(StatusBarTest, aHintTooLongForItsPanelEndsInAnEllipsisAfterAWholeWord) {
    mainwin::StatusBar bar;
    bar.resize(300, bar.height());
    bar.show();
    const QString hints[] = {
        QStringLiteral("Double-Click a name to copy details. Type name's first letter for quick search."),
        QStringLiteral("Short")};
    for (const QString& hint : hints) {
        SCOPED_TRACE(hint.toStdString());
        bar.setText(0, hint);
        EXPECT_EQ(bar.text(0), hint);
        const QString shown = bar.panel(0)->text();
        if (hint == "Short") {
            EXPECT_EQ(shown, hint);
            continue;
        }
        ASSERT_TRUE(shown.endsWith(QChar(0x2026)));
        const QString kept = shown.chopped(1);
        EXPECT_TRUE(hint.startsWith(kept));
        EXPECT_TRUE(hint.at(kept.size()).isSpace() || hint.at(kept.size() - 1) == u'.') << shown.toStdString();
    }
}

}  // namespace
