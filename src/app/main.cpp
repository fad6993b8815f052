// ts32_20: the Tessaly card file.
#include "startup.h"

#include "mainwin/main_dialog.h"

#include <QApplication>
#include <cstdio>

namespace {

// For the start-up benchmark: with TESSALY_EXIT_WHEN_SHOWN set, the program
// prints "shown" once the main window has first been painted, then ends as the
// Exit button ends it.
class ShownProbe : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            std::puts("shown");
            std::fflush(stdout);
            QMetaObject::invokeMethod(watched, [] { tessaly::app::TheMainDialog()->ExitApplication(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool done_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    // The main window ends the program itself, after counting off the card file.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!tessaly::app::Main()) return 0;
    if (qEnvironmentVariableIsSet("TESSALY_EXIT_WHEN_SHOWN")) {
        auto* probe = new ShownProbe(&app);
        tessaly::app::TheMainDialog()->installEventFilter(probe);
        tessaly::app::TheMainDialog()->update();
    }
    return QApplication::exec();
}
