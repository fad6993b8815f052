// ts32_20: the Tessaly card file.
#include "session_end.h"
#include "single_instance.h"
#include "startup.h"

#include "dial/dial_dialog.h"
#include "dial/tel_link.h"
#include "mainwin/main_dialog.h"
#include "shell/app_context.h"

#include <QApplication>
#include <QMessageBox>
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
            QMetaObject::invokeMethod(
                watched, [] { tessaly::app::TheMainDialog()->ExitApplication(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool done_ = false;
};

const char kUsage[] =
    "usage: tessaly [QT-OPTIONS] [tel:NUMBER]\n"
    "Tessaly, the card file of people and companies.\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n"
    "A tel: link opens Dial on its number (in the copy that runs already, if one does).\n"
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

// The desktop passes a tel: link as an argument (Exec=... %u). One that is not
// a sound phone number is said and dropped: it is never dialed.
void TakeTelLink() {
    for (const QString& argument : QApplication::arguments().mid(1)) {
        if (!tessaly::dial::IsTelLink(argument)) continue;
        const tessaly::dial::TelLink link = tessaly::dial::ParseTelLink(argument);
        if (link.ok()) return tessaly::app::SingleInstance::SetLink(argument);
        std::fprintf(stderr, "tessaly: %s\n", qPrintable(link.error));
        QMessageBox::warning(nullptr, QStringLiteral("Tessaly"), link.error);
        return;
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (AnswersInformationOption(argc, argv)) return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    // The main window ends the program itself, after counting off the card file.
    QApplication::setQuitOnLastWindowClosed(false);
    tessaly::app::EndOnRequest();
    TakeTelLink();
    // The windows' context outlives them: they are gone when exec() returns.
    tessaly::shell::AppContext context;
    if (!tessaly::app::Main(context)) return 0;
    if (tessaly::app::StartUpDone()) return 0;
    // A link this copy was started with, or one handed over while it started.
    if (const QString link = tessaly::app::SingleInstance::TakeLink(); !link.isEmpty())
        QMetaObject::invokeMethod(
            &app,
            [number = tessaly::dial::ParseTelLink(link).number] {
                tessaly::app::TheMainDialog()->DialFromLink(number);
            },
            Qt::QueuedConnection);
    if (qEnvironmentVariableIsSet("TESSALY_EXIT_WHEN_SHOWN")) {
        auto* probe = new ShownProbe(&app);
        tessaly::app::TheMainDialog()->installEventFilter(probe);
        tessaly::app::TheMainDialog()->update();
    }
    return QApplication::exec();
}
