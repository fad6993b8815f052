#include "app_paths.h"

#include "profile/profile_access.h"

#include <QDir>
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

QString ExpandHome(const QString& path) {
    if (path == u"~") return QDir::homePath();
    if (path.startsWith(QStringLiteral("~/"))) return QDir::homePath() + path.mid(1);
    return path;
}

QString PreferredDataDir(profile::ProfileAccess& profile) {
    const QString named =
        profile.read(PreferencesFile(), QStringLiteral("Data Files"), QStringLiteral("TeslyDataPath"));
    return WithTrailingSlash(ExpandHome(named));
}

}  // namespace tessaly::store
