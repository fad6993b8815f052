#include "edit_dialog.h"

#include "change_guard.h"

#include "shell/shared_data.h"

#include <QPointer>

namespace tessaly::dialogs {

using shell::Shared;

namespace {

QPointer<EditDialog>& Slot() {
    static QPointer<EditDialog> current;
    return current;
}

}  // namespace

EditDialog::EditDialog() : CardForm(QStringLiteral("EditDialog"), QStringLiteral("Edit Name")) { Slot() = this; }

EditDialog* EditDialog::Current() { return Slot(); }

void EditDialog::BtnOK_Click() {
    const shell::InUseCheckPause pause;
    const store::CardFieldList typed = BoxTexts();
    if (RefusedAsEmpty(typed)) return;
    shell::SharedData& s = Shared();
    const QString n = s.CurrentRecNo;
    bool moved = false;
    // The line to take out of the main list is where the card stands in it.
    const bool changed = RunBehindWaitWindow(
        QStringLiteral("Please wait while setting record"),
        [&] { moved = s.Store->ChangeCard(n, s.CardFields, typed); },
        QStringLiteral("The card may be only partly changed; the list shows what the data file holds."));
    if (changed && moved) s.CurrentIndex = std::max(s.Store->ListPosition(n), 0);
    if (s.RefreshMain) s.RefreshMain();
}

}  // namespace tessaly::dialogs
