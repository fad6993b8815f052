#include "../support/qt_print.h"
#include "cli_process.h"

#include <gtest/gtest.h>
#include <QDir>

namespace {

using Result = CliResult;

// The real command on a card file in a temporary folder, with its own preferences.
class ExchangeCliTest : public ::testing::Test {
protected:
    ExchangeCliTest() {
        QDir().mkpath(dir.path("backup"));
        run({"init"});
    }
    Result run(const QStringList& args) { return RunCliOn(dir, QStringLiteral("cards"), args); }
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
    const CliCase cases[] = {
        {"a backup to a missing folder", {"backup", dir.path("nowhere")}, 2, "missing or not writable"},
        {"the default folder, missing", {"backup"}, 2, "TessalyBackup"},
        {"a restore from an empty folder", {"restore-backup", dir.path("backup")}, 2, "no complete backup"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = run(c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE(r.err.contains(c.says)) << qPrintable(r.err);
    }
}

TEST_F(ExchangeCliTest, importMapsTheFieldsAndSkipsTheHeader) {
    dir.put("people.csv",
            "First Name,Last Name,E-mail Address\r\n\"Jo\",\"Adams\",\"jo@x\"\r\nAl,\"Baker, Jr\",al@x\r\n");
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
        {"the wrong delimiter",
         {"import", dir.path("two.txt"), "--delimiter", "comma", "--map", "1,2"},
         "does not exist"},
        {"not text", {"import", dir.path("bin.dat"), "--delimiter", "comma", "--map", "1"}, "not a text"},
        {"a choice out of range",
         {"import", dir.path("two.txt"), "--delimiter", "other=;", "--map", "1,19"},
         "choices 0 to 18"},
        {"more choices than fields",
         {"import", dir.path("two.txt"), "--delimiter", "other=;", "--map", "1,2,3"},
         "2 fields"},
        {"over the limit",
         {"import", dir.path("many.csv"), "--delimiter", "comma", "--map", "1,2"},
         "--yes-up-to-limit"},
        {"no map", {"import", dir.path("two.txt"), "--delimiter", "tab"}, "--map"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = run(c.args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.err.contains(c.says)) << qPrintable(r.err);
        EXPECT_EQ(list(), "");
    }
    EXPECT_FALSE(QFile::exists(dir.path("cards/tesly.old")));
}

TEST_F(ExchangeCliTest, importUpToTheLimitTakesTheFirstLinesAndSaysWhatItLeftOut) {
    run({"add", "FirstName=Jo", "LastName=Adams"});
    QString many;
    for (int i = 0; i < 8000; ++i)
        many += QString(i == 2 ? "\n\r\nN%1\tLast\n" : "N%1\tLast\n").arg(i);  // two empty lines
    dir.put("many.txt", many.toUtf8());
    const Result r = run({"import", dir.path("many.txt"), "--delimiter", "tab", "--map", "1,2", "--yes-up-to-limit"});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(
        r.out,
        "mapping: column 1=FirstName, column 2=LastName\n7999 cards were imported.\n0 cards skipped as duplicates.\n"
        "1 card left out by the limit of 8000 cards, from line 8002 on.\n2 empty lines made no card.\n");
    const Result replaced = run({"import", dir.path("many.txt"), "--delimiter", "tab", "--map", "1,2", "--replace",
                                 "--only", "N7999", "--or", "n1\t"});
    ASSERT_EQ(replaced.code, 0) << qPrintable(replaced.err);
    EXPECT_EQ(list(), "0\tLast, N1\n1\tLast, N7999\n");
}

TEST_F(ExchangeCliTest, importMapsByColumnNamesOrFieldNamesInTheEncodingGiven) {
    const QString exports = QStringLiteral(TESSALY_SOURCE_DIR "/tests/data/exports/");
    dir.put("extra.csv", "First Name,Last Name,Birthday,Web Page\r\nJo,Adams,1970-01-01,\r\n");
    struct Case {
        const char* what;
        QStringList args;
        int code;
        const char* says;  // in the output, or in the message of a refusal
    } cases[] = {
        {"auto from Google's column names",
         {exports + "google-title.csv", "--delimiter", "csv", "--map", "auto"},
         0,
         "mapping: Name=-, Given Name=FirstName, Additional Name=-, Family Name=LastName, Name Prefix=Sal, "
         "Organization 1 - Name=Company, Organization 1 - Title=Title,"},
        {"auto names the columns with values it cannot place",
         {dir.path("extra.csv"), "--delimiter", "csv", "--map", "auto"},
         2,
         "\"Birthday\" (column 3); give --map by field names"},
        {"field names and - with the header skipped",
         {dir.path("extra.csv"), "--delimiter", "csv", "--map", "firstname,LastName,-", "--header"},
         0,
         "mapping: First Name=FirstName, Last Name=LastName, Birthday=-, Web Page=-\n1 card was imported."},
        {"an unknown field name",
         {dir.path("extra.csv"), "--delimiter", "csv", "--map", "FirstName,Surname"},
         2,
         "not \"Surname\""},
        {"Shift_JIS by name",
         {exports + "japanese-sjis.csv", "--delimiter", "csv", "--map", "auto", "--encoding", "shift_jis"},
         0,
         "mapping: 姓=LastName, 名=FirstName, 電子メール アドレス=EMail, 会社名=Company"},
        {"an unknown encoding",
         {dir.path("extra.csv"), "--delimiter", "csv", "--map", "auto", "--encoding", "EBCDIC"},
         2,
         "--encoding takes Automatic, UTF-8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = run(QStringList{"import"} + c.args);
        EXPECT_EQ(r.code, c.code) << qPrintable(r.err);
        EXPECT_TRUE((c.code == 0 ? r.out : r.err).contains(QString::fromUtf8(c.says))) << qPrintable(r.out + r.err);
    }
    EXPECT_EQ(list(), "1\tAdams, Jo\n0\tQuist, Mara\n3\t佐藤, 花子\n2\t山田, 太郎\n");
}
