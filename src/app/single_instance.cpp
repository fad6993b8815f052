#include "single_instance.h"

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
            // Before the main window is ready (a question at start-up) the question comes forward.
            QWidget* front = window->isVisible() ? window.data() : QApplication::activeModalWidget();
            if (!front) continue;
            if (front == window) window->showNormal();
            front->raise();
            front->activateWindow();
            // A window open over the main window stays in front of it.
            if (QWidget* over = shell::OpenWindowOverMain(); over && front == window) {
                over->raise();
                over->activateWindow();
            }
        }
    });
}

}  // namespace tessaly::app
