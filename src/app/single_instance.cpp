#include "single_instance.h"

#include "startup.h"

#include "dial/tel_link.h"
#include "mainwin/main_dialog.h"
#include "shell/window_opener.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QWidget>

namespace tessaly::app {

namespace {
const QString kTitle = QStringLiteral("Tessaly for Windows, Version 2.0");
// A request is one short line; a peer that sends more without a line end is dropped.
constexpr qint64 kMaxRequest = 1024;

QString& Link() {
    static QString link;
    return link;
}

std::function<void(const QString&)>& NumberHandler() {
    static std::function<void(const QString&)> handler = [](const QString& number) {
        if (mainwin::MainDialog* main = TheMainDialog()) main->DialFromLink(number);
    };
    return handler;
}

// Before the main window is ready (a question at start-up) the question comes forward.
void BringForward(QWidget* window) {
    QWidget* front = window->isVisible() ? window : QApplication::activeModalWidget();
    if (!front) return;
    if (front == window) window->showNormal();
    front->raise();
    front->activateWindow();
    // A window open over the main window stays in front of it.
    if (QWidget* over = shell::OpenWindowOverMain(); over && front == window) {
        over->raise();
        over->activateWindow();
    }
}
}  // namespace

SingleInstance::SingleInstance(const QString& preferencesFile, QObject* parent) : QObject(parent) {
    const QByteArray key = (kTitle + u'\n' + qEnvironmentVariable("USER") + u'\n' + preferencesFile).toUtf8();
    name_ = QStringLiteral("tessaly-") +
            QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
}

void SingleInstance::SetLink(const QString& link) {
    Link() = link;
}

QString SingleInstance::TakeLink() {
    return std::exchange(Link(), QString());
}

void SingleInstance::SetNumberHandler(std::function<void(const QString&)> handler) {
    NumberHandler() = std::move(handler);
}

bool SingleInstance::ActivateRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(500)) return false;
    const QString link = TakeLink();
    socket.write(link.isEmpty() ? QByteArray("activate\n") : "dial " + link.toUtf8() + '\n');
    socket.waitForBytesWritten(500);
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::Listen(QWidget* mainWindow) {
    server_ = new QLocalServer(this);
    // A socket left behind by a copy that crashed would refuse the name.
    if (!server_->listen(name_)) {
        QLocalServer::removeServer(name_);
        server_->listen(name_);
    }
    QPointer<QWidget> window(mainWindow);
    connect(server_, &QLocalServer::newConnection, this, [this, window] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket, window] { Read(socket, window); });
            Read(socket, window);
        }
    });
}

void SingleInstance::Read(QLocalSocket* socket, QWidget* mainWindow) {
    while (socket->canReadLine()) {
        const QString request = QString::fromUtf8(socket->readLine(kMaxRequest)).trimmed();
        if (!mainWindow) continue;
        BringForward(mainWindow);
        if (!request.startsWith(u"dial ")) continue;
        // The link is checked again here: whatever connects, nothing unsound is dialed.
        const dial::TelLink link = dial::ParseTelLink(request.mid(5));
        if (!link.ok()) continue;
        // Start-up is still running: the link waits for its end, as a first start's own does.
        if (!mainWindow->isVisible())
            Link() = request.mid(5);
        else
            QMetaObject::invokeMethod(
                this, [number = link.number] { NumberHandler()(number); }, Qt::QueuedConnection);
    }
    if (socket->bytesAvailable() > kMaxRequest) socket->abort();
}

}  // namespace tessaly::app
