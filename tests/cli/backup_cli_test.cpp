#include "../support/qt_print.h"
#include "cli_process.h"

#include <gtest/gtest.h>
#include <QDir>

namespace {

// tessaly-cli backup on two card files in a temporary folder, with their own preferences.
class BackupCliTest : public ::testing::Test {
protected:
    BackupCliTest() {
        QDir().mkpath(dir.path("backup"));
        run("cards", {"init"});
        run("other", {"init"});
    }
    using Result = CliResult;
    Result run(const QString& cards, const QStringList& args) { return RunCliOn(dir, cards, args); }
    TempFolder dir;
};

}  // namespace

TEST_F(BackupCliTest, anotherCardFilesBackupOrTheDataFolderIsRefused) {
    ASSERT_EQ(run("other", {"backup", dir.path("backup")}).code, 0);
    run("cards", {"add", "LastName=Adams"});
    const QByteArray theirs = dir.bytes("backup/tesly.old");
    QDir().mkpath(dir.path("cards/inside"));
    const CliCase cases[] = {
        {"another card file's backup", {"backup", dir.path("backup")}, 3, "--replace-other"},
        {"the data folder", {"backup", dir.path("cards")}, 2, "data folder"},
        {"a folder inside it", {"backup", dir.path("cards/inside")}, 2, "data folder"},
        {"an unknown option", {"backup", "--replace", dir.path("backup")}, 2, "Give one folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = run("cards", c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE(r.err.contains(c.says)) << qPrintable(r.err);
        EXPECT_EQ(dir.bytes("backup/tesly.old"), theirs);
        EXPECT_FALSE(QFile::exists(dir.path("cards/tesly.old")));
        EXPECT_FALSE(QFile::exists(dir.path("cards/inside/tesly.old")));
    }
    EXPECT_EQ(run("cards", {"backup", "--replace-other", dir.path("backup")}).code, 0);
    EXPECT_EQ(dir.bytes("backup/tesly0.old"), dir.bytes("cards/tesly0.dat"));
}
