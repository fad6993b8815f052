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
