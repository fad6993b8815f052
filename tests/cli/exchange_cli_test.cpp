#include "../support/qt_print.h"
#include "../support/temp_folder.h"

#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct Result {
    int code;
    QString out, err;
};

// The real command on a card file in a temporary folder, with its own preferences.
class ExchangeCliTest : public ::testing::Test {
protected:
    ExchangeCliTest() {
        QDir().mkpath(dir.path("backup"));
        run({"init"});
    }
    Result run(QStringList args) {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("XDG_CONFIG_HOME", dir.path("config"));
        e.insert("XDG_DATA_HOME", dir.path("data"));
        e.insert("HOME", dir.path("home"));
        p.setProcessEnvironment(e);
        p.start(QStringLiteral(TESSALY_CLI), QStringList({"--data", dir.path("cards")}) + args);
        p.waitForFinished(30000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
    QString list() { return run({"list"}).out; }
    TempFolder dir;
};

}  // namespace

TEST_F(ExchangeCliTest, backupAndRestoreBringTheCardsBack) {
    run({"add", "FirstName=Jo", "LastName=Adams"});
    ASSERT_EQ(run({"backup", dir.path("backup")}).code, 0);
    EXPECT_TRUE(QFile::exists(dir.path("backup/tesly.old")));
    run({"add", "FirstName=Al", "LastName=Baker"});
    const Result restored = run({"restore-backup", dir.path("backup")});
    ASSERT_EQ(restored.code, 0) << qPrintable(restored.err);
    EXPECT_EQ(list(), "0\tAdams, Jo\n");
    EXPECT_EQ(run({"check"}).out, "ok\n");
}

TEST_F(ExchangeCliTest, backupAndRestoreSayWhatIsWrong) {
    struct Case {
        const char* what;
        QStringList args;
        int code;
        const char* says;
    } cases[] = {
        {"a backup to a missing folder", {"backup", dir.path("nowhere")}, 2, "missing or not writable"},
        {"the default folder, missing", {"backup"}, 2, "TessalyBackup"},
        {"a restore from an empty folder", {"restore-backup", dir.path("backup")}, 2, "no complete backup"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = run(c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE(r.err.contains(c.says)) << qPrintable(r.err);
    }
}

TEST_F(ExchangeCliTest, importMapsTheFieldsAndSkipsTheHeader) {
    dir.put("people.csv", "First Name,Last Name,E-mail Address\r\n\"Jo\",\"Adams\",\"jo@x\"\r\nAl,\"Baker, Jr\",al@x\r\n");
    const Result r = run({"import", dir.path("people.csv"), "--delimiter", "csv", "--map", "1,2,16", "--header"});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(list(), "0\tAdams, Jo\n1\tBaker, Jr, Al\n");
    EXPECT_TRUE(run({"show", "1"}).out.contains("EMail=al@x\n"));
    EXPECT_EQ(run({"check"}).out, "ok\n");
}

TEST_F(ExchangeCliTest, importRefusesBadInputAndWritesNothing) {
    dir.put("two.txt", "a;b\nc;d\n");
    dir.put("bin.dat", QByteArray("\0\1\2\3", 4));
    QString many;
    for (int i = 0; i < 8001; ++i) many += QString("N%1,Last\n").arg(i);
    dir.put("many.csv", many.toUtf8());
    struct Case {
        const char* what;
        QStringList args;
        const char* says;
    } cases[] = {
        {"the wrong delimiter", {"import", dir.path("two.txt"), "--delimiter", "comma", "--map", "1,2"}, "does not exist"},
        {"not text", {"import", dir.path("bin.dat"), "--delimiter", "comma", "--map", "1"}, "not a text"},
        {"a choice out of range", {"import", dir.path("two.txt"), "--delimiter", "other=;", "--map", "1,19"}, "choices 0 to 18"},
        {"more choices than fields", {"import", dir.path("two.txt"), "--delimiter", "other=;", "--map", "1,2,3"}, "2 fields"},
        {"over the limit", {"import", dir.path("many.csv"), "--delimiter", "comma", "--map", "1,2"}, "--yes-up-to-limit"},
        {"no map", {"import", dir.path("two.txt"), "--delimiter", "tab"}, "--map"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = run(c.args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.err.contains(c.says)) << qPrintable(r.err);
        EXPECT_EQ(list(), "");
    }
    EXPECT_FALSE(QFile::exists(dir.path("cards/tesly.old")));
}

TEST_F(ExchangeCliTest, importUpToTheLimitTakesTheFirstLines) {
    run({"add", "FirstName=Jo", "LastName=Adams"});
    QString many;
    for (int i = 0; i < 8000; ++i) many += QString("N%1\tLast\n").arg(i);
    dir.put("many.txt", many.toUtf8());
    const Result r = run({"import", dir.path("many.txt"), "--delimiter", "tab", "--map", "1,2", "--yes-up-to-limit"});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, "imported 7999 cards\n");
    const Result replaced = run({"import", dir.path("many.txt"), "--delimiter", "tab", "--map", "1,2", "--replace", "--only", "N7999", "--or", "n1\t"});
    ASSERT_EQ(replaced.code, 0) << qPrintable(replaced.err);
    EXPECT_EQ(list(), "0\tLast, N1\n1\tLast, N7999\n");
}
