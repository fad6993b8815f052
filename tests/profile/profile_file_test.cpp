#include "../support/qt_print.h"
#include "../support/read_only_folder.h"
#include "../support/temp_folder.h"
#include "profile/cached_profile.h"
#include "profile/profile_document.h"
#include "profile/text_codec.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QProcess>
#include <random>

using namespace tessaly::profile;

namespace {
std::optional<QStringList> ReadSection(ProfileAccess& p, const QString& file, const QString& section,
                                       std::span<const QString> keys) {
    QStringList values;
    if (!p.visitSection(file, section, keys, [&](std::size_t, QStringView v) { values << v.toString(); })) return {};
    return values;
}
}  // namespace

TEST(ProfileFile, readsSectionsAndKeysAsTheWindowsRoutinesDo) {
    auto doc = ProfileDocument::parse(
        "; comment=1\r\n[ Card1 ]\r\n  Name  =  Ann Lee \t\r\nname=second\r\nNoEquals\r\n;Phone=1\r\n"
        "[card1]\r\nOnlyInDup=x\r\n[Other]\rA=1\rB=\"q\"\r");
    EXPECT_EQ(doc.value("card1", "NAME"), "Ann Lee");
    EXPECT_FALSE(doc.value("Card1", "NoEquals").has_value());
    EXPECT_FALSE(doc.value("Card1", ";Phone").has_value());
    EXPECT_FALSE(doc.value("Card1", "OnlyInDup").has_value());  // only the first matching section counts
    EXPECT_EQ(doc.value("Other", "B"), "q");                    // a lone CR ends a line
    EXPECT_FALSE(doc.value("Missing", "A").has_value());
}

TEST(ProfileFile, readingSeveralKeysOfASectionAtOnceGivesWhatSingleReadsGive) {
    TempFolder dir;
    dir.put("cards.ini",
            "[Record7]\r\nNextName=8\r\n next name = 9\r\nPrevName=\"6\"\r\nZo\xEB=x\r\n"
            "[record7]\r\nShowName=hidden\r\n[Record8]\r\n");
    const QString file = dir.path("cards.ini");
    const std::array<QString, 4> keys = {"nextname", "PrevName", "ShowName", "ZO\u00CB"};
    for (const QString& section : {QString("Record7"), QString(" RECORD7 "), QString("Record8"), QString("Record9")}) {
        SCOPED_TRACE(section.toStdString());
        for (const QString& name : {QString("cards.ini"), QString("absent.ini")}) {
            CachedProfile p;
            const QString f = dir.path(name);
            const std::optional<QStringList> values = ReadSection(p, f, section, keys);
            ASSERT_EQ(values.has_value(), p.hasSection(f, section));
            if (!values) continue;
            for (std::size_t i = 0; i < keys.size(); ++i)
                EXPECT_EQ(values->at(qsizetype(i)), p.read(f, section, keys[i]));
        }
    }
    CachedProfile p;
    EXPECT_EQ(ReadSection(p, file, "Record7", keys), QStringList({"8", "6", "", "x"}));
}

TEST(ProfileFile, untouchedLinesCommentsAndLineEndsAreKept) {
    TempFolder dir;
    dir.put("lf.ini", "; keep me\n[S]\nodd line without equals\nA=1\n\n[T]\nB=2\n");
    dir.put("cr.ini", "[S]\rA=1\r");
    CachedProfile profile;
    profile.write(dir.path("lf.ini"), "S", "A", "one");
    profile.write(dir.path("lf.ini"), "S", "New", "x");
    profile.write(dir.path("lf.ini"), "U", "C", "3");
    EXPECT_EQ(dir.bytes("lf.ini"), "; keep me\n[S]\nodd line without equals\nA=one\nNew=x\n\n[T]\nB=2\n\n[U]\nC=3\n");
    profile.write(dir.path("cr.ini"), "S", "A", "2");
    EXPECT_EQ(dir.bytes("cr.ini"), "[S]\rA=2\r");
    profile.write(dir.path("new.ini"), "General Info", "Application", "Tessaly");
    EXPECT_EQ(dir.bytes("new.ini"), "[General Info]\r\nApplication=Tessaly\r\n");
}

TEST(ProfileFile, aWriteIsOnDiskWhenItReturnsAndLeavesNoTemporaryFile) {
    TempFolder dir;
    CachedProfile profile;
    profile.write(dir.path("a.dat"), "S", "K", "v1");
    EXPECT_TRUE(dir.bytes("a.dat").contains("K=v1"));
    EXPECT_EQ(dir.files(), QStringList{"a.dat"});
}

TEST(ProfileFile, aValueWrittenByAnotherProcessIsSeenByTheNextRead) {
    TempFolder dir;
    const QString file = dir.path("tesly.dat");
    CachedProfile profile;
    profile.write(file, "General Info", "NoOfUses", "1");
    ASSERT_EQ(profile.read(file, "General Info", "NoOfUses"), "1");
    // Same size, same moment, rewritten in place: only the content tells.
    QProcess::execute("sh", {"-c", "printf '[General Info]\\r\\nNoOfUses=2\\r\\n' > \"$0\"", file});
    EXPECT_EQ(profile.read(file, "General Info", "NoOfUses"), "2");
    CachedProfile other;
    other.write(file, "General Info", "NoOfUses", "3");
    EXPECT_EQ(profile.read(file, "General Info", "NoOfUses"), "3");
}

TEST(ProfileFile, withinOneOperationAFileIsCheckedOnlyOnce) {
    TempFolder dir;
    const QString file = dir.path("x.dat");
    CachedProfile profile, other;
    profile.write(file, "S", "K", "old");
    profile.beginOperation();
    EXPECT_EQ(profile.read(file, "S", "K"), "old");
    other.write(file, "S", "K", "new");
    EXPECT_EQ(profile.read(file, "S", "K"), "old");
    profile.endOperation();
    EXPECT_EQ(profile.read(file, "S", "K"), "new");
}

TEST(ProfileFile, aWriteWithinAnOperationKeepsWhatAnotherProgramWroteMeanwhile) {
    TempFolder dir;
    const QString file = dir.path("tesly.dat");
    CachedProfile profile, sibling;
    profile.write(file, "General Info", "NoOfUses", "1");
    ProfileOperation op(profile);
    EXPECT_EQ(profile.read(file, "General Info", "NoOfUses"), "1");
    sibling.write(file, "General Info", "NoOfUses", "12");
    profile.write(file, "General Info", "NoOfRecords", "5");
    op.finish();
    CachedProfile fresh;
    EXPECT_EQ(fresh.read(file, "General Info", "NoOfUses"), "12");
    EXPECT_EQ(fresh.read(file, "General Info", "NoOfRecords"), "5");
}

TEST(ProfileFile, aRefusedWriteIsReportedAndLeavesTheFileAsItWas) {
    TempFolder dir;
    const QString file = dir.path("ro/tesly.dat");
    QDir().mkpath(dir.path("ro"));
    dir.put("ro/tesly.dat", "[S]\r\nK=old\r\n");
    CachedProfile profile;
    EXPECT_EQ(profile.read(file, "S", "K"), "old");
    {
        ReadOnlyFolder readOnly(dir.path("ro"));
        if (!readOnly.refusesWrites()) GTEST_SKIP() << "cannot make a folder read-only for root here";
        EXPECT_THROW(profile.write(file, "S", "K", "new"), WriteError);
        EXPECT_EQ(dir.bytes("ro/tesly.dat"), "[S]\r\nK=old\r\n");
        EXPECT_EQ(profile.read(file, "S", "K"), "old");
    }
    EXPECT_EQ(QDir(dir.path("ro")).entryList(QDir::Files | QDir::Hidden), QStringList{"tesly.dat"});
    EXPECT_THROW(profile.write(dir.path("no/such/folder.dat"), "S", "K", "v"), WriteError);
    EXPECT_EQ(profile.read(dir.path("no/such/folder.dat"), "S", "K"), QString());
}

TEST(ProfileFile, bulkModeHoldsWritesUntilTheEndAndReadsSeeThem) {
    TempFolder dir;
    const QString file = dir.path("b.dat");
    CachedProfile profile;
    {
        ProfileBulk bulk(profile);
        for (int i = 0; i < 100; ++i) profile.write(file, QString("Record%1").arg(i), "K", QString::number(i));
        EXPECT_EQ(profile.read(file, "Record42", "K"), "42");
        EXPECT_FALSE(QFile::exists(file));
        bulk.finish();
    }
    CachedProfile fresh;
    EXPECT_EQ(fresh.read(file, "Record99", "K"), "99");
}

TEST(ProfileFile, bulkModeLeftByAnErrorStillFlushesWhatItHeld) {
    TempFolder dir;
    const QString file = dir.path("c.dat");
    CachedProfile profile;
    try {
        ProfileBulk bulk(profile);
        profile.write(file, "S", "K", "held");
        throw std::runtime_error("interrupted");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(dir.bytes("c.dat").contains("K=held"));
}

// Every name in brackets and before an '=' of the file, read together from a
// fresh copy and one by one from another.
void ExpectKeysReadTogetherAsOneByOne(const QByteArray& bytes, const QString& what) {
    QStringList sections, keys;
    for (const QByteArray& line : bytes.split('\n')) {
        const QByteArray t = line.trimmed();
        if (t.startsWith('[') && t.contains(']')) sections << decodeBytes(t.mid(1, t.indexOf(']') - 1));
        if (t.contains('=')) keys << decodeBytes(t.left(t.indexOf('=')));
    }
    keys = keys.mid(0, 16);
    for (const QString& section : sections) {
        SCOPED_TRACE((what + " [" + section + "]").toStdString());
        const auto together = ProfileDocument::parse(bytes).values(section, keys);
        auto alone = ProfileDocument::parse(bytes);
        ASSERT_TRUE(together.has_value());
        for (qsizetype i = 0; i < keys.size(); ++i)
            EXPECT_EQ(together->at(i), alone.value(section, keys[i]).value_or(QString())) << keys[i].toStdString();
    }
}

TEST(ProfileFile, thirdPartyFilesReadAsExpectedAndNeverCrash) {
    const QString own = TestData("ini/own/");
    ASSERT_FALSE(own.isEmpty()) << "tests/data/ini/own is missing";
    CachedProfile p;
    EXPECT_EQ(p.read(own + "cr_only_endings.ini", "Card1", "Name"), "Ann Lee");
    EXPECT_EQ(p.read(own + "cr_only_endings.ini", "Card1", "Phone"), "555 0100");
    EXPECT_EQ(p.read(own + "whitespace_trim.ini", "Card1", "Name"), "Ann Lee");
    const QString q = own + "quote_stripping.ini";
    EXPECT_EQ(p.read(q, "Q", "A"), "double");
    EXPECT_EQ(p.read(q, "Q", "B"), "single");
    EXPECT_EQ(p.read(q, "Q", "C"), "\"unbalanced");
    EXPECT_EQ(p.read(q, "Q", "D"), " inner spaces ");
    EXPECT_EQ(p.read(q, "Q", "E"), "");
    EXPECT_EQ(p.read(q, "Q", "F"), "mid\"dle");
    EXPECT_EQ(p.read(q, "Q", "G"), "x\"y\"");
    EXPECT_EQ(p.read(q, "Q", "H"), "\"");
    EXPECT_EQ(p.read(own + "comments.ini", "C", "A"), "value ; not a comment");
    EXPECT_EQ(p.read(own + "comments.ini", "C", "#B"), "hash is a key name");
    EXPECT_EQ(p.read(own + "duplicates_and_case.ini", "card", "NAME"), "first");
    EXPECT_EQ(p.read(own + "duplicates_and_case.ini", "Card", "OnlyInDup"), QString());
    EXPECT_EQ(p.read(own + "utf8_bom.ini", "Card1", "Name"), "Zoë Müller");
    EXPECT_EQ(p.read(own + "cp1252_nobom.ini", "Card1", "Name"), "Zoë Müller");
    EXPECT_EQ(p.read(own + "ctrl_z_eof.ini", "Card1", "Name"), "Ann");
    EXPECT_TRUE(p.hasSection(own + "truncated_tail.ini", "Card2"));
    for (const QString& folder : {QString("ini/own/"), QString("ini/inih/"), QString("ini/iniparser/")})
        for (const QString& f : QDir(TestData(folder)).entryList({"*.ini"}, QDir::Files)) {
            const QString path = TestData(folder) + f;
            QFile in(path);
            ASSERT_TRUE(in.open(QIODevice::ReadOnly));
            const QByteArray bytes = in.readAll();
            ExpectKeysReadTogetherAsOneByOne(bytes, f);
            auto doc = ProfileDocument::parse(bytes);
            doc.setValue("Tessaly", "Key", "line1\nline2");
            auto again = ProfileDocument::parse(doc.serialize());
            EXPECT_EQ(again.value("Tessaly", "Key"), "line1\nline2") << f.toStdString();
        }
}

TEST(ProfileFile, anyBytesParseAndAcceptWritesWithoutCrashing) {
    std::mt19937 rng(7);
    static const char kBytes[] =
        "[]=;\"' \t\r\n\x1a\0\xEF\xBB\xBF\x80\xC3\xA9"
        "abcK";
    const QByteArray alphabet(kBytes, sizeof kBytes - 1);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes;
        const int size = std::uniform_int_distribution<int>(0, 200)(rng);
        for (int i = 0; i < size; ++i)
            bytes += alphabet[std::uniform_int_distribution<int>(0, alphabet.size() - 1)(rng)];
        auto doc = ProfileDocument::parse(bytes);
        doc.value("a", "b");
        doc.setValue("a", "K", "v\r\n");
        EXPECT_EQ(ProfileDocument::parse(doc.serialize()).value("a", "K"), "v\r\n") << bytes.toHex().toStdString();
    }
}

// Sections are found by their folded names, accents included, the first of equal names winning,
// also among sections added after the file was read and while the lookup table grows.
TEST(ProfileFile, sectionsAreFoundByNameWhateverTheirCaseAndHowManyAreAdded) {
    auto doc = ProfileDocument::parse("[Caf\xE9]\r\nA=1\r\n[CAF\xC9]\r\nA=2\r\n[Record1]\r\nA=3\r\n");
    for (int i = 0; i < 40; ++i) doc.setValue(QStringLiteral("Added%1").arg(i), "A", QString::number(i));
    doc.setValue("record1", "B", "b");
    const struct {
        const char* section;
        std::optional<QString> a;
    } cases[] = {{"café", "1"}, {" CAFÉ ", "1"}, {"RECORD1", "3"}, {"added0", "0"}, {"ADDED39", "39"}, {"Added40", {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.section);
        EXPECT_EQ(doc.value(QString::fromUtf8(c.section), "A"), c.a);
        EXPECT_EQ(ProfileDocument::parse(doc.serialize()).value(QString::fromUtf8(c.section), "A"), c.a);
    }
    EXPECT_EQ(doc.value("Record1", "b"), "b");
}
