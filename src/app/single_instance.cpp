#include "single_instance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QWidget>

namespace tessaly::app {

namespace {
const QString kTitle = QStringLiteral("Tessaly for Windows, Version 2.0");
}

SingleInstance::SingleInstance(const QString& preferencesFile, QObject* parent) : QObject(parent) {
    const QByteArray key = (kTitle + u'\n' + qEnvironmentVariable("USER") + u'\n' + preferencesFile).toUtf8();
    name_ = QStringLiteral("tessaly-") + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
}

bool SingleInstance::ActivateRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(500)) return false;
    socket.write("activate\n");
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
            if (!window) continue;
            window->showNormal();
            window->raise();
            window->activateWindow();
        }
    });
}

}  // namespace tessaly::app
