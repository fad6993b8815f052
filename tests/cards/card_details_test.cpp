#include "cards/card_details.h"

#include "../support/qt_print.h"

#include <gtest/gtest.h>

using namespace tessaly::store;

namespace {

Card NameCard(const QString& sal, const QString& first, const QString& last) {
    Card f;
    f[Sal] = sal;
    f[FirstName] = first;
    f[LastName] = last;
    return f;
}

TEST(CardDetails, theFourNameStylesKeepTheirBlanks) {
    const Card full = NameCard("Mr.", "John", "Smith");
    EXPECT_EQ(ComposeName(0, full), "Mr. Smith");
    EXPECT_EQ(ComposeName(1, full), "Mr. John Smith");
    EXPECT_EQ(ComposeName(2, full), "John Smith");
    EXPECT_EQ(ComposeName(3, full), "John");
    EXPECT_EQ(ComposeName(7, full), "Mr. Smith");  // unknown styles show as style 0

    EXPECT_EQ(ComposeName(0, NameCard("", "John", "Smith")), "Smith");
    EXPECT_EQ(ComposeName(1, NameCard("", "John", "Smith")), "John Smith");
    EXPECT_EQ(ComposeName(1, NameCard("Dr.", "", "Who")), "Dr.  Who");
    EXPECT_EQ(ComposeName(2, NameCard("", "", "Who")), " Who");
}

TEST(CardDetails, labelsJoinAddress4And5WithACommaOnlyWhenBothArePresent) {
    Card f;
    f[Address4] = "Springfield";
    f[Address5] = "12345";
    f[Phone1] = "555";
    f[Notes] = "two\nlines";
    auto texts = DetailTexts(0, f);
    EXPECT_EQ(texts[6], "Springfield, 12345");
    EXPECT_EQ(texts[8], "555");
    EXPECT_EQ(texts[12], "two\nlines");
    f[Address4].clear();
    EXPECT_EQ(DetailTexts(0, f)[6], "12345");
}

TEST(CardDetails, aSalutationAloneDoesNotFillTheNameGroup) {
    EXPECT_FALSE(GroupFilled(DetailGroup::Name, NameCard("Mr.", "", "")));
    EXPECT_TRUE(GroupFilled(DetailGroup::Name, NameCard("", "", "Smith")));
    Card f;
    EXPECT_FALSE(GroupFilled(DetailGroup::Address, f));
    f[Address6] = "UK";
    EXPECT_TRUE(GroupFilled(DetailGroup::Address, f));
    EXPECT_EQ(GroupLabels(DetailGroup::Address), std::make_pair(3, 7));
    EXPECT_EQ(GroupLabels(DetailGroup::Notes), std::make_pair(12, 12));
}

TEST(CardDetails, positionsReadLikeTheStrFunction) {
    EXPECT_EQ(PositionText(2, 25), " 3/ 25");
    EXPECT_EQ(PositionText(0, 7), " 1/ 7");
    EXPECT_EQ(StrNumber(-1), "-1");
}

TEST(CardDetails, theNameStyleMenuOffersOnlyCompleteForms) {
    const Card lastOnly = NameCard("", "", "Smith");
    for (int k = 0; k < kNameStyleCount; ++k) EXPECT_FALSE(NameStyleOffered(k, lastOnly)) << k;
    const Card full = NameCard("Ms.", "Ann", "Lee");
    for (int k = 0; k < kNameStyleCount; ++k) EXPECT_TRUE(NameStyleOffered(k, full)) << k;
    EXPECT_EQ(NameStyleCaption(1, full), "Ms. Ann Lee");
    EXPECT_TRUE(NameStyleOffered(3, NameCard("", "Ann", "")));
    EXPECT_FALSE(NameStyleOffered(2, NameCard("", "Ann", "")));
}

}  // namespace
