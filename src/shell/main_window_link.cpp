#include "main_window_link.h"

#include <QWidget>

namespace tessaly::shell {

namespace {
// The program has one main window at a time; the shell's windows need it to place themselves.
QPointer<MainWindowLink>& Registered() {
    static QPointer<MainWindowLink> link;
    return link;
}
}  // namespace

MainWindowLink::MainWindowLink(QWidget* window, QTimer* inUseTimer) : QObject(window), inUseTimer_(inUseTimer) {
    setObjectName(QStringLiteral("MainWindowLink"));
    Registered() = this;
}

QWidget* MainWindowLink::window() const {
    return qobject_cast<QWidget*>(parent());
}

MainWindowLink* MainWindowLink::Current() {
    return Registered();
}

QWidget* MainWindow() {
    const MainWindowLink* link = MainWindowLink::Current();
    return link ? link->window() : nullptr;
}

void SetMainStatusText(int panel, const QString& text) {
    if (MainWindowLink* link = MainWindowLink::Current()) emit link->statusTextChanged(panel, text);
}

void RefreshMain(int rowAfter) {
    if (MainWindowLink* link = MainWindowLink::Current()) emit link->listsChanged(rowAfter);
}

}  // namespace tessaly::shell
