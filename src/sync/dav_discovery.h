#pragma once
#include <QList>
#include <QString>
#include <QUrl>

namespace tessaly::sync {

class DavSession;

struct AddressBookInfo {
    QUrl url;
    QString displayName;
};

// The address books of the session's account, found from the address the user typed: that address
// itself when it is an address book; otherwise its current-user-principal (or that of
// /.well-known/carddav, RFC 6764), the principal's addressbook-home-set and the address books in it.
// Throws RemoteError (NotFound when there is none).
QList<AddressBookInfo> discoverAddressBooks(DavSession& session, const QUrl& serverUrl);

}  // namespace tessaly::sync
