// ts32_20: the Tessaly card file.
#include "session_end.h"
#include "startup.h"

#include "mainwin/main_dialog.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

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

const char kUsage[] =
    "usage: tessaly [QT-OPTIONS]\n"
    "Tessaly, the card file of people and companies.\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n"
    "The usual Qt options apply, for example -platform NAME, -style NAME, -display DISPLAY.\n"
    "Preferences: $XDG_CONFIG_HOME/Tessaly/ostrel.ini (default ~/.config/Tessaly/ostrel.ini).\n";

// --help and --version are answered before QApplication exists, so they need
// no display and touch neither the preferences nor the card file.
bool AnswersInformationOption(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) return false;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
            std::puts("tessaly " TESSALY_VERSION);
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (AnswersInformationOption(argc, argv)) return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    // The main window ends the program itself, after counting off the card file.
    QApplication::setQuitOnLastWindowClosed(false);
    tessaly::app::EndOnRequest();
    if (!tessaly::app::Main()) return 0;
    if (tessaly::app::StartUpDone()) return 0;
    if (qEnvironmentVariableIsSet("TESSALY_EXIT_WHEN_SHOWN")) {
        auto* probe = new ShownProbe(&app);
        tessaly::app::TheMainDialog()->installEventFilter(probe);
        tessaly::app::TheMainDialog()->update();
    }
    return QApplication::exec();
}
