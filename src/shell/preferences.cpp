#include "preferences.h"

#include "profile/profile_access.h"
#include "store/card_layout.h"

#include <QDir>
#include <QRegularExpression>

namespace tessaly::shell {

namespace {

// A hand-edited number outside the 8-bit range reads as the default 0.
std::uint8_t Byte(const QString& text) {
    const std::int64_t n = store::LeadingNumber(text);
    return (n >= 0 && n <= 255) ? static_cast<std::uint8_t>(n) : 0;
}

}  // namespace

double VersionNumber(const QString& text) {
    static const QRegularExpression leading(QStringLiteral("^\\s*[+-]?(\\d+(\\.\\d*)?|\\.\\d+)"));
    const auto m = leading.match(text);
    return m.hasMatch() ? m.captured(0).trimmed().toDouble() : 0.0;
}

Preferences LoadPreferences(profile::ProfileAccess& profile, const QString& file) {
    profile::ProfileOperation op(profile);
    auto read = [&](const QString& key) { return profile.read(file, prefs::Section, key); };
    Preferences p;
    p.AppVersion = read(prefs::Version);
    if (VersionNumber(p.AppVersion) < 2.0) {
        p.AppVersion = prefs::CurrentVersion;
        try {
            profile.write(file, prefs::Section, prefs::Version, prefs::CurrentVersion);
        } catch (const profile::WriteError&) {
            // A preferences file that cannot be written only keeps its old version mark.
        }
    }
    p.NameField = Byte(read(QStringLiteral("NameField")));
    p.Show = Byte(read(QStringLiteral("Show")));
    p.UsePrefix = store::LeadingNumber(read(QStringLiteral("UsePrefix"))) != 0;
    p.PrefixSprt = Byte(read(QStringLiteral("PrefixSprt")));
    p.Phone1Prefix = read(QStringLiteral("Phone1Prefix"));
    p.Phone2Prefix = read(QStringLiteral("Phone2Prefix"));
    p.FaxPrefix = read(QStringLiteral("FaxPrefix"));
    p.EMailPrefix = read(QStringLiteral("EMailPrefix"));
    p.CopyKeys = {QStringLiteral("CopyName"),   QStringLiteral("CopyTitle"),  QStringLiteral("CopyCompany"),
                  QStringLiteral("CopyAddress"), QStringLiteral("CopyPhone1"), QStringLiteral("CopyPhone2"),
                  QStringLiteral("CopyFax"),     QStringLiteral("CopyEMail")};
    for (int i = 0; i < kCopyFlagCount; ++i) p.CopyFlags[i] = store::Count16(read(p.CopyKeys[i]));
    return p;
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

QString BackupFolder(profile::ProfileAccess& profile, const QString& file) {
    QString folder = profile.read(file, prefs::DataFilesSection, prefs::BackupPath).trimmed();
    if (folder.isEmpty()) folder = QDir::homePath() + QStringLiteral("/TessalyBackup");
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

}  // namespace tessaly::shell
