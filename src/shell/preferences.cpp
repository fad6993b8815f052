#include "preferences.h"

#include "cards/card_layout.h"
#include "profile/profile_access.h"

#include <QDir>
#include <QRegularExpression>

namespace tessaly::shell {

namespace {

const QString kSyncSection = QStringLiteral("Sync");

// A hand-edited number outside the 8-bit range reads as the default 0.
std::uint8_t Byte(const QString& text) {
    const std::int64_t n = store::LeadingNumber(text);
    return (n >= 0 && n <= 255) ? static_cast<std::uint8_t>(n) : 0;
}

std::array<QString, kCopyFlagCount> CopyKeys() {
    return {QStringLiteral("CopyName"),    QStringLiteral("CopyTitle"),  QStringLiteral("CopyCompany"),
            QStringLiteral("CopyAddress"), QStringLiteral("CopyPhone1"), QStringLiteral("CopyPhone2"),
            QStringLiteral("CopyFax"),     QStringLiteral("CopyEMail")};
}

QString ComKey(int com) {
    return QStringLiteral("COM%1").arg(com);
}

// The forms the sibling program reads: a plain number, or one after a blank.
QString Plain(int n) {
    return QString::number(n);
}
QString Spaced(int n) {
    return u' ' + QString::number(n);
}

// The preferences as the file holds them; nothing is written.
Preferences ReadValues(profile::ProfileAccess& profile, const QString& file) {
    auto read = [&](const QString& key) { return profile.read(file, prefs::Section, key); };
    Preferences p;
    p.AppVersion = read(prefs::Version);
    p.NameField = Byte(read(QStringLiteral("NameField")));
    p.Show = Byte(read(QStringLiteral("Show")));
    p.UsePrefix = store::LeadingNumber(read(QStringLiteral("UsePrefix"))) != 0;
    p.PrefixSprt = Byte(read(QStringLiteral("PrefixSprt")));
    p.Phone1Prefix = read(QStringLiteral("Phone1Prefix"));
    p.Phone2Prefix = read(QStringLiteral("Phone2Prefix"));
    p.FaxPrefix = read(QStringLiteral("FaxPrefix"));
    p.EMailPrefix = read(QStringLiteral("EMailPrefix"));
    p.CopyKeys = CopyKeys();
    for (int i = 0; i < kCopyFlagCount; ++i) p.CopyFlags[i] = store::Count16(read(p.CopyKeys[i]));
    return p;
}

}  // namespace

double VersionNumber(const QString& text) {
    static const QRegularExpression leading(QStringLiteral("^\\s*[+-]?(\\d+(\\.\\d*)?|\\.\\d+)"));
    const auto m = leading.match(text);
    return m.hasMatch() ? m.captured(0).trimmed().toDouble() : 0.0;
}

Preferences LoadPreferences(profile::ProfileAccess& profile, const QString& file) {
    profile::ProfileOperation op(profile);
    Preferences p = ReadValues(profile, file);
    if (VersionNumber(p.AppVersion) < 2.0) {
        p.AppVersion = prefs::CurrentVersion;
        try {
            profile.write(file, prefs::Section, prefs::Version, prefs::CurrentVersion);
        } catch (const profile::WriteError&) {
            // A preferences file that cannot be written only keeps its old version mark.
        }
    }
    return p;
}

QString PortDevice(profile::ProfileAccess& profile, const QString& file, int com) {
    const QString device = profile.read(file, prefs::PortsSection, ComKey(com));
    return device.isEmpty() ? QStringLiteral("/dev/ttyS%1").arg(com - 1) : device;
}

SetupSettings ReadSetup(profile::ProfileAccess& profile, const QString& file) {
    profile::ProfileOperation op(profile);
    auto read = [&](const QString& key) { return profile.read(file, prefs::Section, key); };
    const Preferences p = ReadValues(profile, file);
    SetupSettings s;
    s.NameField = p.NameField, s.Show = p.Show, s.UsePrefix = p.UsePrefix, s.PrefixSprt = p.PrefixSprt;
    s.Phone1Prefix = p.Phone1Prefix, s.Phone2Prefix = p.Phone2Prefix, s.FaxPrefix = p.FaxPrefix;
    s.EMailPrefix = p.EMailPrefix, s.CopyFlags = p.CopyFlags;
    s.CommPort = Byte(read(QStringLiteral("CommPort")));
    s.DialSystem = read(QStringLiteral("DialSystem"));
    s.Tips = TipsChecked(profile, file);
    for (int com = 1; com <= kComPortCount; ++com) s.PortDevices[com - 1] = PortDevice(profile, file, com);
    s.DialVia = read(prefs::DialVia);
    s.DialCommand = read(prefs::DialCommand);
    s.AutoBackup = ReadAutoBackup(profile, file);
    s.AutoSync = ReadAutoSync(profile, file);
    s.BackupPath = BackupFolder(profile, file);
    return s;
}

void WriteSetup(profile::ProfileAccess& profile, const QString& file, const SetupSettings& s) {
    profile::ProfileOperation op(profile);
    std::array<QString, kComPortCount> devices;
    for (int com = 1; com <= kComPortCount; ++com) devices[com - 1] = PortDevice(profile, file, com);
    const QString storedVia = profile.read(file, prefs::Section, prefs::DialVia);
    const QString storedCommand = profile.read(file, prefs::Section, prefs::DialCommand);
    const AutoBackupSettings autoBackup = ReadAutoBackup(profile, file);
    const AutoSyncSettings autoSync = ReadAutoSync(profile, file);
    const QString backupPath = BackupFolder(profile, file);
    profile::ProfileBulk bulk(profile);
    auto write = [&](const QString& key, const QString& value) { profile.write(file, prefs::Section, key, value); };
    write(QStringLiteral("Show"), Plain(s.Show));
    write(QStringLiteral("NameField"), Plain(s.NameField));
    write(QStringLiteral("UsePrefix"), Plain(s.UsePrefix ? 1 : 0));
    write(QStringLiteral("PrefixSprt"), Spaced(s.PrefixSprt));
    write(QStringLiteral("Phone1Prefix"), s.Phone1Prefix);
    write(QStringLiteral("Phone2Prefix"), s.Phone2Prefix);
    write(QStringLiteral("FaxPrefix"), s.FaxPrefix);
    write(QStringLiteral("EMailPrefix"), s.EMailPrefix);
    const auto keys = CopyKeys();
    for (int i = 0; i < kCopyFlagCount; ++i) write(keys[i], Spaced(s.CopyFlags[i]));
    write(QStringLiteral("CommPort"), Plain(s.CommPort));
    write(QStringLiteral("DialSystem"), s.DialSystem);
    write(prefs::Tips, Plain(s.Tips ? 1 : 0));
    // How to dial is written only once it is chosen, so a file the user never set it in keeps the sibling's keys.
    if (s.DialVia != storedVia) write(prefs::DialVia, s.DialVia);
    if (s.DialCommand != storedCommand) write(prefs::DialCommand, s.DialCommand);
    // The section of the ports appears only once a port leads elsewhere.
    for (int com = 1; com <= kComPortCount; ++com)
        if (s.PortDevices[com - 1] != devices[com - 1])
            profile.write(file, prefs::PortsSection, ComKey(com), s.PortDevices[com - 1]);
    if (!(s.AutoBackup == autoBackup)) {
        profile.write(file, prefs::DataFilesSection, prefs::AutoBackup, Plain(static_cast<int>(s.AutoBackup.When)));
        profile.write(file, prefs::DataFilesSection, prefs::AutoBackupKeep, Plain(s.AutoBackup.Keep));
    }
    // The section of the sync appears only once an automatic sync is chosen.
    if (!(s.AutoSync == autoSync)) {
        profile.write(file, kSyncSection, QStringLiteral("AtStart"), Plain(s.AutoSync.AtStart ? 1 : 0));
        profile.write(file, kSyncSection, QStringLiteral("AtExit"), Plain(s.AutoSync.AtExit ? 1 : 0));
        profile.write(file, kSyncSection, QStringLiteral("EveryMinutes"), Plain(s.AutoSync.EveryMinutes));
    }
    // Like the ports: the default folder stays unwritten until another one is chosen.
    const QString chosenPath = s.BackupPath.trimmed();
    if (!chosenPath.isEmpty() && chosenPath != backupPath && chosenPath + u'/' != backupPath)
        profile.write(file, prefs::DataFilesSection, prefs::BackupPath,
                      chosenPath.endsWith(u'/') ? chosenPath : chosenPath + u'/');
    bulk.finish();
}

bool TipsWanted(profile::ProfileAccess& profile, const QString& file) {
    return profile.read(file, prefs::Section, prefs::Tips).trimmed().compare(u"0", Qt::CaseInsensitive) != 0;
}

bool TipsChecked(profile::ProfileAccess& profile, const QString& file) {
    return store::LeadingNumber(profile.read(file, prefs::Section, prefs::Tips)) != 0;
}

void WriteTips(profile::ProfileAccess& profile, const QString& file, bool checked) {
    profile.write(file, prefs::Section, prefs::Tips, checked ? QStringLiteral("1") : QStringLiteral("0"));
}

AutoSyncSettings ReadAutoSync(profile::ProfileAccess& profile, const QString& file) {
    const auto number = [&](const char* key) {
        return store::LeadingNumber(profile.read(file, kSyncSection, QString::fromLatin1(key)));
    };
    AutoSyncSettings a;
    a.AtStart = number("AtStart") == 1;
    a.AtExit = number("AtExit") == 1;
    const std::int64_t every = number("EveryMinutes");
    if (every >= kMinSyncMinutes && every <= kMaxSyncMinutes) a.EveryMinutes = int(every);
    return a;
}

AutoBackupSettings ReadAutoBackup(profile::ProfileAccess& profile, const QString& file) {
    AutoBackupSettings a;
    const std::int64_t when = store::LeadingNumber(profile.read(file, prefs::DataFilesSection, prefs::AutoBackup));
    if (when >= 0 && when <= static_cast<int>(AutoBackupWhen::Daily)) a.When = static_cast<AutoBackupWhen>(when);
    const std::int64_t keep = store::LeadingNumber(profile.read(file, prefs::DataFilesSection, prefs::AutoBackupKeep));
    if (keep >= 1 && keep <= kMaxBackupsKept) a.Keep = static_cast<int>(keep);
    return a;
}

QString BackupFolder(profile::ProfileAccess& profile, const QString& file) {
    QString folder = profile.read(file, prefs::DataFilesSection, prefs::BackupPath).trimmed();
    if (folder.isEmpty()) folder = QDir::homePath() + QStringLiteral("/TessalyBackup");
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

}  // namespace tessaly::shell
