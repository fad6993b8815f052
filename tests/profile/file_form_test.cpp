#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "profile/cached_profile.h"
#include "profile/profile_document.h"
#include "profile/value_form.h"

#include <gtest/gtest.h>

using namespace tessaly::profile;

TEST(FileForm, everyLineKeepsItsOwnEndAndNewLinesTakeTheFilesStyle) {
    const struct {
        const char* what;
        QByteArray before;
        QByteArray after;  // after K=new in [S] and N=1 in [T]
    } cases[] = {
        {"CR CR LF", "[S]\r\r\nK=old\r\r\nX=1\r\r\n", "[S]\r\r\nK=new\r\r\nX=1\r\r\n\r\r\n[T]\r\r\nN=1\r\r\n"},
        {"mixed", "[S]\nK=old\r\nX=1\r", "[S]\nK=new\r\nX=1\r\n[T]\nN=1\n"},
        {"no end on the last line", "[S]\r\nK=old", "[S]\r\nK=new\r\n\r\n[T]\r\nN=1\r\n"},
        {"CR only", "[S]\rK=old\r", "[S]\rK=new\r\r[T]\rN=1\r"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto doc = ProfileDocument::parse(c.before);
        EXPECT_EQ(doc.value("S", "K"), "old");
        doc.setValue("S", "K", "new");
        doc.setValue("T", "N", "1");
        EXPECT_EQ(doc.serialize(), c.after);
        auto again = ProfileDocument::parse(c.after);
        EXPECT_EQ(again.value("S", "X").value_or("absent"), c.before.contains("X=") ? "1" : "absent");
    }
}

TEST(FileForm, sectionsNoWriteTouchedComeBackAsTheyWereRead) {
    const QByteArray file = "; note\r\n\r\n[A]\r\nX=1\r\n\r\n[B]\n\rY=2\r\r\n[C]\r\nZ=3";
    const struct {
        const char* what;
        const char *section, *key;
        QByteArray after;
    } cases[] = {
        {"a middle section", "B", "Y", "; note\r\n\r\n[A]\r\nX=1\r\n\r\n[B]\n\rY=v\r\r\n[C]\r\nZ=3"},
        {"the first section", "A", "X", "; note\r\n\r\n[A]\r\nX=v\r\n\r\n[B]\n\rY=2\r\r\n[C]\r\nZ=3"},
        {"the last line", "C", "Z", "; note\r\n\r\n[A]\r\nX=1\r\n\r\n[B]\n\rY=2\r\r\n[C]\r\nZ=v"},
        {"a new section after an open last line", "D", "W",
         "; note\r\n\r\n[A]\r\nX=1\r\n\r\n[B]\n\rY=2\r\r\n[C]\r\nZ=3\r\n\r\n[D]\r\nW=v\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto doc = ProfileDocument::parse(file);
        EXPECT_EQ(doc.serialize(), file);
        doc.setValue(c.section, c.key, "v");
        EXPECT_EQ(doc.serialize(), c.after);
    }
}

TEST(FileForm, nulBytesBeforeAHeaderDoNotHideItsSection) {
    auto doc = ProfileDocument::parse(QByteArray("[Card1]\r\nName=Ann\r\n\0\0\0\0[Card2]\r\nName=Bob\r\n", 40));
    EXPECT_EQ(doc.value("Card2", "Name"), "Bob");
    doc.setValue("Card2", "Name", "Bo");
    EXPECT_EQ(doc.serialize(), QByteArray("[Card1]\r\nName=Ann\r\n\0\0\0\0[Card2]\r\nName=Bo\r\n", 39));
}

TEST(FileForm, valuesReadAsTheWindowsRoutinesReadThemAndOursStayDistinct) {
    const struct {
        const char* what;
        QByteArray stored;
        QString read;
    } reads[] = {
        {"another program's quoted path", "\"C:\\new\\table\"", "C:\\new\\table"},
        {"a quoted network path", "\"\\\\server\\new\"", "\\\\server\\new"},
        {"our escaped form", "\"\\~a\\r\\nb\\\\c\\x01\"", "a\r\nb\\c\x01"},
        {"an earlier version's multi-line note", "\"line1\\nline2\"", "line1\nline2"},
        {"an unknown escape stays as it is", "\"\\~a\\qb\"", "a\\qb"},
    };
    for (const auto& r : reads) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(readValue(r.stored), r.read);
    }
    // A one-line value is stored so that the Windows routines read it unchanged.
    const struct {
        QString value;
        QByteArray stored;
    } writes[] = {
        {"\"D:\\new\\table\"", "\"\"D:\\new\\table\"\""},
        {" C:\\temp ", "\" C:\\temp \""},
        {"C:\\new\\table", "C:\\new\\table"},
        {"\\~x", "\\~x"},
    };
    for (const auto& w : writes) {
        SCOPED_TRACE(w.value.toStdString());
        EXPECT_EQ(storedValue(w.value), w.stored);
        EXPECT_EQ(readValue(storedValue(w.value)), w.value);
    }
    // Values whose plain form would read as an escaped one take the escaped form.
    for (const QString& v : {QStringLiteral("\\~x "), QStringLiteral("\"a\\nb\"")}) {
        SCOPED_TRACE(v.toStdString());
        EXPECT_TRUE(storedValue(v).startsWith("\"\\~"));
        EXPECT_EQ(readValue(storedValue(v)), v);
    }
}

TEST(FileForm, aLeadingByteOrderMarkInAValueIsKept) {
    TempFolder dir;
    const QString value = QChar(0xFEFF) + QStringLiteral("Ann");
    CachedProfile profile;
    profile.write(dir.path("a.dat"), "S", "K", value);
    CachedProfile fresh;
    EXPECT_EQ(fresh.read(dir.path("a.dat"), "S", "K"), value);
}

// Several keys written at once give the file that writing them one by one gives, in a new section
// (also when two keys are one name) and in one that is there.
TEST(FileForm, keysWrittenTogetherGiveTheFileOfKeysWrittenOneByOne) {
    const struct {
        const char* what;
        QByteArray before;
        QStringList keys, values;
        QStringList keysBefore;  // written together into another new section first
    } cases[] = {
        {"a new section", "[General Info]\r\nA=1\r\n", {"Prev", "Next", "Name"}, {"", "7", "Lee, Ann"}, {}},
        {"a name twice", "[General Info]\r\nA=1\r\n", {"Prev", " prev ", "Näme", "NÄME"}, {"1", "2", "x", "y"}, {}},
        {"a section there", "[Record5]\nPrev=1\nName=old\n", {"Name", "Next", "Prev"}, {"new", "9", "1"}, {}},
        {"a name twice after the same names once", "", {"Prev", "Next", "NEXT"}, {"1", "2", "3"}, {"Prev", "Next"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProfileDocument together = ProfileDocument::parse(c.before), oneByOne = ProfileDocument::parse(c.before);
        if (!c.keysBefore.isEmpty())
            together.setValues("Record4", std::span(c.keysBefore.constData(), std::size_t(c.keysBefore.size())),
                               std::span(c.keysBefore.constData(), std::size_t(c.keysBefore.size())));
        for (const QString& key : c.keysBefore) oneByOne.setValue("Record4", key, key);
        together.setValues("Record5", std::span(c.keys.constData(), std::size_t(c.keys.size())),
                           std::span(c.values.constData(), std::size_t(c.values.size())));
        for (qsizetype i = 0; i < c.keys.size(); ++i) oneByOne.setValue("Record5", c.keys[i], c.values[i]);
        EXPECT_EQ(together.serialize(), oneByOne.serialize());
        EXPECT_EQ(ProfileDocument::parse(together.serialize()).value("Record5", "next"),
                  together.value("Record5", "Next"));
    }
}

TEST(FileForm, aWriteOfTheValueALineHoldsChangesNothingWhetherOrNotTheSectionWasRead) {
    const struct {
        const char* what;
        QByteArray before;
        QString key, value;
        bool changes;
    } cases[] = {
        {"the same value", "[S]\r\nK=v\r\n", "K", "v", false},
        {"another case of the name", "[S]\r\nK=v\r\nK=w\r\n", " k ", "v", false},
        {"the second of two lines", "[S]\r\nK=v\r\nK=w\r\n", "K", "w", true},
        {"a blank after the equals sign", "[S]\r\nK= v\r\n", "K", "v", true},
        {"quotes around it", "[S]\r\nK=\"v\"\r\n", "K", "v", true},
        {"lone CRs", "[S]\rK=v\rL=1\r", "K", "v", false},
        {"a missing key", "[S]\r\nK=v\r\n", "L", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProfileDocument unread = ProfileDocument::parse(c.before), read = ProfileDocument::parse(c.before);
        read.value("S", c.key);
        EXPECT_EQ(unread.setValue("S", c.key, c.value), c.changes);
        EXPECT_EQ(read.setValue("S", c.key, c.value), c.changes);
        EXPECT_EQ(unread.serialize(), read.serialize());
        if (!c.changes) {
            EXPECT_EQ(unread.serialize(), c.before);
        }
    }
}

TEST(FileForm, writesIntoASectionNotYetSplitGiveTheFileOfWritesIntoASplitOne) {
    const QByteArray before = "[S]\r\nA=1\r\nB=2\r\nA=3\r\n[T]\nC=4";
    const struct {
        QString section, key, value;
    } writes[] = {{"S", "A", "one"},   {"s", "b", ""},      {"T", "C", "x y"}, {"S", "New", "n"},
                  {"S", "A", "again"}, {"T", "C", "\"q\""}, {"T", "D", "d"}};
    ProfileDocument unread = ProfileDocument::parse(before), read = ProfileDocument::parse(before);
    read.value("S", "A");
    read.value("T", "C");
    for (const auto& w : writes) {
        SCOPED_TRACE((w.section + "/" + w.key).toStdString());
        EXPECT_EQ(unread.setValue(w.section, w.key, w.value), read.setValue(w.section, w.key, w.value));
        EXPECT_EQ(unread.serialize(), read.serialize());
        const std::array<QString, 2> keys = {w.key, "B"};
        EXPECT_EQ(ProfileDocument::parse(unread.serialize()).values(w.section, keys), read.values(w.section, keys));
    }
}
