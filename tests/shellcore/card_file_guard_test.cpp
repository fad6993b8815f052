#include "shell/card_file_guard.h"

#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "cards/card_store.h"
#include "profile/cached_profile.h"

#include <gtest/gtest.h>
#include <QFileInfo>

using namespace tessaly;

namespace {

class GuardTest : public ::testing::Test {
protected:
    QString dataFile() const { return dir.path(QStringLiteral("tesly.dat")); }
    QString uses() { return other.read(dataFile(), QStringLiteral("General Info"), QStringLiteral("NoOfUses")); }
    void setUses(const QString& n) {
        other.write(dataFile(), QStringLiteral("General Info"), QStringLiteral("NoOfUses"), n);
    }
    TempFolder dir;
    profile::CachedProfile profile;
    profile::CachedProfile other;  // the sibling program's view of the same file
};

TEST_F(GuardTest, registeringCountsUpFromZeroAndFromNegativeLeftovers) {
    store::WriteEmptyHeader(profile, dataFile());
    shell::RegisterUse(profile, dataFile());
    EXPECT_EQ(uses(), "1");
    EXPECT_FALSE(shell::CheckInUse(profile, dataFile()));

    setUses(QStringLiteral("-3"));
    shell::RegisterUse(profile, dataFile());
    EXPECT_EQ(uses(), "1");

    setUses(QStringLiteral("1"));
    shell::RegisterUse(profile, dataFile());
    EXPECT_EQ(uses(), "2");
    EXPECT_TRUE(shell::CheckInUse(profile, dataFile()));
}

TEST_F(GuardTest, theCountCannotOverflow) {
    setUses(QStringLiteral("32767"));
    shell::RegisterUse(profile, dataFile());
    EXPECT_EQ(uses(), "32767");
    setUses(QStringLiteral("-32768"));
    shell::CountOff(profile, dataFile());
    EXPECT_EQ(uses(), "-32768");
}

TEST_F(GuardTest, countingOffHasNoLowerBound) {
    setUses(QStringLiteral("1"));
    shell::CountOff(profile, dataFile());
    EXPECT_EQ(uses(), "0");
    shell::CountOff(profile, dataFile());
    EXPECT_EQ(uses(), "-1");
}

TEST_F(GuardTest, theCheckSeesWhatAnotherProgramWrote) {
    shell::RegisterUse(profile, dataFile());
    EXPECT_FALSE(shell::CheckInUse(profile, dataFile()));
    setUses(QStringLiteral("2"));
    EXPECT_TRUE(shell::CheckInUse(profile, dataFile()));
    setUses(QStringLiteral("1"));
    EXPECT_FALSE(shell::CheckInUse(profile, dataFile()));
}

TEST_F(GuardTest, crashRecoveryMakesThisProgramTheOnlyUser) {
    setUses(QStringLiteral("7"));
    shell::RecoverFromCrash(profile, dataFile());
    EXPECT_EQ(uses(), "1");
}

TEST_F(GuardTest, aNewCardFileIsNamedInThePreferencesWithItsCase) {
    const QString prefs = dir.path(QStringLiteral("cfg/ostrel.ini"));
    const QString newDir = dir.path(QStringLiteral("Data/TeslyDat/"));
    shell::CreateNewDataFile(profile, prefs, newDir);
    EXPECT_EQ(other.read(prefs, QStringLiteral("Data Files"), QStringLiteral("TeslyDataPath")), newDir);
    EXPECT_EQ(dir.bytes(QStringLiteral("Data/TeslyDat/tesly.dat")),
              QByteArray("[General Info]\r\nApplication=Tessaly\r\nTotalNoOfRecords=0\r\nNoOfRecords=0\r\n"
                         "NameFirstRecord=\r\nCompanyFirstRecord=\r\nDelNoOfRecords=0\r\nDelFirstRecord=\r\n"));
}

TEST_F(GuardTest, aFolderOrPreferencesFileThatCannotBeMadeIsReportedByName) {
    dir.put(QStringLiteral("file"), "x");
    struct Case {
        const char* prefs;
        const char* dataDir;
        const char* named;
    } cases[] = {{"ostrel.ini", "file/sub/", "file/sub/"}, {"file/ostrel.ini", "cards/", "ostrel.ini"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named);
        try {
            shell::CreateNewDataFile(profile, dir.path(QString::fromLatin1(c.prefs)),
                                     dir.path(QString::fromLatin1(c.dataDir)));
            ADD_FAILURE() << "no error";
        } catch (const profile::FileError& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QLatin1String(c.named))) << e.what();
        }
        EXPECT_FALSE(QFileInfo::exists(dir.path(QString::fromLatin1(c.dataDir) + QStringLiteral("tesly.dat"))));
    }
}

TEST_F(GuardTest, countingOffAFileThatWasMovedAwayCreatesNothing) {
    shell::CountOff(profile, dataFile());
    EXPECT_FALSE(QFileInfo::exists(dataFile()));
}

}  // namespace
