#include "shell/preferences.h"

#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "profile/cached_profile.h"

#include <gtest/gtest.h>

using namespace tessaly;
using shell::LoadPreferences;

namespace {

class PreferencesTest : public ::testing::Test {
protected:
    QString file() const { return dir.path(QStringLiteral("ostrel.ini")); }
    void put(const QByteArray& text) { dir.put(QStringLiteral("ostrel.ini"), text); }
    TempFolder dir;
    profile::CachedProfile profile;
};

TEST_F(PreferencesTest, aFirstStartWritesOnlyTheVersionAndTakesEveryDefault) {
    const shell::Preferences p = LoadPreferences(profile, file());
    EXPECT_EQ(dir.bytes(QStringLiteral("ostrel.ini")), QByteArray("[TS32]\r\nVersion=2.0\r\n"));
    EXPECT_EQ(p.AppVersion, "2.0");
    EXPECT_EQ(p.NameField, 0);
    EXPECT_EQ(p.Show, 0);
    EXPECT_FALSE(p.UsePrefix);
    for (auto flag : p.CopyFlags) EXPECT_EQ(flag, 0);
    EXPECT_EQ(p.CopyKeys[0], "CopyName");
    EXPECT_EQ(p.CopyKeys[7], "CopyEMail");
    EXPECT_TRUE(shell::TipsWanted(profile, file()));
}

TEST_F(PreferencesTest, aNewerVersionStaysAndAnOlderOneIsRaised) {
    put("[TS32]\nVersion=3.1\n");
    EXPECT_EQ(LoadPreferences(profile, file()).AppVersion, "3.1");
    EXPECT_EQ(dir.bytes(QStringLiteral("ostrel.ini")), QByteArray("[TS32]\nVersion=3.1\n"));

    put("[TS32]\nVersion=1.5\n");
    EXPECT_EQ(LoadPreferences(profile, file()).AppVersion, "2.0");
    EXPECT_EQ(profile.read(file(), QStringLiteral("TS32"), QStringLiteral("Version")), "2.0");
}

TEST_F(PreferencesTest, numbersAreReadLeniently) {
    put("[TS32]\nVersion=2.0\nNameField=2\nShow=1\nUsePrefix=2\nPrefixSprt= 3\nPhone1Prefix=Tel:\n"
        "CopyName= 1\nCopyFax=1\nCopyEMail=yes\n");
    const shell::Preferences p = LoadPreferences(profile, file());
    EXPECT_EQ(p.NameField, 2);
    EXPECT_EQ(p.Show, 1);
    EXPECT_TRUE(p.UsePrefix);  // any number but 0 is on
    EXPECT_EQ(p.PrefixSprt, 3);
    EXPECT_EQ(p.Phone1Prefix, "Tel:");
    EXPECT_EQ(p.CopyFlags[0], 1);
    EXPECT_EQ(p.CopyFlags[6], 1);
    EXPECT_EQ(p.CopyFlags[7], 0);  // not a number
}

TEST_F(PreferencesTest, handEditedValuesOutOfRangeFallBackToTheDefault) {
    put("[TS32]\nVersion=2.0\nNameField=999\nShow=-1\nPrefixSprt=70000\nCopyName=99999999999\n");
    const shell::Preferences p = LoadPreferences(profile, file());
    EXPECT_EQ(p.NameField, 0);
    EXPECT_EQ(p.Show, 0);
    EXPECT_EQ(p.PrefixSprt, 0);
    EXPECT_EQ(p.CopyFlags[0], 32767);  // clamped, still "on"
}

TEST_F(PreferencesTest, onlyAZeroSuppressesTheTip) {
    put("[TS32]\nTips= 0 \n");
    EXPECT_FALSE(shell::TipsWanted(profile, file()));
    put("[TS32]\nTips=1\n");
    EXPECT_TRUE(shell::TipsWanted(profile, file()));
    put("[TS32]\nTips=00\n");
    EXPECT_TRUE(shell::TipsWanted(profile, file()));  // "00" is not the text "0"
    shell::WriteTips(profile, file(), false);
    EXPECT_FALSE(shell::TipsWanted(profile, file()));
    EXPECT_FALSE(shell::TipsChecked(profile, file()));
}

TEST(VersionNumber, takesTheLeadingDecimalNumber) {
    EXPECT_DOUBLE_EQ(shell::VersionNumber(QStringLiteral("3.1beta")), 3.1);
    EXPECT_DOUBLE_EQ(shell::VersionNumber(QStringLiteral(" 2.0 ")), 2.0);
    EXPECT_DOUBLE_EQ(shell::VersionNumber(QStringLiteral("1.99")), 1.99);
    EXPECT_DOUBLE_EQ(shell::VersionNumber(QStringLiteral("v2")), 0.0);
    EXPECT_DOUBLE_EQ(shell::VersionNumber(QString()), 0.0);
}

}  // namespace
