#pragma once
#include "shell/selected_card.h"

namespace tessaly::shell {
struct AppContext;
}

namespace tessaly::dialogs {

// The main window's commands that open the card dialogs. Each places its
// dialog by the top-right rule beside the main window, shows it not modal and
// disables the main window; the dialog enables it again when it closes. The
// dialogs that work on a card are handed the one the main window selected;
// with none selected they do not open.
void OpenNewDialog(shell::AppContext& context);
void OpenDuplicateDialog(shell::AppContext& context, const shell::SelectedCard& selected);
void OpenEditDialog(shell::AppContext& context, const shell::SelectedCard& selected);
void OpenDeleteDialog(shell::AppContext& context, const shell::SelectedCard& selected);

// Deleting the selected card at once, with the wait window.
void DeleteNoConfirm(shell::AppContext& context, const shell::SelectedCard& selected);
// Opens the deleted-cards window, filled and sorted.
void LoadDeletedList(shell::AppContext& context);

// The OK buttons of the open New, Edit and Delete dialogs and the Restore
// button follow the card file's use by another program.
void SetDialogsEditState(bool inUse);
// The New and Edit dialogs' share of it.
void SetCardDialogsEditState(bool inUse);

}  // namespace tessaly::dialogs
