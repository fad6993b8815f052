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
    // Lives as long as the main window; the in-use check is the timer that changes pause.
    explicit MainWindowLink(QWidget* window, QTimer* inUseTimer = nullptr);

    QWidget* window() const;
    QTimer* inUseTimer() const { return inUseTimer_; }

signals:
    // Panel 0 to 3 of the main window's status bar.
    void statusTextChanged(int panel, const QString& text);
    // The card lists or the selection changed: the main window shows them again.
    void listsChanged();

private:
    QPointer<QTimer> inUseTimer_;
};

}  // namespace tessaly::shell
