#include "cards/card_layout.h"
#include "cards/display_text.h"

#include <gtest/gtest.h>
#include <QCollator>
#include <QLocale>

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
