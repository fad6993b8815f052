#include "dial_dialog.h"
#include "dial_settings.h"
#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/msg_box.h"
#include "shell/placement.h"
#include "shell/setup_dialog.h"
#include "shell/twips.h"
#include "shell/window_opener.h"

#include <QApplication>
#include <QLineEdit>
#include <functional>

namespace tessaly::dial {

namespace {

PortCheck CheckSettings(shell::AppContext& context) {
    return CheckDialSettings(ReadDialSettings(context.Profile, context.PreferencesFile));
}

// The texts of the offer to run Setup, by what is wrong.
struct SetupOffer {
    QString text, title;
};
SetupOffer OfferFor(PortCheck check) {
    const QString portThenMethod =
        QStringLiteral("Click OK to run Setup, and set the COM port, and the Dialing System.");
    switch (check) {
        case PortCheck::WrongMethod:
            return {QStringLiteral("The Dialing System is incorrect.\rClick OK to run Setup, and set the Dialing "
                                   "System, and the COM port."),
                    QStringLiteral("Wrong Dialing System")};
        case PortCheck::WrongPort:
            return {QStringLiteral("The selected COM Port is unavailable.\r") + portThenMethod,
                    QStringLiteral("Wrong COM Port")};
        case PortCheck::NoPhoneHandler:
            return {QStringLiteral(
                        "No program is set up to take phone calls.\rClick OK to run Setup, and choose how to dial."),
                    QStringLiteral("No Phone Program")};
        case PortCheck::OwnPhoneHandler:
            return {kOwnHandlerText + QStringLiteral("\rClick OK to run Setup, and choose Modem or Command."),
                    QStringLiteral("No Phone Program")};
        case PortCheck::NoCommand:
            return {QStringLiteral("There is no dial command.\rClick OK to run Setup, and type the command."),
                    QStringLiteral("No Dial Command")};
        default:
            return {QStringLiteral("Can't open the selected COM port.\r") + portThenMethod,
                    QStringLiteral("Can't open COM port")};
    }
}

// Setup opened for dialing: its OK tries again, once.
void OfferSetup(shell::AppContext& context, const shell::SelectedCard& selected, PortCheck check,
                std::function<void()> retry) {
    const SetupOffer offer = OfferFor(check);
    if (shell::SingleTextBox().ShowMsg(offer.text, 2, QStringLiteral("OK"), QStringLiteral("Cancel"), 3, offer.title) !=
        shell::MessageButton::First)
        return;
    shell::OpenSetupDialog(context, selected.recNo);
    if (shell::SetupDialog* setup = shell::SetupDialog::Current())
        QObject::connect(setup, &shell::SetupDialog::saved, setup, std::move(retry), Qt::SingleShotConnection);
}

}  // namespace

void StartDialing(shell::AppContext& context, const shell::SelectedCard& selected) {
    const PortCheck check = CheckSettings(context);
    if (check != PortCheck::Ok)
        return OfferSetup(context, selected, check, [&context, selected] { StartDialing(context, selected); });
    shell::OpenOverMain(new DialDialog(context, selected), shell::Placement::TopRight);
}

void DialFromLink(shell::AppContext& context, const shell::SelectedCard& selected, const QString& number) {
    auto tell = [](const QString& text) {
        shell::SingleTextBox().ShowMsg(text, 0, QStringLiteral("OK"), QString(), 3, QStringLiteral("Dial a Number"));
    };
    if (DialDialog* open = DialDialog::Current()) {
        open->raise();
        open->activateWindow();
        if (!open->OfferNumber(number))
            tell(QStringLiteral("A call is being dialed.\rDial %1 once it has ended.").arg(number));
        return;
    }
    // Another window over the main window (or a question) holds what the user is doing: it is not taken away.
    QWidget* over = shell::OpenWindowOverMain();
    if (!over) over = QApplication::activeModalWidget();
    if (over) {
        over->raise();
        over->activateWindow();
        tell(QStringLiteral("Close \"%1\" first, then dial %2.").arg(over->windowTitle(), number));
        return;
    }
    if (const PortCheck check = CheckSettings(context); check != PortCheck::Ok)
        return OfferSetup(context, selected, check,
                          [&context, selected, number] { DialFromLink(context, selected, number); });
    auto* dialog = new DialDialog(context, selected);
    dialog->OfferNumber(number);
    shell::OpenOverMain(dialog, shell::Placement::TopRight);
}

void DialFromDetails(shell::AppContext& context, const shell::SelectedCard& selected, const QString& number) {
    shell::SetMainStatusText(0, QStringLiteral("Dial a number."));
    if (CheckSettings(context) != PortCheck::Ok) return;
    auto* dialog = new DialDialog(context, selected);
    dialog->TxtDialNumber->setText(number);
    shell::OpenOverMain(dialog, shell::Placement::TopRight);
    // Over the main window's top left corner, 150 twips in, kept on the screen.
    if (const QWidget* main = shell::MainWindow()) {
        const QSize size = shell::WindowTwips(dialog).size();
        shell::MoveWindowTwips(dialog, shell::KeptOnScreen(shell::WindowTwips(main).topLeft() + QPoint(150, 150), size,
                                                           shell::ScreenTwips(main).size()));
    }
}

}  // namespace tessaly::dial
