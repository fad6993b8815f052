#include "shell/use_record.h"
#include "shell/card_file_guard.h"

#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "cards/card_store.h"
#include "profile/cached_profile.h"

#include <gtest/gtest.h>
#include <QFileInfo>

using namespace tessaly;

namespace {

class UseRecordTest : public ::testing::Test {
protected:
    QString dataDir() const { return dir.path(); }
    QString dataFile() const { return dir.path(QStringLiteral("tesly.dat")); }
    QString uses() { return other.read(dataFile(), QStringLiteral("General Info"), QStringLiteral("NoOfUses")); }
    void setUses(const QString& n) {
        other.write(dataFile(), QStringLiteral("General Info"), QStringLiteral("NoOfUses"), n);
    }
    TempFolder dir;
    profile::CachedProfile profile;
    profile::CachedProfile other;  // the sibling program's view of the same file
};

// No process has this number (pid_max is at most 2^22).
constexpr qint64 kGonePid = 999999999;

TEST_F(UseRecordTest, endedRunsAreTakenBackOneEachAndOnlyThey) {
    const shell::UseEntry self = shell::ThisRun();
    ASSERT_FALSE(self.bootId.isEmpty());
    const shell::UseEntry gone{kGonePid, self.bootId, 1}, earlierBoot{self.pid, "another-boot", self.startTicks},
        reused{self.pid, self.bootId, self.startTicks + 1};
    struct Case {
        const char* what;
        QList<shell::UseEntry> recorded;
        const char* countBefore;
        const char* countAfter;
        QList<shell::UseEntry> left;
    } cases[] = {
        {"a killed run of ours", {gone}, "1", "0", {}},
        {"one killed, one running, one the sibling's", {gone, self}, "3", "2", {self}},
        {"a run of an earlier boot", {earlierBoot}, "1", "0", {}},
        {"a number that another process has now", {reused}, "1", "0", {}},
        {"two ended runs", {gone, earlierBoot}, "2", "0", {}},
        {"never below 0", {gone, earlierBoot}, "1", "0", {}},
        {"a count put right by hand stays", {gone}, "0", "0", {}},
        {"no record: the count may be the sibling's", {}, "1", "1", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store::WriteEmptyHeader(profile, dataFile());
        setUses(QString::fromLatin1(c.countBefore));
        shell::WriteUseRecord(dataDir(), c.recorded);
        shell::TakeBackEndedUses(profile, dataFile());
        EXPECT_EQ(uses(), QString::fromLatin1(c.countAfter));
        EXPECT_EQ(shell::ReadUseRecord(dataDir()), c.left);
    }
}

TEST_F(UseRecordTest, aRunIsRecordedWhileItCountsAndTheRecordGoesWithIt) {
    store::WriteEmptyHeader(profile, dataFile());
    shell::WriteUseRecord(dataDir(), {{kGonePid, "another-boot", 5}});
    dir.put(QStringLiteral("tesly.users"), dir.bytes(QStringLiteral("tesly.users")) + "not an entry\n");
    shell::RegisterUse(profile, dataFile());
    EXPECT_EQ(uses(), "1");
    EXPECT_EQ(shell::ReadUseRecord(dataDir()),
              (QList<shell::UseEntry>{{kGonePid, "another-boot", 5}, shell::ThisRun()}));
    shell::CountOff(profile, dataFile());
    EXPECT_EQ(uses(), "0");
    EXPECT_EQ(shell::ReadUseRecord(dataDir()), (QList<shell::UseEntry>{{kGonePid, "another-boot", 5}}));
    shell::WriteUseRecord(dataDir(), {});
    EXPECT_FALSE(QFileInfo::exists(shell::UseRecordPath(dataDir())));
}

}  // namespace
