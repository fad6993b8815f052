#include "window_opener.h"

#include "placement.h"
#include "shared_data.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace tessaly::shell {

namespace {

// Marks the windows opened here, as long as they are open.
const char* const kOverMain = "openOverMain";

// Watches the windows opened over the main window for their closing. It lives
// with the main window, so it outlasts every window it watches.
class ClosingWatcher : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A spontaneous hide is the window manager minimising the whole family.
        if (event->type() == QEvent::Hide && !event->spontaneous()) {
            watched->removeEventFilter(this);
            watched->setProperty(kOverMain, false);
            Shared().SetStatusText(0, QString());
            if (QWidget* main = Shared().MainWindow()) main->setEnabled(true);
        }
        return false;
    }
};

ClosingWatcher* WatcherOf(QWidget* main) {
    static QPointer<ClosingWatcher> watcher;
    if (!watcher || watcher->parent() != main) watcher = new ClosingWatcher(main);
    return watcher;
}

}  // namespace

void OpenOverMain(QWidget* window, Placement placement) {
    QWidget* main = Shared().MainWindow();
    if (main) {
        if (window->parentWidget() != main) window->setParent(main, window->windowFlags());
        switch (placement) {
        case Placement::TopRight: PlaceTopRight(window, main); break;
        case Placement::Centred: CentreOver(window, main); break;
        case Placement::CentredKept: PlaceCentredOnScreenKept(window, main); break;
        }
        window->installEventFilter(WatcherOf(main));
        window->setProperty(kOverMain, true);
    }
    window->show();
    window->raise();
    window->activateWindow();
    if (main) main->setEnabled(false);
}

QWidget* OpenWindowOverMain() {
    QWidget* main = Shared().MainWindow();
    if (!main) return nullptr;
    for (QObject* child : main->children()) {
        auto* window = qobject_cast<QWidget*>(child);
        if (window && window->isWindow() && window->isVisible() && window->property(kOverMain).toBool()) return window;
    }
    return nullptr;
}

void RaiseMain() {
    if (QWidget* main = Shared().MainWindow()) main->raise();
}

}  // namespace tessaly::shell
