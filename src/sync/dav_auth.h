#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace tessaly::sync {

// A server's request for credentials (WWW-Authenticate) that this client can answer.
struct DavChallenge {
    enum class Scheme { Basic, Digest };
    Scheme scheme = Scheme::Basic;
    QByteArray realm;
    QByteArray nonce;
    QByteArray opaque;
    QByteArray algorithm;  // "MD5", "SHA-256", "MD5-sess" or "SHA-256-sess"
    bool qopAuth = false;  // qop=auth offered (otherwise the old RFC 2069 digest)
    bool stale = false;    // the nonce expired, the credentials were right
};

// The strongest challenge among the WWW-Authenticate header values, which may each hold several:
// Digest with SHA-256, then Digest with MD5, then Basic. None when none can be answered.
std::optional<DavChallenge> strongestChallenge(const QList<QByteArray>& headerValues);

// The Authorization header value answering the challenge for this request. 'nonceCount' counts the
// requests made with this nonce, from 1; 'clientNonce' is random per request.
QByteArray authorizationFor(const DavChallenge& challenge, const QString& user, const QString& password,
                            const QByteArray& method, const QByteArray& requestTarget, quint32 nonceCount,
                            const QByteArray& clientNonce);

}  // namespace tessaly::sync
