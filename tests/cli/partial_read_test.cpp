// Read commands on a card file with a part away: what they can, and exit 4.
#include "../support/qt_print.h"
#include "cli_process.h"

#include <gtest/gtest.h>
#include <QDir>

namespace {

using Result = CliResult;

class PartialReadTest : public ::testing::Test {
protected:
    // 150 cards: 0 to 99 in tesly0.dat, 100 to 149 in tesly1.dat.
    PartialReadTest() {
        run({"init"});
        QByteArray cards;
        for (int i = 0; i < 150; ++i)
            cards += "BEGIN:VCARD\nN:Card" + QByteArray::number(i) + ";Jo\nEMAIL:c" + QByteArray::number(i) +
                     "@example.org\nEND:VCARD\n";
        dir.put("cards.vcf", cards);
        run({"import", "--vcard", dir.path("cards.vcf")});
        run({"add", "FirstName=Jo", "LastName=Card120", "Phone1=555 0120"});  // a duplicate of card 120, in tesly1.dat
    }
    Result run(const QStringList& args) { return RunCli(dir, args); }
    TempFolder dir;
};

}  // namespace

TEST_F(PartialReadTest, readCommandsPrintWhatTheyCanAndExit4NamingTheFile) {
    struct Case {
        const char* what;
        QStringList args;
        int wholeCode;
        const char* partialOutput;  // a line the partial run still prints, or empty
    } cases[] = {
        {"list", {"list"}, 0, "120\tCard120, Jo\n"},
        {"list of the deleted", {"list", "--deleted"}, 0, ""},
        {"filter", {"filter", "LastName=Card12"}, 0, "120\tCard120, Jo\n"},
        {"show of a card that was read", {"show", "120"}, 0, "LastName=Card120\n"},
        {"show of a card in the file away", {"show", "5"}, 0, ""},
        {"check", {"check"}, 0, "Card file"},
        {"duplicates", {"duplicates"}, 0, "possible\t"},
        {"export", {"export", "--vcard", dir.path("out.vcf")}, 0, "exported 51 cards\n"},
        {"print", {"print", "list", "--kind", "phone", dir.path("out.pdf")}, 0, "wrote "},
    };
    for (const char* away : {"missing", "unreadable"}) {
        const QString file = dir.path("cards/tesly0.dat"), kept = dir.path("tesly0.kept");
        ASSERT_TRUE(QFile::rename(file, kept));
        if (QByteArray(away) == "unreadable") {
            ASSERT_TRUE(QDir().mkdir(file));  // read as root too: a folder in its place
        }
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(away) + ": " + c.what);
            const Result r = run(c.args);
            EXPECT_EQ(r.code, 4) << qPrintable(r.err);
            EXPECT_TRUE(r.err.contains("tesly0.dat")) << qPrintable(r.err);
            EXPECT_TRUE(r.out.contains(QString::fromUtf8(c.partialOutput))) << qPrintable(r.out);
        }
        QDir().rmdir(file);
        ASSERT_TRUE(QFile::rename(kept, file));
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("whole: ") + c.what);
        const Result r = run(c.args);
        EXPECT_EQ(r.code, c.wholeCode) << qPrintable(r.err);
        EXPECT_FALSE(r.err.contains("tesly0.dat")) << qPrintable(r.err);
    }
}
