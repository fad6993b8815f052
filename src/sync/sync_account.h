#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <stdexcept>

namespace tessaly::sync {

// A CardDAV account: where the server is and who the user is there. Never its password, which
// lives in the desktop's keyring (or is given each time).
struct SyncAccount {
    QString name;
    QUrl serverUrl;    // as the person gave it
    QUrl addressBook;  // the address book chosen at discovery
    QString user;
    bool allowPlainHttp = false;    // the person allowed plain HTTP to a host that is not this computer
    QByteArray trustedCertificate;  // PEM of the one self-signed certificate the person trusts
};

class AccountError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The accounts, in the program's configuration folder (mode 0600). Throws AccountError when the
// file is damaged or cannot be written.
QString AccountsFile();
QList<SyncAccount> LoadAccounts();
void SaveAccounts(const QList<SyncAccount>& accounts);
// The account of that name; empty name: the only one. Throws AccountError naming what is wrong.
SyncAccount FindAccount(const QList<SyncAccount>& accounts, const QString& name);

// The desktop's keyring (the Secret Service), asked through QtKeychain while the event loop runs.
// Nothing is ever written anywhere else: without a keyring the password is asked each time.
struct KeyringAnswer {
    enum Result { Done, NotFound, Unavailable } result = Unavailable;
    QString password;
    QString why;  // for NotFound and Unavailable
};
KeyringAnswer ReadKeyringPassword(const QString& accountName);
KeyringAnswer StoreKeyringPassword(const QString& accountName, const QString& password);
KeyringAnswer ForgetKeyringPassword(const QString& accountName);

}  // namespace tessaly::sync
