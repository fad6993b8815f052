#pragma once
#include "shell/window_opener.h"

#include <QDialog>

class QAction;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace tessaly::shell {
struct AppContext;
}

namespace tessaly::dialogs {

// The last changes to the card file, newest first: time, description and the cards touched;
// the one selected shows each changed field before and after. "Undo back to here" undoes in
// order down to the selected change, stopping with a message at the first one refused.
class HistoryWindow : public QDialog, public shell::OnlyOne<HistoryWindow> {
    Q_OBJECT
public:
    explicit HistoryWindow(shell::AppContext& context, QWidget* parent = nullptr);

    // Reads the history again.
    void Fill();

    QTreeWidget* LstChanges;
    QPlainTextEdit* TxtDetails;
    QPushButton* BtnUndoBack;
    QPushButton* BtnClear;
    QPushButton* BtnClose;

private:
    void LstChanges_Click();
    void BtnUndoBack_Click();
    void BtnClear_Click();

    shell::AppContext& context_;
};

// Opens the History window over the main window.
void OpenHistoryWindow(shell::AppContext& context);
// Undo and Redo of the main window's menus, through the one change path.
void UndoLatest(shell::AppContext& context);
void RedoLatest(shell::AppContext& context);
// The menu entries name what they would undo and redo, greyed when there is nothing.
void UpdateUndoEntries(shell::AppContext& context, QAction* undo, QAction* redo);

}  // namespace tessaly::dialogs
