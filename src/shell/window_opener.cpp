#include "window_opener.h"

#include "main_window_link.h"
#include "placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <vector>

#ifdef TESSALY_WITH_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <cstdlib>
#include <cstring>
#endif

namespace tessaly::shell {

namespace {

// Marks the windows opened here, as long as they are open.
const char* const kOverMain = "openOverMain";

// The modal windows shown over the main window, the latest last.
std::vector<QPointer<QWidget>>& ModalWindows() {
    static std::vector<QPointer<QWidget>> windows;
    return windows;
}

// The main window takes input again once no window is left over it.
void ReleaseMain() {
    if (QWidget* main = MainWindow(); main && !OpenWindowOverMain()) main->setEnabled(true);
}

// Watches the windows opened over the main window for their closing, and the
// main window for its activation. It lives with the main window, so it
// outlasts every window it watches.
class ClosingWatcher : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent()) {
            // A click on the greyed main window activates it under some window managers: the
            // window over it takes the activation back, as Qt does for its own modal windows.
            if (event->type() == QEvent::WindowActivate && OpenWindowOverMain())
                QMetaObject::invokeMethod(this, &ClosingWatcher::ActivateWindowOverMain, Qt::QueuedConnection);
            return false;
        }
        // A spontaneous hide is the window manager minimising the whole family.
        if (event->type() == QEvent::Hide && !event->spontaneous()) {
            watched->removeEventFilter(this);
            watched->setProperty(kOverMain, false);
            SetMainStatusText(0, QString());
            ReleaseMain();
        }
        return false;
    }

private:
    static void ActivateWindowOverMain() {
        QWidget* main = MainWindow();
        QWidget* over = OpenWindowOverMain();
        if (!main || !over || !main->isActiveWindow()) return;
        over->raise();
        over->activateWindow();
    }
};

ClosingWatcher* WatcherOf(QWidget* main) {
    static QPointer<ClosingWatcher> watcher;
    if (!watcher || watcher->parent() != main) {
        watcher = new ClosingWatcher(main);
        main->installEventFilter(watcher);
    }
    return watcher;
}

#ifdef TESSALY_WITH_XCB
xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, std::strlen(name), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// Qt keeps the states already on a window that is not mapped yet and adds its own when it maps it.
void AddModalState(QWidget* window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) return;
    static const xcb_atom_t state = Atom(connection, "_NET_WM_STATE");
    static const xcb_atom_t modal = Atom(connection, "_NET_WM_STATE_MODAL");
    if (state == XCB_ATOM_NONE || modal == XCB_ATOM_NONE) return;
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, static_cast<xcb_window_t>(window->winId()), state,
                        XCB_ATOM_ATOM, 32, 1, &modal);
}
#else
void AddModalState(QWidget*) {}
#endif

// A dialog laid out for one size keeps it: the window manager then offers neither
// to resize nor to maximise it (X11 knows no hint for a fixed-size dialog but min = max).
void KeepFixedSize(QWidget* window) {
    if (window->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint) &&
        window->minimumSize() != window->maximumSize())
        window->setFixedSize(window->size());
}

}  // namespace

void MarkModalOver(QWidget* window, QWidget* below) {
    if (window->isVisible() || !below) return;
    window->winId();  // the native window, not mapped yet
    // A child window is transient for its parent's window already.
    if (!window->parentWidget()) {
        below->winId();
        if (QWindow* handle = window->windowHandle()) handle->setTransientParent(below->window()->windowHandle());
    }
    AddModalState(window);
}

void OpenOverMain(QWidget* window, Placement placement) {
    QWidget* main = MainWindow();
    if (main) {
        if (window->parentWidget() != main) window->setParent(main, window->windowFlags());
        switch (placement) {
            case Placement::TopRight:
                PlaceTopRight(window, main);
                break;
            case Placement::Centred:
                CentreOver(window, main);
                break;
            case Placement::CentredKept:
                PlaceCentredOnScreenKept(window, main);
                break;
        }
        KeepFixedSize(window);
        MarkModalOver(window, main);
        window->installEventFilter(WatcherOf(main));
        window->setProperty(kOverMain, true);
    }
    window->show();
    window->raise();
    window->activateWindow();
    if (main) main->setEnabled(false);
}

QWidget* OpenWindowOverMain() {
    QWidget* main = MainWindow();
    if (!main) return nullptr;
    const auto& modal = ModalWindows();
    for (auto it = modal.rbegin(); it != modal.rend(); ++it)
        if (*it && (*it)->isVisible()) return *it;
    for (QObject* child : main->children()) {
        auto* window = qobject_cast<QWidget*>(child);
        if (window && window->isWindow() && window->isVisible() && window->property(kOverMain).toBool()) return window;
    }
    return nullptr;
}

void RaiseMain() {
    if (QWidget* main = MainWindow()) main->raise();
}

ModalOverMain::ModalOverMain(QWidget& window) : window_(&window) {
    QWidget* main = MainWindow();
    if (!main || &window == main) return;
    QWidget* below = OpenWindowOverMain();
    KeepFixedSize(&window);
    MarkModalOver(&window, below ? below : main);
    // Disabled by a progress window, the main window is that window's to enable again.
    releases_ = main->isEnabled() || below;
    if (main->isEnabled()) focus_ = main->focusWidget();
    WatcherOf(main);
    ModalWindows().push_back(&window);
    main->setEnabled(false);
    tracked_ = true;
}

ModalOverMain::~ModalOverMain() {
    if (!tracked_) return;
    auto& modal = ModalWindows();
    std::erase_if(modal, [this](const QPointer<QWidget>& w) { return !w || w == window_; });
    if (!releases_) return;
    ReleaseMain();
    // Disabling the main window took the focus from its control; it goes back there.
    if (focus_ && focus_->isEnabled() && focus_->window()->isEnabled()) focus_->setFocus(Qt::OtherFocusReason);
}

}  // namespace tessaly::shell
