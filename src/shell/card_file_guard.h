#pragma once
#include <QString>

namespace tessaly::profile {
class ProfileAccess;
}

namespace tessaly::shell {

// The use count "NoOfUses" in the card file's header, shared with the sibling
// program: each adds 1 when it opens the file and takes 1 off when it closes it.
// This program also records its process beside the change lock (use_record.h),
// so that a count left by a run of it that died can be taken back. These
// throw profile::WriteError; the count and the record change under the change lock.
void RegisterUse(profile::ProfileAccess& profile, const QString& dataFile);
// True when somebody else has the file open too (a count of 2 or more).
bool CheckInUse(profile::ProfileAccess& profile, const QString& dataFile);
// Counting off at the end of the program; a count of 0 becomes -1, which the next start treats as 0.
void CountOff(profile::ProfileAccess& profile, const QString& dataFile);
// At start-up: the counts of recorded runs of this program that have ended (a
// kill, a crash, a power cut) are taken off, one each, never below 0; counts
// without a record may be the sibling program's and stay. Returns how many.
int TakeBackEndedUses(profile::ProfileAccess& profile, const QString& dataFile);
// The user is sure that nobody else uses the file: this program is its only user.
void RecoverFromCrash(profile::ProfileAccess& profile, const QString& dataFile);

// Names the card file's folder in the preferences ("TeslyDataPath").
void NameDataFolder(profile::ProfileAccess& profile, const QString& preferencesFile, const QString& dataDir);
// Makes the folder for a new card file, names it in the preferences and writes
// an empty header. Throws profile::FileError naming the file that could not be
// made. The caller makes sure no card file is there yet.
void CreateNewDataFile(profile::ProfileAccess& profile, const QString& preferencesFile, const QString& newDataDir);

}  // namespace tessaly::shell
