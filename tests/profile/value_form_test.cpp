#include "profile/value_form.h"
#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "profile/cached_profile.h"
#include "profile/text_codec.h"

#include <gtest/gtest.h>

using namespace tessaly::profile;

namespace {

const QString kHostile[] = {QString(),
                            QStringLiteral(" "),
                            QStringLiteral("  lead"),
                            QStringLiteral("trail  "),
                            QStringLiteral("\tTab\t"),
                            QStringLiteral("\"quoted\""),
                            QStringLiteral("'single'"),
                            QStringLiteral("\""),
                            QStringLiteral("\"\""),
                            QStringLiteral("\"half"),
                            QStringLiteral("a=b=c"),
                            QStringLiteral(";not a comment"),
                            QStringLiteral("[Section]"),
                            QStringLiteral("C:\\temp\\new"),
                            QStringLiteral("\" C:\\temp \""),
                            QStringLiteral("\"a\\nb\""),
                            QStringLiteral("line1\r\nline2\nline3\rline4"),
                            QStringLiteral("x\n[General Info]\nNoOfRecords=999"),
                            QStringLiteral("inner\ttab"),
                            QString(QChar(0)) + QStringLiteral("nul"),
                            QStringLiteral("ctrl\x1a"),
                            QStringLiteral("Zoë Müller"),
                            QStringLiteral("€ 5,–"),
                            QStringLiteral("日本語"),
                            QStringLiteral("Ã©"),
                            QStringLiteral("\\"),
                            QStringLiteral("\\x41"),
                            QStringLiteral(" \\ ")};

}  // namespace

TEST(ValueForm, everyHostileValueReadsBackExactlyAndTouchesNoOtherKey) {
    TempFolder dir;
    const QString file = dir.path("card.dat");
    CachedProfile profile;
    profile.write(file, "Record1", "Before", "kept");
    for (const QString& value : kHostile) {
        profile.write(file, "Record1", "Notes", value);
        profile.write(file, "Record1", "After", "kept");
        CachedProfile fresh;  // reads the file from disk
        EXPECT_EQ(fresh.read(file, "Record1", "Notes"), value) << value.toStdString();
        EXPECT_EQ(fresh.read(file, "Record1", "Before"), "kept");
        EXPECT_EQ(fresh.read(file, "Record1", "After"), "kept");
        EXPECT_FALSE(fresh.hasSection(file, "General Info"));
        EXPECT_EQ(fresh.read(file, "Record1", "NoOfRecords"), QString());
    }
}

TEST(ValueForm, plainValuesAreWrittenByteForByteAndProtectedOnesAsTheWindowsRoutinesReadThem) {
    EXPECT_EQ(storedValue("Adams, Jo"), "Adams, Jo");
    EXPECT_EQ(storedValue("C:\\data\\"), "C:\\data\\");
    EXPECT_EQ(storedValue("a=b;c"), "a=b;c");
    EXPECT_EQ(storedValue(" Jo "), "\" Jo \"");
    EXPECT_EQ(storedValue("\"Jo\""), "\"\"Jo\"\"");
    EXPECT_EQ(storedValue("two\r\nlines"), "\"\\~two\\r\\nlines\"");
    // What the sibling program writes reads as the Windows routines read it.
    EXPECT_EQ(readValue("  \"double\"  "), "double");
    EXPECT_EQ(readValue("'single'"), "single");
    EXPECT_EQ(readValue("\"unbalanced"), "\"unbalanced");
    EXPECT_EQ(readValue("mid\"dle"), "mid\"dle");
}

TEST(TextCodec, writesWindows1252WhereItFitsAndUtf8Otherwise) {
    EXPECT_EQ(encodeText("Zoë €"), QByteArray("Zo\xEB \x80"));
    EXPECT_EQ(encodeText("日本"), QString("日本").toUtf8());
    // Its Windows-1252 bytes would read as UTF-8 "é": so it goes out as UTF-8.
    EXPECT_EQ(encodeText("Ã©"), QString("Ã©").toUtf8());
    EXPECT_EQ(decodeBytes("Zo\xEB"), "Zoë");
    EXPECT_EQ(decodeBytes(QString("Zoë").toUtf8()), "Zoë");
    EXPECT_EQ(decodeBytes("\x81\x8D"), QString(QChar(0x81)) + QChar(0x8D));
}
