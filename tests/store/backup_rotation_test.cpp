#include "store_fixture.h"

#include "store/backup_rotation.h"
#include "../support/read_only_folder.h"

#include <QDir>

using namespace tessaly::store;

namespace {

QDateTime At(int minute) { return QDateTime(QDate(2026, 5, 17), QTime(9, minute, 5)); }

}  // namespace

class BackupRotationTest : public StoreTest {
protected:
    BackupRotationTest() { add("Ann", "Lee"); }
    QString root() const { return backups.path(); }
    AutoBackupResult step(int minute, int keep = 3, int ownUses = 0) { return MakeAutoBackup(dir.path(), root(), keep, ownUses, At(minute)); }
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
    EXPECT_EQ(kept(), QStringList({"auto-20260517-090405 09:04", "auto-20260517-090305 09:03", "auto-20260517-090205 09:02"}));
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
    EXPECT_TRUE(MakeAutoBackup(dir.path(), root() + "first/", 3, 1, At(2)).ok()) << "a missing folder of its own is made";
    const ReadOnlyFolder readOnly(root());
    if (readOnly.refusesWrites()) EXPECT_EQ(step(3, 3, 1).outcome, AutoBackupOutcome::NotReady);
    EXPECT_EQ(kept().size(), 1);
}
