#pragma once
#include <QString>

namespace tessaly::profile {
class ProfileAccess;
}

namespace tessaly::store {

// The preferences file: ostrel.ini in the user's configuration folder for "Tessaly".
QString PreferencesFile();
// The folder where a new card file is made: teslydat/ in the user's data folder for "Tessaly".
QString NewDataDir();
// The card file's folder as the preferences name it ("TeslyDataPath" of "Data Files"),
// with "~" expanded, ending in '/', or empty when unset.
QString PreferredDataDir(profile::ProfileAccess& profile);
// "~" and "~/…" name the user's home folder, as in a shell.
QString ExpandHome(const QString& path);
// A folder path with the trailing '/' that the card file names rely on.
QString WithTrailingSlash(const QString& dir);

}  // namespace tessaly::store
