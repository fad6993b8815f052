#include "../support/qt_print.h"
#include "../support/temp_folder.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct Result {
    int code;
    QString out, err;
};

// Runs the real command on a card file in a temporary folder.
class CliTest : public ::testing::Test {
protected:
    Result run(QStringList args, const QString& data = QString()) {
        QProcess p;
        p.setProcessEnvironment(env());
        args.prepend(data.isNull() ? dir.path("cards") : data);
        args.prepend("--data");
        p.start(QStringLiteral(TESSALY_CLI), args);
        p.waitForFinished(30000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
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
    EXPECT_EQ(header(), "[General Info]\r\nApplication=Tessaly\r\nTotalNoOfRecords=0\r\nNoOfRecords=0\r\n"
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
