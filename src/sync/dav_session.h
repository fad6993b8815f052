#pragma once
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSslError>
#include <QString>
#include <QUrl>
#include <optional>

#include "sync/dav_auth.h"
#include "sync/remote_book.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace tessaly::sync {

// Where a CardDAV account is and how to reach it.
struct DavAccess {
    QUrl url;
    QString user;
    QString password;
    // Plain HTTP to a host that is not this machine: only when the user says so (the password would
    // travel readable).
    bool allowPlainHttp = false;
    // The PEM of the one self-signed certificate the user trusts for this server.
    QByteArray trustedCertificate;
    int timeoutMs = 30000;            // a request with no byte in either direction for this long fails
    int totalTimeoutMs = 10 * 60000;  // and one still running after this long, however slowly it moves
};

// An HTTP answer: status, headers and body, and the URL that gave it (after redirects).
struct DavReply {
    int status = 0;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    QUrl url;
    QByteArray header(const QByteArray& name) const;
};

// HTTP requests to one account, one at a time, each blocking while a local event loop runs (a window
// stays painted). Handles authentication (Basic, Digest), redirects within the server, the TLS rules,
// time-outs, size bounds and cancelling; throws RemoteError for everything but an HTTP status.
class DavSession : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kMaxListingBytes = 64LL << 20;    // a PROPFIND or REPORT answer
    static constexpr qint64 kMaxSmallReplyBytes = 1LL << 20;  // the answer to a PUT or DELETE
    static constexpr int kMaxRedirects = 5;

    explicit DavSession(DavAccess access, QObject* parent = nullptr);
    ~DavSession() override;

    // Sends the request and returns the server's answer, whatever its status (a 401 is answered with
    // the account's credentials first). 'what' names the step in error messages ("list the address
    // book"). Throws RemoteError when no usable answer comes.
    DavReply send(const QByteArray& method, const QUrl& url, const QByteArray& body,
                  const QList<QPair<QByteArray, QByteArray>>& headers, qint64 maxBytes, const QString& what);

    // The error for an answer whose status the caller cannot use.
    static RemoteError statusError(const DavReply& reply, const QString& what);

public slots:
    // Ends the request running now, and every later one, with RemoteError::Kind::Cancelled. A
    // cancelled session stays so: the next sync makes a new one.
    void cancel();

signals:
    void cancelRequested();

private:
    DavReply sendOnce(const QByteArray& method, const QUrl& url, const QByteArray& body,
                      const QList<QPair<QByteArray, QByteArray>>& headers, qint64 maxBytes, const QString& what);
    void checkTransport(const QUrl& url, const QString& what) const;
    bool mayReceiveCredentials(const QUrl& url) const;
    void acceptTrustedCertificate(QNetworkReply* reply, const QList<QSslError>& errors) const;

    DavAccess access_;
    QNetworkAccessManager* network_;
    bool cancelled_ = false;
    // How this server wants credentials, once it has asked; then sent with every request.
    std::optional<DavChallenge> challenge_;
    quint32 nonceCount_ = 0;
};

}  // namespace tessaly::sync
