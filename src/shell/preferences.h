#pragma once
#include <QString>
#include <array>
#include <cstdint>

namespace tessaly::profile {
class ProfileAccess;
}

namespace tessaly::shell {

namespace prefs {
inline const QString Section = QStringLiteral("TS32");
inline const QString DataFilesSection = QStringLiteral("Data Files");
inline const QString TeslyDataPath = QStringLiteral("TeslyDataPath");
inline const QString BackupPath = QStringLiteral("BackupPath");
inline const QString AutoBackup = QStringLiteral("AutoBackup");
inline const QString AutoBackupKeep = QStringLiteral("AutoBackupKeep");
inline const QString Version = QStringLiteral("Version");
inline const QString Tips = QStringLiteral("Tips");
inline const QString CurrentVersion = QStringLiteral("2.0");
inline const QString PortsSection = QStringLiteral("Ports");
// How to dial ("Modem", "Phone", "Command") and the command; the sibling program ignores them.
inline const QString DialVia = QStringLiteral("DialVia");
inline const QString DialCommand = QStringLiteral("DialCommand");
}  // namespace prefs

inline constexpr int kCopyFlagCount = 8;

// The preferences read at start-up, under the names of their keys.
struct Preferences {
    QString AppVersion;
    std::uint8_t NameField = 0;  // 0..3; other values show as 0
    std::uint8_t Show = 0;       // 0 names, otherwise companies
    bool UsePrefix = false;
    std::uint8_t PrefixSprt = 0;
    QString Phone1Prefix, Phone2Prefix, FaxPrefix, EMailPrefix;
    std::array<QString, kCopyFlagCount> CopyKeys{};
    std::array<std::int16_t, kCopyFlagCount> CopyFlags{};
};

// Reads ostrel.ini; writes "Version" = "2.0" when the stored version is below 2.0.
Preferences LoadPreferences(profile::ProfileAccess& profile, const QString& file);

// Whether the tip of the day opens at start-up: only "0" (blanks around, any case) says no.
bool TipsWanted(profile::ProfileAccess& profile, const QString& file);
// The state of the tip window's check box: the number stored in "Tips" (1 checked, 0 not).
bool TipsChecked(profile::ProfileAccess& profile, const QString& file);
void WriteTips(profile::ProfileAccess& profile, const QString& file, bool checked);

// What the Setup dialog shows and saves: the preferences it reads afresh at
// each opening, the modem's port and method, and where COM1 to COM4 lead.
inline constexpr int kComPortCount = 4;

// Automatic backups: keys "AutoBackup" (0 off, 1 on exit, 2 daily) and
// "AutoBackupKeep" (how many are kept, 1 to 99) of section "Data Files".
inline constexpr int kDefaultBackupsKept = 10, kMaxBackupsKept = 99;
enum class AutoBackupWhen : std::uint8_t { Off = 0, OnExit = 1, Daily = 2 };
struct AutoBackupSettings {
    AutoBackupWhen When = AutoBackupWhen::Off;
    int Keep = kDefaultBackupsKept;
    bool operator==(const AutoBackupSettings&) const = default;
};
// A hand-edited value outside the range reads as the default.
AutoBackupSettings ReadAutoBackup(profile::ProfileAccess& profile, const QString& file);

// Automatic syncs with the CardDAV accounts: keys "AtStart" and "AtExit" (0 or 1) and "EveryMinutes"
// (0 never, else 5 to 1440) of section "Sync". Never at a logout or a termination signal.
inline constexpr int kMinSyncMinutes = 5, kMaxSyncMinutes = 1440;
struct AutoSyncSettings {
    bool AtStart = false;
    bool AtExit = false;
    int EveryMinutes = 0;
    bool operator==(const AutoSyncSettings&) const = default;
};
// A hand-edited value outside the range reads as never.
AutoSyncSettings ReadAutoSync(profile::ProfileAccess& profile, const QString& file);

struct SetupSettings {
    std::uint8_t NameField = 0;
    std::uint8_t Show = 0;
    bool UsePrefix = false;
    std::uint8_t PrefixSprt = 0;
    QString Phone1Prefix, Phone2Prefix, FaxPrefix, EMailPrefix;
    std::array<std::int16_t, kCopyFlagCount> CopyFlags{};
    std::uint8_t CommPort = 0;  // 1..4 for COM1..COM4, 0 none
    QString DialSystem;         // "DT" tone, "DP" pulse, as stored
    bool Tips = false;
    std::array<QString, kComPortCount> PortDevices;  // COM1..COM4
    QString DialVia;                                 // "Modem" (or empty), "Phone", "Command"
    QString DialCommand;  // a program and its arguments; %N the number as shown, %n its digits
    AutoBackupSettings AutoBackup;
    QString BackupPath;  // the backup folder, ending in '/' (BackupFolder)
    AutoSyncSettings AutoSync;
};
SetupSettings ReadSetup(profile::ProfileAccess& profile, const QString& file);
// Writes the TS32 keys in the order the program has always written them, then
// the port devices and automatic backup keys that differ from what the file gives; the file is replaced
// once, so a write that fails leaves it as it was.
void WriteSetup(profile::ProfileAccess& profile, const QString& file, const SetupSettings& settings);
// The device of COMn (1..4): key "COMn" of section "Ports", else /dev/ttyS(n-1).
QString PortDevice(profile::ProfileAccess& profile, const QString& file, int com);

// The folder backups go to and come from ("BackupPath" of "Data Files",
// by default ~/TessalyBackup/); it ends in '/'.
QString BackupFolder(profile::ProfileAccess& profile, const QString& file);

// The leading decimal number of a version text ("3.1beta" → 3.1, "" → 0).
double VersionNumber(const QString& text);

}  // namespace tessaly::shell
