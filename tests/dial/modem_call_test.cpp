#include "dial/modem_call.h"
#include "dial/dial_settings.h"
#include "fake_modem.h"
#include "profile/cached_profile.h"

#include <gtest/gtest.h>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace tessaly::dial;
using namespace std::chrono_literals;

namespace {

// Waits for the attempt to end; a conversation that never ends fails after 5 s.
std::optional<Outcome> Ending(QSignalSpy& spy) {
    if (spy.isEmpty() && !spy.wait(5000)) return std::nullopt;
    return spy.takeFirst().at(0).value<Outcome>();
}

// Runs the event loop until the call has read what the modem said.
void LetCallHear(ModemCall& call) {
    QSignalSpy heard(call.findChild<QSerialPort*>(), &QSerialPort::readyRead);
    ASSERT_TRUE(heard.wait(5000));
}

// Everything the modem received, once it has received `expected` (or after 5 s, whatever came).
QByteArray ReceivedBy(FakeModem& modem, const QByteArray& expected) {
    modem.WaitFor(expected);
    return modem.Received();
}

struct Script {
    const char* name;
    const char* method;
    const char* number;
    std::vector<QByteArray> answers;  // said one by one after the dial command arrived
    Outcome outcome;
    QByteArray received;
};

TEST(ModemCall, recognisesTheModemsAnswersAcrossPiecesAndHangsUp) {
    const Script scripts[] = {
        {"busy", "DT", "123", {"\r\nBUSY\r\n"}, Outcome::Busy, "ATDT123\rATH\r"},
        {"no dial tone in two pieces",
         "DT",
         " 123 ",
         {"\r\nNO DIAL", "TONE\r\n"},
         Outcome::NoDialTone,
         "ATDT123\rATH\r"},
        {"lower case", "DT", "123", {"busy"}, Outcome::Busy, "ATDT123\rATH\r"},
        {"pulse", "DP", "0049 30", {"OK\r\n", "BUSY\r\n"}, Outcome::Busy, "ATDP0049 30\rATH\r"},
    };
    for (const Script& s : scripts) {
        SCOPED_TRACE(s.name);
        FakeModem modem;
        ASSERT_TRUE(modem.Ready());
        ModemCall call(modem.Device(), 60s);
        QSignalSpy ended(&call, &ModemCall::finished);
        ASSERT_TRUE(call.Start(s.method, s.number));
        ASSERT_TRUE(modem.WaitFor("\r"));
        for (const QByteArray& piece : s.answers) {
            modem.Say(piece);
            if (&piece != &s.answers.back()) LetCallHear(call);
        }
        EXPECT_EQ(Ending(ended), s.outcome);
        EXPECT_FALSE(call.Running());
        EXPECT_EQ(ReceivedBy(modem, s.received), s.received);
    }
}

TEST(ModemCall, silenceAfterOkMeansPickUpAndTheLineIsHeldUntilHangUp) {
    FakeModem modem;
    ModemCall call(modem.Device(), 1ms);
    QSignalSpy ended(&call, &ModemCall::finished);
    ASSERT_TRUE(call.Start("DT", "123"));
    ASSERT_TRUE(modem.WaitFor("ATDT123\r"));
    modem.Say("OK\r\n");
    EXPECT_EQ(Ending(ended), Outcome::PickUp);
    modem.Say("BUSY\r\n");  // too late: the user has the handset
    EXPECT_EQ(modem.Received(), "ATDT123\r");
    call.HangUp();
    EXPECT_EQ(ReceivedBy(modem, "ATDT123\rATH\r"), "ATDT123\rATH\r");
    EXPECT_TRUE(ended.isEmpty());
}

TEST(ModemCall, theEchoedCommandIsNotTakenForTheModemsAnswer) {
    FakeModem modem;
    ModemCall call(modem.Device(), 60s);
    QSignalSpy ended(&call, &ModemCall::finished);
    ASSERT_TRUE(call.Start("DT", "555-BUSY"));
    ASSERT_TRUE(modem.WaitFor("\r"));
    modem.Say("ATDT555-BUSY\r\r\nOK\r\n");
    LetCallHear(call);
    EXPECT_TRUE(ended.isEmpty());
    call.Cancel();
    EXPECT_EQ(Ending(ended), Outcome::Cancelled);
}

TEST(ModemCall, cancelHangsUpAndAnAnswerAfterItDoesNotEndTheNextAttempt) {
    FakeModem modem;
    ModemCall call(modem.Device(), 60s);
    QSignalSpy ended(&call, &ModemCall::finished);
    ASSERT_TRUE(call.Start("DT", "123"));
    ASSERT_TRUE(modem.WaitFor("\r"));
    call.Cancel();
    EXPECT_EQ(Ending(ended), Outcome::Cancelled);
    EXPECT_EQ(ReceivedBy(modem, "ATDT123\rATH\r"), "ATDT123\rATH\r");
    modem.Say("\r\nBUSY\r\n");
    ASSERT_TRUE(call.Start("DT", "456"));
    ASSERT_TRUE(modem.WaitFor("ATDT456\r"));
    EXPECT_TRUE(ended.isEmpty());
    call.Cancel();
    EXPECT_EQ(ReceivedBy(modem, "ATDT456\rATH\r"), "ATDT123\rATH\rATDT456\rATH\r");
}

TEST(ModemCall, aPortThatVanishesEndsTheAttemptAndOneThatCannotOpenSaysSo) {
    FakeModem modem;
    ModemCall call(modem.Device(), 60s);
    QSignalSpy ended(&call, &ModemCall::finished);
    ASSERT_TRUE(call.Start("DT", "123"));
    ASSERT_TRUE(modem.WaitFor("\r"));
    modem.Unplug();
    EXPECT_EQ(Ending(ended), Outcome::PortLost);
    EXPECT_FALSE(call.Running());

    ModemCall nowhere(QStringLiteral("/dev/tessaly-no-such-port"), 60s);
    QSignalSpy refused(&nowhere, &ModemCall::finished);
    EXPECT_FALSE(nowhere.Start("DT", "123"));
    EXPECT_EQ(Ending(refused), Outcome::CannotOpen);
    EXPECT_FALSE(nowhere.ErrorText().isEmpty());
}

TEST(DialCommand, sendsOnlyPrintableCharactersOfTheNumber) {
    EXPECT_EQ(DialCommand("DT", "123"), "ATDT123\r");
    EXPECT_EQ(DialCommand("DT", "12\r\nATZ3"), "ATDT12ATZ3\r");
    EXPECT_EQ(DialCommand("DP", QString::fromUtf8("+49\u00a0(30) 12")), "ATDP+49(30) 12\r");
}

TEST(CheckPortSettings, testsTheMethodThenThePortThenOpensIt) {
    FakeModem modem;
    QTemporaryDir dir;
    const QString ini = dir.filePath("ostrel.ini");
    struct Case {
        const char* name;
        QByteArray preferences;
        PortCheck expected;
    } cases[] = {
        {"nothing set", "", PortCheck::WrongMethod},
        {"method only", "[TS32]\nDialSystem=DT\n", PortCheck::WrongPort},
        {"port 5", "[TS32]\nDialSystem=DT\nCommPort=5\n", PortCheck::WrongPort},
        {"port 257", "[TS32]\nDialSystem=DP\nCommPort=257\n", PortCheck::WrongPort},
        {"wrong method before wrong port", "[TS32]\nDialSystem=DX\nCommPort=9\n", PortCheck::WrongMethod},
        {"missing device", "[TS32]\nDialSystem=DT\nCommPort=2\n[Ports]\nCOM2=/dev/tessaly-none\n",
         PortCheck::CannotOpen},
        {"the modem, method trimmed",
         "[TS32]\nDialSystem= dp \nCommPort=3\n[Ports]\nCOM3=" + modem.Device().toUtf8() + "\n", PortCheck::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.preferences);
        f.close();
        tessaly::profile::CachedProfile profile;
        EXPECT_EQ(CheckPortSettings(ReadDialSettings(profile, ini)), c.expected);
    }
    EXPECT_TRUE(modem.Received().isEmpty());
}

}  // namespace
