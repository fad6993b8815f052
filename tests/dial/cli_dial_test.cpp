#include "fake_modem.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// tessaly-cli with its preferences in a folder of the test's own.
class CliDial : public ::testing::Test {
protected:
    QTemporaryDir home;
    QProcess cli;

    void SetUp() override {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        cli.setProcessEnvironment(env);
    }
    void Preferences(const QByteArray& text) {
        QDir().mkpath(home.filePath("config/Tessaly"));
        QFile f(home.filePath("config/Tessaly/ostrel.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    // The fake modem's event loop may already have seen the program end.
    bool Ended() { return cli.state() == QProcess::NotRunning || cli.waitForFinished(10000); }
    int Run(const QStringList& args) {
        cli.start(TESSALY_CLI, args);
        return cli.waitForFinished(10000) ? cli.exitCode() : -1;
    }
};

TEST_F(CliDial, printsTheOutcomeAndExitsWithItsCode) {
    struct Case {
        const char* name;
        QStringList args;
        QByteArray answer;
        int exitCode;
        QByteArray printed, received;
    } cases[] = {
        {"busy", {"--method", "DT"}, "\r\nBUSY\r\n", 5, "busy\n", "ATDT123\rATH\r"},
        {"no dial tone", {"--method", "dp"}, "NO DIALTONE\r\n", 6, "no dial tone\n", "ATDP123\rATH\r"},
        {"silence", {"--method", "DT", "--wait", "0"}, "OK\r\n", 0, "pick up\n", "ATDT123\rATH\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeModem modem;
        cli.start(TESSALY_CLI, QStringList{"dial", "--port", modem.Device()} + c.args + QStringList{"123"});
        ASSERT_TRUE(modem.WaitFor("\r"));
        modem.Say(c.answer);
        ASSERT_TRUE(Ended());
        EXPECT_EQ(cli.exitCode(), c.exitCode);
        EXPECT_EQ(cli.readAllStandardOutput(), c.printed);
        modem.WaitFor(c.received);
        EXPECT_EQ(modem.Received(), c.received);
    }
}

TEST_F(CliDial, dialsACardsNumberThroughTheSavedPortAndMethod) {
    FakeModem modem;
    Preferences("[TS32]\nDialSystem=DP\nCommPort=2\n[Ports]\nCOM2=" + modem.Device().toUtf8() + "\n");
    const QString data = home.filePath("cards");
    ASSERT_EQ(Run({"--data", data, "init"}), 0);
    ASSERT_EQ(Run({"--data", data, "add", "LastName=Ames", "Phone1=111", "Fax= +44 20 7946 0958 "}), 0);
    cli.start(TESSALY_CLI, {"--data", data, "dial", "--card", "0", "--field", "Fax"});
    ASSERT_TRUE(modem.WaitFor("\r"));
    modem.Say("BUSY");
    ASSERT_TRUE(Ended());
    EXPECT_EQ(cli.exitCode(), 5);
    modem.WaitFor("ATH\r");
    EXPECT_EQ(modem.Received(), "ATDP+44 20 7946 0958\rATH\r");
}

TEST_F(CliDial, refusesWhatCannotBeDialed) {
    struct Case {
        const char* name;
        QStringList args;
        int exitCode;
    } cases[] = {
        {"no method anywhere", {"dial", "--port", "/dev/null", "123"}, 2},
        {"no port set up", {"dial", "--method", "DT", "123"}, 2},
        {"no number", {"dial", "--method", "DT", "--port", "/dev/null"}, 2},
        {"no such card", {"--data", "/nonexistent", "dial", "--method", "DT", "--port", "COM1", "--card", "7"}, 2},
        {"port missing", {"dial", "--method", "DT", "--port", "/dev/tessaly-none", "123"}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Run(c.args), c.exitCode);
    }
}

}  // namespace
