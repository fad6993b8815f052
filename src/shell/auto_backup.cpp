#include "auto_backup.h"

#include "msg_box.h"
#include "preferences.h"
#include "main_window_link.h"
#include "shared_data.h"

#include "backup/backup_rotation.h"

#include <QTimer>

namespace tessaly::shell {

namespace {

constexpr std::int16_t kExclamation = 3;
constexpr int kHourMs = 60 * 60 * 1000;
// The program counts itself in the card file's use count while it runs.
constexpr int kOwnUses = 1;

AutoBackupSettings Wanted() { return ReadAutoBackup(Shared().Profile, Shared().PreferencesFile); }

// Nothing is made (and nothing said) while another program holds the card file.
store::AutoBackupResult MakeOne(const AutoBackupSettings& settings) {
    if (Shared().InUse) return {store::AutoBackupOutcome::InUse, {}, {}, {}};
    return store::MakeAutoBackup(Shared().DataDir, BackupFolder(Shared().Profile, Shared().PreferencesFile), settings.Keep, kOwnUses,
                                 QDateTime::currentDateTime());
}

bool DueToday() {
    return store::DailyBackupDue(BackupFolder(Shared().Profile, Shared().PreferencesFile), Shared().DataDir, QDateTime::currentDateTime());
}

QString FailureText(const store::AutoBackupResult& r) { return QStringLiteral("The automatic backup failed: %1").arg(r.message); }

// The in-use check is paused while a change, a search or a restore runs: no backup then.
bool Idle() {
    const QTimer* check = Shared().Main ? Shared().Main->inUseTimer() : nullptr;
    return check && check->isActive();
}

void DailyStep() {
    if (Shared().DataFile.isEmpty() || !Idle() || Wanted().When != AutoBackupWhen::Daily || !DueToday()) return;
    const store::AutoBackupResult r = MakeOne(Wanted());
    if (r.outcome == store::AutoBackupOutcome::NotReady || r.outcome == store::AutoBackupOutcome::Failed) Shared().SetStatusText(0, FailureText(r));
}

}  // namespace

void AutoBackupOnExit() {
    if (Shared().DataFile.isEmpty()) return;
    const AutoBackupSettings settings = Wanted();
    if (settings.When == AutoBackupWhen::Off || (settings.When == AutoBackupWhen::Daily && !DueToday())) return;
    const store::AutoBackupResult r = MakeOne(settings);
    if (r.outcome == store::AutoBackupOutcome::NotReady || r.outcome == store::AutoBackupOutcome::Failed)
        SingleTextBox().ShowMsg(FailureText(r), 0, QStringLiteral("OK"), QString(), kExclamation, QStringLiteral("Automatic backup"));
}

void StartDailyBackups(QObject* owner) {
    auto* timer = new QTimer(owner);
    timer->setObjectName(QStringLiteral("DailyBackupTimer"));
    timer->setInterval(kHourMs);
    QObject::connect(timer, &QTimer::timeout, owner, &DailyStep);
    timer->start();
    DailyStep();
}

}  // namespace tessaly::shell
