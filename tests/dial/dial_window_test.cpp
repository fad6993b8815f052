#include "../mainwin/window_fixture.h"
#include "../support/window_checks.h"
#include "dial/dial_dialog.h"
#include "fake_modem.h"
#include "shell/setup_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

using dial::DialDialog;
using namespace std::chrono_literals;

namespace {

// The main window over a card file, the modem on COM1 played by the test.
class DialWindowTest : public FindCopyTest {
protected:
    FakeModem modem;

    void SetUp() override {
        FindCopyTest::SetUp();
        DialDialog::SetPickUpAfter(60s);
        answerMessages(true);
    }
    void TearDown() override {
        DialDialog::SetPickUpAfter(dial::ModemCall::kPickUpAfter);
        FindCopyTest::TearDown();
    }
    QByteArray modemOn(const QByteArray& commPort = "1", const QByteArray& method = "DT") {
        return "CommPort=" + commPort + "\nDialSystem=" + method + "\n[Ports]\nCOM1=" + modem.Device().toUtf8() + "\n";
    }
    void startWith(std::initializer_list<Card> list, const QByteArray& settings) {
        start(list, settings);
        if (!list.size()) return;
        main().LstNames->setCurrentRow(0);
    }
    DialDialog& opened() {
        QApplication::processEvents();
        DialDialog* dialog = DialDialog::Current();
        EXPECT_NE(dialog, nullptr);
        EXPECT_FALSE(main().isEnabled());
        return *dialog;
    }
    // A fresh program on a fresh card folder, for the next case of a table.
    void restart() {
        TearDown();
        QDir(cardsDir()).removeRecursively();
        asked.clear();
        SetUp();
    }
    QStringList listed(DialDialog& d) {
        QStringList lines;
        for (int i = 0; i < d.LstDialList->count(); ++i) lines << d.LstDialList->item(i)->text();
        return lines;
    }
};

TEST_F(DialWindowTest, listsTheSelectedCardsNumbersInOrderAndNeverDialsFromTheDialButton) {
    struct Case {
        const char* name;
        std::initializer_list<Card> cards;
        QStringList lines;
    } cases[] = {
        {"phone1 and fax",
         {{{store::LastName, "Ames"}, {store::Phone1, "111"}, {store::Fax, "333"}}},
         {"Phone1:\t111", "Fax:\t333"}},
        {"no numbers", {{{store::LastName, "Ames"}}}, {}},
        {"no card", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        startWith(c.cards, modemOn());
        // With no card at all the button is greyed; a tel: link still opens the window.
        EXPECT_EQ(main().BtnDial->isEnabled(), c.cards.size() > 0);
        dial::StartDialing(context(), main().Selected());
        DialDialog& d = opened();
        EXPECT_EQ(listed(d), c.lines);
        EXPECT_EQ(d.LstDialList->isVisible(), !c.lines.isEmpty());
        EXPECT_EQ(d.LblDialList->isVisible(), !c.lines.isEmpty());
        EXPECT_TRUE(d.TxtDialNumber->text().isEmpty());
        EXPECT_FALSE(d.BtnDial->isEnabled());
        EXPECT_TRUE(d.BtnCancel->isDefault());
        EXPECT_EQ(panel(0), "Dial a number.");
        QTest::mouseClick(d.BtnCancel, Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(DialDialog::Current(), nullptr);
        EXPECT_TRUE(main().isEnabled());
        EXPECT_TRUE(modem.Received().isEmpty());
    }
}

TEST_F(DialWindowTest, pickingFromTheListFillsTheBoxAndMakesDialTheDefault) {
    startWith({{{store::LastName, "Ames"}, {store::Phone2, " 222 "}, {store::Fax, "333"}}}, modemOn());
    main().Menus().MnuDial->trigger();
    DialDialog& d = opened();
    d.LstDialList->setCurrentRow(0);
    EXPECT_EQ(d.TxtDialNumber->text(), " 222 ");
    EXPECT_TRUE(d.BtnDial->isDefault());
    QTest::mouseClick(d.BtnDial, Qt::LeftButton);
    ASSERT_TRUE(modem.WaitFor("ATDT222\r"));
    EXPECT_EQ(panel(0), "Please wait while dialing to 222");
    EXPECT_TRUE(d.BtnCancel->isDefault());
    EXPECT_FALSE(d.BtnDial->isEnabled());
}

TEST_F(DialWindowTest, aPressOnTheFaxDialsAtOnceAndBusyLeavesTheDialogOpen) {
    startWith({{{store::LastName, "Ames"}, {store::Phone1, "111"}, {store::Fax, "333"}}}, modemOn());
    QTest::mouseClick(main().Label[10], Qt::LeftButton);
    DialDialog& d = opened();
    ASSERT_TRUE(modem.WaitFor("ATDT333\r"));
    modem.Say("\r\nBUSY\r\n");
    ASSERT_TRUE(modem.WaitFor("ATH\r"));
    EXPECT_EQ(asked, QStringList{"BUSY"});
    EXPECT_EQ(panel(0), "The line is BUSY. Try calling again later.");
    EXPECT_EQ(DialDialog::Current(), &d);
    EXPECT_TRUE(d.BtnDial->isEnabled());
}

TEST_F(DialWindowTest, cancelWhileWaitingHangsUpAndASecondCancelCloses) {
    startWith({{{store::LastName, "Ames"}, {store::Phone1, "111"}}}, modemOn("1", "DP"));
    QTest::mouseClick(main().Label[8], Qt::LeftButton);
    DialDialog& d = opened();
    ASSERT_TRUE(modem.WaitFor("ATDP111\r"));
    QTest::mouseClick(d.BtnCancel, Qt::LeftButton);
    ASSERT_TRUE(modem.WaitFor("ATH\r"));
    EXPECT_EQ(DialDialog::Current(), &d);
    EXPECT_TRUE(d.BtnDial->isEnabled());
    EXPECT_EQ(panel(0), "Dial a number.");
    QTest::mouseClick(d.BtnCancel, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(DialDialog::Current(), nullptr);
    EXPECT_TRUE(main().isEnabled());
}

TEST_F(DialWindowTest, aModemPulledOutDuringTheCallIsSaidAndTheDialogStaysForAnotherTry) {
    startWith({{{store::LastName, "Ames"}, {store::Phone1, "111"}}}, modemOn());
    QTest::mouseClick(main().Label[8], Qt::LeftButton);
    DialDialog& d = opened();
    ASSERT_TRUE(modem.WaitFor("ATDT111\r"));
    modem.Unplug();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !asked.isEmpty(); }, 5000));
    EXPECT_EQ(asked, QStringList{"COM port lost"});
    EXPECT_EQ(DialDialog::Current(), &d);
    EXPECT_TRUE(d.BtnDial->isEnabled());
}

TEST_F(DialWindowTest, silenceAsksToPickUpThenHangsUpAndCloses) {
    DialDialog::SetPickUpAfter(1ms);
    startWith({{{store::LastName, "Ames"}, {store::Phone1, "111"}}}, modemOn());
    QTest::mouseClick(main().Label[8], Qt::LeftButton);
    opened();
    ASSERT_TRUE(modem.WaitFor("ATDT111\rATH\r"));
    EXPECT_EQ(asked, QStringList{"Pick up the Phone"});
    QApplication::processEvents();
    EXPECT_EQ(DialDialog::Current(), nullptr);
    EXPECT_TRUE(main().isEnabled());
}

TEST_F(DialWindowTest, wrongSettingsOfferSetupWhoseOkDialsAgain) {
    struct Case {
        const char* name;
        QByteArray settings;
        QString title;
        const char* option;  // what the user sets right in Setup
    } cases[] = {
        {"wrong port", modemOn("0", "DT"), "Wrong COM Port", "OptCommPort1"},
        {"wrong method", modemOn("1", " "), "Wrong Dialing System", "OptPulseDial"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        startWith({{{store::LastName, "Ames"}, {store::Phone1, "111"}}}, c.settings);
        QTest::mouseClick(main().Label[8], Qt::LeftButton);  // a press only refuses
        QApplication::processEvents();
        EXPECT_EQ(DialDialog::Current(), nullptr);
        EXPECT_TRUE(asked.isEmpty());

        QTest::mouseClick(main().BtnDial, Qt::LeftButton);
        EXPECT_EQ(asked, QStringList{c.title});
        shell::SetupDialog* setup = shell::SetupDialog::Current();
        ASSERT_NE(setup, nullptr);
        QTest::mouseClick(setup->findChild<QRadioButton*>(c.option), Qt::LeftButton);
        QTest::mouseClick(setup->BtnOK, Qt::LeftButton);
        DialDialog& d = opened();
        EXPECT_TRUE(d.TxtDialNumber->text().isEmpty());
        EXPECT_EQ(shell::SetupDialog::Current(), nullptr) << "Setup closed, and dialing waits for it no more";
        // The modem stays the way to dial without a key the sibling program has never seen.
        EXPECT_FALSE(home.bytes(QStringLiteral("config/Tessaly/ostrel.ini")).contains("DialVia"));
    }
}

TEST_F(DialWindowTest, withoutAPhoneProgramSetupTakesACommandThatGetsTheNumberAsOneArgument) {
    qputenv("XDG_DATA_DIRS", home.path(QStringLiteral("none")).toUtf8());  // no phone program of this machine's
    startWith({{{store::LastName, "Ames"}}}, "DialVia=Phone\n");
    QTest::mouseClick(main().BtnDial, Qt::LeftButton);
    EXPECT_EQ(asked, QStringList{"No Phone Program"});
    shell::SetupDialog* setup = shell::SetupDialog::Current();
    ASSERT_NE(setup, nullptr);
    EXPECT_FALSE(setup->TxtDialCommand->isEnabled());
    setup->CboDialVia->setCurrentIndex(2);
    EXPECT_FALSE(setup->OptToneDial->isEnabled());
    const QString out = home.path(QStringLiteral("dialed"));
    home.put(QStringLiteral("record"), "#!/bin/sh\nprintf '%s' \"$1\" > " + out.toUtf8() + ".part && mv " +
                                           out.toUtf8() + ".part " + out.toUtf8() + "\n");
    QFile::setPermissions(home.path(QStringLiteral("record")), QFile::ReadOwner | QFile::ExeOwner);
    setup->TxtDialCommand->setText(home.path(QStringLiteral("record")) + " %N");
    QTest::mouseClick(setup->BtnOK, Qt::LeftButton);
    EXPECT_TRUE(home.bytes(QStringLiteral("config/Tessaly/ostrel.ini")).contains("DialVia=Command\n"));

    DialDialog& d = opened();
    const QString number = QStringLiteral("+1 555 $(touch pwned); `id`");
    d.TxtDialNumber->setText(number);
    QTest::mouseClick(d.BtnDial, Qt::LeftButton);
    EXPECT_EQ(asked, (QStringList{"No Phone Program", "Dialing"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(out); }, 10000));
    EXPECT_EQ(home.bytes(QStringLiteral("dialed")), number.toUtf8());
    EXPECT_FALSE(QFile::exists(home.path(QStringLiteral("pwned"))));
    QApplication::processEvents();
    EXPECT_EQ(DialDialog::Current(), nullptr);
}

TEST_F(DialWindowTest, cancellingTheSetupOfferOpensNothing) {
    startWith({{{store::LastName, "Ames"}}}, "[Ports]\nCOM1=/dev/tessaly-none\n");
    answerMessages(false);
    QTest::mouseClick(main().BtnDial, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(asked, QStringList{"Wrong Dialing System"});
    EXPECT_EQ(shell::SetupDialog::Current(), nullptr);
    EXPECT_EQ(DialDialog::Current(), nullptr);
    EXPECT_TRUE(main().isEnabled());
}

// The main window is greyed while Dial is open: the dialog itself tells the attempt.
TEST_F(DialWindowTest, theDialogShowsTheNumberAndTheSecondsLeftWhileDialingAndHowItEnded) {
    startWith({{{store::LastName, "Ames"}, {store::Phone1, "030 111"}}}, modemOn());
    QTest::mouseClick(main().Label[8], Qt::LeftButton);
    DialDialog& d = opened();
    ASSERT_TRUE(modem.WaitFor("ATDT030 111\r"));
    const QString progress = d.LblProgress->text();
    EXPECT_TRUE(progress.startsWith(QStringLiteral("Dialing… 030 111 ("))) << progress.toStdString();
    EXPECT_TRUE(progress.endsWith(QStringLiteral(" s left)"))) << progress.toStdString();
    EXPECT_EQ(panel(0), "Please wait while dialing to 030 111");
    modem.Say("\r\nBUSY\r\n");
    ASSERT_TRUE(modem.WaitFor("ATH\r"));
    EXPECT_EQ(d.LblProgress->text(), "The line is BUSY.");
}

TEST_F(DialWindowTest, aLinkOpensDialOnItsNumberWhichDialsOnlyOnDial) {
    startWith({{{store::LastName, "Ames"}, {store::Phone1, "111"}}}, modemOn());
    main().DialFromLink(QStringLiteral("+49 30 123"));
    DialDialog& d = opened();
    EXPECT_EQ(d.TxtDialNumber->text(), "+49 30 123");
    EXPECT_TRUE(d.BtnDial->isEnabled());
    EXPECT_TRUE(d.BtnDial->isDefault());
    QTest::qWait(50);
    EXPECT_TRUE(modem.Received().isEmpty());
    // A second link while the dialog waits takes the box over.
    main().DialFromLink(QStringLiteral("0301234"));
    EXPECT_EQ(DialDialog::Current(), &d);
    EXPECT_EQ(d.TxtDialNumber->text(), "0301234");
    QTest::mouseClick(d.BtnDial, Qt::LeftButton);
    EXPECT_TRUE(modem.WaitFor("ATDT0301234\r"));
}

TEST_F(DialWindowTest, aLinkNeverTakesAnotherOpenWindowAway) {
    startWith({{{store::LastName, "Ames"}}}, modemOn());
    QTest::mouseClick(main().BtnSetup, Qt::LeftButton);
    ASSERT_NE(shell::SetupDialog::Current(), nullptr);
    main().DialFromLink(QStringLiteral("0301234"));
    QApplication::processEvents();
    EXPECT_EQ(DialDialog::Current(), nullptr);
    EXPECT_EQ(asked, QStringList{"Dial a Number"});
    EXPECT_NE(shell::SetupDialog::Current(), nullptr);
    shell::SetupDialog::Current()->BtnCancel->click();
}

TEST_F(DialWindowTest, everyControlHasALetterOfItsOwn) {
    startWith({{{store::LastName, "Ames"}, {store::Phone1, "111"}}}, modemOn());
    QTest::mouseClick(main().BtnDial, Qt::LeftButton);
    DialDialog& d = opened();
    EXPECT_EQ(window_checks::UnreachedControls(&d) + window_checks::AcceleratorFindings(&d), QStringList());
    QTest::mouseClick(d.BtnCancel, Qt::LeftButton);
}

}  // namespace
