#include "run_change.h"

#include "cards/card_store.h"
#include "cards/staged_card_files.h"
#include "main_window_link.h"
#include "msg_box.h"
#include "progress_windows.h"
#include "window_opener.h"

#include <QScopeGuard>
#include <QTimer>
#include <QWidget>
#include <exception>

namespace tessaly::shell {

InUseCheckPause::InUseCheckPause()
    : timer_(MainWindowLink::Current() ? MainWindowLink::Current()->inUseTimer() : nullptr) {
    if (!timer_) return;
    wasActive_ = timer_->isActive();
    timer_->stop();
}

InUseCheckPause::~InUseCheckPause() {
    if (timer_ && wasActive_) timer_->start();
}

namespace {

// The lists read again from the files, so that the main window shows what they hold.
void ShowFilesAsTheyAre(store::CardStore& store) {
    try {
        store.LoadLists();
    } catch (const std::exception&) {
        // Whatever could be read stays listed; changes stay refused until the files are whole.
    }
    store.FillList();
}

void Report(const ChangeCommand& command, const std::exception& error, const QString& consequence) {
    if (command.reportFailure)
        command.reportFailure(error);
    else
        ReportWriteFailure(error, consequence);
}

bool Attempt(store::CardStore& store, const ChangeCommand& command) {
    try {
        command.change();
        return true;
    } catch (const store::InUseError& error) {
        Report(command, error, command.consequence);
    } catch (const store::SwitchUnfinished& error) {
        // Neither done nor undone: the message says that the next opening finishes it, so no consequence is claimed.
        Report(command, error, QString());
        ShowFilesAsTheyAre(store);
    } catch (const store::ChangeRefused& error) {
        // The card went or moved under another program's change.
        Report(command, error, command.consequence);
        ShowFilesAsTheyAre(store);
    } catch (const std::exception& error) {
        // A file that failed, or anything else that stopped the change; the store put the files back.
        Report(command, error, command.consequence);
        ShowFilesAsTheyAre(store);
    }
    return false;
}

bool BehindWaitWindow(store::CardStore& store, const ChangeCommand& command) {
    const QPointer<QWidget> asking = command.asking;
    RaiseMain();
    if (asking) asking->hide();
    ShowPleaseWait(command.waitText);
    const auto back = qScopeGuard([&] {
        RaiseMain();
        if (asking) asking->close();
        PleaseWaitWindow().hide();
        // The wait window disabled the main window; no dialog is left over it to enable it again.
        if (QWidget* main = MainWindow(); main && !OpenWindowOverMain()) main->setEnabled(true);
    });
    return Attempt(store, command);
}

}  // namespace

void RefreshCardLists(store::CardStore& store, const QString& consequence) {
    const InUseCheckPause pause;
    try {
        store.RefreshLists();
    } catch (const store::InUseError& error) {
        ReportWriteFailure(error, consequence);
    } catch (const profile::FileError& error) {
        ReportWriteFailure(error, consequence);
    }
}

bool RunChange(store::CardStore& store, const ChangeCommand& command) {
    const InUseCheckPause pause;
    const bool done = BehindWaitWindow(store, command);
    RefreshMain(command.rowAfter ? command.rowAfter(done) : MainWindowLink::kSameRow);
    return done;
}

}  // namespace tessaly::shell
