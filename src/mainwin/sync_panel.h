#pragma once
#include <QFrame>

class CLumetCtrl;
class QLabel;

namespace tessaly::mainwin {

// The status bar's sync panel: "Synced 12:03", "Not synced: server unreachable", "3 conflicts", with
// the gauge while a sync sends cards. Hidden until there is something to say. A double click asks
// for the last sync's report.
class SyncPanel : public QFrame {
    Q_OBJECT
public:
    explicit SyncPanel(QWidget* parent = nullptr);
    void setStatus(const QString& text);
    QString status() const;
    void setRunning(bool running);
    void setPercent(int percent);

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QLabel* text_;
    CLumetCtrl* gauge_;
};

}  // namespace tessaly::mainwin
