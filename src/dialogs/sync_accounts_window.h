#pragma once
#include "shell/window_opener.h"
#include "sync/sync_account.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tessaly::shell {
struct AppContext;
}
namespace tessaly::sync {
class DavSession;
}

namespace tessaly::dialogs {

// The CardDAV accounts the sync uses: the list of them, and the fields to add one. "Test connection"
// finds the address books at the address typed; only then can the account be added, with the address
// book chosen. The password goes to the desktop's keyring, or stays in memory for this run.
class SyncAccountsWindow : public QDialog, public shell::OnlyOne<SyncAccountsWindow> {
    Q_OBJECT
public:
    explicit SyncAccountsWindow(shell::AppContext& context, QWidget* parent = nullptr);

    // Reads the accounts file again; a damaged one is reported and leaves the list empty.
    void Fill();

    QTreeWidget* LstAccounts;
    QLineEdit* TxtName;
    QLineEdit* TxtServer;
    QLineEdit* TxtUser;
    QLineEdit* TxtPassword;
    QCheckBox* ChkPlainHttp;
    QPushButton* BtnTest;
    QPushButton* BtnCancel;
    QComboBox* CboAddressBook;
    QPushButton* BtnAdd;
    QPushButton* BtnRemove;
    QPushButton* BtnClose;

public slots:
    // While busy the window stays (Esc, Close and the title bar's close go through here): its code is still
    // running. A test connection is cancelled instead.
    void reject() override;

private:
    // What a test connection was made with: Add saves exactly these, never fields changed since.
    struct Tested {
        QUrl server;
        QString user;
        QString password;
        bool allowPlainHttp = false;
    };

    void BtnTest_Click();
    void BtnAdd_Click();
    void BtnRemove_Click();
    void ConnectionFields_Change();
    // The controls are off while this window's code runs an event loop of its own (a test connection, the
    // keyring); Cancel is on while a test runs.
    void SetBusy(bool busy);
    void UpdateButtons();
    Tested Typed() const;
    // The accounts as the file holds them now; none, with the reason shown, when it cannot be read (it is
    // then never written: that would lose what it holds).
    std::optional<QList<sync::SyncAccount>> CurrentAccounts(const QString& refused);
    void StorePassword(const QString& account, const QString& password);
    void Tell(const QString& text, std::int16_t icon);

    shell::AppContext& context_;
    bool busy_ = false;
    sync::DavSession* running_ = nullptr;  // the test connection under way
    Tested tested_;
    bool noKeyringTold_ = false;
};

// Opens the Sync Accounts window over the main window.
void OpenSyncAccountsWindow(shell::AppContext& context);
// The same over the window active now (Setup), modal: that window goes on once this one closes.
void RunSyncAccountsWindow(shell::AppContext& context);

}  // namespace tessaly::dialogs
