#include "cards/card_layout.h"
#include "cards/display_text.h"

#include <gtest/gtest.h>
#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <numeric>
#include <random>

using namespace tessaly::store;

TEST(CardLayout, aCardLivesInTheFileOfItsHundred) {
    EXPECT_EQ(RecordFile("/d/", "0"), "/d/tesly0.dat");
    EXPECT_EQ(RecordFile("/d/", "99"), "/d/tesly0.dat");
    EXPECT_EQ(RecordFile("/d/", "100"), "/d/tesly1.dat");
    EXPECT_EQ(RecordFile("/d/", "1234"), "/d/tesly12.dat");
    EXPECT_EQ(RecordFile("/d/", ""), "/d/tesly0.dat");
    EXPECT_EQ(RecordSection(" 17 "), "Record17");
}

TEST(CardLayout, numbersAreTheLeadingDecimalNumberAndCountsStayWithin16Bits) {
    EXPECT_EQ(LeadingNumber(" 12abc"), 12);
    EXPECT_EQ(LeadingNumber("-3"), -3);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_GT(LeadingNumber("999999999999999999999999"), 0);
    EXPECT_EQ(Count16("70000"), 32767);
    EXPECT_EQ(Count16("-70000"), -32768);
    EXPECT_EQ(RecordData("17"), 17);
    EXPECT_EQ(RecordData(""), -1);
    EXPECT_EQ(RecordData("x1"), -1);
}

TEST(DisplayText, namesAndCompaniesAreListedByTheirTrimmedTexts) {
    struct Case {
        QString first, last, company, name, companyText;
    };
    const Case cases[] = {
        {"Jo", "Adams", "Acme", "Adams, Jo", "( Acme )"},
        {"Jo", "", "", "Jo", "Jo"},
        {"", "Adams", "", "Adams", "Adams"},
        {"", "", "Acme", "( Acme )", "( Acme )"},
        {" Jo ", "Adams ", "", "Adams, Jo", "Adams, Jo"},
        {"", "", "", "(  )", ""},
        {"\tJo", "", "", "\tJo", "\tJo"},  // only blanks are trimmed, as the sibling program does
    };
    for (Case c : cases) {
        QString f = c.first, l = c.last, co = c.company;
        EXPECT_EQ(NameText(f, l, co), c.name);
        EXPECT_EQ(CompanyText(f, l, co), c.companyText);
        EXPECT_EQ(l, TrimBlanks(c.last));  // the caller's texts are trimmed in place
    }
}

TEST(DisplayText, letterCaseDoesNotCountAndOrderIsStable) {
    EXPECT_EQ(CompareText("ADAMS, JO", "adams, jo"), 0);
    EXPECT_LT(CompareText("Adams", "Baker"), 0);
    EXPECT_LT(CompareText("", "A"), 0);
    const QStringList texts = {"b", "A", "B", "a"};
    const auto order = StableOrder(texts);
    EXPECT_EQ(order, (std::vector<qsizetype>{1, 3, 0, 2}));
}

// The program's own comparison must order texts exactly as the collator of the
// locale it runs in, whatever letters they start or differ with.
TEST(DisplayText, comparesAsTheLocalesCollator) {
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // '|' between the texts; the first is empty.
    const QStringList texts =
        QString::fromUtf16(
            u"|a|A|ab|aB|a b|a,b|Zoë|zoe|ZOË|Łukasz|lukasz|Ærø|aerø|[x]|_x|@x|`x|"
            u"Ölmez|olmez|Straße|STRASSE|\U0001D400b|\U0001D400B|( Acme )|abc\U00010400|ABC\U00010428x|abc\U00010428")
            .split(u'|');
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const QString& a : texts)
        for (const QString& b : texts) {
            SCOPED_TRACE((a + " | " + b).toStdString());
            EXPECT_EQ(sign(CompareText(a, b)), sign(collator.compare(a, b)));
        }
}

// Sorting compares the first ASCII letters of texts as numbers when it can: the order must be the
// one the comparison itself gives, for texts that share long starts, differ only in case, stop at
// a NUL or turn to other letters within their first sixteen.
TEST(DisplayText, sortingGivesTheOrderOfTheComparison) {
    QStringList texts = QString::fromUtf16(
                            u"|a|A|abcdefgh|ABCDEFGHi|abcdefghI|abcdefg|abcdefgz|abcdéfgh|abcdefgé|abcdefghijklmnop|"
                            u"ABCDEFGHIJKLMNOPq|abcdefghijklmnoé|"
                            u"ab c|ab,c|Zoë|zoe|ZOË|[x]|_x|@x|`x|Olmez|Ölmez|x\u0001|x|abc")
                            .split(u'|');
    texts << QString::fromUtf16(u"ab\0z", 4) << QString::fromUtf16(u"ab\0a", 4);
    std::mt19937 shuffle(7);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        std::shuffle(texts.begin(), texts.end(), shuffle);
        std::vector<qsizetype> expected(texts.size());
        std::iota(expected.begin(), expected.end(), 0);
        std::stable_sort(expected.begin(), expected.end(),
                         [&](qsizetype a, qsizetype b) { return CompareText(texts[a], texts[b]) < 0; });
        EXPECT_EQ(StableOrder(texts), expected);
    }
}
