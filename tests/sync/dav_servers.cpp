#include "dav_servers.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <csignal>

namespace tessaly::testing {

namespace {

constexpr int kStartTimeoutMs = 20000;
constexpr int kRequestTimeoutMs = 20000;

// A free port that no other test program uses: the port is claimed by a lock file (released with the
// process at the latest) before its probe. A port the system hands to a probe could be handed to another
// test program's probe at the same moment, and that program's server would answer for ours.
quint16 claimPort(int& lock) {
    const QString folder = QDir::tempPath() + QStringLiteral("/tessaly-test-ports");
    QDir().mkpath(folder);
    for (int tries = 0; tries < 200; ++tries) {
        const auto port = quint16(20000 + QRandomGenerator::global()->bounded(10000));
        const int fd = ::open(QFile::encodeName(folder + QStringLiteral("/%1.lock").arg(port)).constData(),
                              O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) continue;
        QTcpServer probe;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && probe.listen(QHostAddress::LocalHost, port)) {
            lock = fd;
            return port;
        }
        ::close(fd);
    }
    return 0;
}

bool answers(quint16 port) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(200);
}

QByteArray readLog(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().right(4000) : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

}  // namespace

QCoreApplication& testApplication() {
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "tessaly-tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
    return *QCoreApplication::instance();
}

TestDavServer::TestDavServer(Kind kind) : kind_(kind) {
    // A server outliving a crashed test would hold its port and folder: it dies with the test.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

std::unique_ptr<TestDavServer> TestDavServer::startFakeTls(const QString& certificateFile, const QString& keyFile) {
    testApplication();
    std::unique_ptr<TestDavServer> server(new TestDavServer(Kind::Fake));
    server->tlsFiles_ = {certificateFile, keyFile};
    server->port_ = claimPort(server->portLock_);
    if (!server->folder_.isValid() || server->port_ == 0 || !server->launch()) {
        ADD_FAILURE() << "The fake server did not start over https";
        return nullptr;
    }
    return server;
}

std::unique_ptr<TestDavServer> TestDavServer::start(Kind kind) {
    testApplication();
    std::unique_ptr<TestDavServer> server(new TestDavServer(kind));
    server->port_ = claimPort(server->portLock_);
    if (!server->folder_.isValid() || server->port_ == 0) {
        ADD_FAILURE() << "No temporary folder or free port for the test server";
        return nullptr;
    }
    if (!server->launch()) return nullptr;
    if (kind == Kind::Radicale) {
        // An extended MKCOL, as a CardDAV client makes an address book.
        const Reply made = server->request(
            "MKCOL", server->addressBookUrl(),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:mkcol xmlns:D=\"DAV:\" "
            "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop><D:resourcetype><D:collection/>"
            "<C:addressbook/></D:resourcetype><D:displayname>Contacts</D:displayname></D:prop></D:set></D:mkcol>",
            {{"Content-Type", "application/xml; charset=utf-8"}});
        if (made.status != 201) {
            ADD_FAILURE() << "Radicale did not make the address book: HTTP " << made.status << " "
                          << made.body.toStdString();
            return nullptr;
        }
    }
    return server;
}

bool TestDavServer::launch() {
    const QString dir = folder_.path();
    const QString address = QStringLiteral("127.0.0.1:%1").arg(port_);
    QString program;
    QStringList arguments;
    switch (kind_) {
        case Kind::Radicale:
            if (!writeFile(dir + "/users", "alice:secret\n") ||
                !writeFile(dir + "/config", QStringLiteral("[server]\nhosts = %1\n[auth]\ntype = htpasswd\n"
                                                           "htpasswd_filename = %2/users\nhtpasswd_encryption = plain\n"
                                                           "[storage]\nfilesystem_folder = %2/collections\n"
                                                           "[logging]\nlevel = warning\n")
                                                .arg(address, dir)
                                                .toUtf8())) {
                ADD_FAILURE() << "Cannot write Radicale's configuration in " << dir.toStdString();
                return false;
            }
            program = QStringLiteral("radicale");
            arguments = {QStringLiteral("-C"), dir + "/config"};
            break;
        case Kind::Xandikos:
            program = QStringLiteral("xandikos");
            arguments = {QStringLiteral("-d"),        dir + "/data",        QStringLiteral("-p"),
                         QString::number(port_),      QStringLiteral("-l"), QStringLiteral("127.0.0.1"),
                         QStringLiteral("--defaults")};
            break;
        case Kind::Fake:
            program = QStringLiteral("/usr/bin/python3");
            arguments = {QStringLiteral(TESSALY_TESTDATA "/../sync/fake_dav_server.py"), QStringLiteral("--port"),
                         QString::number(port_), QStringLiteral("--dir"), dir};
            if (!tlsFiles_.isEmpty()) arguments << QStringLiteral("--tls") << tlsFiles_;
            break;
    }
    // Into a file, not a pipe: a pipe nobody reads would stop a talkative server once full.
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setStandardOutputFile(dir + "/server.log", QIODevice::Append);
    process_.start(program, arguments);
    if (!process_.waitForStarted(kStartTimeoutMs)) {
        ADD_FAILURE() << "Cannot start " << program.toStdString() << ": " << process_.errorString().toStdString();
        return false;
    }
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!answers(port_)) {
        if (process_.state() != QProcess::Running || deadline.hasExpired()) {
            ADD_FAILURE() << program.toStdString() << " did not answer on port " << port_ << ": "
                          << readLog(dir + "/server.log").toStdString();
            stop();
            return false;
        }
        QThread::msleep(100);
    }
    return true;
}

TestDavServer::~TestDavServer() {
    stop();
    if (portLock_ >= 0) ::close(portLock_);
}

QUrl TestDavServer::rootUrl() const {
    return QUrl(QStringLiteral("%1://127.0.0.1:%2/").arg(tlsFiles_.isEmpty() ? "http" : "https").arg(port_));
}

QUrl TestDavServer::addressBookUrl() const {
    switch (kind_) {
        case Kind::Xandikos:
            return rootUrl().resolved(QUrl(QStringLiteral("/user/contacts/addressbook/")));
        case Kind::Radicale:
        case Kind::Fake:
            break;
    }
    return rootUrl().resolved(QUrl(QStringLiteral("/alice/contacts/")));
}

QString TestDavServer::radicaleBookFolder() const {
    return folder_.path() + QStringLiteral("/collections/collection-root/alice/contacts");
}

void TestDavServer::stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(kStartTimeoutMs);
}

void TestDavServer::restart() {
    stop();
    launch();
}

TestDavServer::Reply TestDavServer::request(const QByteArray& method, const QUrl& url, const QByteArray& body,
                                            const QList<QPair<QByteArray, QByteArray>>& headers) {
    QNetworkAccessManager network;
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", "Basic " + (user() + ':' + password()).toUtf8().toBase64());
    for (const auto& [name, value] : headers) request.setRawHeader(name, value);
    QNetworkReply* reply = network.sendCustomRequest(request, method, body);
    // The phone trusts the test server's certificate, whatever it is.
    QObject::connect(reply, &QNetworkReply::sslErrors, reply, [reply] { reply->ignoreSslErrors(); });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kRequestTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    Reply result;
    if (reply->isFinished()) {
        result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        result.body = reply->readAll();
        for (const auto& [name, value] : reply->rawHeaderPairs()) result.headers[name.toLower()] = value;
    }
    reply->abort();
    delete reply;
    return result;
}

QByteArray EditedVCard(QByteArray vcard, const QList<QPair<QByteArray, QByteArray>>& replace) {
    QList<QByteArray> lines = vcard.split('\n');
    for (QByteArray& line : lines) {
        const QByteArray name = line.left(3).toUpper();
        if (name == "UID" || name == "REV") continue;
        for (const auto& [from, to] : replace) line.replace(from, to);
    }
    return lines.join('\n');
}

}  // namespace tessaly::testing
