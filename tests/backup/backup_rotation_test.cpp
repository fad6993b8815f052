#include "../support/store_fixture.h"

#include "../support/read_only_folder.h"
#include "backup/backup_rotation.h"

#include <QDir>
#include <thread>

using namespace tessaly::store;

namespace {

QDateTime At(int minute) {
    return QDateTime(QDate(2026, 5, 17), QTime(9, minute, 5));
}

}  // namespace

class BackupRotationTest : public StoreTest {
protected:
    BackupRotationTest() { add("Ann", "Lee"); }
    QString root() const { return backups.path(); }
    AutoBackupResult step(int minute, int keep = 3, int ownUses = 0) {
        return MakeAutoBackup(dir.path(), root(), keep, ownUses, At(minute));
    }
    QStringList folders() const { return QDir(root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name); }
    QStringList kept() const {
        QStringList names;
        for (const AutoBackup& b : AutoBackups(root())) names << QDir(b.folder).dirName() + b.made.toString(" hh:mm");
        return names;
    }
    TempFolder backups;
};

TEST_F(BackupRotationTest, oneMoreBackupThanKeptRemovesTheOldest) {
    for (int minute = 1; minute <= 4; ++minute) {
        SCOPED_TRACE(minute);
        const AutoBackupResult r = step(minute);
        ASSERT_TRUE(r.ok()) << qPrintable(r.message);
        EXPECT_EQ(r.folder, root() + At(minute).toString("'auto-'yyyyMMdd-HHmmss/"));
        EXPECT_EQ(dir.bytes("tesly0.dat"), backups.bytes(QDir(r.folder).dirName() + "/tesly0.old"));
    }
    EXPECT_EQ(kept(),
              QStringList({"auto-20260517-090405 09:04", "auto-20260517-090305 09:03", "auto-20260517-090205 09:02"}));
    EXPECT_EQ(folders().size(), 3);
}

TEST_F(BackupRotationTest, twoBackupsWithinOneSecondAreBothKept) {
    ASSERT_TRUE(step(1).ok());
    const AutoBackupResult second = step(1);
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(second.folder, root() + "auto-20260517-090106/");
    EXPECT_EQ(kept(), QStringList({"auto-20260517-090106 09:01", "auto-20260517-090105 09:01"}));
}

TEST_F(BackupRotationTest, anIncompleteBackupIsNeverCountedAndIsClearedAway) {
    step(1), step(2);
    QFile::remove(root() + "auto-20260517-090205/tesly.old");  // a copy that stopped before its marker
    EXPECT_EQ(kept(), QStringList({"auto-20260517-090105 09:01"}));
    const AutoBackupResult r = step(3, 2);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.removed, QStringList({root() + "auto-20260517-090205/"}));
    EXPECT_EQ(kept(), QStringList({"auto-20260517-090305 09:03", "auto-20260517-090105 09:01"}));
}

TEST_F(BackupRotationTest, whatIsNotABackupOfOursIsLeftAlone) {
    step(1);
    backups.put("auto-20260517-090105/letter.txt", "mine");
    QDir().mkpath(root() + "auto-old");
    QDir().mkpath(root() + "elsewhere");
    backups.put("elsewhere/tesly.old", "x");
    QFile::link(root() + "elsewhere", root() + "auto-20200101-000000");
    const AutoBackupResult r = step(2, 1);
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.message.contains("auto-20260517-090105")) << qPrintable(r.message);
    EXPECT_EQ(backups.bytes("auto-20260517-090105/letter.txt"), "mine");
    EXPECT_EQ(backups.bytes("elsewhere/tesly.old"), "x");
    EXPECT_EQ(kept(), QStringList({"auto-20260517-090205 09:02"}));
    EXPECT_TRUE(folders().contains("auto-old"));
}

TEST_F(BackupRotationTest, noBackupWhileAnotherProgramHoldsTheCardFileOrTheFolderIsNotReady) {
    store.WriteHeader(header::NoOfUses, "2");
    EXPECT_EQ(step(1, 3, 1).outcome, AutoBackupOutcome::InUse);
    EXPECT_EQ(step(1, 3, 0).outcome, AutoBackupOutcome::InUse);
    store.WriteHeader(header::NoOfUses, "1");
    EXPECT_EQ(step(1, 3, 0).outcome, AutoBackupOutcome::InUse);
    EXPECT_EQ(folders(), QStringList());
    EXPECT_TRUE(step(1, 3, 1).ok());

    const AutoBackupResult missing = MakeAutoBackup(dir.path(), root() + "gone/none/", 3, 1, At(2));
    EXPECT_EQ(missing.outcome, AutoBackupOutcome::NotReady);
    EXPECT_TRUE(missing.message.contains(root() + "gone/none/"));
    EXPECT_FALSE(QFileInfo::exists(root() + "gone"));
    EXPECT_TRUE(MakeAutoBackup(dir.path(), root() + "first/", 3, 1, At(2)).ok())
        << "a missing folder of its own is made";
    const ReadOnlyFolder readOnly(root());
    if (readOnly.refusesWrites()) {
        EXPECT_EQ(step(3, 3, 1).outcome, AutoBackupOutcome::NotReady);
    }
    EXPECT_EQ(kept().size(), 1);
}

TEST_F(BackupRotationTest, onlyItsOwnBackupsAreCountedAndRemovedFileByFile) {
    TempFolder outside;
    outside.put("theirs.old", "x");
    QDir().mkpath(root() + "auto-20200103-000000");
    QDir().mkpath(root() + "auto-20200104-000000");
    backups.put("auto-20200103-000000/notes.old", "mine");
    backups.put("auto-20200104-000000/draft.OLD", "mine");
    ASSERT_TRUE(step(1).ok());
    QFile::link(outside.path("theirs.old"), root() + "auto-20260517-090105/tesly7.old");
    backups.put("auto-20260517-090105/letter.txt", "mine");
    // Another card file's backups in the same folder, one half-made.
    TempFolder otherDir;
    RecordingProfile otherProfile;
    CardStore other(otherProfile, otherDir.path());
    WriteEmptyHeader(otherProfile, other.DataFile());
    ASSERT_TRUE(MakeAutoBackup(otherDir.path(), root(), 2, 0, At(2)).ok());
    ASSERT_TRUE(MakeAutoBackup(otherDir.path(), root(), 2, 0, At(2)).ok());
    QFile::remove(root() + "auto-20260517-090205/tesly.old");

    const AutoBackupResult r = step(3, 1);
    ASSERT_TRUE(r.ok()) << qPrintable(r.message);
    EXPECT_EQ(r.removed, QStringList()) << "the folder with the user's letter stays";
    EXPECT_EQ(backups.bytes("auto-20260517-090105/letter.txt"), "mine");
    EXPECT_EQ(QDir(root() + "auto-20260517-090105")
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList({"letter.txt"}));
    EXPECT_EQ(outside.bytes("theirs.old"), "x");
    EXPECT_EQ(backups.bytes("auto-20200103-000000/notes.old"), "mine");
    EXPECT_EQ(backups.bytes("auto-20200104-000000/draft.OLD"), "mine");
    EXPECT_EQ(AutoBackups(root(), dir.path()).size(), 1);
    EXPECT_EQ(AutoBackups(root(), otherDir.path()).size(), 1) << "the other card file's are not counted here";
    EXPECT_TRUE(QFileInfo::exists(root() + "auto-20260517-090205/.tessaly-backup")) << "nor removed, complete or not";
    EXPECT_FALSE(DailyBackupDue(root(), dir.path(), At(4)));
    EXPECT_TRUE(DailyBackupDue(root(), dir.path(), At(4).addDays(1)));
}

// Two card files share the backup folder, their rotations running at the same time.
TEST_F(BackupRotationTest, twoCardFilesRotatingInOneFolderAtOnceKeepTheirOwn) {
    TempFolder otherDir;
    RecordingProfile otherProfile;
    CardStore other(otherProfile, otherDir.path());
    WriteEmptyHeader(otherProfile, other.DataFile());
    constexpr int kRounds = 15, kKeep = 3;
    const auto rotate = [this](const QString& dataDir, QStringList* failures) {
        for (int i = 0; i < kRounds; ++i) {
            const AutoBackupResult r = MakeAutoBackup(dataDir, root(), kKeep, 0, At(i));
            if (!r.ok() || !r.message.isEmpty()) *failures << r.message;
        }
    };
    QStringList ours, theirs;
    std::thread a(rotate, dir.path(), &ours), b(rotate, otherDir.path(), &theirs);
    a.join(), b.join();
    EXPECT_EQ(ours, QStringList());
    EXPECT_EQ(theirs, QStringList());
    const QList<AutoBackup> mine = AutoBackups(root(), dir.path()), others = AutoBackups(root(), otherDir.path());
    ASSERT_EQ(mine.size(), kKeep);
    ASSERT_EQ(others.size(), kKeep);
    for (const AutoBackup& m : mine)
        EXPECT_EQ(backups.bytes(QDir(m.folder).dirName() + "/tesly.old"), dir.bytes("tesly.dat"));
    for (const AutoBackup& o : others)
        EXPECT_EQ(backups.bytes(QDir(o.folder).dirName() + "/tesly.old"), otherDir.bytes("tesly.dat"));
    EXPECT_EQ(folders().size(), 2 * kKeep);
}

TEST_F(BackupRotationTest, aClockSetBackKeepsTheNewBackupAndTheNewestOthers) {
    ASSERT_TRUE(step(3).ok());
    ASSERT_TRUE(step(4).ok());
    const AutoBackupResult r = step(1, 2);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.removed, QStringList({root() + "auto-20260517-090305/"}));
    EXPECT_EQ(kept(), QStringList({"auto-20260517-090405 09:04", "auto-20260517-090105 09:01"}));
}
