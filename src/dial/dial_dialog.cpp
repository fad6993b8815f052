#include "dial_dialog.h"

#include "dial_settings.h"
#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/msg_box.h"
#include "shell/twips.h"
#include "shell/window_opener.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace tessaly::dial {

using shell::SetTwipsGeometry;

namespace {

std::chrono::milliseconds& PickUpAfter() {
    static std::chrono::milliseconds wait = ModemCall::kPickUpAfter;
    return wait;
}

template <class Control>
Control* Make(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* c = new Control(parent);
    c->setObjectName(QString::fromLatin1(name));
    SetTwipsGeometry(c, left, top, width, height);
    return c;
}

void Tell(const QString& text, std::int16_t icon, const QString& title) {
    shell::SingleTextBox().ShowMsg(text, 0, QStringLiteral("OK"), QString(), icon, title);
}

// The card's numbers as the list shows them, with the field each comes from.
struct ListedNumber {
    const char* caption;
    int field;
};
constexpr ListedNumber kListed[] = {{"Phone1", store::Phone1}, {"Phone2", store::Phone2}, {"Fax", store::Fax}};

// The dialog says how an attempt ended, as the status bar does, before any message about it.
QString EndingText(Outcome outcome) {
    switch (outcome) {
        case Outcome::PickUp:
            return QStringLiteral("Pick up the phone.");
        case Outcome::Busy:
            return QStringLiteral("The line is BUSY.");
        case Outcome::NoDialTone:
            return QStringLiteral("There is no dial tone.");
        case Outcome::Cancelled:
            return QStringLiteral("Dialing cancelled.");
        case Outcome::CannotOpen:
            return QStringLiteral("The COM port could not be opened.");
        case Outcome::PortLost:
            return QStringLiteral("The COM port stopped working.");
    }
    return QString();
}

}  // namespace

DialDialog::DialDialog(shell::AppContext& context, const shell::SelectedCard& selected, QWidget* parent)
    : QDialog(parent, shell::kFixedDialogFlags), context_(context), card_(selected) {
    setObjectName(QStringLiteral("DialDialog"));
    setWindowTitle(QStringLiteral("Dial a Number"));
    setAttribute(Qt::WA_DeleteOnClose);
    shell::SetTwipsClientSize(this, 4800, 3480);
    Frame1 = Make<QGroupBox>(this, "Frame1", 120, 60, 4560, 2400);
    Frame1->setTitle(QStringLiteral(" Dial a Number "));
    shell::PutCaptionOnFrameLine(Frame1);
    Label1 = Make<QLabel>(Frame1, "Label1", 240, 300, 4080, 255);
    Label1->setText(QStringLiteral("&Type a number to dial:"));
    TxtDialNumber = Make<QLineEdit>(Frame1, "TxtDialNumber", 240, 630, 4080, 285);
    Label1->setBuddy(TxtDialNumber);
    LblDialList = Make<QLabel>(Frame1, "LblDialList", 240, 1020, 4080, 255);
    LblDialList->setText(QStringLiteral("or &select one of the card's numbers:"));
    LstDialList = Make<QListWidget>(Frame1, "LstDialList", 240, 1320, 4080, 930);
    LblDialList->setBuddy(LstDialList);
    // The attempt is told here as well as in the main window's status bar, which is greyed meanwhile.
    LblProgress = Make<QLabel>(this, "LblProgress", 120, 2550, 4560, 255);
    LblProgress->setTextFormat(Qt::PlainText);
    shell::GiveDescendersRoom(LblProgress);
    BtnDial = Make<QPushButton>(this, "BtnDial", 1080, 2970, 1215, 375);
    BtnDial->setText(QStringLiteral("&Dial"));
    BtnCancel = Make<QPushButton>(this, "BtnCancel", 2505, 2970, 1215, 375);
    BtnCancel->setText(QStringLiteral("&Cancel"));
    countdown_ = new QTimer(this);
    countdown_->setInterval(1000);
    connect(countdown_, &QTimer::timeout, this, &DialDialog::CountDown);
    connect(LstDialList, &QListWidget::itemClicked, this, &DialDialog::LstDialList_Click);
    connect(LstDialList, &QListWidget::currentRowChanged, this, &DialDialog::LstDialList_Click);
    connect(TxtDialNumber, &QLineEdit::textChanged, this, &DialDialog::TxtDialNumber_Change);
    connect(BtnDial, &QPushButton::clicked, this, &DialDialog::BtnDial_Click);
    connect(BtnCancel, &QPushButton::clicked, this, &DialDialog::BtnCancel_Click);
    ClaimSlot();
}

// Leaving while a call is up hangs up (the call's end).
DialDialog::~DialDialog() = default;

void DialDialog::SetPickUpAfter(std::chrono::milliseconds wait) {
    PickUpAfter() = wait;
}

bool DialDialog::Dialing() const {
    return call_ && call_->Running();
}

bool DialDialog::OfferNumber(const QString& number) {
    if (Dialing()) return false;
    dialAtOnce_ = false;
    TxtDialNumber->setText(number);
    ShowProgress(QString());
    TxtDialNumber->setFocus();
    return true;
}

void DialDialog::ShowProgress(const QString& text) {
    LblProgress->setText(text);
    LblProgress->setToolTip(text);
}

void DialDialog::CountDown() {
    if (!Dialing()) return countdown_->stop();
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(pickUpAt_ - steady_clock::now());
    const long long seconds = std::max<long long>(0, (left.count() + 999) / 1000);
    ShowProgress(QStringLiteral("Dialing… %1 (%2 s left)").arg(dialing_).arg(seconds));
}

void DialDialog::MakeDefault(QPushButton* button) {
    (button == BtnDial ? BtnCancel : BtnDial)->setDefault(false);
    button->setDefault(true);
}

// Once, when it first shows: a later return from a message window must not dial again.
void DialDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // After the opener has placed it: a number given dials from the event loop, not inside show().
    if (!std::exchange(activated_, true)) QMetaObject::invokeMethod(this, &DialDialog::Activate, Qt::QueuedConnection);
}

void DialDialog::Activate() {
    shell::SetMainStatusText(0, QStringLiteral("Dial a number."));
    LstDialList->clear();
    if (card_.IsCard())
        for (const ListedNumber& n : kListed)
            if (const QString& number = card_.card[n.field]; !number.isEmpty())
                LstDialList->addItem(QString::fromLatin1(n.caption) + QStringLiteral(":\t") + number);
    const bool listed = LstDialList->count() > 0;
    LstDialList->setVisible(listed);
    LblDialList->setVisible(listed);
    TxtDialNumber->setFocus();
    if (TxtDialNumber->text().isEmpty() || !dialAtOnce_) {
        const bool offered = !TxtDialNumber->text().isEmpty();
        MakeDefault(offered ? BtnDial : BtnCancel);
        BtnDial->setEnabled(offered);
        if (offered) TxtDialNumber->selectAll();
    } else {
        MakeDefault(BtnCancel);
        BtnDial->click();
    }
}

void DialDialog::LstDialList_Click() {
    const QListWidgetItem* item = LstDialList->currentItem();
    if (!item) return;
    for (const ListedNumber& n : kListed)
        if (item->text().startsWith(QString::fromLatin1(n.caption) + u':')) TxtDialNumber->setText(card_.card[n.field]);
}

void DialDialog::TxtDialNumber_Change(const QString& text) {
    if (Dialing()) return;
    BtnDial->setEnabled(!text.isEmpty());
    MakeDefault(text.isEmpty() ? BtnCancel : BtnDial);
}

void DialDialog::BtnDial_Click() {
    const QString number = TxtDialNumber->text().trimmed();
    if (number.isEmpty() || Dialing()) return;
    MakeDefault(BtnCancel);
    BtnDial->setEnabled(false);
    const DialSettings settings = ReadDialSettings(context_.Profile, context_.PreferencesFile);
    shell::SetMainStatusText(0, QStringLiteral("Please wait while dialing to ") + number);
    if (settings.Via != DialVia::Modem) {
        ShowProgress(QStringLiteral("Handing %1 on…").arg(number));
        return HandOver(settings, number);
    }
    // The preferences may have been edited since the check: the method goes into the modem's command.
    if (settings.DialSystem != u"DT" && settings.DialSystem != u"DP") {
        Tell(QStringLiteral("The Dialing System is incorrect.\rChoose Tone Dial or Pulse Dial in Setup."), 1,
             QStringLiteral("Wrong Dialing System"));
        BtnDial->setEnabled(true);
        return;
    }
    call_ = std::make_unique<ModemCall>(settings.Device, PickUpAfter());
    connect(call_.get(), &ModemCall::finished, this, &DialDialog::CallEnded);
    dialing_ = number;
    pickUpAt_ = std::chrono::steady_clock::now() + PickUpAfter();
    if (call_->Start(settings.DialSystem, number)) {
        CountDown();
        countdown_->start();
    }
}

void DialDialog::HandOver(const DialSettings& settings, const QString& number) {
    const HandOff result =
        settings.Via == DialVia::PhoneHandler ? CallThroughHandler(number) : RunDialCommand(settings.Command, number);
    if (result.done) {
        Tell(QStringLiteral("The number %1\rwas handed to %2.").arg(number, result.text), 4, QStringLiteral("Dialing"));
        close();
        return;
    }
    shell::SetMainStatusText(0, QStringLiteral("Dial a number."));
    ShowProgress(QString());
    Tell(result.text, 1, QStringLiteral("Can't dial"));
    BtnDial->setEnabled(true);
}

void DialDialog::CallEnded(Outcome outcome) {
    countdown_->stop();
    ShowProgress(EndingText(outcome));
    switch (outcome) {
        case Outcome::PickUp:
            shell::SetMainStatusText(0,
                                     QStringLiteral("Please pick up the Phone, and either press Enter or click OK."));
            Tell(QStringLiteral("Please pick up the Phone,\rand either press Enter or click OK."), 4,
                 QStringLiteral("Pick up the Phone"));
            call_->HangUp();
            close();
            return;
        case Outcome::NoDialTone:
            shell::SetMainStatusText(0, QStringLiteral("There is no Dial Tone, Please check the line, and try again."));
            Tell(QStringLiteral("There is no Dial Tone,\rPlease check the line, and try again."), 1,
                 QStringLiteral("No Dial Tone"));
            break;
        case Outcome::Busy:
            shell::SetMainStatusText(0, QStringLiteral("The line is BUSY. Try calling again later."));
            Tell(QStringLiteral("The line is BUSY.\rTry calling again later."), 3, QStringLiteral("BUSY"));
            break;
        case Outcome::Cancelled:
            shell::SetMainStatusText(0, QStringLiteral("Dial a number."));
            break;
        // A port that another program took since the check, or that went away, is said as such.
        case Outcome::CannotOpen:
            shell::SetMainStatusText(0, QStringLiteral("Dial a number."));
            Tell(QStringLiteral("Can't open the selected COM port.\r") + call_->ErrorText(), 1,
                 QStringLiteral("Can't open COM port"));
            break;
        case Outcome::PortLost:
            shell::SetMainStatusText(0, QStringLiteral("Dial a number."));
            Tell(QStringLiteral("The COM port stopped working during the call.\r") + call_->ErrorText(), 1,
                 QStringLiteral("COM port lost"));
            break;
    }
    BtnDial->setEnabled(!TxtDialNumber->text().isEmpty());
}

void DialDialog::BtnCancel_Click() {
    if (Dialing())
        call_->Cancel();
    else
        close();
}

void DialDialog::closeEvent(QCloseEvent* event) {
    call_.reset();
    ReleaseSlot();
    QDialog::closeEvent(event);
}

}  // namespace tessaly::dial
