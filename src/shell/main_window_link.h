#pragma once
#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;

namespace tessaly::shell {

// The main window as the other windows see it. They place themselves over
// window(), and tell the main window through the signals what to show; the
// main window owns this object and connects the signals to itself.
class MainWindowLink : public QObject {
    Q_OBJECT
public:
    // The row a change leaves selected when it names none: the same row, kept within the list.
    static constexpr int kSameRow = -1;

    // Lives as long as the main window; the in-use check is the timer that changes pause.
    explicit MainWindowLink(QWidget* window, QTimer* inUseTimer = nullptr);

    QWidget* window() const;
    QTimer* inUseTimer() const { return inUseTimer_; }

    // The link of the main window that lives now, or null. The shell's windows
    // (messages, progress, the windows opened over it) are placed over it.
    static MainWindowLink* Current();

signals:
    // Panel 0 to 3 of the main window's status bar.
    void statusTextChanged(int panel, const QString& text);
    // The card lists changed: the main window shows them again with rowAfter
    // selected (kSameRow keeps the row it had).
    void listsChanged(int rowAfter);
    // Setup asks for the Sync Accounts window (a window of a module above the shell), over itself.
    void syncAccountsRequested();

private:
    QPointer<QTimer> inUseTimer_;
};

// The main window, or null when there is none.
QWidget* MainWindow();
// A status panel of the main window, when there is one.
void SetMainStatusText(int panel, const QString& text);
// The lists changed: the main window shows them again, selecting rowAfter.
void RefreshMain(int rowAfter = MainWindowLink::kSameRow);

}  // namespace tessaly::shell
