#include "app_paths.h"

#include "profile/profile_access.h"

#include <QStandardPaths>

namespace tessaly::store {

QString WithTrailingSlash(const QString& dir) {
    return (dir.isEmpty() || dir.endsWith(u'/')) ? dir : dir + u'/';
}

QString PreferencesFile() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/ostrel.ini");
}

QString NewDataDir() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/teslydat/");
}

QString PreferredDataDir(profile::ProfileAccess& profile) {
    return WithTrailingSlash(profile.read(PreferencesFile(), QStringLiteral("Data Files"), QStringLiteral("TeslyDataPath")));
}

}  // namespace tessaly::store
