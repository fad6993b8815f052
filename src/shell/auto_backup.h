#pragma once

class QObject;

namespace tessaly::shell {

struct AppContext;

// Automatic backups as the preferences ask for them ("AutoBackup" of "Data
// Files"): each makes a dated subfolder of the backup folder and keeps the
// newest "AutoBackupKeep". None is made while another program has the card file.

// At the end of the program, before it counts itself off the card file: "on
// exit" always, "daily" when none was made today. A failure is shown in a
// message window; the program ends all the same.
void AutoBackupOnExit(AppContext& context);

// "Daily": at once (the program has started and counted itself in) and then
// every hour while the program runs and no change is under way, a backup when
// none was made today. A failure is shown on the status bar.
void StartDailyBackups(AppContext& context, QObject* owner);

}  // namespace tessaly::shell
