#pragma once
#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;
class QLocalSocket;

namespace tessaly::app {

// One running copy per user and preferences file: a second start asks the
// running copy to bring its main window to the front, then ends. A start with
// a tel: link hands the link on, and the running copy opens Dial on its number.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& preferencesFile, QObject* parent = nullptr);
    // The tel: link this start was given (already found sound); a running copy is
    // handed it, else this copy takes it once started (TakeLink).
    static void SetLink(const QString& link);
    static QString TakeLink();
    // What the running copy does with a number from a link (by default, Dial on it).
    static void SetNumberHandler(std::function<void(const QString&)> handler);

    // True when another copy answered; it has been asked to come to the front
    // (and given the link, if any).
    bool ActivateRunningCopy();
    // Listens for later starts; each one raises the window given.
    void Listen(QWidget* mainWindow);
    // The local socket's name, one per user and preferences file.
    const QString& Name() const { return name_; }

private:
    void Read(QLocalSocket* socket, QWidget* mainWindow);

    QString name_;
    QLocalServer* server_ = nullptr;
};

}  // namespace tessaly::app
