#include "session_end.h"

#include "startup.h"

#include "mainwin/main_dialog.h"
#include "mainwin/tesly_mnu.h"

#include <fcntl.h>
#include <unistd.h>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>
#ifndef QT_NO_SESSIONMANAGER
#include <QSessionManager>
#endif

namespace tessaly::app {

namespace {

// The signal handler only writes a byte here; the event loop reads it (no Qt in a handler).
int wakePipe[2] = {-1, -1};

extern "C" void OnEndSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakePipe[1], &byte, 1);
    errno = saved;
}

// While a change runs the in-use check is paused; the end waits for the
// change and looks again this often.
constexpr int kRetryMs = 50;

class EndRequest : public QObject {
public:
    EndRequest() {
        retry_.setSingleShot(true);
        retry_.setInterval(kRetryMs);
        connect(&retry_, &QTimer::timeout, this, &EndRequest::TryEnd);
    }

    void Ask() {
        BeginEnding();
        CloseWhatWaits();
        TryEnd();
    }

    // The event loop stopped for another reason: the program still ends as Exit ends it.
    void Quitting() {
        if (!startedUp_) return;
        BeginEnding();
        if (mainwin::MainDialog* main = TheMainDialog()) main->ExitApplication();
    }

    bool StartUpDone() {
        startedUp_ = true;
        if (!asked_) return false;
        if (mainwin::MainDialog* main = TheMainDialog()) main->ExitApplication();
        return true;
    }

protected:
    // While the program ends, a question or a menu that opens is closed at once.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && dialog->windowModality() != Qt::NonModal)
                QTimer::singleShot(0, dialog, &QDialog::reject);
            else if (auto* menu = qobject_cast<QMenu*>(watched))
                QTimer::singleShot(0, menu, [menu] { menu->close(); });
        }
        return false;
    }

private:
    void BeginEnding() {
        if (asked_) return;
        asked_ = true;
        qApp->installEventFilter(this);
    }

    // A question, a message or a menu waiting on the person (start-up's
    // included) is closed, so that what opened it goes on to its end.
    static void CloseWhatWaits() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(window);
            if (dialog && dialog->isVisible() && dialog->windowModality() != Qt::NonModal)
                QTimer::singleShot(0, dialog, &QDialog::reject);
        }
        if (QWidget* popup = QApplication::activePopupWidget())
            QTimer::singleShot(0, popup, [popup] { popup->close(); });
    }

    void TryEnd() {
        if (!startedUp_) return;  // StartUpDone ends the program
        mainwin::MainDialog* main = TheMainDialog();
        if (!main) {
            QCoreApplication::exit(0);
            return;
        }
        // The end comes from the outermost loop, once what the questions and
        // menus were asked for has run with their answer "close".
        if (!main->Menus().InUseTimer.isActive() || QApplication::activeModalWidget() ||
            QApplication::activePopupWidget()) {
            CloseWhatWaits();
            retry_.start();
            return;
        }
        main->ExitApplication();
    }

    QTimer retry_;
    bool asked_ = false;
    bool startedUp_ = false;
};

EndRequest* Request() {
    static EndRequest* request = new EndRequest;  // lives as long as the program
    return request;
}

}  // namespace

void EndOnRequest() {
    EndRequest* request = Request();
    if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto* notifier = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, request);
        QObject::connect(notifier, &QSocketNotifier::activated, request, [request] {
            char bytes[64];
            while (::read(wakePipe[0], bytes, sizeof bytes) > 0) {
            }
            request->Ask();
        });
        struct sigaction action {};
        action.sa_handler = OnEndSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
    }
#ifndef QT_NO_SESSIONMANAGER
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, request,
                     [request](QSessionManager&) { request->Ask(); });
#endif
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, request, [request] { request->Quitting(); });
}

bool StartUpDone() {
    return Request()->StartUpDone();
}

}  // namespace tessaly::app
