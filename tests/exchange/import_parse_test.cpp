#include "../support/golden.h"
#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "exchange/csv/import_fields.h"
#include "exchange/csv/import_reader.h"
#include "exchange/csv/import_source.h"
#include "exchange/import_cards.h"

#include <gtest/gtest.h>
#include <QDirIterator>

using namespace tessaly::store;

namespace {

Delimiter Kind(DelimiterKind k, const QString& other = QString()) {
    return {k, other};
}

}  // namespace

TEST(FieldParser, splitsEachKindAsTheWizardAlwaysHas) {
    struct Case {
        const char* what;
        Delimiter d;
        QString line;
        int count;
        QStringList fields;
    } cases[] = {
        {"comma", Kind(DelimiterKind::Comma), "a,b,c", 3, {"a", "b", "c"}},
        {"a short line repeats its last field", Kind(DelimiterKind::Comma), "a,b,c", 4, {"a", "b", "c", "c"}},
        {"blanks and quotes stay", Kind(DelimiterKind::Comma), " \"a\" , b", 2, {" \"a\" ", " b"}},
        {"empty fields", Kind(DelimiterKind::Comma), ",,x", 3, {"", "", "x"}},
        {"kind 1 drops the outer quotes", Kind(DelimiterKind::CommaQuotes), "\"one\",\"two\"", 2, {"one", "two"}},
        {"kind 1 keeps a comma inside", Kind(DelimiterKind::CommaQuotes), "\"a,b\",\"c\"", 2, {"a,b", "c"}},
        {"kind 1 on a one-character line", Kind(DelimiterKind::CommaQuotes), "\"", 2, {"", ""}},
        {"tab", Kind(DelimiterKind::Tab), "a\tb", 2, {"a", "b"}},
        {"other, several characters", Kind(DelimiterKind::Other, "::"), "a::b:c::d", 3, {"a", "b:c", "d"}},
        {"other, case-sensitive", Kind(DelimiterKind::Other, "X"), "axbXc", 2, {"axb", "c"}},
        {"csv quotes, commas and doubled quotes",
         Kind(DelimiterKind::QuotedCsv),
         "\"a,b\",\"say \"\"hi\"\"\",c",
         3,
         {"a,b", "say \"hi\"", "c"}},
        {"csv missing fields are empty", Kind(DelimiterKind::QuotedCsv), "a", 3, {"a", "", ""}},
        {"csv with a semicolon", Kind(DelimiterKind::QuotedCsv, ";"), "\"x;y\";z", 2, {"x;y", "z"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(SplitFields(c.line, c.d, c.count), c.fields);
    }
}

TEST(FieldParser, countsFieldsFromTheFirstLineUpToTwenty) {
    struct Case {
        const char* what;
        Delimiter d;
        QString line;
        int count;
    } cases[] = {
        {"three commas give four rows", Kind(DelimiterKind::Comma), "a,b,c,d", 4},
        {"no delimiter", Kind(DelimiterKind::Comma), "abc", 0},
        {"at most the limit", Kind(DelimiterKind::Comma), QString(kMaxImportFields + 10, u','), kMaxImportFields},
        {"kind 1 counts inside the outer quotes", Kind(DelimiterKind::CommaQuotes), "\"a\",\"b\",\"c\"", 3},
        {"kind 1 needs the three characters", Kind(DelimiterKind::CommaQuotes), "a,b", 0},
        {"other, empty text", Kind(DelimiterKind::Other), "a,b", 0},
        {"csv counts real fields only", Kind(DelimiterKind::QuotedCsv), "\"a,b\",c", 2},
        {"csv with one field", Kind(DelimiterKind::QuotedCsv), "\"a,b\"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CountFields(c.line, c.d), c.count);
    }
}

TEST(ImportMapping, fillsTheCardAsTheChoicesSay) {
    struct Case {
        const char* what;
        QStringList fields;
        QList<int> choices;
        QList<std::pair<FieldIndex, QString>> expected;
    } cases[] = {
        {"nothing named", {"x"}, {kNoneOfTheAbove}, {{FirstName, "NULL NAME"}}},
        {"blank names", {" ", " "}, {1, 6}, {{FirstName, "NULL NAME"}, {Company, " "}}},
        {"choice 3 splits at the first blank", {"Ann Mary Lee"}, {3}, {{FirstName, "Ann"}, {LastName, "Mary Lee"}}},
        {"choice 4 puts the last name first", {"Lee Ann"}, {4}, {{FirstName, "Ann"}, {LastName, "Lee"}}},
        {"choice 4 without a blank", {"Lee"}, {4}, {{FirstName, "Lee"}}},
        {"a later field wins", {"1", "2", "Co"}, {13, 13, 6}, {{Phone1, "2"}, {Company, "Co"}}},
        {"from choice 5 on, field k-2",
         {"T", "Z", "C", "N"},
         {5, 11, 12, 17},
         {{Title, "T"}, {Address5, "Z"}, {Address6, "C"}, {Notes, "N"}, {FirstName, "NULL NAME"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Card expected;
        for (const auto& [field, text] : c.expected) expected[field] = text;
        EXPECT_EQ(CardFromFields(c.fields, c.choices), expected);
    }
}

TEST(ImportMapping, keepsOnlyLinesWithEitherTextIgnoringCase) {
    const QStringList lines = {"Alpha,1", "beta,2", "Gamma,3"};
    EXPECT_EQ(KeepLines(lines, "", ""), lines);
    EXPECT_EQ(KeepLines(lines, "ALPHA", ""), QStringList({"Alpha,1"}));
    EXPECT_EQ(KeepLines(lines, "", "3"), QStringList({"Gamma,3"}));
    EXPECT_EQ(KeepLines(lines, "BETA", "gamma"), QStringList({"beta,2", "Gamma,3"}));
}

TEST(ExportReader, decodesByTheMarkOrTheBytes) {
    const QString text = QStringLiteral("Müller,Zoë\r\nNext");
    auto utf16 = [&](bool le) {
        QByteArray b(le ? "\xFF\xFE" : "\xFE\xFF", 2);
        for (const QChar c : text) {
            const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
            b.append(le ? lo : hi).append(le ? hi : lo);
        }
        return b;
    };
    struct Case {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"UTF-8", text.toUtf8()},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + text.toUtf8()},
        {"UTF-16 LE", utf16(true)},
        {"UTF-16 BE", utf16(false)},
        {"Windows-1252", QByteArray("M\xFCller,Zo\xEB\r\nNext")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString decoded = DecodeExport(c.bytes);
        EXPECT_EQ(decoded, text);
        EXPECT_EQ(SplitFields(SplitLines(decoded).value(0), {}, 2), QStringList({"Müller", "Zoë"}));
    }
}

TEST(ExportReader, endsLinesAtCrLfLfAndCr) {
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb\n"), QStringList({"a", "b"}));
    EXPECT_EQ(SplitQuotedRecords("\"x\ny\",1\r\n\"z\r\nw\",2\rlast"),
              QStringList({"\"x\r\ny\",1", "\"z\r\nw\",2", "last"}));
}

// The numbers the import's summary gives: where each line begins, and the empty lines left out.
TEST(ExportReader, numbersTheLinesAndCountsTheEmptyOnes) {
    struct Case {
        const char* what;
        QString text;
        bool quoted;
        QList<int> numbers;
        int empty;
    } cases[] = {
        {"plain", "a\r\n\r\nb\n\nc", false, {1, 3, 5}, 2},
        {"the end of the text is no empty line", "a\nb\r\n", false, {1, 2}, 0},
        {"blanks are no empty line", "a\n \nb", false, {1, 2, 3}, 0},
        {"a quoted break stays in its record", "\"x\r\ny\",1\n\n\"z\nw\",2\rlast\n", true, {1, 4, 6}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const NumberedLines split = c.quoted ? SplitNumberedRecords(c.text) : SplitNumberedLines(c.text);
        EXPECT_EQ(split.numbers, c.numbers);
        EXPECT_EQ(split.lines.size(), c.numbers.size());
        EXPECT_EQ(split.empty, c.empty);
    }
}

TEST(ExportReader, refusesWhatIsNoExportWithAReason) {
    TempFolder dir;
    dir.put("empty.csv", "");
    dir.put("blank.csv", "\r\n \n");
    dir.put("image.png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    dir.put("long.csv", "a," + QByteArray(kMaxRecordChars + 1, 'x') + "\n");
    QDir(dir.path()).mkdir("folder.csv");
    struct Case {
        const char* what;
        QString file;
        const char* says;
    } cases[] = {
        {"empty", "empty.csv", "is empty"},        {"only line ends", "blank.csv", "is empty"},
        {"binary", "image.png", "not a text"},     {"a folder", "folder.csv", "is a folder"},
        {"missing", "gone.csv", "Could not read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            ReadExportFile(dir.path(c.file));
            ADD_FAILURE() << "read";
        } catch (const ImportFileError& e) {
            EXPECT_TRUE(QString(e.what()).contains(c.says)) << e.what();
        }
    }
    const QString longText = ReadExportFile(dir.path("long.csv"));
    EXPECT_THROW(SplitLines(longText), ImportFileError);
    EXPECT_THROW(SplitQuotedRecords(longText), ImportFileError);
    EXPECT_THROW(SplitQuotedRecords("\"" + QString(kMaxRecordChars + 1, u'\n')), ImportFileError);
}

// Every third-party csv file of tests/data/csv, read as a spreadsheet writes it, against
// the reading written down in tests/data/import (one record per block, one field per
// line, CR and LF shown as \r and \n). TESSALY_WRITE_GOLDEN=1 writes them afresh.
TEST(ExportReader, readsEveryKnownExportAsTheGoldenReadingSays) {
    const QString root = TestData("csv");
    ASSERT_FALSE(root.isEmpty()) << "tests/data/csv is missing";
    QDirIterator it(root, {"*.csv"}, QDir::Files, QDirIterator::Subdirectories);
    int files = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(root).relativeFilePath(path);
        SCOPED_TRACE(qPrintable(name));
        ++files;
        QString reading;
        try {
            const QStringList records = SplitQuotedRecords(ReadExportFile(path));
            const Delimiter d{DelimiterKind::QuotedCsv, name.contains("semicolon") ? ";" : ""};
            for (const QString& record : records) {
                reading += "--\n";
                for (QString field : SplitFields(record, d, std::max(1, CountFields(record, d))))
                    reading += field.replace('\\', "\\\\").replace('\r', "\\r").replace('\n', "\\n") + '\n';
            }
        } catch (const ImportFileError& e) {
            reading = QString("refused: ") + e.what() + '\n';
        }
        ExpectGolden("import/" + QString(name).replace('/', '_') + ".txt", reading.toUtf8());
    }
    EXPECT_GT(files, 10);
}

TEST(ImportColumns, knowsTheHeaderLinesOfCommonExportsAndSuggestsEachChoiceOnce) {
    struct Case {
        const char* what;
        QString line;
        bool header;
        QList<int> choices;
    } cases[] = {
        {"Thunderbird",
         "First Name,Last Name,Display Name,Nickname,Primary Email,Secondary Email",
         true,
         {1, 2, kNoneOfTheAbove, kNoneOfTheAbove, 16, kNoneOfTheAbove}},
        {"Outlook",
         "\"Title\",\"First Name\",\"Last Name\",\"Company\",\"Business Phone\",\"Notes\"",
         true,
         {0, 1, 2, 6, 13, 17}},
        {"a whole name without its parts", "Name,E-mail Address,Country", true, {3, 16, 12}},
        {"letter case and blanks", " first NAME ,SURNAME", true, {1, 2}},
        {"a line of data",
         "John Doe,John,Doe,john@doe.invalid",
         false,
         {kNoneOfTheAbove, kNoneOfTheAbove, kNoneOfTheAbove, kNoneOfTheAbove}},
        {"one known name only", "Phone,x", false, {13, kNoneOfTheAbove}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QStringList fields =
            SplitFields(c.line, {DelimiterKind::QuotedCsv, {}}, CountFields(c.line, {DelimiterKind::QuotedCsv, {}}));
        EXPECT_EQ(IsHeaderLine(fields), c.header);
        EXPECT_EQ(ChoicesFromHeader(fields), c.choices);
    }
}

TEST(ImportSession, keepsTheHeaderLineThroughTheFilterAndTheLimit) {
    TempFolder dir;
    dir.put("people.csv", "First Name,Last Name\r\nAnn,Lee\r\nBob,Kim\r\nCy,Lee\r\n");
    ImportSession session = ImportSession::Read(dir.path("people.csv"), {DelimiterKind::Comma, {}}, "lee", "");
    EXPECT_TRUE(session.firstIsHeader);
    EXPECT_EQ(session.plan.fieldCount, 2);
    EXPECT_EQ(session.cardLines(), QStringList({"Ann,Lee", "Cy,Lee"}));
    EXPECT_EQ(session.fieldsOf(1), QStringList({"Cy", "Lee"}));
    EXPECT_EQ(session.headerChoices(), QList<int>({1, 2}));
    session.keepCards(1);
    EXPECT_EQ(session.lines, QStringList({"First Name,Last Name", "Ann,Lee"}));
    session.firstIsHeader = false;  // the user unticked the box: the names become a card
    EXPECT_EQ(session.cardLines().size(), 2);
    dir.put("semicolons.csv", "Ann;Lee\n");
    EXPECT_THROW(ImportSession::Read(dir.path("semicolons.csv"), {DelimiterKind::Comma, {}}, "", ""), WrongDelimiter)
        << "another separator on the first line: the wrong delimiter was chosen";
}
