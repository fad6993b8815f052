#pragma once
#include "shell/window_opener.h"
#include "sync/sync_conflicts.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace tessaly::shell {
struct AppContext;
}

namespace tessaly::dialogs {

// The fields that the sync found changed differently here and on the server, for every account: card,
// field, this side's value and the server's, each on one line; the selected one in full below. The person
// keeps one side, or for notes both; each choice is refused when the card or the conflict changed since
// the list was filled.
class SyncConflictsWindow : public QDialog, public shell::OnlyOne<SyncConflictsWindow> {
    Q_OBJECT
public:
    explicit SyncConflictsWindow(shell::AppContext& context, QWidget* parent = nullptr);

    // Reads the conflicts again.
    void Fill();

    QTreeWidget* LstConflicts;
    QPlainTextEdit* TxtDetails;
    QLabel* LblStatus;
    QPushButton* BtnKeepMine;
    QPushButton* BtnKeepServers;
    QPushButton* BtnKeepBoth;
    QPushButton* BtnClose;

private:
    void LstConflicts_Click();
    void BtnKeepMine_Click();
    void BtnKeepServers_Click();
    void BtnKeepBoth_Click();
    // The conflict of the selected row, or null.
    const sync::FieldConflict* Selected() const;
    // Runs a choice that changes the card through the one change path; true when it went through.
    bool RunCardChange(const QString& waitText, const std::function<void()>& change);
    // The list filled again on the row that was selected, and what the choice did said below it.
    void Settled(bool done, const QString& what);

    shell::AppContext& context_;
    QList<sync::FieldConflict> conflicts_;
    QString notices_;
};

// Opens the Sync Conflicts window over the main window.
void OpenSyncConflictsWindow(shell::AppContext& context);

}  // namespace tessaly::dialogs
