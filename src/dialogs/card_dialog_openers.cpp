#include "dialog_openers.h"
#include "edit_dialog.h"
#include "new_dialog.h"

#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/window_opener.h"

#include <QPushButton>

namespace tessaly::dialogs {

namespace {

// The dialog of this kind that is open, or a new one.
template <class Dialog>
Dialog& Prepared(shell::AppContext& context) {
    shell::SetMainStatusText(0, QString());
    Dialog* dialog = Dialog::Current();
    return dialog ? *dialog : *new Dialog(context);
}

void ShowBesideMain(shell::AppContext& context, CardForm& dialog) {
    dialog.BtnOK->setEnabled(!context.InUse);
    shell::OpenOverMain(&dialog, shell::Placement::TopRight);
    dialog.TxtBox[0]->setFocus();
}

}  // namespace

void OpenNewDialog(shell::AppContext& context) {
    NewDialog& dialog = Prepared<NewDialog>(context);
    dialog.setWindowTitle(QStringLiteral("New Name"));
    dialog.ShowPlaceholders();
    ShowBesideMain(context, dialog);
}

void OpenDuplicateDialog(shell::AppContext& context, const shell::SelectedCard& selected) {
    if (!selected.IsCard()) return;
    NewDialog& dialog = Prepared<NewDialog>(context);
    dialog.SetBoxTexts(selected.card);
    dialog.setWindowTitle(QStringLiteral("New Name - Duplicate"));
    ShowBesideMain(context, dialog);
}

void OpenEditDialog(shell::AppContext& context, const shell::SelectedCard& selected) {
    if (!selected.IsCard()) return;
    EditDialog& dialog = Prepared<EditDialog>(context);
    dialog.SetCard(selected);
    ShowBesideMain(context, dialog);
}

void SetCardDialogsEditState(bool inUse) {
    if (NewDialog* dialog = NewDialog::Current()) dialog->BtnOK->setEnabled(!inUse);
    if (EditDialog* dialog = EditDialog::Current()) dialog->BtnOK->setEnabled(!inUse);
}

}  // namespace tessaly::dialogs
