#include "../support/store_fixture.h"
#include "cards/card_change.h"

#include <QDir>

using namespace tessaly::store;

namespace {

using Files = QMap<QString, QByteArray>;

Files ReadFiles(const TempFolder& dir) {
    Files files;
    for (const QString& name : QDir(dir.path()).entryList({"tesly*.dat"}, QDir::Files))
        files.insert(name, dir.bytes(name));
    return files;
}

// The real layer, keeping a copy of the card files after every write: what a kill at that point leaves.
class SnapshotProfile final : public tessaly::profile::ProfileAccess {
public:
    explicit SnapshotProfile(const TempFolder& dir) : dir_(dir) {}
    QString read(const QString& f, const QString& s, const QString& k) override { return real.read(f, s, k); }
    void write(const QString& f, const QString& s, const QString& k, const QString& v) override {
        real.write(f, s, k, v);
        if (recording) snapshots.append(ReadFiles(dir_));
    }
    bool hasSection(const QString& f, const QString& s) override { return real.hasSection(f, s); }
    tessaly::profile::CachedProfile real;
    bool recording = false;
    QList<Files> snapshots;

private:
    const TempFolder& dir_;
};

}  // namespace

// A kill after any write of a move must leave a file from which the next
// start brings the card back live, with every other card where it was.
TEST(CardMove, aMoveStoppedAfterAnyWriteLeavesTheCardLiveAfterTheNextStart) {
    struct Case {
        const char* what;
        QStringList names;
        QString moved, newLast;
    };
    const QStringList five = {"Adams", "Baker", "Clark", "Dunn", "Evans"};
    const Case cases[] = {{"first to last", five, "1", "Zimmer"},
                          {"middle to first", five, "3", "Aaron"},
                          {"last to middle", five, "5", "Cyr"},
                          {"the only card", {"Single"}, "1", "Zimmer"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        SnapshotProfile profile(dir);
        CardStore store(profile, dir.path());
        WriteEmptyHeader(profile, store.DataFile());
        for (const QString& name : QStringList{"Gone"} + c.names) {
            Card f;
            f[FirstName] = "A", f[LastName] = name, f[Company] = "Co " + name;
            store.AddCard(f);
        }
        store.DeleteCard("0");  // a deleted list the move must leave alone
        const QStringList live = store.AllByName;
        Card current = store.ReadCard(c.moved), typed = current;
        typed[LastName] = c.newLast;
        profile.recording = true;
        store.ChangeCard(c.moved, current, typed);
        profile.recording = false;
        ASSERT_FALSE(profile.snapshots.isEmpty());
        for (qsizetype k = 0; k < profile.snapshots.size(); ++k) {
            SCOPED_TRACE(QString("killed after write %1 of %2").arg(k + 1).arg(profile.snapshots.size()).toStdString());
            TempFolder after;
            for (auto it = profile.snapshots[k].cbegin(); it != profile.snapshots[k].cend(); ++it)
                after.put(it.key(), it.value());
            tessaly::profile::CachedProfile fresh;
            CardStore next(fresh, after.path());
            next.RefreshLists();
            EXPECT_EQ(CheckCardFile(next), QStringList());
            EXPECT_EQ(QSet<QString>(next.AllByName.begin(), next.AllByName.end()),
                      QSet<QString>(live.begin(), live.end()));
            EXPECT_EQ(next.LoadDeletedList().DeletedRecs, QStringList{"0"});
        }
    }
}

// The sibling program sees the same files as after the move it knows: delete,
// take off the deleted list, link in again, write the card.
TEST_F(StoreTest, aMoveLeavesTheFilesAsDeletingTakingOffTheDeletedListAndInsertingDid) {
    for (const char* name : {"Adams", "Baker", "Clark", "Dunn"}) add("A", name);
    store.DeleteCard("3");
    TempFolder old;
    for (const QString& name : dir.files())
        if (name.endsWith(".dat")) old.put(name, dir.bytes(name));

    Card current = store.ReadCard("0"), typed = current;
    typed[LastName] = "Young";
    typed[Title] = "Boss";
    store.ChangeCard("0", current, typed);

    tessaly::profile::CachedProfile oldProfile;
    CardStore was(oldProfile, old.path());
    was.RefreshLists();
    // One change around the old steps, so the raw writes between them are not taken for another program's.
    CardChange oldMove(was, CardChange::Lists::AsTheyAre);
    was.DeleteCard("0");
    const QString p = was.ReadCardKey("0", "PrevDel"), x = was.ReadCardKey("0", "NextDel");
    was.WriteHeader("DelNoOfRecords", QString::number(was.ReadHeader("DelNoOfRecords").toInt() - 1));
    was.WriteCardKey("0", "PrevDel", "");
    was.WriteCardKey("0", "NextDel", "");
    ASSERT_TRUE(p.isEmpty());
    was.WriteHeader("DelFirstRecord", x);
    if (!x.isEmpty()) was.WriteCardKey(x, "PrevDel", "");
    Card fields = typed;
    was.InsertCard("0", "Young, A", "Young, A");
    was.WriteCard("0", fields);
    oldMove.commit();
    for (const QString name : {"tesly.dat", "tesly0.dat"}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(dir.bytes(name), old.bytes(name));
    }
    expectConsistent();
}
