#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "exchange/csv/export_encoding.h"
#include "exchange/csv/import_reader.h"
#include "exchange/csv/import_source.h"
#include "exchange/vcard/vcard_reader.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <QStringEncoder>

using namespace tessaly::store;

namespace {

// The text in an encoding, by the C library (independent of the reader's own path through it).
QByteArray Encoded(const QString& text, const char* encoding) {
    const QByteArray utf8 = text.toUtf8();
    const iconv_t cd = iconv_open(encoding, "UTF-8");
    if (cd == iconv_t(-1)) return {};
    QByteArray out(utf8.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(utf8.constData());
    char* to = out.data();
    size_t inLeft = utf8.size(), outLeft = out.size();
    const size_t done = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    if (done == size_t(-1)) return {};
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

}  // namespace

TEST(ExportEncoding, eachOfferedEncodingReadsItsOwnText) {
    struct Case {
        const char* name;   // as offered
        const char* iconv;  // as the C library names it
        QString text;
    } cases[] = {
        {"UTF-8", "UTF-8", "Zoë,Brontë,日本"},
        {"UTF-16", "UTF-16BE", "Zoë,Brontë,日本"},
        {"Windows-1252", "CP1252", "Œuvre,€ 5,Müller"},
        {"ISO-8859-15", "ISO-8859-15", "€uro,Œil,Šárka"},
        {"Shift_JIS", "SHIFT_JIS", "山田,太郎,ｶﾀｶﾅ"},
        {"EUC-JP", "EUC-JP", "山田,太郎"},
        {"GB18030", "GB18030", "王小明,北京"},
        {"Big5", "BIG5", "陳大文,臺北"},
        {"KOI8-R", "KOI8-R", "Иван,Петров"},
        {"Windows-1251", "CP1251", "Иван,Петров"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray bytes = Encoded(c.text, c.iconv);
        ASSERT_FALSE(bytes.isEmpty());
        EXPECT_EQ(DecodeExport(bytes, c.name), c.text);
        EXPECT_EQ(DecodeExport(bytes, QString(c.name).toLower().replace(u'-', u'_')), c.text)
            << "names in any case and spelling";
        EXPECT_EQ(OfferedEncoding(QString(c.name).toUpper()), c.name);
    }
    EXPECT_THROW(DecodeExport("a,b", "EBCDIC-ish"), ImportFileError);
    bool valid = true;
    EXPECT_EQ(DecodeIn("\x82", "Shift_JIS", &valid), QString(QChar(0xFFFD))) << "a sequence cut off";
    EXPECT_FALSE(valid);
}

TEST(ExportEncoding, utf16WithoutAMarkIsRecognisedAndOtherTextIsNot) {
    const QString text = "First Name,E-mail\r\nZoë,zoe@example.org\r\n山田,taro@example.jp\r\n";
    struct Case {
        const char* what;
        QByteArray bytes;
        std::optional<Utf16Order> order;
    } cases[] = {
        {"little-endian", Encoded(text, "UTF-16LE"), Utf16Order::LittleEndian},
        {"big-endian", Encoded(text, "UTF-16BE"), Utf16Order::BigEndian},
        {"mostly Japanese, big-endian", Encoded("山田太郎,東京都,\r\n", "UTF-16BE"), Utf16Order::BigEndian},
        {"UTF-8", text.toUtf8(), std::nullopt},
        {"Shift_JIS", Encoded("山田,太郎\r\n", "SHIFT_JIS"), std::nullopt},
        {"one byte", QByteArray("\0", 1), std::nullopt},
        {"binary with NULs on both sides", QByteArray("\0\0\0\0a\0\0b", 8), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Utf16WithoutBom(c.bytes), c.order);
    }
    EXPECT_EQ(DecodeExport(Encoded(text, "UTF-16BE")), text);
    EXPECT_EQ(DecodeExport(Encoded(text, "UTF-16LE")), text);
    EXPECT_EQ(ParseVCards(Encoded("BEGIN:VCARD\r\nN:Brontë;Zoë\r\nEND:VCARD\r\n", "UTF-16LE"))
                  .value(0)
                  .properties.value(0)
                  .value,
              "Brontë;Zoë");
}

TEST(ImportColumns, knowsEachExportersVocabulary) {
    constexpr int None = 18, Address4 = 10;
    struct Case {
        const char* exporter;
        QString line;
        QList<int> choices;
    } cases[] = {
        {"Google",
         "Given Name,Family Name,Organization 1 - Name,Organization 1 - Title,E-mail 1 - Value,Phone 1 - Value",
         {1, 2, 6, 5, 16, 13}},
        {"Google's address",
         "Address 1 - Street,Address 1 - Extended Address,Address 1 - City,Address 1 - Region,Address 1 - Postal Code,"
         "Address 1 - Country",
         {7, 8, Address4, Address4, 11, 12}},
        {"Outlook",
         "Title,First Name,Last Name,Job Title,Business Street,Business City,Business State,Business Postal Code,"
         "Business Country/Region,Business Fax,E-mail Address",
         {0, 1, 2, 5, 7, Address4, Address4, 11, 12, 15, 16}},
        {"Outlook, German",
         "Anrede,Vorname,Nachname,Firma,Position,Ort geschäftlich,Postleitzahl geschäftlich,Telefon geschäftlich,"
         "Mobiltelefon,E-Mail-Adresse,Notizen",
         {0, 1, 2, 6, 5, Address4, 11, 13, 14, 16, 17}},
        {"Outlook, French",
         "Titre,Prénom,Nom,Société,Fonction,Ville (bureau),Téléphone (bureau),Télécopie (bureau),Adresse de messagerie",
         {0, 1, 2, 6, 5, Address4, 13, 15, 16}},
        {"Thunderbird",
         "First Name,Display Name,Home City,Home State,Home ZipCode,Mobile Number,Work Phone,Fax Number,Primary Email",
         {1, None, Address4, Address4, 11, 14, 13, 15, 16}},
        {"webmail", "First,Last,Email Home,Home Zip,Home,Work,Comments", {1, 2, 16, 11, 14, 13, 17}},
        {"Apple",
         "First name,Last name,Company,Email,Mobile,Street,City,State,ZIP,Country",
         {1, 2, 6, 16, 14, 7, Address4, Address4, 11, 12}},
        {"each field once",
         "E-mail Address,Email Home,City,Home City,State,Region",
         {16, None, Address4, None, Address4, None}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exporter);
        const QStringList fields = c.line.split(u',');
        EXPECT_TRUE(IsHeaderLine(fields));
        EXPECT_EQ(ChoicesFromHeader(fields), c.choices);
    }
    EXPECT_TRUE(IsHeaderLine({"E-mail Address"})) << "one name alone on its line";
    EXPECT_TRUE(IsHeaderLine({"Email", "", ""}));
    EXPECT_FALSE(IsHeaderLine({"ana@example.com"}));
}

TEST(ImportSession, aOneColumnFileIsReadAndAWrongDelimiterStillRefused) {
    struct Case {
        const char* what;
        QByteArray text;
        Delimiter delimiter;
        int fields;  // 0: refused
    } cases[] = {
        {"an e-mail list", "E-mail Address\r\nana@example.com\r\nben@example.com\r\n", {DelimiterKind::Comma, {}}, 1},
        {"as quoted CSV", "\"ana@example.com\"\r\nben@example.com\r\n", {DelimiterKind::QuotedCsv, {}}, 1},
        {"tabs in the first line, comma chosen", "a\tb\r\nc\td\r\n", {DelimiterKind::Comma, {}}, 0},
        {"a later line holds the delimiter", "ana\r\nben,cy\r\n", {DelimiterKind::Comma, {}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        dir.put("f.csv", c.text);
        if (c.fields == 0) {
            EXPECT_THROW(ReadImportSource(dir.path("f.csv"), c.delimiter), WrongDelimiter);
            continue;
        }
        const ImportSource source = ReadImportSource(dir.path("f.csv"), c.delimiter);
        EXPECT_EQ(source.fieldCount, c.fields);
        EXPECT_EQ(SplitFields(source.lines.back(), c.delimiter, source.fieldCount), QStringList{"ben@example.com"});
    }
}
