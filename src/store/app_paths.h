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
// ending in '/', or empty when unset.
QString PreferredDataDir(profile::ProfileAccess& profile);
// A folder path with the trailing '/' that the card file names rely on.
QString WithTrailingSlash(const QString& dir);

}  // namespace tessaly::store
