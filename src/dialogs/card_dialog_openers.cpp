#include "dialog_openers.h"
#include "edit_dialog.h"
#include "new_dialog.h"

#include "shell/shared_data.h"
#include "shell/window_opener.h"

#include <QPushButton>

namespace tessaly::dialogs {

using shell::Shared;

namespace {

// The dialog of this kind that is open, or a new one.
template <class Dialog>
Dialog& Prepared() {
    Shared().SetStatusText(0, QString());
    Dialog* dialog = Dialog::Current();
    return dialog ? *dialog : *new Dialog;
}

void ShowBesideMain(CardForm& dialog) {
    dialog.BtnOK->setEnabled(!Shared().InUse);
    shell::OpenOverMain(&dialog, shell::Placement::TopRight);
    dialog.TxtBox[0]->setFocus();
}

}  // namespace

void OpenNewDialog() {
    NewDialog& dialog = Prepared<NewDialog>();
    dialog.setWindowTitle(QStringLiteral("New Name"));
    dialog.ShowPlaceholders();
    ShowBesideMain(dialog);
}

void OpenDuplicateDialog() {
    if (!Shared().HasSelectedCard()) return;
    NewDialog& dialog = Prepared<NewDialog>();
    dialog.SetBoxTexts(Shared().CardFields);
    dialog.setWindowTitle(QStringLiteral("New Name - Duplicate"));
    ShowBesideMain(dialog);
}

void OpenEditDialog() {
    if (!Shared().HasSelectedCard()) return;
    EditDialog& dialog = Prepared<EditDialog>();
    dialog.SetBoxTexts(Shared().CardFields);
    ShowBesideMain(dialog);
}

void SetCardDialogsEditState(bool inUse) {
    if (NewDialog* dialog = NewDialog::Current()) dialog->BtnOK->setEnabled(!inUse);
    if (EditDialog* dialog = EditDialog::Current()) dialog->BtnOK->setEnabled(!inUse);
}

}  // namespace tessaly::dialogs
