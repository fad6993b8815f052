#include "sync/vcard_patch.h"
#include "exchange/vcard/vcard_cards.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

using namespace tessaly::store;
using namespace tessaly::sync;

namespace {

QByteArray FileBytes(const QString& path) {
    QFile f(QStringLiteral(TESSALY_TESTDATA "/") + path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every vCard of the third-party exports and of the server vCards written for these tests, one a resource.
QList<QByteArray> ServerVCards() {
    QList<QByteArray> vcards;
    for (const QString& folder : {QStringLiteral("vcard"), QStringLiteral("sync")})
        for (const QString& name : QDir(QStringLiteral(TESSALY_TESTDATA "/") + folder).entryList({"*.vcf"})) {
            const QByteArray bytes = FileBytes(folder + u'/' + name);
            for (qsizetype at = bytes.indexOf("BEGIN:VCARD"); at >= 0;) {
                const qsizetype next = bytes.indexOf("BEGIN:VCARD", at + 1);
                vcards << bytes.mid(at, next < 0 ? -1 : next - at);
                at = next;
            }
        }
    return vcards;
}

// Logical lines (folds joined), as the test sees them: enough to find which lines survived.
QList<QByteArray> Lines(const QByteArray& vcard) {
    QList<QByteArray> lines;
    for (QByteArray line : vcard.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        if (!lines.isEmpty() && (line.startsWith(' ') || line.startsWith('\t') ||
                                 (lines.back().endsWith('=') && lines.back().contains("QUOTED-PRINTABLE"))))
            lines.back() += '\n' + line;
        else if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

QByteArray NameOf(const QByteArray& line) {
    QByteArray name = line.left(line.indexOf(':')).split(';').front().toUpper();
    return name.mid(name.lastIndexOf('.') + 1);
}

// The properties a field may change: its own, the bookkeeping, and a removed value's Apple label.
QList<QByteArray> NamesOf(int field) {
    QList<QByteArray> names = {"REV", "UID", "X-ABLABEL"};
    if (field <= LastName || field == Company)
        names << "N"
              << "FN";
    if (field == Title) names << "TITLE";
    if (field == Company) names << "ORG";
    if (field >= Address1 && field <= Address6) names << "ADR";
    if (field >= Phone1 && field <= Fax) names << "TEL";
    if (field == EMail) names << "EMAIL";
    if (field == Notes) names << "NOTE";
    return names;
}

// Every line of 'before' that the change may not touch is in 'after', unchanged and in order; a new value
// replaces one line of the field's own (two for the names).
void ExpectOtherLinesKept(const QByteArray& before, const QByteArray& after, int field, bool emptied) {
    const QList<QByteArray> old = Lines(before), now = Lines(after);
    qsizetype at = 0, changed = 0;
    for (const QByteArray& line : old) {
        const qsizetype found = now.indexOf(line, at);
        if (found >= 0) {
            at = found + 1;
            continue;
        }
        const QByteArray name = NameOf(line);
        EXPECT_TRUE(NamesOf(field).contains(name)) << "lost: " << line.toStdString();
        changed += name != "REV" && name != "X-ABLABEL";
    }
    EXPECT_TRUE(emptied || changed <= (field <= LastName || field == Company ? 2 : 1)) << changed;
}

const QStringList kValues = {
    QString(),
    QStringLiteral("Plain"),
    QStringLiteral("Comma, semi; back\\slash"),
    QStringLiteral("Two\r\nlines"),
    QStringLiteral("Ünïcødé 名前 ✓"),
    QStringLiteral("tel:+1 555"),
    QStringLiteral("Stockholm, Uppsala"),
    QStringLiteral("%1 end").arg(QString(300, u'ß')),
};

TEST(PatchServerVCard, eachFieldChangedReadsBackAndKeepsEveryOtherLine) {
    int checked = 0;
    for (const QByteArray& vcard : ServerVCards()) {
        const Card was = CardFromServerVCard(vcard);
        EXPECT_EQ(PatchServerVCard(vcard, was, was, QStringLiteral("new-uid")), vcard);
        for (int field = 0; field < kFieldCount; ++field)
            for (const QString& value : kValues) {
                Card now = was;
                now[field] = value;
                // A card the vCard form cannot give back (a name of blanks, a line break in an address line).
                if (CardFromServerVCard(NewServerVCard(now, QStringLiteral("u"))) != now || now == was) continue;
                SCOPED_TRACE(vcard.left(200).toStdString() + "\nfield " + FieldKeys[field].toStdString() + " = " +
                             value.left(40).toStdString());
                const QByteArray patched = PatchServerVCard(vcard, was, now, QStringLiteral("new-uid"));
                const Card read = CardFromServerVCard(patched);
                for (int k = 0; k < kFieldCount; ++k) {
                    if (now[k].isEmpty() && read[k] != was[k]) continue;  // a further value of the field may show
                    EXPECT_EQ(read[k], now[k]) << FieldKeys[k].toStdString() << "\n" << patched.toStdString();
                }
                ExpectOtherLinesKept(vcard, patched, field, value.isEmpty());
                EXPECT_FALSE(VCardUid(patched).isEmpty());
                for (const QByteArray& line : patched.split('\n'))  // lines of its own folded, the server's kept
                    EXPECT_TRUE(vcard.contains(line) || line.size() <= 76) << line.toStdString();
                ++checked;
            }
    }
    EXPECT_GT(checked, 600);  // the cards the vCard form cannot give back are few
}

struct PatchCase {
    const char* what;
    const char* file;  // or the vCard itself
    std::vector<std::pair<int, QString>> changes;
    std::vector<const char*> present, absent;        // lines (or parts of lines) of the result
    std::vector<std::pair<int, QString>> read = {};  // fields that read otherwise than the change says
};

TEST(PatchServerVCard, linesTheReaderChoosesAmongAreTheOnesReplaced) {
    const std::vector<PatchCase> cases = {
        {"a grouped TEL keeps its label when its number changes",
         "sync/iphone-30.vcf",
         {{Phone1, "+46 8 555 999"}},
         {"item1.TEL;type=pref:+46 8 555 999\r\nitem1.X-ABLabel:_$!<Main>!$_\r\n"},
         {"555 010"}},
        {"a grouped TEL removed takes its label along", "sync/iphone-30.vcf", {{Phone1, ""}}, {}, {"item1."}},
        {"the first home or cell number is Phone2; the cell stays",
         "sync/iphone-30.vcf",
         {{Phone2, "1"}},
         {"TEL;type=HOME;type=VOICE:1\r\n", "TEL;type=CELL;type=VOICE:+46 70 555 012"},
         {}},
        {"ORG keeps its units when the company still ends with them",
         "sync/iphone-30.vcf",
         {{Company, "Nordlys Group, Research, Optics"}},
         {"ORG:Nordlys Group;Research;Optics\r\n"},
         {}},
        {"given names as a list stay when only the last name changes",
         "sync/iphone-30.vcf",
         {{LastName, "Berg"}},
         {"N:Berg;Maja,Elin;;Dr.;\r\n", "FN:Maja\\,Elin Berg\r\n"},
         {}},
        {"the first ADR keeps its types and group",
         "sync/iphone-30.vcf",
         {{Address1, "Kungsgatan 1"}},
         {"item3.ADR;type=WORK;type=pref:;;Kungsgatan 1\\nPlan 3;Stockholm;;111 22;Sweden\r\n", "item3.X-ABADR:se\r\n",
          "ADR;type=HOME:;;Hemv\xc3\xa4gen 9"},
         {}},
        {"REV brought up to date, the UID kept",
         "sync/iphone-30.vcf",
         {{Title, "CTO"}},
         {"TITLE:CTO\r\n", "UID:3C8F1F2A-7A55-4A1B-9C2E-1D2E3F405162\r\n"},
         {"REV:2024-01-15", "new-uid"}},
        {"a tel: URI stays one",
         "sync/nextcloud-40.vcf",
         {{Phone1, "+351-21-555-0199"}},
         {"TEL;VALUE=uri;TYPE=\"work,voice\";PREF=1:tel:+351-21-555-0199\r\n"},
         {}},
        {"a number a URI cannot carry becomes text",
         "sync/nextcloud-40.vcf",
         {{Phone1, "+351 21 555, ext 9"}},
         {"TEL;TYPE=\"work,voice\";PREF=1;VALUE=text:+351 21 555\\, ext 9\r\n"},
         {}},
        {"of two home numbers only the first is removed, and the second shows",
         "sync/nextcloud-40.vcf",
         {{Phone2, ""}},
         {"TEL;VALUE=uri;TYPE=home:tel:+351-21-555-0102\r\n"},
         {"0101"},
         {{Phone2, "+351-21-555-0102"}}},
        {"the address's label parameter goes with the old address",
         "sync/nextcloud-40.vcf",
         {{Address4, "Porto, Norte"}},
         {"ADR;TYPE=home:;;Rua das Flores 12;Porto;Norte;1200-195;Portugal\r\n"},
         {"LABEL"}},
        {"a new e-mail after the others, in 4.0's style",
         "sync/nextcloud-40.vcf",
         {{EMail, "t@x.example"}},
         {"EMAIL;TYPE=work:t@x.example\r\n"},
         {}},
        {"2.1: non-ASCII and line breaks quoted-printable, LF line ends kept",
         "sync/android-21.vcf",
         {{Notes, "Zeile ä\r\nzwei"}},
         {"NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Zeile =C3=A4=0D=0Azwei\n"},
         {"\r"}},
        {"2.1: a new fax in 2.1's style, before the end",
         "sync/android-21.vcf",
         {{Fax, "0803 1"}},
         {"TEL:0803 555 0100\nTEL;WORK;FAX:0803 1\nEND:VCARD\n"},
         {}},
        {"a number emptied goes with its exact copies", "sync/android-21.vcf", {{Phone1, ""}}, {}, {"555 0100"}},
        {"street lines the card has no room for stay in the rewritten address",
         "sync/android-21.vcf",
         {{Address5, "101002"}},
         {"ADR;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;PO Box 7=0D=0AFlat 2=0D=0A12 Marina=0D=0ABlock C"},
         {}},
        {"FN follows the company of a card without a name; the byte order mark and LF kept",
         "vcard/google-40.vcf",
         {{Company, "ACME AG"}},
         {"\xEF\xBB\xBF"
          "BEGIN:VCARD\nVERSION:4.0\nUID:new-uid\nFN:ACME AG\nORG:ACME AG\n"},
         {}},
        {"a name from FN alone kept when the company becomes that name; a UID given",
         "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ada Lovelace\r\nEND:VCARD\r\n",
         {{Company, "Ada Lovelace"}},
         {"UID:new-uid\r\n", "N:Lovelace;Ada;;;\r\n"},
         {}},
    };
    for (const PatchCase& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray vcard =
            QByteArray(c.file).startsWith("BEGIN") ? QByteArray(c.file) : FileBytes(QString::fromLatin1(c.file));
        const QByteArray first = vcard.left(vcard.indexOf('\n', vcard.indexOf("END:VCARD")) + 1);
        const Card was = CardFromServerVCard(first);
        Card now = was, expected;
        for (const auto& [field, value] : c.changes) now[field] = value;
        expected = now;
        for (const auto& [field, value] : c.read) expected[field] = value;
        const QByteArray patched = PatchServerVCard(first, was, now, QStringLiteral("new-uid"));
        const QByteArray unfolded = QByteArray(patched).replace("\r\n ", "").replace("=\n", "");
        for (const char* text : c.present)
            EXPECT_TRUE(unfolded.contains(text)) << text << "\n" << patched.toStdString();
        for (const char* text : c.absent) EXPECT_FALSE(patched.contains(text)) << text << "\n" << patched.toStdString();
        EXPECT_EQ(CardFromServerVCard(patched), expected) << patched.toStdString();
    }
}

TEST(CardFromServerVCard, valuesWithoutAFieldStayOutOfTheNotesThatTheImportFillsWith) {
    const QByteArray vcard = FileBytes(QStringLiteral("vcard/apple-30.vcf"));
    VCardCards counts;
    const Card imported = CardFromVCard(ParseVCards(vcard).front(), counts);
    EXPECT_TRUE(imported.notes().contains(QStringLiteral("NICKNAME: Shiv")));
    const Card synced = CardFromServerVCard(vcard);
    EXPECT_EQ(synced.notes(), QStringLiteral("Met at the conference, 2019.\r\nLikes tea; not coffee. A long note that "
                                             "is folded by the writer at seventy-five octets."));
    Card withoutNotes = imported;
    withoutNotes.setNotes(synced.notes());
    EXPECT_EQ(synced, withoutNotes);
}

TEST(NewServerVCard, isVersion3WithTheUidFoldedAndReadsBack) {
    const Card card = {"Dr.",    "Zoë",   "Ng", "", "Ng; Partners", "Line\\1",         "", "", "Oslo, Viken", "0150",
                       "Norway", "+47 1", "",   "", "z@example.no", QString(200, u'é')};
    const QByteArray vcard = NewServerVCard(card, QStringLiteral("abc,1"));
    EXPECT_TRUE(vcard.startsWith("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:abc\\,1\r\nFN:Zoë Ng\r\n"));
    EXPECT_EQ(VCardUid(vcard), QStringLiteral("abc,1"));
    EXPECT_EQ(CardFromServerVCard(vcard), card);
    for (const QByteArray& line : vcard.split('\n')) EXPECT_LE(line.size(), 76);
}

// Damaged and huge vCards, patched to a card of values and to one of nothing but a name: no crash, and
// work that grows with the size only (a quadratic step would not end here).
TEST(PatchServerVCard, hostileVCardsArePatchedInBoundedWork) {
    const QByteArray longLine = "NOTE:" + QByteArray(4'000'000, 'x') + "\r\n";
    const std::vector<QByteArray> cases = {
        "",
        "no vcard at all",
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Open",  // never ended, no line end
        "BEGIN:VCARD\r\nVERSION:2.1\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=",
        "BEGIN:VCARD\r\nBEGIN:VCARD\r\nFN:Nested\r\n",
        "BEGIN:VCARD\r\n:\r\n;;;\r\n\"a:b\r\nTEL;TYPE=\"HOME:1\r\nEND:VCARD\r\n",
        "BEGIN:VCARD\r\n" + longLine + QByteArray("X:\r\n").repeated(200'000) + "END:VCARD\r\n",
        "BEGIN:VCARD\r\n" + QByteArray("item1.TEL:1\r\nitem1.X-ABLabel:a\r\n").repeated(50'000) + "END:VCARD\r\n",
    };
    Card named;
    named.setFirstName(QStringLiteral("n"));
    for (const QByteArray& vcard : cases) {
        SCOPED_TRACE(vcard.left(60).toStdString());
        const Card was = CardFromServerVCard(vcard);
        Card filled = was;
        for (int k = 0; k < kFieldCount; ++k) filled[k] = QStringLiteral("v%1").arg(k);
        for (const Card& now : {filled, named})
            EXPECT_EQ(CardFromServerVCard(PatchServerVCard(vcard, was, now, QStringLiteral("u"))), now);
    }
}

}  // namespace
