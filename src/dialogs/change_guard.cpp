#include "change_guard.h"

#include "shell/msg_box.h"
#include "shell/shared_data.h"

#include <QWidget>

namespace tessaly::dialogs {

using shell::Shared;

namespace {
// The lists read again from the file, so the window shows what it holds.
void ShowFileAsItIs() {
    store::CardStore& store = *Shared().Store;
    try {
        store.LoadLists();
    } catch (const profile::FileError&) {
        // Whatever could be read stays listed; changes stay refused until the file is whole.
    }
    store.FillList();
}
}  // namespace

bool RunChange(const std::function<void()>& change, const QString& consequence) {
    try {
        change();
        return true;
    } catch (const store::InUseError& error) {
        shell::ReportWriteFailure(error, consequence);
        return false;
    } catch (const store::ChangeRefused& error) {
        // The card went or moved under another program's change.
        shell::ReportWriteFailure(error, consequence);
        ShowFileAsItIs();
        return false;
    } catch (const profile::FileError& error) {
        shell::ReportWriteFailure(error, consequence);
        ShowFileAsItIs();
        return false;
    }
}

bool HasSelectedCard() {
    const store::CardStore* s = Shared().Store.get();
    return s && s->ShownCount() > 0 && !Shared().CurrentRecNo.isEmpty();
}

void RaiseMain(bool enable) {
    QWidget* main = Shared().MainWindow;
    if (!main) return;
    main->raise();
    if (enable) main->setEnabled(true);
}

}  // namespace tessaly::dialogs
