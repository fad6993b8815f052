#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "cli_process.h"

#include "profile/cached_profile.h"

#include <gtest/gtest.h>
#include <QProcess>

namespace {

// tessaly-cli on a card file of two cards in a temporary folder.
class RepairCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        run({"init"});
        run({"add", "LastName=Baker"});
        run({"add", "LastName=Adams"});
    }
    CliResult run(const QStringList& args) { return RunCli(dir, args, 30000); }
    void header(const QString& key, const QString& value) {
        tessaly::profile::CachedProfile profile;
        profile.write(dir.path("cards/tesly.dat"), "General Info", key, value);
    }

    TempFolder dir;
};

}  // namespace

TEST_F(RepairCommandTest, printsEachKeyItRewritesThenFindsNothingToRepair) {
    header("NoOfRecords", "0");
    header("DelNoOfRecords", "x");
    const CliResult first = run({"repair"});
    EXPECT_EQ(first.code, 0);
    EXPECT_EQ(first.out, "tesly.dat NoOfRecords: \"0\" -> \"2\"\ntesly.dat DelNoOfRecords: \"x\" -> \"0\"\n");
    EXPECT_EQ(run({"repair"}).out, "nothing to repair\n");
    EXPECT_EQ(run({"check"}).out, "ok\n");
}

TEST_F(RepairCommandTest, writesNothingWhileACardFileItNeedsIsAwayOrInUse) {
    struct Row {
        const char* what;
        const char* key;
        const char* value;
        int code;
        const char* message;
    };
    for (const Row& row : {Row{"a head names a card in an absent file", "DelFirstRecord", "150", 1, "tesly1.dat"},
                           Row{"another program has the file", "NoOfUses", "1", 3, "--force"}}) {
        SCOPED_TRACE(row.what);
        header("NoOfRecords", "7");
        header(row.key, row.value);
        const QByteArray before = dir.bytes("cards/tesly.dat");
        const CliResult r = run({"repair"});
        EXPECT_EQ(r.code, row.code);
        EXPECT_TRUE(r.err.contains(row.message)) << r.err.toStdString();
        EXPECT_EQ(dir.bytes("cards/tesly.dat"), before);
        header(row.key, "");
    }
}
