#include "cards/copy_text.h"

#include "../support/qt_print.h"

#include <gtest/gtest.h>

using namespace tessaly;
using store::CopyAllText;
using store::CopyLabelText;
using store::CopySelectedText;

namespace {

// The labels a card shows in name style 0.
store::DetailLabelTexts Labels(std::initializer_list<std::pair<store::FieldIndex, QString>> values) {
    store::Card f;
    for (const auto& [field, value] : values) f[field] = value;
    return store::DetailTexts(0, f);
}

store::PrefixSettings Prefixes(bool on, int separator) {
    return {on,
            separator,
            QStringLiteral("Tel"),
            QStringLiteral("Mobile"),
            QStringLiteral("Fax"),
            QStringLiteral("E-Mail")};
}

constexpr store::CopyBoxes kNameAndPhone1{true, false, false, false, true, false, false, false};
constexpr store::CopyBoxes kAddress{false, false, false, true, false, false, false, false};

const store::DetailLabelTexts kSmith = Labels({{store::Sal, "Mr."},
                                               {store::LastName, "Smith"},
                                               {store::Phone1, "555 0100"},
                                               {store::Phone2, "555 0101"},
                                               {store::Fax, "555 0102"},
                                               {store::EMail, "smith@example.org"}});

TEST(CopyText, theNameAndAPrefixedPhoneEachEndWithACarriageReturn) {
    EXPECT_EQ(CopySelectedText(kSmith, kNameAndPhone1, Prefixes(true, 3)), "Mr. Smith\rTel: 555 0100\r");
    EXPECT_EQ(CopySelectedText(kSmith, kNameAndPhone1, Prefixes(false, 3)), "Mr. Smith\r555 0100\r");
}

TEST(CopyText, theSeparatorSettingPutsTabBlankColonOrNothingBetweenPrefixAndNumber) {
    const store::CopyBoxes phone1{false, false, false, false, true, false, false, false};
    const QString expected[] = {"Tel\t555 0100\r", "Tel 555 0100\r", "Tel:555 0100\r", "Tel: 555 0100\r",
                                "Tel555 0100\r"};
    for (int sprt = 0; sprt <= 4; ++sprt)
        EXPECT_EQ(CopySelectedText(kSmith, phone1, Prefixes(true, sprt)), expected[sprt]);
    EXPECT_EQ(store::PrefixSeparator(255), "");
}

TEST(CopyText, theSelectedDetailsKeepTheirOrderAndLeaveTheNotesOut) {
    store::DetailLabelTexts all = kSmith;
    all[1] = "Director", all[2] = "Acme", all[3] = "1 High St", all[12] = "notes";
    const store::CopyBoxes every{true, true, true, true, true, true, true, true};
    EXPECT_EQ(CopySelectedText(all, every, Prefixes(true, 3)),
              "Mr. Smith\rDirector\rAcme\r1 High St\rTel: 555 0100\rMobile: 555 0101\rFax: 555 0102\r"
              "E-Mail: smith@example.org\r");
    EXPECT_EQ(CopySelectedText(all, store::CopyBoxes{}, Prefixes(true, 3)), "");
}

TEST(CopyText, allDetailsSkipEmptyLabelsAndPrefixOnlyPhonesFaxAndEMail) {
    const auto companyAndNotes = Labels({{store::Company, "Acme Ltd"}, {store::Notes, "Call before noon"}});
    EXPECT_EQ(CopyAllText(companyAndNotes, Prefixes(true, 3)), "Acme Ltd\rCall before noon\r");
    EXPECT_EQ(CopyAllText(companyAndNotes, Prefixes(false, 3)), "Acme Ltd\rCall before noon\r");

    store::DetailLabelTexts card = kSmith;
    card[9].clear();  // no second phone: no "Mobile" line either
    card[12] = "notes";
    EXPECT_EQ(CopyAllText(card, Prefixes(true, 2)),
              "Mr. Smith\rTel:555 0100\rFax:555 0102\rE-Mail:smith@example.org\rnotes\r");
    EXPECT_EQ(CopyAllText(card, Prefixes(false, 2)), "Mr. Smith\r555 0100\r555 0102\rsmith@example.org\rnotes\r");
    EXPECT_EQ(CopyAllText(Labels({}), Prefixes(true, 3)), "");
}

TEST(CopyText, anEmptyAddressLineIsSkippedInTheDetailsButKeptInTheAddressBlock) {
    const auto card = Labels({{store::Address1, "1 High St"},
                              {store::Address3, "Northtown"},
                              {store::Address4, "NT1 2AB"},
                              {store::Address5, "Kent"},
                              {store::Address6, "England"}});
    EXPECT_EQ(CopySelectedText(card, kAddress, Prefixes(false, 0)), "1 High St\rNorthtown\rNT1 2AB, Kent\rEngland\r");
    for (int label = 3; label <= 7; ++label)
        EXPECT_EQ(CopyLabelText(card, label), "1 High St\r\rNorthtown\rNT1 2AB, Kent\rEngland");
    EXPECT_EQ(CopyLabelText(Labels({{store::Address1, "1 High St"}}), 5), "1 High St\r\r\r\r");
}

TEST(CopyText, aSingleDetailIsTheLabelAloneWithoutPrefixOrLineEnd) {
    EXPECT_EQ(CopyLabelText(kSmith, 0), "Mr. Smith");
    EXPECT_EQ(CopyLabelText(kSmith, 8), "555 0100");
    EXPECT_EQ(CopyLabelText(kSmith, 11), "smith@example.org");
    EXPECT_EQ(CopyLabelText(kSmith, 1), "");
    EXPECT_EQ(CopyLabelText(kSmith, 13), "");
    EXPECT_EQ(CopyLabelText(kSmith, -1), "");
}

TEST(CopyText, notesWithLineBreaksAreCopiedUnchanged) {
    const auto card = Labels({{store::LastName, "Smith"}, {store::Notes, "first line\r\nsecond line\nthird"}});
    EXPECT_EQ(CopyAllText(card, Prefixes(true, 3)), "Smith\rfirst line\r\nsecond line\nthird\r");
    EXPECT_EQ(CopyLabelText(card, 12), "first line\r\nsecond line\nthird");
}

}  // namespace
