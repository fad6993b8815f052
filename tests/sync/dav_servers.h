#pragma once
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

class QCoreApplication;

namespace tessaly::testing {

// The QCoreApplication that Qt's network classes need, made on first use when the test has none.
QCoreApplication& testApplication();

// A CardDAV server on 127.0.0.1, on a free port, in a temporary folder, for the length of a test.
// Radicale (htpasswd, plain passwords), Xandikos (no authentication: the credentials are never asked
// for), or tests/sync/fake_dav_server.py, which a test scripts through POST /_control (see that file).
class TestDavServer {
public:
    enum class Kind { Radicale, Xandikos, Fake };
    // Started and answering, with one empty address book for user "alice" (password "secret"); fails the
    // test (ADD_FAILURE + nullptr) when the server cannot start.
    static std::unique_ptr<TestDavServer> start(Kind kind);
    // The fake server over https with this certificate and key (PEM files); the other calls as above.
    static std::unique_ptr<TestDavServer> startFakeTls(const QString& certificateFile, const QString& keyFile);
    ~TestDavServer();             // stops the server, removes the folder
    QUrl rootUrl() const;         // http://127.0.0.1:PORT/ (https for startFakeTls)
    QUrl addressBookUrl() const;  // the address book made at start
    QString user() const { return QStringLiteral("alice"); }
    QString password() const { return QStringLiteral("secret"); }
    // Radicale's folder of the address book: contacts written there as .vcf files are served as they are
    // (the benchmark fills a large address book this way, far faster than by PUT).
    QString radicaleBookFolder() const;
    void stop();     // kill (SIGKILL)
    void restart();  // kill and start again on the same port and folder
    // A request as another client (a phone) makes it, with the account's credentials: status, headers
    // (names in lower case), body. Status 0 when no answer came.
    struct Reply {
        int status = 0;
        QByteArray body;
        QMap<QByteArray, QByteArray> headers;
    };
    Reply request(const QByteArray& method, const QUrl& url, const QByteArray& body = {},
                  const QList<QPair<QByteArray, QByteArray>>& headers = {});

private:
    explicit TestDavServer(Kind kind);
    bool launch();

    Kind kind_;
    QStringList tlsFiles_;  // certificate and key, for the fake server over https
    QTemporaryDir folder_;
    quint16 port_ = 0;
    int portLock_ = -1;  // the port's lock file, held while the server lives
    QProcess process_;
};

// A phone's edit of a vCard: each text replaced in its properties but never in its UID or REV, where a
// time of day can hold "111" as well as a phone number can.
QByteArray EditedVCard(QByteArray vcard, const QList<QPair<QByteArray, QByteArray>>& replace);

}  // namespace tessaly::testing
