#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

class QWidget;

namespace tessaly::sync {
class DavSession;
struct SyncAccount;
}  // namespace tessaly::sync

namespace tessaly::shell {

struct AppContext;

// The card file's sync with each account, for the windows. Every network step runs on Qt's event
// loop: the main window stays usable while a sync waits on the server, and Cancel ends it at once.
// The card file's part runs as any change (RunChange: the wait window, the lists read again), one
// entry in the history per account.
class SyncRunner : public QObject {
    Q_OBJECT
public:
    enum class Trigger { Now, Start, Exit, Timer };

    SyncRunner(AppContext& context, QWidget* mainWindow);

    // Syncs every account in turn. Asked for (Now), a missing account or password is asked about
    // or told; automatic runs pass over what they cannot do and say it in the panel only. Refused
    // while another program has the card file open, and while a sync runs already.
    void Run(Trigger trigger);
    bool IsRunning() const { return running_; }
    // Ends the sync under way at once: what the server took is kept, the rest waits for the next.
    void Cancel();

    // "Synced 12:03", "Not synced: server unreachable", "3 conflicts", or empty before any account.
    const QString& StatusText() const { return status_; }
    // What the last sync of each account did, for the person.
    const QString& LastReport() const { return report_; }

signals:
    void StatusChanged(const QString& text);
    void RunningChanged(bool running);
    // Percent of the cards the sync sends, while it sends them.
    void Progress(int percent);

private:
    // One account's sync; false when it stopped (cancelled, unreachable): the rest wait.
    bool SyncOne(const sync::SyncAccount& account, Trigger trigger);
    std::optional<QString> PasswordFor(const sync::SyncAccount& account, Trigger trigger);
    void SetStatus(const QString& text);

    AppContext& context_;
    QPointer<QWidget> main_;
    QPointer<sync::DavSession> session_;
    bool running_ = false;
    bool cancelled_ = false;
    QString status_, report_;
};

}  // namespace tessaly::shell
