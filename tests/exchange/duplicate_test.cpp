#include "../support/store_fixture.h"

#include "profile/cached_profile.h"

#include "exchange/duplicate_resolve.h"

using namespace tessaly::store;

namespace {

Card Person(const QString& first, const QString& last, const QString& phone = QString(),
            const QString& mail = QString()) {
    Card c;
    c[FirstName] = first, c[LastName] = last, c[Phone1] = phone, c[EMail] = mail;
    return c;
}

KnownCards Known(const QList<Card>& cards) {
    KnownCards known{{}, cards};
    for (qsizetype i = 0; i < cards.size(); ++i) known.recNos << QString::number(10 + i);
    return known;
}

}  // namespace

TEST(DuplicateIndex, matchesByKeysNotBySpelling) {
    struct Case {
        const char* what;
        Card a, b;
        int strength;  // 0 none, 1 possible, 2 strong
    } cases[] = {
        {"+49 and a trunk 0", Person("A", "X", "+49 30 1234-5678"), Person("B", "Y", "030 12345678"), 2},
        {"0049 and +49", Person("A", "X", "0049 30 12345678"), Person("B", "Y", "+49 30 1234-5678"), 2},
        {"0049 and a trunk 0", Person("A", "X", "0049 30 12345678"), Person("B", "Y", "030 1234 5678"), 2},
        {"(0) beside the country code", Person("A", "X", "+49 (0)30 12345678"), Person("B", "Y", "030/12345678"), 2},
        {"a fax against a phone",
         [] {
             auto c = Person("A", "X");
             c[Fax] = "+1 212 555 0100";
             return c;
         }(),
         Person("B", "Y", "(212) 555-0100"), 2},
        {"other countries, same digits", Person("A", "X", "+1 30 12345678"), Person("B", "Y", "+49 30 12345678"), 0},
        {"too short to tell", Person("A", "X", "112"), Person("B", "Y", "112"), 0},
        {"e-mail in another case", Person("A", "X", "", "Jo@Example.COM"), Person("B", "Y", "", " jo@example.com"), 2},
        {"Müller and MULLER", Person("Jürgen", "Müller"), Person("JURGEN", "MULLER"), 1},
        {"Müller and Mueller", Person("Jürgen", "Müller"), Person("Juergen", "Mueller"), 1},
        {"MULLER and Mueller", Person("Jurgen", "MULLER"), Person("Juergen", "Mueller"), 1},
        {"a shared first name only", Person("Anna", "Schmidt"), Person("Anna", "Meier"), 0},
        {"name and phone: the stronger", Person("Anna", "Meier", "030 999999"),
         Person("anna", "MEIER", "+49 30 999999"), 2},
        {"no name is no match", Person("NULL NAME", ""), Person("NULL NAME", ""), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (bool swapped : {false, true}) {
            DuplicateIndex index;
            index.add(7, swapped ? c.b : c.a);
            const QList<CardMatch> found = index.matches(swapped ? c.a : c.b);
            ASSERT_EQ(found.size(), c.strength == 0 ? 0 : 1);
            if (c.strength == 0) continue;
            EXPECT_EQ(int(found[0].strength), c.strength);
            EXPECT_EQ(found[0].id, 7);
        }
    }
}

TEST(DuplicateIndex, anImportPrefersTheStrongestMatchAndTheCardFile) {
    const KnownCards known = Known({Person("Jo", "Adams"), Person("Al", "Baker", "030 1234567")});
    const QList<ImportDuplicate> found =
        FindImportDuplicates(known, {Person("Jo", "Adams", "+49 30 1234567"), Person("New", "One", "", "n@o.de"),
                                     Person("Other", "Name", "", "N@O.de"), Person("x", "y")});
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0].incoming, 0);
    EXPECT_EQ(found[0].recNo, "11") << "the phone's strong match wins over the name's possible one";
    EXPECT_EQ(found[0].strength, MatchStrength::Strong);
    EXPECT_EQ(found[1].incoming, 2);
    EXPECT_EQ(found[1].earlierIncoming, 1);
}

TEST(DuplicateIndex, groupsTheCardFileStrongOnesFirst) {
    const KnownCards known =
        Known({Person("Jo", "Adams"), Person("Al", "Baker", "", "al@b.de"), Person("JO", "ADAMS"), Person("Cy", "Cole"),
               Person("Alan", "Baker", "", "AL@B.DE"), Person("Al", "B.", "", "al@b.de")});
    const QList<DuplicateGroup> groups = FindDuplicateGroups(known);
    ASSERT_EQ(groups.size(), 2);
    EXPECT_EQ(groups[0].strength, MatchStrength::Strong);
    EXPECT_EQ(groups[0].recNos, QStringList({"11", "14", "15"}));
    EXPECT_EQ(groups[1].strength, MatchStrength::Possible);
    EXPECT_EQ(groups[1].recNos, QStringList({"10", "12"}));
}

TEST(DuplicateResolve, eachActionDoesWhatItSaysAndFillsOnlyEmptyFields) {
    Card known0 = Person("Jo", "Adams", "", "jo@a.de");
    known0[Title] = "Dr";
    const KnownCards known = Known({known0});
    Card incoming0 = Person("Jo", "Adams", "+1 555 0100", "JO@A.DE");
    incoming0[Title] = "Prof";
    Card incoming1 = Person("Jo", "Adams", "", "jo@a.de");
    incoming1[Fax] = "+1 555 0199";
    const QList<Card> incoming = {incoming0, Person("New", "Card"), incoming1, Person("NEW", "CARD", "0123 45678")};
    const QList<ImportDuplicate> dups = FindImportDuplicates(known, incoming);
    ASSERT_EQ(dups.size(), 3);
    struct Case {
        const char* what;
        DuplicateAction action;
        int newCards, fills, skipped;
    } cases[] = {{"skip", DuplicateAction::Skip, 1, 0, 3},
                 {"import", DuplicateAction::Import, 4, 0, 0},
                 {"fill", DuplicateAction::Fill, 1, 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ResolvedImport r =
            ResolveDuplicates(known, incoming, dups, QList<DuplicateAction>(dups.size(), c.action));
        EXPECT_EQ(r.cards.size(), c.newCards);
        EXPECT_EQ(r.fills.size(), c.fills);
        EXPECT_EQ(r.skipped, c.skipped);
        if (c.action != DuplicateAction::Fill) continue;
        EXPECT_EQ(r.filled, 3);
        EXPECT_EQ(r.fills[0].recNo, "10");
        EXPECT_EQ(r.fills[0].fields[Title], "Dr") << "a filled field stays";
        EXPECT_EQ(r.fills[0].fields[EMail], "jo@a.de");
        EXPECT_EQ(r.fills[0].fields[Phone1], "+1 555 0100");
        EXPECT_EQ(r.fills[0].fields[Fax], "+1 555 0199");
        EXPECT_EQ(r.cards[0][Phone1], "0123 45678") << "filled from the later incoming card";
        EXPECT_EQ(r.cards[0][FirstName], "New");
    }
}

class DuplicateImportTest : public StoreTest {};

TEST_F(DuplicateImportTest, fillsAndNewCardsLandInOneChange) {
    const QString jo = add("Jo", "Adams");
    add("Al", "Baker");
    store.RefreshLists();
    Card filled = store.ReadCard(jo);
    filled[Phone1] = "+1 555";
    filled[Company] = "ACME";
    ProgressSink silent;
    const ImportOutcome done = ImportCardList(store, {filled, Person("New", "Card")},
                                              ImportOptions::AllMatches(DuplicateAction::Fill), silent);
    EXPECT_EQ(done.filled, 1);
    EXPECT_EQ(store.ReadCard(jo), filled);
    EXPECT_EQ(store.AllNames, QStringList({"Adams, Jo", "Baker, Al", "Card, New"}));
    EXPECT_TRUE(QFile::exists(dir.path("safety-copy/tesly.old"))) << "safety copy";
    expectConsistent();
}

// "--duplicates skip" was decided on the cards as they were; another import of
// the same card meanwhile is seen under the lock, and the card is skipped.
TEST_F(DuplicateImportTest, theCheckIsMadeAgainUnderTheLock) {
    store.RefreshLists();
    const QList<Card> incoming = {Person("Jo", "Adams", QString(), "jo@example.org"), Person("Al", "Baker")};
    tessaly::profile::CachedProfile otherProfile;
    CardStore other(otherProfile, dir.path());
    ProgressSink silent;
    (void)ImportCardList(other, {incoming[0]}, {}, silent);
    const ImportOutcome done =
        ImportCardList(store, incoming, ImportOptions::AllMatches(DuplicateAction::Skip), silent);
    EXPECT_EQ(done.imported, 1);
    EXPECT_EQ(done.skipped, 1);
    EXPECT_EQ(store.AllNames, QStringList({"Adams, Jo", "Baker, Al"}));
    expectConsistent();
}

TEST(DuplicateIndex, placeholdersShortNumbersAndDialStringsJoinNoStrangers) {
    auto people = [](int n, auto fill) {
        QList<Card> cards;
        for (int i = 0; i < n; ++i) cards << fill(Person(QString("P%1").arg(i), QString("Q%1").arg(i)));
        return cards;
    };
    struct Case {
        const char* what;
        QList<Card> cards;
        QList<DuplicateGroup> groups;
    } cases[] = {
        {"one placeholder e-mail for eight people: possible, not strong",
         people(8,
                [](Card c) {
                    c[EMail] = "email@example.com";
                    return c;
                }),
         {{MatchStrength::Possible, {"10", "11", "12", "13", "14", "15", "16", "17"}}}},
        {"a family's five shared numbers stay strong",
         people(5,
                [](Card c) {
                    c[Phone2] = "030 4455667";
                    return c;
                }),
         {{MatchStrength::Strong, {"10", "11", "12", "13", "14"}}}},
        {"a one-digit phone is no number",
         people(3,
                [](Card c) {
                    c[Phone1] = "1";
                    return c;
                }),
         {}},
        {"five digits are weak",
         people(2,
                [](Card c) {
                    c[Phone1] = "12345";
                    return c;
                }),
         {{MatchStrength::Possible, {"10", "11"}}}},
        {"a dial string is weak",
         people(2,
                [](Card c) {
                    c[Phone1] = "p1234p5678w9";
                    return c;
                }),
         {{MatchStrength::Possible, {"10", "11"}}}},
        {"no chain: A and C share nothing",
         {Person("A", "A", "", "x@a.de"), Person("B", "B", "030 1234567", "x@a.de"),
          Person("C", "C", "+49 30 1234567")},
         {{MatchStrength::Strong, {"10", "11"}}, {MatchStrength::Strong, {"11", "12"}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QList<DuplicateGroup> groups = FindDuplicateGroups(Known(c.cards));
        ASSERT_EQ(groups.size(), c.groups.size());
        for (qsizetype g = 0; g < groups.size(); ++g) {
            EXPECT_EQ(groups[g].strength, c.groups[g].strength);
            EXPECT_EQ(groups[g].recNos, c.groups[g].recNos);
        }
    }
}

TEST(DuplicateIndex, identicalCardsAreStrongDuplicatesWhateverTheyLack) {
    Card company;
    company[Company] = "ACME", company[Notes] = "only a company and a note";
    Card noteOnly;
    noteOnly[FirstName] = "NULL NAME", noteOnly[Notes] = "a note";
    Card placeholder = Person("Jo", "Adams", "", "email@example.com");
    const QList<Card> file = {company,     noteOnly,    placeholder, placeholder,
                              placeholder, placeholder, placeholder, placeholder};
    Card otherNote = noteOnly;
    otherNote[Notes] = "another note";
    const QList<ImportDuplicate> found = FindImportDuplicates(Known(file), {company, noteOnly, placeholder, otherNote});
    ASSERT_EQ(found.size(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(found[i].incoming, i);
        EXPECT_EQ(found[i].recNo, QString::number(10 + (i == 2 ? 2 : i)));
        EXPECT_EQ(found[i].strength, MatchStrength::Strong) << "the same content, though the e-mail is a placeholder";
        EXPECT_EQ(found[i].key, MatchKey::Content);
    }
    EXPECT_EQ(MatchText(MatchKey::EMail, MatchStrength::Possible), "same e-mail, shared by many cards");
    const ResolvedImport skipped = ResolveDuplicates(Known(file), {company, noteOnly, placeholder, otherNote}, found,
                                                     QList<DuplicateAction>(found.size(), DuplicateAction::Skip));
    EXPECT_EQ(skipped.cards, QList<Card>{otherNote});
}

// The window's Match column and starting choice come from the match found.
TEST(DuplicateIndex, saysWhichValueMatchedAndStartsStrongMatchesAtSkip) {
    struct Case {
        const char* what;
        Card incoming, known;
        const char* text;
        DuplicateAction start;
    } cases[] = {
        {"e-mail", Person("Jo", "Mill", "", "jm@example.org"), Person("J", "M", "", "JM@example.org"),
         "e-mail jm@example.org", DuplicateAction::Skip},
        {"a long e-mail shortened", Person("Jo", "", "", "johanna.mill-hartmann@example.org"),
         Person("X", "", "", "johanna.mill-hartmann@example.org"), "e-mail johanna.mill-hartmann@e…",
         DuplicateAction::Skip},
        {"the national form of an international number", Person("Jo", "Mill", "+49 30 1234567"),
         Person("Ann", "Lee", "030 1234567"), "phone +49 30 1234567", DuplicateAction::Skip},
        {"the name only", Person("Jo", "Mill", "111111"), Person("jo", "MILL", "222222"), "name Jo Mill",
         DuplicateAction::Import},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QList<ImportDuplicate> found = FindImportDuplicates(Known({c.known}), {c.incoming});
        ASSERT_EQ(found.size(), 1);
        EXPECT_EQ(MatchText(found[0].key, found[0].strength, MatchedValue(c.incoming, c.known, found[0].key)),
                  QString::fromUtf8(c.text));
        EXPECT_EQ(StartingAction(found[0]), c.start);
    }
}
