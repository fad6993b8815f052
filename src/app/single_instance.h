#pragma once
#include <QObject>
#include <QString>

class QLocalServer;

namespace tessaly::app {

// One running copy per user and preferences file: a second start asks the
// running copy to bring its main window to the front, then ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& preferencesFile, QObject* parent = nullptr);
    // True when another copy answered; it has been asked to come to the front.
    bool ActivateRunningCopy();
    // Listens for later starts; each one raises the window given.
    void Listen(QWidget* mainWindow);

private:
    QString name_;
    QLocalServer* server_ = nullptr;
};

}  // namespace tessaly::app
