#include "../support/qt_print.h"
#include "../support/temp_folder.h"

#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

// tessaly-cli backup on two card files in a temporary folder, with their own preferences.
class BackupCliTest : public ::testing::Test {
protected:
    BackupCliTest() {
        QDir().mkpath(dir.path("backup"));
        run("cards", {"init"});
        run("other", {"init"});
    }
    struct Result {
        int code;
        QString err;
    };
    Result run(const QString& cards, QStringList args) {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("XDG_CONFIG_HOME", dir.path("config"));
        e.insert("XDG_DATA_HOME", dir.path("data"));
        e.insert("HOME", dir.path("home"));
        p.setProcessEnvironment(e);
        p.start(QStringLiteral(TESSALY_CLI), QStringList({"--data", dir.path(cards)}) + args);
        p.waitForFinished(30000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
    }
    TempFolder dir;
};

}  // namespace

TEST_F(BackupCliTest, anotherCardFilesBackupOrTheDataFolderIsRefused) {
    ASSERT_EQ(run("other", {"backup", dir.path("backup")}).code, 0);
    run("cards", {"add", "LastName=Adams"});
    const QByteArray theirs = dir.bytes("backup/tesly.old");
    QDir().mkpath(dir.path("cards/inside"));
    struct Case {
        const char* what;
        QStringList args;
        int code;
        const char* says;
    } cases[] = {
        {"another card file's backup", {"backup", dir.path("backup")}, 3, "--replace-other"},
        {"the data folder", {"backup", dir.path("cards")}, 2, "data folder"},
        {"a folder inside it", {"backup", dir.path("cards/inside")}, 2, "data folder"},
        {"an unknown option", {"backup", "--replace", dir.path("backup")}, 2, "Give one folder"},
    };
    for (const Case& c : cases) {
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
