#include "store_fixture.h"

#include "profile/file_faults.h"
#include "store/card_restore.h"

#include <QDir>

using namespace tessaly::store;
using tessaly::profile::FileStep;

namespace {

QStringList Names(const QString& folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }

}  // namespace

class BackupTest : public StoreTest {
protected:
    // Cards in tesly0.dat and tesly1.dat.
    BackupTest() {
        for (int i = 0; i < 3; ++i) add("A", QString("Card%1").arg(i));
        store.WriteHeader("TotalNoOfRecords", "150");
        add("A", "Far");
    }
    ~BackupTest() override { expectConsistent(); }
    QString folder() const { return backup.path(); }
    TempFolder backup;
};

TEST(BackupNames, keepTheCaseHereAndFindTheSiblingsUpperCase) {
    const char* cases[][3] = {{"tesly.dat", "tesly.old", "tesly.dat"},
                              {"tesly12.dat", "tesly12.old", "tesly12.dat"},
                              {"TESLY0.DAT", "TESLY0.old", "tesly0.dat"},
                              {" tesly1 .dat", "tesly1.old", "tesly1.dat"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        EXPECT_EQ(BackupName(c[0]), c[1]);
        EXPECT_EQ(RestoredName(BackupName(c[0])), c[2]);
    }
    EXPECT_EQ(RestoredName("TESLY.OLD"), "tesly.dat");
    EXPECT_EQ(RestoredName("Tesly3.old"), "Tesly3.dat");
}

TEST_F(BackupTest, aBackupCopiesEveryCardFileWithTheMarkerLast) {
    QStringList order;
    tessaly::profile::SetFaultHook([&](FileStep step, const QString& f) {
        if (step == FileStep::Rename) order << QFileInfo(f).fileName();
        return false;
    });
    const CopyResult r = CopyDataFiles(dir.path(), folder());
    tessaly::profile::SetFaultHook({});
    ASSERT_TRUE(r.ok()) << qPrintable(r.message());
    EXPECT_EQ(Names(folder()), QStringList({"tesly.old", "tesly0.old", "tesly1.old"}));
    ASSERT_FALSE(order.isEmpty());
    EXPECT_EQ(order.last(), "tesly.old");
    for (const QString& name : Names(dir.path()))
        if (name.endsWith(".dat")) EXPECT_EQ(backup.bytes(BackupName(name)), dir.bytes(name)) << qPrintable(name);
    EXPECT_TRUE(HasValidBackup(folder()));
}

TEST_F(BackupTest, aMissingOrReadOnlyFolderIsNotReady) {
    EXPECT_EQ(CopyDataFiles(dir.path(), backup.path("nowhere/")).outcome, CopyOutcome::NotReady);
    EXPECT_EQ(RestoreBackup(backup.path("nowhere/"), dir.path()).outcome, CopyOutcome::NotReady);
}

TEST_F(BackupTest, restoreTakesBackTheBackupAndLeavesOtherFilesAlone) {
    ASSERT_TRUE(CopyDataFiles(dir.path(), folder()).ok());
    const QByteArray saved = dir.bytes("tesly0.dat");
    add("B", "Later");
    dir.put("notes.txt", "mine");
    const CopyResult r = RestoreBackup(folder(), dir.path());
    ASSERT_TRUE(r.ok()) << qPrintable(r.message());
    EXPECT_EQ(dir.bytes("tesly0.dat"), saved);
    EXPECT_EQ(dir.bytes("notes.txt"), "mine");
    EXPECT_TRUE(QFile::exists(dir.path("safety-copy/tesly0.old"))) << "safety copy";
}

TEST_F(BackupTest, restoreFindsABackupInUpperCase) {
    ASSERT_TRUE(CopyDataFiles(dir.path(), folder()).ok());
    for (const QString& name : Names(folder())) QFile::rename(backup.path(name), backup.path(name.toUpper()));
    const QByteArray saved = dir.bytes("tesly1.dat");
    add("B", "Later");
    ASSERT_TRUE(RestoreBackup(folder(), dir.path()).ok());
    EXPECT_EQ(dir.bytes("tesly1.dat"), saved);
    EXPECT_FALSE(QFile::exists(dir.path("TESLY1.dat")));
}

TEST_F(BackupTest, restoreRefusesWhatIsNoCompleteBackup) {
    struct Case {
        const char* what;
        std::function<void()> damage;
    } cases[] = {
        {"no marker", [&] { QFile::remove(backup.path("tesly.old")); }},
        {"another program's marker", [&] { backup.put("tesly.old", "[General Info]\nApplication=Other\n"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(CopyDataFiles(dir.path(), folder()).ok());
        c.damage();
        const QByteArray before = dir.bytes("tesly.dat");
        EXPECT_EQ(RestoreBackup(folder(), dir.path()).outcome, CopyOutcome::NoValidBackup);
        EXPECT_EQ(dir.bytes("tesly.dat"), before);
        EXPECT_FALSE(QFile::exists(dir.path("tesly.old")));
    }
    EXPECT_EQ(RestoreBackup(dir.path(), dir.path()).outcome, CopyOutcome::NoValidBackup) << "the data folder itself";
}
