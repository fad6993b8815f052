#include "sync/dav_session.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QSslCertificate>
#include <QSslError>
#include <QTimer>
#include <memory>
#include <optional>

namespace tessaly::sync {

namespace {

bool isLoopback(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

bool sameHost(const QUrl& a, const QUrl& b) {
    return a.host().compare(b.host(), Qt::CaseInsensitive) == 0;
}

int defaultPort(const QUrl& url) {
    return url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
}

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

QString mebibytes(qint64 bytes) {
    return QString::number(bytes >> 20);
}

// How a request's wait ended.
enum class Ending { Finished, Idle, Overdue, TooLarge, Cancelled };

}  // namespace

QByteArray DavReply::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
    return {};
}

DavSession::DavSession(DavAccess access, QObject* parent)
    : QObject(parent), access_(std::move(access)), network_(new QNetworkAccessManager(this)) {}

DavSession::~DavSession() = default;

void DavSession::cancel() {
    cancelled_ = true;
    emit cancelRequested();
}

RemoteError DavSession::statusError(const DavReply& reply, const QString& what) {
    using Kind = RemoteError::Kind;
    const int status = reply.status;
    const QString code = QStringLiteral("HTTP %1").arg(status);
    switch (status) {
        case 401:
            return {
                Kind::Refused,
                QStringLiteral("The server refused the user name or password (%1) when asked to %2.").arg(code, what),
                status};
        case 403:
            return {Kind::Refused, QStringLiteral("The server does not let this account %1 (%2).").arg(what, code),
                    status};
        case 404:
        case 410:
            return {Kind::NotFound,
                    QStringLiteral("The server has nothing at %1 (%2) when asked to %3.")
                        .arg(reply.url.toDisplayString(QUrl::RemoveUserInfo), code, what),
                    status};
        case 409:
            return {Kind::Conflict,
                    QStringLiteral("The server reported a conflict (%1) when asked to %2.").arg(code, what), status};
        default:
            break;
    }
    if (status >= 500)
        return {Kind::Server, QStringLiteral("The server failed (%1) when asked to %2.").arg(code, what), status};
    return {Kind::Server,
            QStringLiteral("The server answered %1 when asked to %2, which Tessaly cannot use.").arg(code, what),
            status};
}

void DavSession::checkTransport(const QUrl& url, const QString& what) const {
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("https")) return;
    if (scheme != QLatin1String("http") || url.host().isEmpty())
        throw RemoteError(RemoteError::Kind::Unreachable,
                          QStringLiteral("Tessaly cannot %1 at \"%2\": only http:// and https:// addresses work.")
                              .arg(what, url.toDisplayString(QUrl::RemoveUserInfo)));
    if (!isLoopback(url.host()) && !access_.allowPlainHttp)
        throw RemoteError(RemoteError::Kind::Unreachable,
                          QStringLiteral("Tessaly does not send the password unencrypted to %1: use an https:// "
                                         "address, or allow plain HTTP for this server.")
                              .arg(url.host()));
}

bool DavSession::mayReceiveCredentials(const QUrl& url) const {
    const QUrl& account = access_.url;
    if (!sameHost(url, account)) return false;
    if (url.scheme() == account.scheme()) return defaultPort(url) == defaultPort(account);
    // The account's own server moved it to https: a safer way to the same host.
    return url.scheme() == QLatin1String("https") && account.scheme() == QLatin1String("http");
}

void DavSession::acceptTrustedCertificate(QNetworkReply* reply, const QList<QSslError>& errors) const {
    if (access_.trustedCertificate.isEmpty()) return;
    const QList<QSslCertificate> trusted = QSslCertificate::fromData(access_.trustedCertificate, QSsl::Pem);
    const QSslCertificate peer = reply->sslConfiguration().peerCertificate();
    if (trusted.isEmpty() || peer.isNull() || peer != trusted.first()) return;
    // Only what makes a self-signed certificate fail; an expired or revoked one still fails.
    static const QList<QSslError::SslError> selfSigned = {
        QSslError::SelfSignedCertificate,          QSslError::SelfSignedCertificateInChain,
        QSslError::CertificateUntrusted,           QSslError::UnableToGetLocalIssuerCertificate,
        QSslError::UnableToVerifyFirstCertificate, QSslError::HostNameMismatch};
    for (const QSslError& error : errors)
        if (!selfSigned.contains(error.error()) || (!error.certificate().isNull() && error.certificate() != peer))
            return;
    reply->ignoreSslErrors(errors);
}

DavReply DavSession::send(const QByteArray& method, const QUrl& url, const QByteArray& body,
                          const QList<QPair<QByteArray, QByteArray>>& headers, qint64 maxBytes, const QString& what) {
    QUrl target = url;
    for (int redirects = 0;; ++redirects) {
        DavReply reply;
        bool answeredFreshChallenge = false;
        for (int attempt = 0; attempt < 3; ++attempt) {
            reply = sendOnce(method, target, body, headers, maxBytes, what);
            if (reply.status != 401 || !mayReceiveCredentials(target) || access_.user.isEmpty()) break;
            QList<QByteArray> offers;
            for (const auto& [name, value] : reply.headers)
                if (name.compare("WWW-Authenticate", Qt::CaseInsensitive) == 0) offers += value.split('\n');
            const auto challenge = strongestChallenge(offers);
            // Credentials answering this very challenge were refused; only a stale nonce is worth a retry.
            if (!challenge || (answeredFreshChallenge && !challenge->stale)) break;
            challenge_ = challenge;
            nonceCount_ = 0;
            answeredFreshChallenge = true;
        }
        if (!isRedirect(reply.status)) return reply;
        const QByteArray location = reply.header("Location");
        const QUrl next = target.resolved(QUrl::fromEncoded(location));
        const bool sameServer = sameHost(next, target) &&
                                (next.scheme() == target.scheme() ||
                                 (target.scheme() == QLatin1String("http") && next.scheme() == QLatin1String("https")));
        if (location.isEmpty() || !next.isValid() || !sameServer)
            throw RemoteError(RemoteError::Kind::Server,
                              QStringLiteral("The server sent Tessaly elsewhere (HTTP %1 to \"%2\") when asked to %3; "
                                             "Tessaly follows only addresses on the same server.")
                                  .arg(reply.status)
                                  .arg(QString::fromUtf8(location.left(200)), what),
                              reply.status);
        if (redirects >= kMaxRedirects)
            throw RemoteError(RemoteError::Kind::Server,
                              QStringLiteral("The server redirected more than %1 times when asked to %2.")
                                  .arg(kMaxRedirects)
                                  .arg(what),
                              reply.status);
        target = next;
    }
}

DavReply DavSession::sendOnce(const QByteArray& method, const QUrl& url, const QByteArray& body,
                              const QList<QPair<QByteArray, QByteArray>>& headers, qint64 maxBytes,
                              const QString& what) {
    checkTransport(url, what);
    if (cancelled_)
        throw RemoteError(RemoteError::Kind::Cancelled, QStringLiteral("Cancelled before Tessaly could %1.").arg(what));
    QUrl target = url;
    target.setUserInfo({});  // credentials go in the Authorization header, and only when asked for
    QNetworkRequest request(target);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Tessaly/2.0"));
    for (const auto& [name, value] : headers) request.setRawHeader(name, value);
    if (challenge_ && mayReceiveCredentials(url)) {
        const QByteArray clientNonce = QByteArray::number(QRandomGenerator::system()->generate64(), 16);
        const QByteArray path = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
        request.setRawHeader("Authorization",
                             authorizationFor(*challenge_, access_.user, access_.password, method,
                                              path.isEmpty() ? "/" : path, ++nonceCount_, clientNonce));
    }

    std::unique_ptr<QNetworkReply> reply(network_->sendCustomRequest(request, method, body));
    QEventLoop loop;
    std::optional<Ending> ending;  // the first reason only: an abort still emits finished
    const auto end = [&](Ending how) {
        if (!ending) ending = how;
        loop.quit();
    };
    QTimer idle;
    idle.setSingleShot(true);
    QTimer overdue;
    overdue.setSingleShot(true);
    QByteArray data;
    const auto readSome = [&] {
        data += reply->read(maxBytes + 1 - data.size());
        if (data.size() > maxBytes) end(Ending::TooLarge);
    };
    QObject::connect(&idle, &QTimer::timeout, &loop, [&] { end(Ending::Idle); });
    QObject::connect(&overdue, &QTimer::timeout, &loop, [&] { end(Ending::Overdue); });
    QObject::connect(this, &DavSession::cancelRequested, &loop, [&] { end(Ending::Cancelled); });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, [&] { end(Ending::Finished); });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        idle.start();
        readSome();
    });
    QObject::connect(reply.get(), &QNetworkReply::uploadProgress, &idle, qOverload<>(&QTimer::start));
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        bool known = false;
        const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        if (known && announced > maxBytes) end(Ending::TooLarge);
    });
    QObject::connect(reply.get(), &QNetworkReply::sslErrors, &loop,
                     [&](const QList<QSslError>& errors) { acceptTrustedCertificate(reply.get(), errors); });
    idle.start(access_.timeoutMs);
    overdue.start(access_.totalTimeoutMs);
    if (!reply->isFinished()) loop.exec();
    if (!ending || *ending == Ending::Finished) {
        ending.reset();
        readSome();  // what is left, still within the bound
        if (!ending) ending = Ending::Finished;
    }
    QObject::disconnect(reply.get(), nullptr, &loop, nullptr);
    if (!reply->isFinished()) reply->abort();

    using Kind = RemoteError::Kind;
    const QString host = url.host();
    switch (*ending) {
        case Ending::Idle:
            throw RemoteError(Kind::Unreachable, QStringLiteral("%1 did not answer for %2 s when asked to %3.")
                                                     .arg(host)
                                                     .arg(access_.timeoutMs / 1000.0)
                                                     .arg(what));
        case Ending::Overdue:
            throw RemoteError(Kind::Unreachable, QStringLiteral("%1 took more than %2 s to %3.")
                                                     .arg(host)
                                                     .arg(access_.totalTimeoutMs / 1000.0)
                                                     .arg(what));
        case Ending::TooLarge:
            throw RemoteError(Kind::Server,
                              QStringLiteral("%1's answer when asked to %2 was larger than the %3 MiB Tessaly accepts.")
                                  .arg(host, what, mebibytes(maxBytes)));
        case Ending::Cancelled:
            throw RemoteError(Kind::Cancelled, QStringLiteral("Cancelled while Tessaly tried to %1.").arg(what));
        case Ending::Finished:
            break;
    }
    DavReply result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (result.status == 0) {
        if (reply->error() == QNetworkReply::OperationCanceledError && cancelled_)
            throw RemoteError(Kind::Cancelled, QStringLiteral("Cancelled while Tessaly tried to %1.").arg(what));
        throw RemoteError(Kind::Unreachable,
                          QStringLiteral("Could not reach %1 to %2: %3").arg(host, what, reply->errorString()));
    }
    result.body = std::move(data);
    result.headers = reply->rawHeaderPairs();
    result.url = url;
    return result;
}

}  // namespace tessaly::sync
