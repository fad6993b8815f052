#include "auto_backup.h"

#include "app_context.h"
#include "main_window_link.h"
#include "msg_box.h"
#include "preferences.h"

#include "backup/backup_rotation.h"

#include <QTimer>

namespace tessaly::shell {

namespace {

constexpr int kHourMs = 60 * 60 * 1000;
// The program counts itself in the card file's use count while it runs.
constexpr int kOwnUses = 1;

AutoBackupSettings Wanted(AppContext& context) {
    return ReadAutoBackup(context.Profile, context.PreferencesFile);
}

// Nothing is made (and nothing said) while another program holds the card file.
store::AutoBackupResult MakeOne(AppContext& context, const AutoBackupSettings& settings) {
    if (context.InUse) return {store::AutoBackupOutcome::InUse, {}, {}, {}};
    return store::MakeAutoBackup(context.DataDir, BackupFolder(context.Profile, context.PreferencesFile), settings.Keep,
                                 kOwnUses, QDateTime::currentDateTime());
}

bool DueToday(AppContext& context) {
    return store::DailyBackupDue(BackupFolder(context.Profile, context.PreferencesFile), context.DataDir,
                                 QDateTime::currentDateTime());
}

QString FailureText(const store::AutoBackupResult& r) {
    return QStringLiteral("The automatic backup failed: %1").arg(r.message);
}

// The in-use check is paused while a change, a search or a restore runs: no backup then.
bool Idle() {
    const QTimer* check = MainWindowLink::Current() ? MainWindowLink::Current()->inUseTimer() : nullptr;
    return check && check->isActive();
}

void DailyStep(AppContext& context) {
    if (context.DataFile.isEmpty() || !Idle() || Wanted(context).When != AutoBackupWhen::Daily || !DueToday(context))
        return;
    const store::AutoBackupResult r = MakeOne(context, Wanted(context));
    if (r.outcome == store::AutoBackupOutcome::NotReady || r.outcome == store::AutoBackupOutcome::Failed)
        SetMainStatusText(0, FailureText(r));
}

}  // namespace

void AutoBackupOnExit(AppContext& context) {
    if (context.DataFile.isEmpty()) return;
    const AutoBackupSettings settings = Wanted(context);
    if (settings.When == AutoBackupWhen::Off || (settings.When == AutoBackupWhen::Daily && !DueToday(context))) return;
    const store::AutoBackupResult r = MakeOne(context, settings);
    if (r.outcome == store::AutoBackupOutcome::NotReady || r.outcome == store::AutoBackupOutcome::Failed)
        SingleTextBox().ShowMsg(FailureText(r), 0, QStringLiteral("OK"), QString(), icon::Exclamation,
                                QStringLiteral("Automatic backup"));
}

void StartDailyBackups(AppContext& context, QObject* owner) {
    auto* timer = new QTimer(owner);
    timer->setObjectName(QStringLiteral("DailyBackupTimer"));
    timer->setInterval(kHourMs);
    QObject::connect(timer, &QTimer::timeout, owner, [&context] { DailyStep(context); });
    timer->start();
    DailyStep(context);
}

}  // namespace tessaly::shell
