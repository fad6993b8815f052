#include "main_window_link.h"

#include <QWidget>

namespace tessaly::shell {

MainWindowLink::MainWindowLink(QWidget* window, QTimer* inUseTimer) : QObject(window), inUseTimer_(inUseTimer) {
    setObjectName(QStringLiteral("MainWindowLink"));
}

QWidget* MainWindowLink::window() const { return qobject_cast<QWidget*>(parent()); }

}  // namespace tessaly::shell
