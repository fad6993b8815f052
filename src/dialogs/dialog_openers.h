#pragma once

namespace tessaly::dialogs {

// The main window's commands that open the card dialogs. Each places its
// dialog by the top-right rule beside the main window, shows it not modal and
// disables the main window; the dialog enables it again when it closes.
void OpenNewDialog();
void OpenDuplicateDialog();
void OpenEditDialog();
void OpenDeleteDialog();

// Deleting the selected card at once, with the wait window.
void DeleteNoConfirm();
// Opens the deleted-cards window, filled and sorted.
void LoadDeletedList();

// The OK buttons of the open New, Edit and Delete dialogs and the Restore
// button follow the card file's use by another program.
void SetDialogsEditState(bool inUse);
// The New and Edit dialogs' share of it.
void SetCardDialogsEditState(bool inUse);

}  // namespace tessaly::dialogs
