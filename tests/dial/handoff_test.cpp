#include "../support/qt_print.h"
#include "dial/dial_handoff.h"
#include "dial/dial_settings.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace tessaly::dial;

namespace {

TEST(DialCommandLine, fillsInTheNumberWithoutSplittingIt) {
    const QString hostile = QStringLiteral(" +1 (555) $(touch x); rm -rf ~ `id` %n ");
    struct Case {
        const char* name;
        QString command, number;
        QStringList line;
    } cases[] = {
        {"shown and digits",
         "phone --to=%n \"%N\"",
         "+44 (20) 7946-0958",
         {"phone", "--to=+442079460958", "+44 (20) 7946-0958"}},
        {"metacharacters stay one argument", "call %N", hostile, {"call", hostile.trimmed()}},
        {"a %n inside the number is not filled in again", "call %N %n", "12%n", {"call", "12%n", "12"}},
        {"percent sign", "call 100%% %x", "1", {"call", "100%", "%x"}},
        {"no digits", "call %n", "abc", {"call", ""}},
        {"empty command", "  ", "1", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DialCommandLine(c.command, c.number), c.line);
    }
}

// A program that writes its arguments, one a line, into the file named by RECORD.
class HandOffTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString record, program;
    // The environment the test changes, put back afterwards for the other tests of this program.
    const QProcessEnvironment saved = QProcessEnvironment::systemEnvironment();

    void TearDown() override {
        for (const char* name : {"RECORD", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS",
                                 "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "DISPLAY"}) {
            if (saved.contains(name))
                qputenv(name, saved.value(name).toLocal8Bit());
            else
                qunsetenv(name);
        }
    }
    void SetUp() override {
        record = dir.filePath("args");
        program = dir.filePath("record-args");
        QFile script(program);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(
            "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$RECORD.part\"\nmv \"$RECORD.part\" "
            "\"$RECORD\"\n");
        script.setPermissions(script.permissions() | QFile::ExeOwner);
        qputenv("RECORD", record.toUtf8());
        qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
        qputenv("XDG_DATA_DIRS", dir.filePath("none").toUtf8());
        qputenv("XDG_CONFIG_DIRS", dir.filePath("none").toUtf8());
        qunsetenv("XDG_CURRENT_DESKTOP");
        qunsetenv("DESKTOP_SESSION");
        qputenv("DISPLAY", ":tessaly-test");  // xdg-open follows scheme handlers only where there is a display
    }
    QStringList Recorded() {
        if (!QTest::qWaitFor([&] { return QFile::exists(record); }, 10000)) return {"(nothing ran)"};
        QFile f(record);
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    void RegisterPhoneProgram(const QString& name = QStringLiteral("fake-phone.desktop")) {
        QDir().mkpath(dir.filePath("data/applications"));
        QDir().mkpath(dir.filePath("config"));
        QFile desktop(dir.filePath("data/applications/" + name));
        ASSERT_TRUE(desktop.open(QIODevice::WriteOnly));
        desktop.write("[Desktop Entry]\nType=Application\nName=Fake Phone\nExec=" + program.toUtf8() +
                      " %u\nMimeType=x-scheme-handler/tel;\n");
        QFile list(dir.filePath("config/mimeapps.list"));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write("[Default Applications]\nx-scheme-handler/tel=" + name.toUtf8() + "\n");
    }
};

TEST_F(HandOffTest, theCommandGetsTheNumberAsOneArgumentWithoutAShell) {
    const QString number = QStringLiteral("+1 555 $(touch pwned); echo `id` | tee x");
    const HandOff result = RunDialCommand(program + " --call %N %n", number);
    EXPECT_TRUE(result.done);
    EXPECT_EQ(Recorded(), (QStringList{"--call", number, "+1555"}));
    EXPECT_FALSE(QFile::exists(dir.filePath("pwned")));
    EXPECT_FALSE(RunDialCommand(dir.filePath("no-such-program") + " %n", "1").done);
    EXPECT_FALSE(RunDialCommand("", "1").done);
}

TEST_F(HandOffTest, aTelLinkIsHandedOverOnlyWhenAProgramTakesIt) {
    if (QStandardPaths::findExecutable("xdg-mime").isEmpty() || QStandardPaths::findExecutable("xdg-open").isEmpty())
        GTEST_SKIP() << "xdg-utils is not installed";
    const HandOff none = CallThroughHandler("+44 20 7946 0958");
    EXPECT_FALSE(none.done);
    EXPECT_EQ(PhoneHandler(), "");

    RegisterPhoneProgram();
    EXPECT_EQ(PhoneHandler(), "fake-phone.desktop");
    const HandOff result = CallThroughHandler("+44 20 7946 0958");
    EXPECT_TRUE(result.done);
    EXPECT_EQ(result.text, "fake-phone.desktop");
    EXPECT_EQ(Recorded(), QStringList{"tel:+442079460958"});
    EXPECT_FALSE(CallThroughHandler("ask reception").done);
}

// Our own desktop file takes tel: links to open Dial: handing it a number would come straight back.
TEST_F(HandOffTest, aNumberIsNeverHandedToTessalyItself) {
    if (QStandardPaths::findExecutable("xdg-mime").isEmpty() || QStandardPaths::findExecutable("xdg-open").isEmpty())
        GTEST_SKIP() << "xdg-utils is not installed";
    RegisterPhoneProgram(kOwnDesktopFile);
    const HandOff result = CallThroughHandler("+44 20 7946 0958");
    EXPECT_FALSE(result.done);
    EXPECT_EQ(result.text, kOwnHandlerText);
    EXPECT_EQ(CheckDialSettings({.Via = DialVia::PhoneHandler, .DialSystem = {}, .Device = {}, .Command = {}}),
              PortCheck::OwnPhoneHandler);
    QTest::qWait(200);
    EXPECT_FALSE(QFile::exists(record));
}

}  // namespace
