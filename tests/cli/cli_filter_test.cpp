#include "cli/cli_commands.h"

#include "../support/qt_print.h"
#include "../support/temp_folder.h"

#include <gtest/gtest.h>

using namespace tessaly;

namespace {

// The filter command on a card file of four cards, run in this process.
class CliFilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(run("init", {}).code, 0);
        run("add", {"FirstName=Ann", "LastName=Smith", "Company=Zeta", "Notes=line one\\r\\nline two"});
        run("add", {"FirstName=Bob", "LastName=Goldsmith", "Company=Acme", "Title=Buyer"});
        run("add", {"FirstName=Cy", "LastName=Brown", "Company=Acme"});
        run("add", {"FirstName=Åse", "LastName=Ærø"});
    }
    struct Result {
        int code;
        QString out, err;
    };
    Result run(const QString& command, const QStringList& args) {
        QString out, err;
        QTextStream o(&out), e(&err);
        const int code = cli::Run({dir.path(), false, command, args}, o, e);
        return {code, out, err};
    }
    TempFolder dir;
};

TEST_F(CliFilterTest, printsTheMatchingCardsAsListDoes) {
    const struct {
        const char* what;
        QStringList args;
        QString out;
    } cases[] = {
        {"one field, any case", {"lastname=SMITH"}, "1\tGoldsmith, Bob\n0\tSmith, Ann\n"},
        {"company order", {"--company", "LastName=smith"}, "1\t( Acme )\n0\t( Zeta )\n"},
        {"two fields", {"Company=acme", "Title=buy"}, "1\tGoldsmith, Bob\n"},
        {"escapes in the text", {"Notes=one\\r\\nline"}, "0\tSmith, Ann\n"},
        {"non-ASCII letters", {"FirstName=åSE"}, "3\tÆrø, Åse\n"},
        {"no match", {"FirstName=Zed"}, ""},
        {"blanks only: every card", {"FirstName=  "}, run("list", {}).out},
        {"no texts: every card in company order", {"--company"}, run("list", {"--company"}).out},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = run("filter", c.args);
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, c.out);
    }
}

TEST_F(CliFilterTest, refusesFieldsTheFilterDoesNotHave) {
    for (const char* arg : {"Phone1=5", "LastName", "=x", "--deleted"}) {
        SCOPED_TRACE(arg);
        const Result r = run("filter", {arg});
        EXPECT_EQ(r.code, cli::BadInput);
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
