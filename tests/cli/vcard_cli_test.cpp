#include "../support/qt_print.h"
#include "cli_process.h"

#include <gtest/gtest.h>

namespace {

using Result = CliResult;

// The real command on two card files in a temporary folder, with its own preferences.
class VCardCliTest : public ::testing::Test {
protected:
    VCardCliTest() {
        run("a", {"init"});
        run("b", {"init"});
    }
    Result run(const QString& cards, const QStringList& args) { return RunCliOn(dir, cards, args); }
    TempFolder dir;
};

}  // namespace

TEST_F(VCardCliTest, exportThenImportGivesTheSameCards) {
    run("a", {"add", "FirstName=Jürgen", "LastName=Müller", "Notes=one\\r\\ntwo, three; four", "Address4=Berlin, BE"});
    run("a", {"add", "Company=ACME", "Phone2=+1 555"});
    for (const char* version : {"3", "4"}) {
        SCOPED_TRACE(version);
        const Result exported = run("a", {"export", "--vcard", dir.path("out.vcf"), "--version", version});
        ASSERT_EQ(exported.code, 0) << qPrintable(exported.err);
        EXPECT_EQ(exported.out, "exported 2 cards\n");
        const Result imported = run("b", {"import", "--vcard", dir.path("out.vcf"), "--replace"});
        ASSERT_EQ(imported.code, 0) << qPrintable(imported.err);
        EXPECT_EQ(
            imported.out,
            "2 cards were imported.\n0 cards skipped as duplicates.\nNo card left out by the limit of 8000 cards.\n");
        const QStringList before = run("a", {"list"}).out.split('\n', Qt::SkipEmptyParts),
                          after = run("b", {"list"}).out.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(after.size(), before.size());
        for (qsizetype i = 0; i < before.size(); ++i)
            EXPECT_EQ(run("b", {"show", after[i].section('\t', 0, 0)}).out,
                      run("a", {"show", before[i].section('\t', 0, 0)}).out);
        EXPECT_EQ(run("b", {"check"}).out, "ok\n");
    }
}

TEST_F(VCardCliTest, refusesWhatItCannotDoAndWritesNothing) {
    dir.put("empty.vcf", "no card here\n");
    dir.put("notes.vcf", "BEGIN:VCARD\nN:Doe;Jo\nNICKNAME:J\nPHOTO;ENCODING=b:AAAA\nEND:VCARD\n");
    QByteArray many;
    for (int i = 0; i < 8000; ++i) many += "BEGIN:VCARD\nN:Card;N" + QByteArray::number(i) + "\nEND:VCARD\n";
    dir.put("many.vcf", many);
    const CliCase cases[] = {
        {"a file without vCards", {"import", "--vcard", dir.path("empty.vcf")}, 2, "holds no vCard"},
        {"a missing file", {"import", "--vcard", dir.path("none.vcf")}, 2, "none.vcf"},
        {"a version we do not write",
         {"export", "--vcard", dir.path("x.vcf"), "--version", "2"},
         2,
         "--version takes 3 or 4"},
        {"a folder that is not there", {"export", "--vcard", dir.path("no/x.vcf")}, 4, "Could not write"},
        {"more cards than the file can take",
         {"import", "--vcard", dir.path("many.vcf")},
         2,
         "--yes-up-to-limit imports the first 8000"},
        {"values without a place are counted",
         {"import", "--vcard", dir.path("notes.vcf")},
         0,
         "1 values without a card field"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = run("a", c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE((r.out + r.err).contains(c.says)) << qPrintable(r.out + r.err);
    }
    EXPECT_EQ(run("a", {"list"}).out, "0\tDoe, Jo\n");
}

TEST_F(VCardCliTest, duplicatesAreListedAndTreatedAsAsked) {
    run("a", {"add", "FirstName=Jürgen", "LastName=Müller", "Phone1=+49 30 1234-5678"});
    run("a", {"add", "FirstName=Juergen", "LastName=Mueller", "Phone2=030 12345678"});
    run("a", {"add", "FirstName=Anna", "LastName=Meier"});
    run("a", {"add", "FirstName=ANNA", "LastName=MEIER", "Fax=1"});
    EXPECT_EQ(run("a", {"duplicates"}).out,
              "strong\t1\tMueller, Juergen\t0\tMüller, Jürgen\npossible\t3\tMEIER, ANNA\t2\tMeier, Anna\n");
    dir.put("in.vcf",
            "BEGIN:VCARD\nN:Meier;Anna\nEMAIL:anna@example.de\nEND:VCARD\nBEGIN:VCARD\nN:New;Card\nEND:VCARD\n");
    struct Case {
        const char* policy;
        const char* says;
        int cards;
        bool mailKept;
    } cases[] = {
        {"skip", "1 card was imported.\n1 card skipped as duplicates.\nNo card left out by the limit of 8000 cards.\n",
         5, false},
        {"fill",
         "1 card was imported.\n1 filled the empty fields of cards already there.\n0 cards skipped as duplicates.\n"
         "No card left out by the limit of 8000 cards.\n",
         5, true},
        {"import",
         "2 cards were imported.\n0 cards skipped as duplicates.\nNo card left out by the limit of 8000 cards.\n", 6,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.policy);
        run("b", {"import", "--vcard", dir.path("in.vcf"), "--replace"});  // a fresh copy of the card file
        run("a", {"export", "--vcard", dir.path("a.vcf")});
        run("b", {"import", "--vcard", dir.path("a.vcf"), "--replace"});
        const Result r = run("b", {"import", "--vcard", dir.path("in.vcf"), "--duplicates", c.policy});
        EXPECT_TRUE(r.out.endsWith(c.says)) << qPrintable(r.out + r.err);
        EXPECT_TRUE(r.out.startsWith("1 incoming cards match other cards (0 strongly)")) << qPrintable(r.out);
        EXPECT_EQ(run("b", {"list"}).out.count('\n'), c.cards);
        run("b", {"export", "--vcard", dir.path("b.vcf")});
        EXPECT_EQ(dir.bytes("b.vcf").contains("anna@example.de"), c.mailKept);
        EXPECT_EQ(run("b", {"check"}).out, "ok\n");
    }
    EXPECT_EQ(run("a", {"import", "--vcard", dir.path("in.vcf"), "--duplicates", "merge"}).code, 2);
    dir.put("in.csv", "ANNA,MEIER\nNew,Person\n");
    const Result delimited =
        run("a", {"import", dir.path("in.csv"), "--delimiter", "comma", "--map", "1,2", "--duplicates", "skip"});
    EXPECT_EQ(delimited.out,
              "mapping: column 1=FirstName, column 2=LastName\n"
              "1 incoming cards match other cards (0 strongly); skipped\n1 card was imported.\n1 card skipped as "
              "duplicates.\n"
              "No card left out by the limit of 8000 cards.\n0 empty lines made no card.\n")
        << qPrintable(delimited.err);
}
