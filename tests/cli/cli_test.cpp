#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "cards/card_lock.h"
#include "cli_process.h"

#include <gtest/gtest.h>
#include <QFileInfo>
#include <QProcess>

namespace {

using Result = CliResult;

// Runs the real command on a card file in a temporary folder.
class CliTest : public ::testing::Test {
protected:
    Result run(QStringList args, const QString& data = QString()) {
        QProcess p;
        p.setProcessEnvironment(env());
        args.prepend(data.isNull() ? dir.path("cards") : data);
        args.prepend("--data");
        p.start(QStringLiteral(TESSALY_CLI), args);
        p.closeWriteChannel();
        p.waitForFinished(30000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    QProcessEnvironment env() {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("XDG_CONFIG_HOME", dir.path("config"));
        e.insert("XDG_DATA_HOME", dir.path("data"));
        return e;
    }
    QByteArray header() { return dir.bytes("cards/tesly.dat"); }

    TempFolder dir;
};

}  // namespace

TEST_F(CliTest, initAddListShowAndCheckWorkTogether) {
    ASSERT_EQ(run({"init"}).code, 0);
    EXPECT_EQ(header(),
              "[General Info]\r\nApplication=Tessaly\r\nTotalNoOfRecords=0\r\nNoOfRecords=0\r\n"
              "NameFirstRecord=\r\nCompanyFirstRecord=\r\nDelNoOfRecords=0\r\nDelFirstRecord=\r\n");
    EXPECT_EQ(run({"add", "FirstName=Jo", "LastName=Adams", "Company=Zulu"}).out, "0\n");
    EXPECT_EQ(run({"add", "company=Acme", "Notes=one\\ntwo\\\\three"}).out, "1\n");
    EXPECT_EQ(run({"list"}).out, "1\t( Acme )\n0\tAdams, Jo\n");
    EXPECT_EQ(run({"list", "--company"}).out, "1\t( Acme )\n0\t( Zulu )\n");
    const Result show = run({"show", "1"});
    EXPECT_TRUE(show.out.contains("Company=Acme\n"));
    EXPECT_TRUE(show.out.contains("Notes=one\\ntwo\\\\three\n"));
    EXPECT_EQ(show.out.count('\n'), 16);
    EXPECT_EQ(run({"check"}).out, "ok\n");
    EXPECT_EQ(run({"init"}).code, 2);  // never over an existing card file
}

TEST_F(CliTest, editMovesDeleteAndRestoreKeepTheFileSound) {
    run({"init"});
    run({"add", "FirstName=Jo", "LastName=Adams"});
    run({"add", "FirstName=Al", "LastName=Baker"});
    EXPECT_EQ(run({"edit", "0", "LastName=Young", "Title=Boss"}).code, 0);
    EXPECT_EQ(run({"list"}).out, "1\tBaker, Al\n0\tYoung, Jo\n");
    EXPECT_EQ(run({"delete", "1"}).code, 0);
    EXPECT_EQ(run({"list", "--deleted"}).out, "1\tBaker, Al\n");
    EXPECT_EQ(run({"restore", "1"}).code, 0);
    EXPECT_EQ(run({"restore", "1"}).code, 2);
    EXPECT_EQ(run({"delete", "7"}).code, 2);
    EXPECT_EQ(run({"check"}).out, "ok\n");
    EXPECT_EQ(run({"sort"}).out, "in order\n");
}

TEST_F(CliTest, badInputIsRefusedWithAMessageAndNothingWritten) {
    run({"init"});
    const QByteArray before = header();
    const Result empty = run({"add", "Sal=Mr.", "FirstName=  "});
    EXPECT_EQ(empty.code, 2);
    EXPECT_EQ(empty.err, "Either Name or Company must be filled\n");
    EXPECT_EQ(run({"add", "Nickname=Jo"}).code, 2);
    EXPECT_EQ(run({"edit", "x"}).code, 2);
    EXPECT_EQ(run({"frobnicate"}).code, 2);
    EXPECT_EQ(header(), before);
    EXPECT_FALSE(QFile::exists(dir.path("cards/tesly0.dat")));
}

TEST_F(CliTest, aMissingOrForeignCardFileIsRefusedWithTheProgramsTexts) {
    EXPECT_EQ(run({"list"}).err, "I can't find an Tessaly data files.\n");
    QDir().mkpath(dir.path("other"));
    dir.put("other/tesly.dat", "[General Info]\r\nApplication=Spreadsheet\r\nNoOfRecords=5\r\n");
    const Result foreign = run({"list"}, dir.path("other"));
    EXPECT_EQ(foreign.code, 2);
    EXPECT_EQ(foreign.err, "This is not a valid Tessaly data file.\n");
}

TEST_F(CliTest, aCardFileInUseIsOnlyChangedWithForce) {
    run({"init"});
    dir.put("cards/tesly.dat", header() + "NoOfUses=1\r\n");
    EXPECT_EQ(run({"add", "LastName=Adams"}).code, 3);
    EXPECT_EQ(run({"list"}).code, 0);
    EXPECT_EQ(run({"--force", "add", "LastName=Adams"}).code, 0);
}

TEST_F(CliTest, withoutDataTheFolderNamedByThePreferencesIsUsed) {
    run({"init"});
    run({"add", "LastName=Adams"});
    QDir().mkpath(dir.path("config/Tessaly"));
    dir.put("config/Tessaly/ostrel.ini", ("[Data Files]\r\nTeslyDataPath=" + dir.path("cards") + "\r\n").toUtf8());
    QProcess p;
    p.setProcessEnvironment(env());
    p.start(QStringLiteral(TESSALY_CLI), {"list"});
    p.waitForFinished(30000);
    EXPECT_EQ(p.readAllStandardOutput(), "0\tAdams\n");
}

TEST_F(CliTest, checkFindsFaultsAndExitsWithOne) {
    run({"init"});
    run({"add", "LastName=Adams"});
    dir.put("cards/tesly.dat", header().replace("\nNoOfRecords=1", "\nNoOfRecords=4"));
    const Result r = run({"check"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.contains("count says \"4\""));
    EXPECT_EQ(run({"sort"}).out, "sorted\n");  // the start-up check repairs the count
    EXPECT_EQ(run({"check"}).out, "ok\n");
}

TEST_F(CliTest, changesToCardsThatAreNotThereExitTwoAndWriteNothing) {
    run({"init"});
    run({"add", "LastName=Adams"});
    run({"add", "LastName=Baker"});
    run({"delete", "1"});
    const QByteArray header0 = header(), cards0 = dir.bytes("cards/tesly0.dat");
    const QStringList cases[] = {
        {"restore", "5"},           {"restore", "0"}, {"delete", "5"}, {"delete", "1"}, {"edit", "5", "LastName=Young"},
        {"edit", "1", "Title=Boss"}};
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Result r = run(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_FALSE(r.err.isEmpty());
        EXPECT_EQ(header(), header0);
        EXPECT_EQ(dir.bytes("cards/tesly0.dat"), cards0);
    }
}

TEST_F(CliTest, showAndListEscapeControlCharactersAndTheTextReadsBack) {
    run({"init"});
    QDir().mkpath(dir.path("in"));
    dir.put("in/name", "Evil\x1b]0;owned\x07Name");
    dir.put("in/note", "two\r\nlines\x1b[2J\xe2\x80\xae end\n");
    EXPECT_EQ(run({"add", "LastName=@" + dir.path("in/name"), "Notes=@" + dir.path("in/note")}).code, 0);
    const Result list = run({"list"});
    EXPECT_EQ(list.out, "0\tEvil\\x1B]0;owned\\x07Name\n");
    const QString show = run({"show", "0"}).out;
    EXPECT_TRUE(show.contains("Notes=two\\r\\nlines\\x1B[2J\\u{202E} end\\n\n"));
    for (QChar c : show) EXPECT_TRUE(c == u'\n' || c.unicode() >= 0x20) << int(c.unicode());
    // What show prints is what edit takes back.
    const QByteArray before = dir.bytes("cards/tesly0.dat");
    QStringList typed = {"edit", "0"};
    for (const QString& line : show.split('\n', Qt::SkipEmptyParts)) typed << line;
    EXPECT_EQ(run(typed).code, 0);
    EXPECT_EQ(run({"show", "0"}).out, show);
    EXPECT_EQ(dir.bytes("cards/tesly0.dat"), before);
}

TEST_F(CliTest, valuesComeFromFilesOrStandardInputAndAnUnreadableFileIsReported) {
    run({"init"});
    QDir().mkpath(dir.path("in"));
    const QByteArray big(200 * 1024, 'x');  // more than one argument may carry
    dir.put("in/big", big);
    EXPECT_EQ(run({"add", "LastName=Adams", "Notes=@" + dir.path("in/big")}).out, "0\n");
    EXPECT_TRUE(run({"show", "0"}).out.contains("Notes=" + big + "\n"));

    QProcess p;
    p.setProcessEnvironment(env());
    p.start(QStringLiteral(TESSALY_CLI), {"--data", dir.path("cards"), "add", "LastName=@-", "Company=@@home"});
    p.write("From stdin");
    p.closeWriteChannel();
    p.waitForFinished(30000);
    EXPECT_EQ(p.exitCode(), 0);
    const QString shown = run({"show", "1"}).out;
    EXPECT_TRUE(shown.contains("LastName=From stdin\n"));
    EXPECT_TRUE(shown.contains("Company=@home\n"));

    const QByteArray header0 = header();
    const Result missing = run({"add", "LastName=Young", "Notes=@" + dir.path("in/none")});
    EXPECT_EQ(missing.code, 4);
    EXPECT_TRUE(missing.err.contains(dir.path("in/none")));
    EXPECT_EQ(run({"add", "LastName=@-", "Notes=@-"}).code, 2);
    EXPECT_EQ(header(), header0);
}

TEST_F(CliTest, aChangeWhileAnotherHoldsTheLockExitsThreeAfterWaiting) {
    run({"init"});
    const QByteArray header0 = header();
    tessaly::store::CardFileLock other(dir.path("cards/"), std::chrono::milliseconds(0));
    const Result r = run({"add", "LastName=Adams"});
    EXPECT_EQ(r.code, 3);
    EXPECT_TRUE(r.err.contains("tesly.lock"));
    EXPECT_EQ(header(), header0);
    EXPECT_EQ(run({"list"}).code, 0);  // reading needs no lock
}

// The testers' race: two shell loops adding cards at once.
TEST_F(CliTest, twoLoopsAddingAtOnceKeepEveryCardAndHandOutEveryNumberOnce) {
    run({"init"});
    const int perLoop = 100;
    const QString loop = QString("for i in $(seq %1); do \"%2\" --data \"%3\" add LastName=$0$i || echo failed; done")
                             .arg(perLoop)
                             .arg(TESSALY_CLI, dir.path("cards"));
    QProcess a, b;
    for (QProcess* p : {&a, &b}) p->setProcessEnvironment(env());
    a.start("bash", {"-c", loop, "A"});
    b.start("bash", {"-c", loop, "B"});
    ASSERT_TRUE(a.waitForFinished(600000) && b.waitForFinished(600000));
    const QString numbers = a.readAllStandardOutput() + b.readAllStandardOutput();
    EXPECT_FALSE(numbers.contains("failed"));
    const QStringList handedOut = numbers.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(QSet<QString>(handedOut.begin(), handedOut.end()).size(), 2 * perLoop);
    EXPECT_EQ(run({"list"}).out.count('\n'), 2 * perLoop);
    EXPECT_EQ(run({"check"}).out, "ok\n");
}

namespace {

// A run killed in the middle of a write leaves its temporary file; the next change clears it,
// while a command that only reads leaves the folder alone.
TEST_F(CliTest, temporaryFilesOfKilledRunsGoWithTheNextChange) {
    ASSERT_EQ(run({"init"}).code, 0);
    const QString leftover = "cards/.tesly0.dat.tessaly-tmp-Ab12Cd";
    dir.put(leftover, "half a card");
    dir.put("cards/notes.txt", "not ours");
    EXPECT_EQ(run({"list"}).code, 0);
    EXPECT_TRUE(QFileInfo::exists(dir.path(leftover)));
    EXPECT_EQ(run({"add", "LastName=Lee"}).code, 0);
    EXPECT_FALSE(QFileInfo::exists(dir.path(leftover)));
    EXPECT_TRUE(QFileInfo::exists(dir.path("cards/notes.txt")));
}

}  // namespace
