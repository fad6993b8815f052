#include "change_guard.h"

#include "shell/msg_box.h"
#include "shell/shared_data.h"

#include <QWidget>

namespace tessaly::dialogs {

using shell::Shared;

bool RunChange(const std::function<void()>& change, const QString& consequence) {
    try {
        change();
        return true;
    } catch (const store::InUseError& error) {
        shell::ReportWriteFailure(error, consequence);
        return false;
    } catch (const profile::FileError& error) {
        shell::ReportWriteFailure(error, consequence);
        store::CardStore& store = *Shared().Store;
        store.LoadLists();
        store.FillList();
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
