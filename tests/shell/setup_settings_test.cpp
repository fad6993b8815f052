#include "shell/preferences.h"

#include "../support/qt_print.h"
#include "../support/recording_profile.h"
#include "../support/temp_folder.h"

#include <gtest/gtest.h>

using namespace tessaly;

namespace {

class SetupSettingsTest : public ::testing::Test {
protected:
    QString file() const { return dir.path(QStringLiteral("ostrel.ini")); }
    TempFolder dir;
    RecordingProfile profile;
};

TEST_F(SetupSettingsTest, okWritesEveryKeyInTheSiblingsOrderAndForms) {
    shell::SetupSettings s = shell::ReadSetup(profile, file());
    s.Show = 1, s.NameField = 2, s.UsePrefix = true, s.PrefixSprt = 3;
    s.Phone1Prefix = "Tel:", s.EMailPrefix = " mail ";
    s.CopyFlags = {1, 0, 1, 0, 0, 0, 0, 1};
    s.CommPort = 2, s.DialSystem = "DT", s.Tips = true;
    shell::WriteSetup(profile, file(), s);
    const QString k = "ostrel.ini|TS32|";
    EXPECT_EQ(profile.writes,
              (QStringList{k + "Show=1", k + "NameField=2", k + "UsePrefix=1", k + "PrefixSprt= 3",
                           k + "Phone1Prefix=Tel:", k + "Phone2Prefix=", k + "FaxPrefix=", k + "EMailPrefix= mail ",
                           k + "CopyName= 1", k + "CopyTitle= 0", k + "CopyCompany= 1", k + "CopyAddress= 0",
                           k + "CopyPhone1= 0", k + "CopyPhone2= 0", k + "CopyFax= 0", k + "CopyEMail= 1",
                           k + "CommPort=2", k + "DialSystem=DT", k + "Tips=1"}));
    profile::CachedProfile fresh;
    const shell::SetupSettings back = shell::ReadSetup(fresh, file());
    EXPECT_EQ(back.PrefixSprt, 3);
    EXPECT_EQ(back.EMailPrefix, " mail ");
    EXPECT_EQ(back.CopyFlags, s.CopyFlags);
    EXPECT_TRUE(back.Tips);
    EXPECT_FALSE(dir.bytes("ostrel.ini").contains("[Ports]"));
}

TEST_F(SetupSettingsTest, comPortsLeadToTheirDevicesAndOnlyAChangedOneIsWritten) {
    shell::SetupSettings s = shell::ReadSetup(profile, file());
    EXPECT_EQ(s.PortDevices, (std::array<QString, 4>{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"}));
    EXPECT_EQ(s.CommPort, 0);
    EXPECT_EQ(s.DialSystem, "");
    s.PortDevices[2] = "/dev/ttyACM0";
    shell::WriteSetup(profile, file(), s);
    EXPECT_EQ(profile.writes.last(), "ostrel.ini|Ports|COM3=/dev/ttyACM0");
    EXPECT_EQ(shell::PortDevice(profile, file(), 3), "/dev/ttyACM0");
    EXPECT_EQ(shell::PortDevice(profile, file(), 4), "/dev/ttyS3");
}

TEST_F(SetupSettingsTest, readingForTheDialogWritesNothing) {
    dir.put("ostrel.ini", "[TS32]\nNameField=7\nDialSystem= dt \n");
    const shell::SetupSettings s = shell::ReadSetup(profile, file());
    EXPECT_EQ(s.DialSystem, "dt");  // the profile layer drops blanks around values
    EXPECT_TRUE(profile.writes.isEmpty());
    EXPECT_EQ(dir.bytes("ostrel.ini"), "[TS32]\nNameField=7\nDialSystem= dt \n");
}

// The automatic syncs: written only once chosen, and a hand-edited value out of range reads as never.
TEST_F(SetupSettingsTest, automaticSyncsAreWrittenOnceChosenAndReadBackWithinTheirRange) {
    shell::SetupSettings s = shell::ReadSetup(profile, file());
    shell::WriteSetup(profile, file(), s);
    EXPECT_FALSE(dir.bytes("ostrel.ini").contains("[Sync]"));
    s.AutoSync = {true, false, 30};
    shell::WriteSetup(profile, file(), s);
    profile::CachedProfile fresh;
    EXPECT_EQ(shell::ReadAutoSync(fresh, file()), (shell::AutoSyncSettings{true, false, 30}));
    for (const char* every : {"2", "99999", "-5", "x"}) {
        SCOPED_TRACE(every);
        dir.put("ostrel.ini", QByteArray("[Sync]\nAtStart=1\nAtExit=1\nEveryMinutes=") + every + "\n");
        profile::CachedProfile hand;
        EXPECT_EQ(shell::ReadAutoSync(hand, file()), (shell::AutoSyncSettings{true, true, 0}));
    }
}

}  // namespace
