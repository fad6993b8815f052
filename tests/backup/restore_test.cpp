#include "../support/backup_failure.h"
#include "../support/store_fixture.h"

#include "backup/card_restore.h"
#include "cards/staged_card_files.h"

#include <sys/stat.h>
#include <QDir>

using namespace tessaly::store;

namespace {

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

mode_t PermissionsOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : 0;
}

}  // namespace

// A backup of the first 150 cards; today's card file holds 250.
class RestoreTest : public StoreTest {
protected:
    RestoreTest() {
        for (int i = 0; i < 150; ++i) add("A", QString("Early%1").arg(i));
        EXPECT_NO_THROW(CopyDataFiles(dir.path(), backup.path()));
        for (int i = 0; i < 100; ++i) add("B", QString("Late%1").arg(i));
    }
    TempFolder backup, pristine, elsewhere;
};

TEST_F(RestoreTest, givesExactlyTheBackupAndKeepsTodaysFilesAsTheSafetyCopy) {
    const QByteArray today2 = dir.bytes("tesly2.dat");
    ASSERT_NO_THROW(RestoreBackup(backup.path(), dir.path()));
    EXPECT_EQ(Entries(dir.path()), QStringList({"safety-copy", "tesly.dat", "tesly.lock", "tesly0.dat", "tesly1.dat"}));
    EXPECT_EQ(dir.bytes("tesly1.dat"), backup.bytes("tesly1.old"));
    EXPECT_EQ(dir.bytes("safety-copy/tesly2.old"), today2);
    EXPECT_TRUE(HasValidBackup(dir.path("safety-copy/"))) << "the safety copy can be restored in turn";
    store.RefreshLists();
    EXPECT_EQ(store.NoOfRecords, 150);
    expectConsistent();
}

TEST_F(RestoreTest, refusesWhatIsNotExactlyACardFileAndChangesNothing) {
    const QString outside = elsewhere.path("secret");
    elsewhere.put("secret", "[Record100]\nFirstName=Not yours\n");
    struct Case {
        const char* what;
        std::function<void()> damage;
        CopyOutcome outcome;
    } cases[] = {
        {"a link out of the folder",
         [&] { QFile::remove(backup.path("tesly1.old")), QFile::link(outside, backup.path("tesly1.old")); },
         CopyOutcome::NoValidBackup},
        {"both spellings", [&] { QFile::copy(backup.path("tesly1.old"), backup.path("TESLY2.OLD")); },
         CopyOutcome::NoValidBackup},
        {"another hundred's cards", [&] { backup.put("tesly1.old", "[Record5]\nFirstName=Misplaced\n"); },
         CopyOutcome::NoValidBackup},
        {"not a card file", [&] { backup.put("tesly0.old", "[Something]\nelse=1\n"); }, CopyOutcome::NoValidBackup},
        {"a folder in a file's place",
         [&] { QFile::remove(backup.path("tesly0.old")), QDir().mkdir(backup.path("tesly0.old")); },
         CopyOutcome::NoValidBackup},
    };
    for (const QString& name : Entries(backup.path())) QFile::copy(backup.path(name), pristine.path(name));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& name : Entries(backup.path()))
            QFile::remove(backup.path(name)) || QDir().rmdir(backup.path(name));
        for (const QString& name : Entries(pristine.path())) QFile::copy(pristine.path(name), backup.path(name));
        const QStringList before = Entries(dir.path());
        const QByteArray header = dir.bytes("tesly.dat");
        c.damage();
        EXPECT_EQ(OutcomeOf([&] { RestoreBackup(backup.path(), dir.path()); }), c.outcome);
        EXPECT_EQ(Entries(dir.path()), before);
        EXPECT_EQ(dir.bytes("tesly.dat"), header);
    }
    for (const QString& name : Entries(backup.path()))
        QFile::remove(backup.path(name)) || QDir().rmdir(backup.path(name));
    for (const QString& name : Entries(pristine.path())) QFile::copy(pristine.path(name), backup.path(name));
    backup.put("notes.old", "mine");
    ASSERT_NO_THROW(RestoreBackup(backup.path(), dir.path()));
    EXPECT_FALSE(QFile::exists(dir.path("notes.dat"))) << "only card files are restored";
}

TEST_F(RestoreTest, copiesStayAsPrivateAsTheCardFile) {
    for (const QString& name : QDir(dir.path()).entryList({"tesly*.dat"}, QDir::Files))
        ::chmod(QFile::encodeName(dir.path(name)), 0600);
    ASSERT_NO_THROW(RestoreBackup(backup.path(), dir.path()));
    EXPECT_EQ(PermissionsOf(dir.path("safety-copy")), 0700u);
    EXPECT_EQ(PermissionsOf(dir.path("safety-copy/tesly2.old")), 0600u);
    EXPECT_EQ(PermissionsOf(dir.path("tesly0.dat")), 0600u);
}

// A stage that never reached its journal is thrown away by the next command.
TEST_F(RestoreTest, aStageLeftWithoutItsJournalIsThrownAway) {
    const QStringList before = Entries(dir.path());
    QDir().mkpath(StageFolder(dir.path()) + "new");
    QFile::copy(backup.path("tesly.old"), StageFolder(dir.path()) + "new/tesly.dat");
    EXPECT_TRUE(SettleBeforeUse(dir.path(), std::chrono::seconds(1)));
    EXPECT_EQ(Entries(dir.path()), before);
    EXPECT_FALSE(SettleBeforeUse(dir.path(), std::chrono::seconds(1)));
}
