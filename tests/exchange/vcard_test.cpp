#include "../support/golden.h"
#include "../support/qt_print.h"
#include "exchange/vcard/vcard_cards.h"
#include "exchange/vcard/vcard_writer.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <random>

using namespace tessaly::store;

namespace {

QByteArray FileBytes(const QString& name) {
    QFile f(QStringLiteral(TESSALY_SOURCE_DIR "/tests/data/vcard/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// "counts=N,M", then Key=Value lines (\r\n stands for a line break), cards parted by "--".
VCardCards ExpectedCards(const QString& name) {
    VCardCards expected;
    expected.cards << Card();
    for (const QString& line : QString::fromUtf8(FileBytes(name)).split(u'\n', Qt::SkipEmptyParts)) {
        const QString key = line.section(u'=', 0, 0),
                      value = line.section(u'=', 1).replace(QStringLiteral("\\r\\n"), QStringLiteral("\r\n"));
        if (line == u"--")
            expected.cards << Card();
        else if (key == u"counts")
            expected.valuesInNotes = value.section(u',', 0, 0).toInt(),
            expected.valuesLeftOut = value.section(u',', 1).toInt();
        else
            expected.cards.back()[std::find(FieldKeys.begin(), FieldKeys.end(), key) - FieldKeys.begin()] = value;
    }
    return expected;
}

void ExpectSameCards(const QList<Card>& got, const QList<Card>& expected) {
    ASSERT_EQ(got.size(), expected.size());
    for (qsizetype c = 0; c < got.size(); ++c)
        for (int k = 0; k < kFieldCount; ++k)
            EXPECT_EQ(got[c][k], expected[c][k]) << "card " << c << ", " << FieldKeys[k].toStdString();
}

Card CardWith(std::initializer_list<std::pair<int, QString>> values) {
    Card card;
    for (const auto& [k, v] : values) card[k] = v;
    return card;
}

}  // namespace

TEST(VCardReader, programsStylesGiveTheExpectedCards) {
    for (const char* name : {"thunderbird-21", "apple-30", "google-40"}) {
        SCOPED_TRACE(name);
        const VCardCards got = CardsFromVCards(ParseVCards(FileBytes(QString(name) + ".vcf")));
        const VCardCards expected = ExpectedCards(QString(name) + ".cards");
        ExpectSameCards(got.cards, expected.cards);
        EXPECT_EQ(got.valuesInNotes, expected.valuesInNotes);
        EXPECT_EQ(got.valuesLeftOut, expected.valuesLeftOut);
    }
}

TEST(VCardReader, readsEveryLineFormAlike) {
    const QString crlf = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nNOTE:one\r\n two\r\nEND:VCARD\r\n";
    struct Case {
        const char* what;
        QByteArray bytes;
        QString notes;
    } cases[] = {
        {"CR LF, folded", crlf.toUtf8(), "onetwo"},
        {"LF alone", QString(crlf).remove(u'\r').toUtf8(), "onetwo"},
        {"UTF-8 BOM", "\xEF\xBB\xBF" + crlf.toUtf8(), "onetwo"},
        {"UTF-16 BOM",
         QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(crlf.utf16()), crlf.size() * 2), "onetwo"},
        {"2.1 keeps the fold's blank", QString(crlf).replace("3.0", "2.1").toUtf8(), "one two"},
        {"a tab folds too", QString(crlf).replace("\r\n two", "\r\n\ttwo").toUtf8(), "onetwo"},
        {"a colon in a quoted parameter", "BEGIN:VCARD\nN:Doe;Jane\nNOTE;X-P=\"a:b\":onetwo\n", "onetwo"},
        {"lines outside a card are skipped", "junk\nNOTE:x\nBEGIN:VCARD\nN:Doe;Jane\nNOTE:onetwo\nEND:VCARD\nNOTE:y\n",
         "onetwo"},
        {"QP soft break",
         "BEGIN:VCARD\nVERSION:2.1\nN:Doe;Jane\nNOTE;QUOTED-PRINTABLE:one=\ntwo=0D=0Athree\nEND:VCARD\n",
         "onetwo\r\nthree"},
        {"escapes", "BEGIN:VCARD\nN:Doe;Jane\nNOTE:a\\,b\\;c\\\\d\\Ne\nEND:VCARD\n", "a,b;c\\d\r\ne"},
        {"a label beside an address is its printed form",
         "BEGIN:VCARD\nN:Doe;Jane\nADR:;;1 Main St;;;;\nLABEL:1 Main St\nNOTE:onetwo\nEND:VCARD\n", "onetwo"},
        {"a label alone is kept", "BEGIN:VCARD\nN:Doe;Jane\nNOTE:onetwo\nLABEL:1 Main St\\nTown\nEND:VCARD\n",
         "onetwo\r\nLABEL: 1 Main St\r\nTown"},
        {"a bad QP escape stays", "BEGIN:VCARD\nN:Doe;Jane\nNOTE;ENCODING=QUOTED-PRINTABLE:=ZZ=4\nEND:VCARD\n",
         "=ZZ=4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const VCardCards got = CardsFromVCards(ParseVCards(c.bytes));
        ASSERT_EQ(got.cards.size(), 1);
        EXPECT_EQ(got.cards[0][LastName], "Doe");
        EXPECT_EQ(got.cards[0][Notes], c.notes);
    }
}

// The properties as the reader gives them: "NAME[TYPES]VALUETYPE=value", "#" for a picture's data,
// "v" and the version where each card begins.
QString PropertiesRead(const QByteArray& bytes, qsizetype maxCards = kMaxVCards) {
    QStringList out;
    for (const VCard& card : ParseVCards(bytes, maxCards)) {
        out << u'v' + card.version;
        for (const VCardProperty& p : card.properties)
            out << p.name + u'[' + p.types.join(u',') + u']' + p.valueType + QString(p.binary ? "#=" : "=") + p.value;
    }
    return out.join(QStringLiteral(" | "));
}

// Lines joined and read at the edges: folds and soft breaks that end where another line begins, heads
// that are damaged or odd, and the card limit.
TEST(VCardReader, joinsAndReadsUnusualLinesExactly) {
    struct Case {
        const char* what;
        QByteArray bytes;
        QString properties;
    } cases[] = {
        {"3.0 folds by a blank or a tab", "BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE:one\r\n two\r\n\tthree\r\nEND:VCARD\r\n",
         "v3.0 | NOTE[]=onetwothree"},
        {"soft breaks in a row, bad and signed escapes",
         "BEGIN:VCARD\nVERSION:2.1\nNOTE;ENCODING=QUOTED-PRINTABLE:a=\n=3D=\nb=0D=0A= A=-1=zz\nEND:VCARD\n",
         "v2.1 | NOTE[]=a=b\r\n\n\u00FF=zz"},
        {"a soft break takes in the next line, whatever it is",
         "BEGIN:VCARD\nVERSION:3.0\nNOTE;ENCODING=QUOTED-\n PRINTABLE:x=\nEND:VCARD\nFN:after\nEND:VCARD\n",
         "v3.0 | NOTE[]=xEND:VCARD | FN[]=after"},
        {"no soft break without quoted-printable", "BEGIN:VCARD\nVERSION:3.0\nNOTE:plain=\nEND:VCARD\n",
         "v3.0 | NOTE[]=plain="},
        {"groups, letter case, blanks, quoted and bare types, damaged heads",
         "begin:vcard \nversion: 3.0 \nitem1.tel;type=\"work,voice\";pref:+1\nx-\xDF:sharp\n\xA0"
         "email:nbsp\nN\"a:b\":c\nbad name:x\n:novalue\nEND:VCARD",
         "v3.0 | TEL[WORK,VOICE,PREF]=+1 | X-SS[]=sharp | EMAIL[]=nbsp"},
        {"value types, pictures, a named charset, an empty value",
         "BEGIN:VCARD\nTEL;WORK;FAX;VALUE=uri:tel:1\nPHOTO;BASE64:AAAA\nKEY;ENCODING=b:AAAA\n"
         "TITLE;CHARSET=windows-1252:Ma\xEEtre\nNOTE:\nEND:VCARD\n",
         "v | TEL[WORK,FAX]URI=tel:1 | PHOTO[]#= | KEY[]#= | TITLE[]=Ma\u00EEtre | NOTE[]="},
        {"nested, other ends and an unended card",
         "BEGIN:VCARD\nFN:One\nBEGIN:VCARD\nFN:Nested\nEND:VCARD\nEND:VCALENDAR\nEND:VCARD\nBEGIN:VCARD\nFN:Unended",
         "v | FN[]=One | AGENT[]=Nested | END[]=VCALENDAR | v | FN[]=Nested | v | FN[]=Unended"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PropertiesRead(c.bytes), c.properties);
    }
    // One card more than the limit, so that the caller can tell there were too many.
    EXPECT_EQ(PropertiesRead("BEGIN:VCARD\nFN:a\nEND:VCARD\nBEGIN:VCARD\nFN:b\nEND:VCARD\nBEGIN:VCARD\nFN:c\n", 1),
              "v | FN[]=a | v | FN[]=b");
}

TEST(VCardWriter, foldsAt75OctetsNeverInsideACharacter) {
    for (const QString& text :
         {QString(200, u'a'), QString(90, u'ü'), QString(60, QChar(0x65E5)), QString("x") + QString(80, u'€')}) {
        SCOPED_TRACE(text.left(3).toStdString());
        const QByteArray folded = FoldVCardLine(("NOTE:" + text).toUtf8());
        ASSERT_TRUE(folded.endsWith("\r\n"));
        for (const QByteArray& line : folded.chopped(2).split('\n')) {
            EXPECT_LE(line.chopped(line.endsWith('\r') ? 1 : 0).size(), 75);
            QStringDecoder utf8(QStringDecoder::Utf8);
            (void)QString(utf8(line));
            EXPECT_FALSE(utf8.hasError()) << "a line starts or ends inside a character";
        }
        EXPECT_EQ(CardsFromVCards(ParseVCards("BEGIN:VCARD\r\nN:a;b\r\n" + folded)).cards[0][Notes], text);
    }
}

namespace {

// Cards of random text: ASCII with the vCard's separators, letters that only
// Windows-1252 has beyond ASCII, letters only UTF-8 has, multi-line notes.
QList<Card> GeneratedCards(int count) {
    const QString pool = QStringLiteral("abcXYZ 019,;:\\\"'.-@+()äöüßÉÆ€ŠŽœŒ™日本語Ωж😀");
    std::mt19937 rng(15);
    auto text = [&](int maxLength) {
        QString t;
        for (int n = int(rng() % (maxLength + 1)); n > 0; --n) {
            const int i = int(rng() % pool.size());
            t += pool[i].isHighSurrogate()  ? pool.mid(i, 2)
                 : pool[i].isLowSurrogate() ? QStringLiteral("x")
                                            : QString(pool[i]);
        }
        return t;
    };
    QList<Card> cards;
    for (int c = 0; c < count; ++c) {
        Card card;
        for (int k = 0; k < kFieldCount; ++k) card[k] = text(12);
        card[FirstName] = u'F' + card[FirstName];
        card[Notes] = text(20) + QStringLiteral("\r\n") + text(90) + QStringLiteral("\r\n\r\n") + text(5);
        cards << card;
    }
    return cards;
}

// Cards that test the writer: every field, line breaks, the separators and
// the escape character, Windows-1252-only and UTF-8-only text, blanks around
// values, empty address lines between filled ones.
QList<Card> WriterCards() {
    return QList<Card>{
        CardWith({{Sal, "Dr."},
                  {FirstName, "Jürgen"},
                  {LastName, "Müller-Lüdenscheidt"},
                  {Title, "Chef, Küche; Bar"},
                  {Company, "A\\B"},
                  {Address1, "Straße 1"},
                  {Address4, "Berlin, BE"},
                  {Address5, "10115"},
                  {Address6, "Deutschland"},
                  {Phone1, "+49 30 1"},
                  {Phone2, "0171 2"},
                  {Fax, "+49 30 3"},
                  {EMail, "j@m.de"},
                  {Notes, "line one\r\nline two, with ; and \\n\r\n\r\nEND:VCARD\r\nBEGIN:VCARD"}}),
        CardWith({{FirstName, "Œuvre € Šárka Žofie"},
                  {LastName, "日本語 Ω"},
                  {Notes, QString(300, u'ß') + "\r\n" + QString(100, QChar(0x4E2D))}}),
        CardWith({{Company, "ACME GmbH"},
                  {Address2, "second line only"},
                  {Address3, "third"},
                  {Notes, "  blanks around  "}}),
        CardWith({{FirstName, " lead"}, {LastName, "trail "}, {Address1, "a"}, {Address3, "c"}, {Address5, "z"}}),
        CardWith({{FirstName, "NULL NAME"}, {Phone2, "tel:not a uri,;"}}),
    };
}

QList<Card> SampleCards() {
    return WriterCards() + GeneratedCards(60);
}

}  // namespace

TEST(VCardWriter, everyCardComesBackExactly) {
    const QList<Card> cards = SampleCards();
    for (VCardVersion version : {VCardVersion::V3, VCardVersion::V4}) {
        SCOPED_TRACE(version == VCardVersion::V3 ? "3.0" : "4.0");
        QByteArray file;
        for (const Card& c : cards) file += VCardText(c, version);
        const VCardCards back = CardsFromVCards(ParseVCards(file));
        ExpectSameCards(back.cards, cards);
        EXPECT_EQ(back.valuesInNotes, 0);
    }
}

// The export file per version, line by line against tests/data/vcard-out.
TEST(VCardWriter, writesEachVersionAsItsGoldenFile) {
    const struct {
        VCardVersion version;
        const char* golden;
    } cases[] = {{VCardVersion::V3, "vcard-out/cards-30.vcf"}, {VCardVersion::V4, "vcard-out/cards-40.vcf"}};
    for (const auto& c : cases) {
        QTemporaryDir dir;
        WriteVCardFile(dir.filePath("out.vcf"), WriterCards(), c.version);
        QFile file(dir.filePath("out.vcf"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        ExpectGolden(c.golden, file.readAll());
    }
}

TEST(VCardWriter, anotherProgramReadsEveryFieldOfOurExport) {
    for (VCardVersion version : {VCardVersion::V3, VCardVersion::V4}) {
        SCOPED_TRACE(version == VCardVersion::V3 ? "3.0" : "4.0");
        QTemporaryDir dir;
        QFile file(dir.filePath("out.vcf"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (const Card& c : SampleCards()) file.write(VCardText(c, version));
        file.close();
        QProcess python;
        python.start("/usr/bin/python3",
                     {TESSALY_SOURCE_DIR "/tests/data/vcard/read_with_vobject.py", file.fileName()});
        if (!python.waitForFinished(30000) || python.exitCode() == 3)
            GTEST_SKIP() << "no /usr/bin/python3 with python3-vobject";
        ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        const QJsonArray read = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
        QList<Card> cards;
        for (const QJsonValue& v : read) {
            Card card;
            for (int k = 0; k < kFieldCount; ++k) card[k] = v.toObject().value(FieldKeys[k]).toString();
            cards << card;
        }
        ExpectSameCards(cards, SampleCards());
    }
}

TEST(VCardReader, whatItReadsItWritesBackTheSame) {
    const QByteArray cases[] = {
        "BEGIN:VCARD\nN:Doe;Jo\nADR:P.O. Box 1\\nStation B;;Main St;;;;\nEND:VCARD\n",  // a line break in the box
        "BEGIN:VCARD\nN:Doe;Jo\nBROKEN\rNAME:value\nEND:VCARD\n",                       // a damaged line
        "BEGIN:VCARD\nN:Doe;Jo\nADR:;;a\\nb\\nc\\nd\\ne;;;;\nEND:VCARD\n",              // more street lines than fields
        "BEGIN:VCARD\nN:Doe;Jo\nTEL;TYPE=fax:+49\\\\\\\r\\\\x\nEND:VCARD\n",            // a backslash before a CR
    };
    for (const QByteArray& bytes : cases) {
        SCOPED_TRACE(bytes.toStdString());
        const VCardCards read = CardsFromVCards(ParseVCards(bytes));
        ASSERT_EQ(read.cards.size(), 1);
        for (VCardVersion version : {VCardVersion::V3, VCardVersion::V4})
            ExpectSameCards(CardsFromVCards(ParseVCards(VCardText(read.cards[0], version))).cards, read.cards);
    }
}

// Address4 holds the city and the region joined, as the details and the delimited import have them.
TEST(VCardWriter, theCityAndTheRegionGoBackToTheirOwnComponents) {
    struct Case {
        QString address4, adr;
    } cases[] = {
        {"Austin, TX", "ADR:;;7 Birch Rd;Austin;TX;;\r\n"},
        {"Frankfurt am Main, Hessen, DE", "ADR:;;7 Birch Rd;Frankfurt am Main\\, Hessen;DE;;\r\n"},
        {"Berlin", "ADR:;;7 Birch Rd;Berlin;;;\r\n"},
        {"Trail, ", "ADR:;;7 Birch Rd;Trail\\, ;;;\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.address4));
        const Card card = CardWith({{LastName, "Holm"}, {Address1, "7 Birch Rd"}, {Address4, c.address4}});
        const QByteArray text = VCardText(card, VCardVersion::V3);
        EXPECT_TRUE(text.contains(c.adr.toUtf8())) << text.toStdString();
        EXPECT_EQ(CardsFromVCards(ParseVCards(text)).cards.value(0), card);
    }
}
