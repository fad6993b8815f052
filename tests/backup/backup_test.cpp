#include "../support/backup_failure.h"
#include "../support/store_fixture.h"

#include "backup/backup_rotation.h"
#include "backup/card_restore.h"
#include "cards/card_lock.h"
#include "profile/file_faults.h"

#include <sys/stat.h>
#include <QDir>

using namespace tessaly::store;
using tessaly::profile::FileStep;

namespace {

QStringList Names(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

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
    const auto failed = FailureOf([&] { CopyDataFiles(dir.path(), folder()); });
    tessaly::profile::SetFaultHook({});
    ASSERT_FALSE(failed) << qPrintable(failed->message());
    EXPECT_EQ(Names(folder()), QStringList({"tesly.old", "tesly0.old", "tesly1.old"}));
    ASSERT_FALSE(order.isEmpty());
    EXPECT_EQ(order.last(), "tesly.old");
    for (const QString& name : Names(dir.path()))
        if (name.endsWith(".dat")) {
            EXPECT_EQ(backup.bytes(BackupName(name)), dir.bytes(name)) << qPrintable(name);
        }
    EXPECT_TRUE(HasValidBackup(folder()));
}

TEST_F(BackupTest, aMissingOrReadOnlyFolderIsNotReady) {
    EXPECT_EQ(OutcomeOf([&] { CopyDataFiles(dir.path(), backup.path("nowhere/")); }), CopyOutcome::NotReady);
    EXPECT_EQ(OutcomeOf([&] { RestoreBackup(backup.path("nowhere/"), dir.path()); }), CopyOutcome::NotReady);
}

TEST_F(BackupTest, restoreTakesBackTheBackupAndLeavesOtherFilesAlone) {
    ASSERT_NO_THROW(CopyDataFiles(dir.path(), folder()));
    const QByteArray saved = dir.bytes("tesly0.dat");
    add("B", "Later");
    dir.put("notes.txt", "mine");
    const auto failed = FailureOf([&] { RestoreBackup(folder(), dir.path()); });
    ASSERT_FALSE(failed) << qPrintable(failed->message());
    EXPECT_EQ(dir.bytes("tesly0.dat"), saved);
    EXPECT_EQ(dir.bytes("notes.txt"), "mine");
    EXPECT_TRUE(QFile::exists(dir.path("safety-copy/tesly0.old"))) << "safety copy";
}

TEST_F(BackupTest, restoreFindsABackupInUpperCase) {
    ASSERT_NO_THROW(CopyDataFiles(dir.path(), folder()));
    for (const QString& name : Names(folder())) QFile::rename(backup.path(name), backup.path(name.toUpper()));
    const QByteArray saved = dir.bytes("tesly1.dat");
    add("B", "Later");
    ASSERT_NO_THROW(RestoreBackup(folder(), dir.path()));
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
        ASSERT_NO_THROW(CopyDataFiles(dir.path(), folder()));
        c.damage();
        const QByteArray before = dir.bytes("tesly.dat");
        EXPECT_EQ(OutcomeOf([&] { RestoreBackup(folder(), dir.path()); }), CopyOutcome::NoValidBackup);
        EXPECT_EQ(dir.bytes("tesly.dat"), before);
        EXPECT_FALSE(QFile::exists(dir.path("tesly.old")));
    }
    EXPECT_EQ(OutcomeOf([&] { RestoreBackup(dir.path(), dir.path()); }), CopyOutcome::NoValidBackup)
        << "the data folder itself";
}

namespace {

mode_t ModeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

}  // namespace

TEST_F(BackupTest, aNewBackupReplacesAnOlderLargerOneWholeAndLeavesOtherFilesAlone) {
    for (const char* name : {"tesly2.old", "TESLY3.OLD", "notes.old", "letter.txt"}) backup.put(name, "older");
    ASSERT_NO_THROW(CopyDataFiles(dir.path(), folder()));
    EXPECT_EQ(Names(folder()), QStringList({"letter.txt", "notes.old", "tesly.old", "tesly0.old", "tesly1.old"}));
    EXPECT_EQ(backup.bytes("notes.old"), "older");
    EXPECT_FALSE(QFileInfo::exists(backup.path(".tessaly-new")));
    EXPECT_FALSE(QFileInfo::exists(backup.path(".tessaly-swap")));
}

TEST_F(BackupTest, copiesTakeTheCardFilesModeAndFoldersArePrivateWithIt) {
    const mode_t mask = ::umask(022);
    for (const mode_t mode : {mode_t(0600), mode_t(0640)}) {
        SCOPED_TRACE(mode);
        for (const QString& name : Names(dir.path())) ::chmod(QFile::encodeName(dir.path(name)).constData(), mode);
        ASSERT_NO_THROW(CopyDataFiles(dir.path(), folder()));
        for (const QString& name : Names(folder()))
            EXPECT_EQ(ModeOf(backup.path(name)) & 0777, mode) << qPrintable(name);
        const QString root = backup.path(QString("auto%1/").arg(mode));
        const AutoBackupResult made = MakeAutoBackup(dir.path(), root, 3, 0, QDateTime::currentDateTime());
        ASSERT_TRUE(made.ok()) << qPrintable(made.message);
        const mode_t folderMode = mode == 0600 ? 0700 : 0755;
        EXPECT_EQ(ModeOf(root) & 0777, folderMode);
        EXPECT_EQ(ModeOf(made.folder) & 0777, folderMode);
        EXPECT_EQ(ModeOf(made.folder + "tesly0.old") & 0777, mode);
    }
    ::umask(mask);
}

TEST_F(BackupTest, aBackupNeverWritesThroughALinkNorTakesItsMode) {
    TempFolder outside;
    outside.put("theirs", "not yours");
    ::chmod(QFile::encodeName(outside.path("theirs")).constData(), 0644);
    ::chmod(QFile::encodeName(dir.path("tesly.dat")).constData(), 0600);
    QFile::link(outside.path("theirs"), backup.path("tesly1.old"));
    QFile::link(outside.path("theirs"), backup.path("tesly.old"));
    QFile::link(outside.path(), backup.path(".tessaly-new"));
    ASSERT_NO_THROW(CopyDataFiles(dir.path(), folder()));
    EXPECT_EQ(outside.bytes("theirs"), "not yours");
    EXPECT_EQ(outside.files(), QStringList({"theirs"}));
    for (const char* name : {"tesly.old", "tesly1.old"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(S_ISREG(ModeOf(backup.path(name))));
        EXPECT_EQ(ModeOf(backup.path(name)) & 0777, 0600);
    }
    EXPECT_EQ(backup.bytes("tesly1.old"), dir.bytes("tesly1.dat"));
}

TEST_F(BackupTest, anotherCardFilesBackupIsReplacedOnlyWhenAskedFor) {
    TempFolder otherDir;
    RecordingProfile otherProfile;
    CardStore other(otherProfile, otherDir.path());
    WriteEmptyHeader(otherProfile, other.DataFile());
    ASSERT_NO_THROW(CopyDataFiles(otherDir.path(), folder()));
    const QByteArray theirs = backup.bytes("tesly.old");

    const auto refused = FailureOf([&] { CopyDataFiles(dir.path(), folder()); });
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->outcome, CopyOutcome::OtherCardFile);
    EXPECT_TRUE(refused->message().contains(QFileInfo(otherDir.path()).canonicalFilePath()))
        << qPrintable(refused->message());
    EXPECT_EQ(backup.bytes("tesly.old"), theirs);
    EXPECT_EQ(Names(folder()), QStringList({"tesly.old"}));

    ASSERT_NO_THROW(CopyDataFiles(dir.path(), folder(), OtherBackup::Replace));
    EXPECT_EQ(backup.bytes("tesly.old"), dir.bytes("tesly.dat"));
    EXPECT_NO_THROW(CopyDataFiles(dir.path(), folder())) << "now ours";
    QFile::remove(backup.path(".tessaly-backup"));
    EXPECT_NO_THROW(CopyDataFiles(otherDir.path(), folder())) << "a backup without a mark is nobody's";
}

TEST_F(BackupTest, aBackupIntoTheDataFolderOrAFolderInsideItIsRefused) {
    QDir().mkpath(dir.path("inside/deeper"));
    for (const QString& dest : {dir.path(), dir.path("inside/deeper/")}) {
        SCOPED_TRACE(qPrintable(dest));
        EXPECT_EQ(OutcomeOf([&] { MakeBackup(dir.path(), dest, OtherBackup::Replace); }), CopyOutcome::DataFolder);
        EXPECT_FALSE(QFileInfo::exists(dest + "tesly.old"));
        EXPECT_EQ(MakeAutoBackup(dir.path(), dest, 3, 0, QDateTime::currentDateTime()).outcome,
                  AutoBackupOutcome::NotReady);
    }
    EXPECT_NO_THROW(MakeBackup(dir.path(), folder(), OtherBackup::Refuse));
}

TEST_F(BackupTest, aLinkInPlaceOfALockFileIsRefusedAndItsTargetNeverMade) {
    TempFolder outside;
    QFile::remove(dir.path("tesly.lock"));
    ASSERT_TRUE(QFile::link(outside.path("made"), dir.path("tesly.lock")));
    EXPECT_THROW(CardFileLock(dir.path(), std::chrono::milliseconds(0)), tessaly::profile::WriteError);
    QFile::link(outside.path("made"), backup.path(".tessaly-lock"));
    EXPECT_EQ(OutcomeOf([&] { CopyDataFiles(dir.path(), folder()); }), CopyOutcome::Failed);
    EXPECT_EQ(outside.files(), QStringList());
    QFile::remove(dir.path("tesly.lock"));  // the fixture's own changes need the lock
}
