#include "../support/qt_print.h"
#include "cli_process.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QRegularExpression>

namespace {

using Result = CliResult;

class PrintCliTest : public ::testing::Test {
protected:
    PrintCliTest() { run({"init"}); }
    Result run(const QStringList& args) { return RunCli(dir, args, 30000); }
    TempFolder dir;
};

}  // namespace

TEST_F(PrintCliTest, printRefusesWhatItCannotPrintAndWritesNothing) {
    struct Case {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"print", "labels", "--sheet", "5160", dir.path("out.pdf")}, "no cards to print"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Result r = run(c.args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.err.contains(c.says)) << qPrintable(r.err);
    }
    run({"add", "LastName=Lee"});
    const Case refused[] = {
        {{"print", "labels", "--sheet", "9999", dir.path("out.pdf")}, "No label sheet \"9999\"; known: 5160 5161"},
        {{"print", "labels", "--sheet", "L7165", "--start", "9", dir.path("out.pdf")}, "has 8 labels; --start 9"},
        {{"print", "labels", "--sheet", "5160", "--start", "x", dir.path("out.pdf")}, "--start takes"},
        {{"print", "list", "--kind", "short", dir.path("out.pdf")}, "--kind takes phone or full"},
        {{"print", "list", "--kind", "phone", "--paper", "a5", dir.path("out.pdf")}, "--paper takes a4 or letter"},
        {{"print", "list", "--kind", "phone"}, "needs the PDF file"},
        {{"print", "poster", dir.path("out.pdf")}, "labels, list or sheets"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Result r = run(c.args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.err.contains(c.says)) << qPrintable(r.err);
    }
    EXPECT_FALSE(QFile::exists(dir.path("out.pdf")));
}

TEST_F(PrintCliTest, aUsersSheetFilePrintsAndItsBadLinesAreNamed) {
    QDir().mkpath(dir.path("config/Tessaly"));
    dir.put("config/Tessaly/label_sheets.txt",
            "Big a4 1 1 200mm 280mm 5mm 5mm 200mm 280mm\nBad a4 1 1 300mm 10mm 0mm 0mm 300mm 10mm\n");
    run({"add", "LastName=Lee", "Company=Acme"});
    const Result sheets = run({"print", "sheets"});
    EXPECT_EQ(sheets.code, 1);
    EXPECT_TRUE(sheets.out.contains("Big\ta4\t1x1\n"));
    EXPECT_TRUE(sheets.out.contains("label_sheets.txt, line 2: the labels reach 300.0 mm across a page 210.0 mm wide"));
    const Result printed = run({"print", "labels", "--sheet", "big", dir.path("out.pdf")});
    EXPECT_EQ(printed.code, 0) << qPrintable(printed.err);
    EXPECT_EQ(printed.out, "wrote 1 page to " + dir.path("out.pdf") + "\n");
    EXPECT_TRUE(dir.bytes("out.pdf").startsWith("%PDF"));
}

TEST_F(PrintCliTest, backupAutoMakesADatedBackupUnlessTheProgramHasTheCardFile) {
    run({"add", "LastName=Lee"});
    QDir().mkpath(dir.path("config/Tessaly"));
    QDir().mkpath(dir.path("saved"));
    dir.put("config/Tessaly/ostrel.ini", "[Data Files]\nBackupPath=" + dir.path("saved").toUtf8() + "\n");
    const Result made = run({"backup", "--auto"});
    ASSERT_EQ(made.code, 0) << qPrintable(made.err);
    const QStringList folders = QDir(dir.path("saved")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(folders.size(), 1);
    EXPECT_TRUE(QRegularExpression("^auto-\\d{8}-\\d{6}$").match(folders[0]).hasMatch());
    EXPECT_EQ(dir.bytes("saved/" + folders[0] + "/tesly.old"), dir.bytes("cards/tesly.dat"));

    QDir(dir.path("saved/" + folders[0])).removeRecursively();
    dir.put("cards/tesly.dat",
            dir.bytes("cards/tesly.dat").replace("DelNoOfRecords=0", "DelNoOfRecords=0\r\nNoOfUses=1"));
    const Result refused = run({"backup", "--auto"});
    EXPECT_EQ(refused.code, 3);
    EXPECT_TRUE(refused.err.contains("Another program has the card file open"));
    EXPECT_EQ(QDir(dir.path("saved")).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
}
