#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace tessaly::sync {

// Why a step of a sync with a server failed. The message says it in words a person understands
// ("The server refused the user name or password (HTTP 401)").
class RemoteError : public std::runtime_error {
public:
    enum class Kind {
        Unreachable,  // no connection, the connection lost, a timeout, a TLS failure
        Refused,      // 401 or 403
        NotFound,     // 404, or no address book where one was looked for
        Conflict,     // 409
        Server,       // 5xx, or an answer this client cannot use (malformed, too large, outside the collection)
        Cancelled,    // the user cancelled
    };
    RemoteError(Kind kind, const QString& message, int httpStatus = 0)
        : std::runtime_error(message.toStdString()), kind(kind), httpStatus(httpStatus) {}
    Kind kind;
    int httpStatus;
};

// A contact on the server: where it is, its version, and its vCard as the server sent it.
struct RemoteContact {
    QString href;  // the path of the resource on the server, as the server names it ("/user/book/x.vcf")
    QString etag;
    QByteArray vcard;
};

struct RemoteVersion {
    QString href;
    QString etag;
};

// What changed on the server since a sync token: every contact that is new or changed with its
// ETag, and every one removed. 'whole': the listing is every contact the address book holds (a
// first sync, a server without sync tokens, or a token the server no longer knows), so that a
// contact known before and not listed is gone.
struct RemoteChanges {
    bool whole = false;
    QList<RemoteVersion> changed;
    QStringList removed;
    QString token;  // the token to ask with next time; empty when the server gives none
};

// What became of a PUT or a DELETE made on a condition.
struct WriteOutcome {
    bool done = false;  // false: 412, the resource is not the version the condition named
    QString etag;       // the new ETag after a PUT, when the server says it (empty otherwise)
};

// One address book on a server, as the sync engine sees it. Every call blocks until the server
// has answered (running the event loop meanwhile) and throws RemoteError when it fails.
class RemoteBook {
public:
    virtual ~RemoteBook() = default;
    // Changes since 'token' (empty: the first sync, everything).
    virtual RemoteChanges changesSince(const QString& token) = 0;
    // The contacts at these hrefs; one the server no longer holds is left out.
    virtual QList<RemoteContact> fetch(const QStringList& hrefs) = 0;
    // Writes a vCard at href: with an empty 'ifMatch' only when no resource is there (a new
    // contact, If-None-Match: *), otherwise only over that version (If-Match).
    virtual WriteOutcome put(const QString& href, const QByteArray& vcard, const QString& ifMatch) = 0;
    // Removes the resource when it is still at that version (If-Match). A resource already gone counts as done.
    virtual WriteOutcome remove(const QString& href, const QString& ifMatch) = 0;
    // The href a new contact with this UID gets in this address book.
    virtual QString hrefFor(const QString& uid) const = 0;
};

}  // namespace tessaly::sync
