#include "cli/cli_text.h"

#include <gtest/gtest.h>

using namespace tessaly::cli;

TEST(CliText, escapedValuesStandOnOneLineAndReadBack) {
    const QString value = "C:\\new\r\n\ttabbed\\n";
    EXPECT_EQ(EscapeValue(value), "C:\\\\new\\r\\n\\ttabbed\\\\n");
    EXPECT_FALSE(EscapeValue(value).contains('\n'));
    EXPECT_EQ(UnescapeValue(EscapeValue(value)), value);
    EXPECT_EQ(UnescapeValue("trailing\\"), "trailing\\");
    EXPECT_EQ(UnescapeValue("\\q"), "\\q");
}

TEST(CliText, everyControlAndInvisibleFormattingCharacterIsEscapedAndReadsBack) {
    struct Case {
        QString value, shown;
    };
    const Case cases[] = {
        {QString("red\x1b[31m!"), "red\\x1B[31m!"},
        {QString("bell\x07") + QChar(0x7F) + QChar(0x9B), "bell\\x07\\x7F\\x9B"},
        {QString("abc") + QChar(0x202E) + "cba" + QChar(0x200B), "abc\\u{202E}cba\\u{200B}"},
        {QString("line") + QChar(0x2028) + "sep", "line\\u{2028}sep"},
        {QString("lone ") + QChar(0xD800), "lone \\u{D800}"},
        {QString::fromUtf8("Éva 😀 ünd"), QString::fromUtf8("Éva 😀 ünd")},
        {"typed \\x41 and \\u{41}", "typed \\\\x41 and \\\\u{41}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown.toStdString());
        EXPECT_EQ(EscapeValue(c.value), c.shown);
        EXPECT_EQ(UnescapeValue(EscapeValue(c.value)), c.value);
    }
}

TEST(CliText, escapesThatAreIncompleteStandAsTyped) {
    for (const char* typed : {"\\x4", "\\xZZ", "\\u{}", "\\u{110000}", "\\u{1234567}", "\\u41", "\\u{41"}) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(UnescapeValue(typed), typed);
    }
    EXPECT_EQ(UnescapeValue("\\x41\\u{1F600}"), QString::fromUtf8("A😀"));
}
