#include "../support/backup_failure.h"
#include "../support/store_fixture.h"

#include "backup/backup_rotation.h"
#include "profile/file_faults.h"

#include <QDir>

using namespace tessaly::store;
using tessaly::profile::FileStep;

namespace {

using Files = QMap<QString, QByteArray>;

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The backup files a folder shows, by name.
Files Shown(const QString& folder) {
    Files files;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name))
        files.insert(name, ReadAll(folder + name));
    return files;
}

// What a backup of the card files in dataDir holds.
Files BackupOf(const QString& dataDir) {
    Files files;
    for (const QString& name : QDir(dataDir).entryList({"tesly*.dat"}, QDir::Files))
        files.insert(BackupName(name), ReadAll(dataDir + name));
    return files;
}

// Fails the Nth step of writing (1-based), once or from then on, until the scope ends.
class FailingSteps {
public:
    FailingSteps(int n, bool lasting) {
        tessaly::profile::SetFaultHook(
            [this, n, lasting](FileStep, const QString&) { return lasting ? ++seen >= n : ++seen == n; });
    }
    ~FailingSteps() { tessaly::profile::SetFaultHook({}); }
    int seen = 0;
};

constexpr int kEnoughSteps = 200;

}  // namespace

class BackupFaultTest : public StoreTest, public ::testing::WithParamInterface<bool> {
protected:
    BackupFaultTest() {
        add("A", "Adams");
        store.WriteHeader("TotalNoOfRecords", "120");
        add("B", "Baker");
    }
    bool lasting() const { return GetParam(); }
    TempFolder backup;
};

// After every failure the folder holds the previous backup, stale files of an
// older, larger one included, or (when the failure says so) the new one: never a mixture.
TEST_P(BackupFaultTest, aFailedBackupLeavesThePreviousOneOrSaysTheNewOneStands) {
    ASSERT_NO_THROW(CopyDataFiles(dir.path(), backup.path()));
    add("C", "Clark");
    const Files next = BackupOf(dir.path());
    for (int n = 1; n < kEnoughSteps; ++n) {
        SCOPED_TRACE(n);
        backup.put("tesly5.old", "of a larger backup");
        const Files previous = Shown(backup.path());
        std::optional<BackupFailed> r;
        {
            FailingSteps fail(n, lasting());
            r = FailureOf([&] { CopyDataFiles(dir.path(), backup.path()); });
        }
        ASSERT_NO_THROW(SettleBackupFolder(backup.path()));
        if (!r) {
            EXPECT_EQ(Shown(backup.path()), next);
            return;
        }
        EXPECT_FALSE(r->message().isEmpty());
        if (!lasting()) {
            EXPECT_TRUE(r->putBack) << "a single fault is rolled back";
        }
        EXPECT_TRUE(HasValidBackup(backup.path()));
        EXPECT_EQ(Shown(backup.path()), r->putBack ? previous : next);
        EXPECT_EQ(backup.files(), QStringList({".tessaly-backup", ".tessaly-lock"}) + Shown(backup.path()).keys());
    }
    FAIL() << "the backup never completed";
}

TEST_P(BackupFaultTest, aFailedAutomaticBackupLeavesTheOthersAsTheyWere) {
    const auto at = [](int minute) { return QDateTime(QDate(2026, 5, 17), QTime(9, minute)); };
    ASSERT_TRUE(MakeAutoBackup(dir.path(), backup.path(), 2, 0, at(1)).ok());
    ASSERT_TRUE(MakeAutoBackup(dir.path(), backup.path(), 2, 0, at(2)).ok());
    QMap<QString, Files> before;
    for (const AutoBackup& b : AutoBackups(backup.path(), dir.path())) before.insert(b.folder, Shown(b.folder));
    add("C", "Clark");
    for (int n = 1; n < kEnoughSteps; ++n) {
        SCOPED_TRACE(n);
        AutoBackupResult r;
        {
            FailingSteps fail(n, lasting());
            r = MakeAutoBackup(dir.path(), backup.path(), 2, 0, at(3));
        }
        ASSERT_NO_THROW(SettleBackupFolder(backup.path()));
        QMap<QString, Files> now;
        for (const AutoBackup& b : AutoBackups(backup.path(), dir.path())) now.insert(b.folder, Shown(b.folder));
        if (r.ok()) {
            EXPECT_EQ(now.value(r.folder), BackupOf(dir.path()));
            EXPECT_EQ(now.size(), 2);
            return;
        }
        EXPECT_FALSE(r.message.isEmpty());
        EXPECT_EQ(now, before);
        EXPECT_FALSE(QFileInfo::exists(backup.path(".tessaly-new")));
    }
    FAIL() << "the automatic backup never completed";
}

INSTANTIATE_TEST_SUITE_P(OnceAndLasting, BackupFaultTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "lasting" : "once"; });
