// The main window's share of the sync: the menu entries, the status panel and its report, and a
// close that waits for no server.
#include "dialogs/sync_accounts_window.h"
#include "dialogs/sync_conflicts_window.h"
#include "main_dialog.h"
#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/msg_box.h"
#include "shell/preferences.h"
#include "shell/sync_runner.h"
#include "shell/window_opener.h"
#include "status_bar.h"
#include "sync_panel.h"
#include "tesly_mnu.h"

#include <QBoxLayout>
#include <QTimer>

namespace tessaly::mainwin {

void MainDialog::ConnectSync() {
    TeslyMnu& m = *menus_;
    sync_ = new shell::SyncRunner(context_, this);
    sync_->setParent(this);
    SyncStatus = new SyncPanel(StatBar);
    if (auto* layout = qobject_cast<QBoxLayout*>(StatBar->layout())) layout->addWidget(SyncStatus);
    connect(sync_, &shell::SyncRunner::StatusChanged, SyncStatus, &SyncPanel::setStatus);
    connect(sync_, &shell::SyncRunner::Progress, SyncStatus, &SyncPanel::setPercent);
    connect(sync_, &shell::SyncRunner::RunningChanged, this, [this](bool running) {
        SyncStatus->setRunning(running);
        menus_->MnuSyncNow->setEnabled(!running);
        menus_->MnuSyncCancel->setEnabled(running);
        if (!running)
            if (dialogs::SyncConflictsWindow* conflicts = dialogs::SyncConflictsWindow::Current()) conflicts->Fill();
        // A close asked for while the sync ran comes once it has ended.
        if (!running && closeAfterSync_) QTimer::singleShot(0, this, &QWidget::close);
    });
    connect(m.MnuSyncNow, &QAction::triggered, this, [this] { sync_->Run(shell::SyncRunner::Trigger::Now); });
    connect(m.MnuSyncCancel, &QAction::triggered, sync_, &shell::SyncRunner::Cancel);
    connect(m.MnuSyncAccounts, &QAction::triggered, this, [this] { dialogs::OpenSyncAccountsWindow(context_); });
    connect(m.MnuSyncConflicts, &QAction::triggered, this, [this] { dialogs::OpenSyncConflictsWindow(context_); });
    connect(SyncStatus, &SyncPanel::doubleClicked, this, &MainDialog::ShowSyncReport);
    connect(link_, &shell::MainWindowLink::syncAccountsRequested, this,
            [this] { dialogs::RunSyncAccountsWindow(context_); });
    // The automatic syncs follow Setup as it is saved: the clock looks at it each minute.
    syncClock_ = new QTimer(this);
    syncClock_->setInterval(std::chrono::minutes(1));
    connect(syncClock_, &QTimer::timeout, this, &MainDialog::SyncOnSchedule);
    syncClock_->start();
    lastAutoSync_.start();
    QTimer::singleShot(0, this, [this] {
        if (AutoSync().AtStart) sync_->Run(shell::SyncRunner::Trigger::Start);
    });
}

shell::AutoSyncSettings MainDialog::AutoSync() {
    return context_.PreferencesFile.isEmpty() ? shell::AutoSyncSettings{}
                                              : shell::ReadAutoSync(context_.Profile, context_.PreferencesFile);
}

// Every N minutes, while no window is open over the main window (its change would wait for the sync).
void MainDialog::SyncOnSchedule() {
    const int every = AutoSync().EveryMinutes;
    if (every <= 0 || exiting_ || sync_->IsRunning() || !isEnabled() || shell::OpenWindowOverMain()) return;
    if (lastAutoSync_.elapsed() < std::chrono::milliseconds(std::chrono::minutes(every)).count()) return;
    lastAutoSync_.restart();
    sync_->Run(shell::SyncRunner::Trigger::Timer);
}

// At Exit (the person's, never a logout's), once, before the program counts itself off.
void MainDialog::SyncBeforeExit() {
    if (exitSynced_ || !AutoSync().AtExit) return;
    exitSynced_ = true;
    sync_->Run(shell::SyncRunner::Trigger::Exit);
}

void MainDialog::ShowSyncReport() {
    const QString report = sync_->LastReport();
    shell::SingleTextBox().ShowMsg(report.isEmpty() ? QStringLiteral("No sync has run yet.") : report, 0,
                                   QStringLiteral("OK"), QString(), shell::icon::Information,
                                   QStringLiteral("Last sync"));
}

// A sync under way is cancelled at once (what the server took is kept); the window closes when it has
// unwound. True when the close must wait for that.
bool MainDialog::CloseWaitsForSync() {
    if (!sync_ || !sync_->IsRunning()) return false;
    closeAfterSync_ = true;
    sync_->Cancel();
    return true;
}

}  // namespace tessaly::mainwin
