#include "../support/store_fixture.h"

#include "profile/file_faults.h"

#include <QMap>

using namespace tessaly::store;
using tessaly::profile::FileStep;

namespace {

// A card file of its own in a temporary folder, for tables whose rows each need one.
struct CardFolder {
    CardFolder() { WriteEmptyHeader(profile, store.DataFile()); }

    // Cards with the last names given, added and (those marked '-') deleted, held and written once.
    void setUp(std::initializer_list<const char*> names) {
        tessaly::profile::ProfileBulk bulk(profile);
        QStringList gone;
        for (const char* name : names) {
            const QString n = store.AddCard({"", "Jo", QString(name).remove('-')});
            if (name[0] == '-') gone << n;
        }
        for (const QString& n : gone) store.DeleteCard(n);
        bulk.finish();
        profile.writes.clear();
    }
    // n cards whose name order crosses the card files.
    void addCards(int n) {
        tessaly::profile::ProfileBulk bulk(profile);
        for (int i = 0; i < n; ++i) {
            Card f;
            f[FirstName] = "Jo";
            f[LastName] = QStringLiteral("N%1").arg((i * 37) % n, 4, 10, QChar('0'));
            f[Company] = i % 3 ? QStringLiteral("C%1").arg(i % 7) : QString();
            store.AddCard(f);
        }
        bulk.finish();
        profile.writes.clear();
    }
    void header(const QString& key, const QString& value) {
        profile.real.write(store.DataFile(), "General Info", key, value);
    }
    void card(const QString& rec, const QString& key, const QString& value) { store.WriteCardKey(rec, key, value); }
    QMap<QString, QByteArray> files() const {
        QMap<QString, QByteArray> all;
        for (const QString& f : dir.files()) all[f] = dir.bytes(f);
        return all;
    }
    // What the next start of the program makes of the files.
    void startUp() {
        profile.writes.clear();
        store.LoadLists();
        store.SortLists();
    }
    QSet<QString> live() const { return QSet<QString>(store.AllByName.begin(), store.AllByName.end()); }
    QSet<QString> deleted() {
        const QStringList d = store.LoadDeletedList().DeletedRecs;
        return QSet<QString>(d.begin(), d.end());
    }

    TempFolder dir;
    RecordingProfile profile;
    CardStore store{profile, dir.path()};
};

QSet<QString> Cards(std::initializer_list<const char*> recs) {
    QSet<QString> s;
    for (const char* r : recs) s.insert(r);
    return s;
}

}  // namespace

TEST(RepairTest, aViewWithACardFileAwayIsShownButNothingIsWritten) {
    struct Row {
        const char* what;
        int cards;
        const char* away;
        bool folderInstead;
    };
    for (const Row& row : {Row{"a middle card file is not mounted", 250, "tesly1.dat", false},
                           Row{"the last card file is away and cards link into it", 250, "tesly2.dat", false},
                           Row{"a folder stands where a card file should be", 150, "tesly1.dat", true}}) {
        SCOPED_TRACE(row.what);
        CardFolder f;
        f.addCards(row.cards);
        ASSERT_TRUE(QDir().rename(f.dir.path(row.away), f.dir.path("kept")));
        if (row.folderInstead) QDir().mkdir(f.dir.path(row.away));
        const auto before = f.files();
        f.startUp();
        EXPECT_EQ(f.store.MissingFiles(), QStringList{row.away});
        EXPECT_TRUE(f.profile.writes.isEmpty()) << f.profile.writes.join('\n').toStdString();
        EXPECT_EQ(f.files(), before);
        EXPECT_GT(f.store.NoOfRecords, 0);  // what could be read is shown
        EXPECT_TRUE(CheckCardFile(f.store).join('\n').contains(row.away));

        if (row.folderInstead) QDir().rmdir(f.dir.path(row.away));
        ASSERT_TRUE(QDir().rename(f.dir.path("kept"), f.dir.path(row.away)));
        f.startUp();
        EXPECT_TRUE(f.store.Repairs().isEmpty());
        EXPECT_EQ(f.store.NoOfRecords, row.cards);
        EXPECT_EQ(CheckCardFile(f.store), QStringList());
    }
}

TEST(RepairTest, aNumberHandedOutByAStoppedAddIsNoCardAndNoMissingFile) {
    CardFolder f;
    f.addCards(100);
    f.header("TotalNoOfRecords", "102");  // two adds stopped after taking their numbers
    f.startUp();
    EXPECT_TRUE(f.store.MissingFiles().isEmpty());
    EXPECT_TRUE(f.store.Repairs().isEmpty());
    EXPECT_EQ(CheckCardFile(f.store), QStringList());
    EXPECT_EQ(f.store.AddCard({"", "Al", "Zed"}), "102");
}

TEST(RepairTest, damagedListsEndWithEveryCardOnExactlyOneList) {
    struct Row {
        const char* what;
        std::function<void(CardFolder&)> damage;
        QSet<QString> live, deleted;
    };
    const QSet<QString> live = Cards({"0", "2", "4"}), gone = Cards({"1", "3"});
    const std::vector<Row> rows = {
        {"DelNoOfRecords says 0", [](CardFolder& f) { f.header("DelNoOfRecords", "0"); }, live, gone},
        {"DelNoOfRecords is no number", [](CardFolder& f) { f.header("DelNoOfRecords", "many"); }, live, gone},
        {"NoOfRecords says 0", [](CardFolder& f) { f.header("NoOfRecords", "0"); }, live, gone},
        {"NoOfRecords is negative", [](CardFolder& f) { f.header("NoOfRecords", "-7"); }, live, gone},
        {"a wrong back link", [](CardFolder& f) { f.card("2", "PrevName", "4"); }, live, gone},
        {"a link with blanks around it", [](CardFolder& f) { f.card("0", "NextName", " 2 "); }, live, gone},
        {"a link with a leading zero", [](CardFolder& f) { f.card("0", "NextName", "02"); }, live, gone},
        {"a live card's deleted-list link of blanks", [](CardFolder& f) { f.card("0", "PrevDel", "  "); }, live, gone},
        {"the deleted head names no card", [](CardFolder& f) { f.header("DelFirstRecord", "77"); }, live, gone},
        {"the name head is lost", [](CardFolder& f) { f.header("NameFirstRecord", ""); }, live, gone},
        {"a card left with no links at all",
         [](CardFolder& f) {
             f.header("NameFirstRecord", "2");
             f.header("CompanyFirstRecord", "2");
             for (const QString& k : LinkKeys) f.card("0", k, "");
         },
         live, gone},
        {"a live card also on the deleted list",
         [](CardFolder& f) {
             f.card("4", "NextDel", f.store.ReadHeader("DelFirstRecord"));
             f.header("DelFirstRecord", "4");
         },
         live, gone},
        {"TotalNoOfRecords behind the cards", [](CardFolder& f) { f.header("TotalNoOfRecords", "2"); }, live, gone},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CardFolder f;
        f.setUp({"Adams", "-Baker", "Clark", "-Dunn", "Evans"});
        row.damage(f);
        f.startUp();
        EXPECT_TRUE(f.store.MissingFiles().isEmpty());
        EXPECT_EQ(f.live(), row.live);
        EXPECT_EQ(f.deleted(), row.deleted);
        EXPECT_EQ(CheckCardFile(f.store), QStringList());
        EXPECT_EQ(f.store.ReadHeader("TotalNoOfRecords"), "5");
        f.startUp();  // a repaired file needs nothing more
        EXPECT_TRUE(f.profile.writes.isEmpty()) << f.profile.writes.join('\n').toStdString();
    }
}

TEST(RepairTest, aChangeStoppedAtAnyFileReplaceLosesNoCard) {
    struct Row {
        const char* what;
        std::function<void(CardStore&)> change;
    };
    auto edit = [](CardStore& s, int field, const char* value) {
        Card current = s.ReadCard("2"), typed = current;
        typed[field] = value;
        s.ChangeCard("2", current, typed);
    };
    const std::vector<Row> rows = {
        {"add",
         [](CardStore& s) {
             s.AddCard({"", "Al", "Baker"});
         }},
        {"delete", [](CardStore& s) { s.DeleteCard("2"); }},
        {"restore", [](CardStore& s) { s.RestoreCard("1"); }},
        {"edit that renames", [&](CardStore& s) { edit(s, LastName, "Aaron"); }},
    };
    for (const Row& row : rows) {
        for (int failAt = 1;; ++failAt) {
            SCOPED_TRACE(testing::Message() << row.what << ", replace " << failAt << " fails");
            CardFolder f;
            f.setUp({"Adams", "-Clark", "Dunn", "-Evans"});
            f.store.LoadLists();
            int renames = 0;
            tessaly::profile::SetFaultHook(
                [&](FileStep step, const QString&) { return step == FileStep::Rename && ++renames == failAt; });
            bool done = true;
            try {
                row.change(f.store);
            } catch (const tessaly::profile::WriteError&) {
                done = false;
            }
            tessaly::profile::SetFaultHook({});
            tessaly::profile::CachedProfile fresh;
            CardStore next(fresh, f.dir.path());
            next.LoadLists();
            next.SortLists();
            EXPECT_EQ(CheckCardFile(next), QStringList());
            const qsizetype cards = next.AllByName.size() + next.LoadDeletedList().DeletedRecs.size();
            EXPECT_GE(cards, 4);
            if (done) break;
        }
    }
}

TEST(RepairTest, whileAnotherProgramHoldsTheFileTheRepairWaitsInMemory) {
    CardFolder f;
    f.setUp({"Baker", "Adams", "Clark"});
    f.header("NoOfRecords", "1");
    f.card("0", "NextName", "");
    const auto before = f.files();
    f.store.SetInUse(true);
    f.startUp();
    EXPECT_TRUE(f.profile.writes.isEmpty());
    EXPECT_EQ(f.files(), before);
    EXPECT_TRUE(f.store.RewritePending());
    EXPECT_EQ(f.store.AllNames, (QStringList{"Adams, Jo", "Baker, Jo", "Clark, Jo"}));

    f.store.SetInUse(false);
    EXPECT_TRUE(f.store.SortLists());
    EXPECT_FALSE(f.store.RewritePending());
    EXPECT_EQ(CheckCardFile(f.store), QStringList());
}

TEST(RepairTest, aSortAfterAChangeWorksFromTheFileAsItIsNow) {
    CardFolder f;
    f.setUp({"Baker", "Adams"});
    f.store.LoadLists();
    f.store.AddCard({"", "Jo", "Clark"});
    EXPECT_FALSE(f.store.SortLists());
    EXPECT_EQ(f.store.AllNames, (QStringList{"Adams, Jo", "Baker, Jo", "Clark, Jo"}));
    EXPECT_EQ(CheckCardFile(f.store), QStringList());
}

TEST(RepairTest, aHugeTotalIsNeitherWalkedNorLowered) {
    CardFolder f;
    f.addCards(3);
    f.header("TotalNoOfRecords", "99999999999");
    f.card("1", "NextName", "");  // one fault, and the count the repair must leave
    f.startUp();
    EXPECT_EQ(f.store.ReadHeader("TotalNoOfRecords"), "99999999999");
    EXPECT_EQ(f.store.NoOfRecords, 3);
    EXPECT_EQ(CheckCardFile(f.store), QStringList());
}

TEST(RepairTest, checkOutputStaysShortOnABadlyDamagedFile) {
    CardFolder f;
    f.addCards(300);
    f.header("NameFirstRecord", "");
    f.header("CompanyFirstRecord", "");
    const QStringList faults = CheckCardFile(f.store);
    EXPECT_EQ(faults.size(), 101);
    EXPECT_TRUE(faults.last().startsWith("... and "));
}
