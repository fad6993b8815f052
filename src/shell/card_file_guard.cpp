#include "card_file_guard.h"

#include "preferences.h"
#include "profile/profile_access.h"
#include "store/card_layout.h"
#include "store/card_store.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace tessaly::shell {

using store::header::NoOfUses;
using store::header::Section;

namespace {
std::int16_t UseCount(profile::ProfileAccess& profile, const QString& dataFile) {
    return store::Count16(profile.read(dataFile, Section, NoOfUses));
}
}  // namespace

void RegisterUse(profile::ProfileAccess& profile, const QString& dataFile) {
    profile::ProfileOperation op(profile);
    const int n = std::max<int>(0, UseCount(profile, dataFile));
    profile.write(dataFile, Section, NoOfUses, QString::number(std::min<int>(n + 1, std::numeric_limits<std::int16_t>::max())));
    op.finish();
}

bool CheckInUse(profile::ProfileAccess& profile, const QString& dataFile) {
    profile::ProfileOperation op(profile);
    return UseCount(profile, dataFile) >= 2;
}

void CountOff(profile::ProfileAccess& profile, const QString& dataFile) {
    // A card file moved or removed while the program ran is not made anew just to hold the count.
    if (!QFileInfo::exists(dataFile)) return;
    profile::ProfileOperation op(profile);
    const int n = UseCount(profile, dataFile);
    profile.write(dataFile, Section, NoOfUses, QString::number(std::max<int>(n - 1, std::numeric_limits<std::int16_t>::min())));
    op.finish();
}

void RecoverFromCrash(profile::ProfileAccess& profile, const QString& dataFile) {
    profile.write(dataFile, Section, NoOfUses, QStringLiteral("1"));
}

void NameDataFolder(profile::ProfileAccess& profile, const QString& preferencesFile, const QString& dataDir) {
    if (!QDir().mkpath(QFileInfo(preferencesFile).absolutePath()))
        throw profile::WriteError(QStringLiteral("Could not create the folder of %1").arg(preferencesFile).toStdString());
    profile.write(preferencesFile, prefs::DataFilesSection, prefs::TeslyDataPath, dataDir);
}

void CreateNewDataFile(profile::ProfileAccess& profile, const QString& preferencesFile, const QString& newDataDir) {
    if (!QDir().mkpath(newDataDir))
        throw profile::WriteError(QStringLiteral("Could not create the folder %1").arg(newDataDir).toStdString());
    NameDataFolder(profile, preferencesFile, newDataDir);
    store::WriteEmptyHeader(profile, newDataDir + store::kHeaderFileName);
}

}  // namespace tessaly::shell
