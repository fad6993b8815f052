// Finding a text in the cards of the list, and which button Enter presses.
#include "detail_label.h"
#include "main_dialog.h"

#include "cards/find_cards.h"
#include "shell/app_context.h"
#include "shell/msg_box.h"
#include "shell/progress_windows.h"
#include "shell/run_change.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace tessaly::mainwin {

namespace {

const QString kFind = QStringLiteral("Find");
const QString kFindNext = QStringLiteral("Find Next");

// The main window is no dialog, so Enter gets its dialog meaning here: it
// presses whichever of the buttons is the default one. The same object reports
// the find controls' focus changes; a control whose focus only went to a popup
// or to another window still has it, as the user sees it.
class FindKeys final : public QObject {
public:
    using FocusHandler = std::function<void(QObject* control, bool gained)>;
    FindKeys(QWidget* window, std::initializer_list<QPushButton*> buttons, FocusHandler focus)
        : QObject(window), window_(window), buttons_(buttons), focus_(std::move(focus)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && watched == window_) {
            auto* key = static_cast<QKeyEvent*>(event);
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                // A button that has the focus is the one Enter presses.
                if (auto* focused = qobject_cast<QPushButton*>(window_->focusWidget());
                    focused && focused->isEnabled()) {
                    focused->click();
                    return true;
                }
                for (QPushButton* button : buttons_) {
                    if (button->isDefault()) {
                        button->click();
                        return true;
                    }
                }
            }
        } else if (event->type() == QEvent::FocusIn) {
            focus_(watched, true);
        } else if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) focus_(watched, false);
        }
        return false;
    }

private:
    QWidget* window_;
    QList<QPushButton*> buttons_;
    FocusHandler focus_;
};

// The caption and the hint say the same; Alt+I presses the button.
void SetCaption(QPushButton* button, const QString& caption) {
    button->setText(QString(caption).insert(1, u'&'));
    button->setProperty("tag", caption);
}

void MakeDefault(QPushButton* button, QPushButton* other) {
    other->setDefault(false);
    button->setDefault(true);
}

}  // namespace

void MainDialog::ConnectFind() {
    auto* keys = new FindKeys(this, {BtnCopy, BtnFind}, [this](QObject* control, bool gained) {
        if (control == TxtFind && gained) {
            MakeDefault(BtnFind, BtnCopy);
        } else if (!gained) {
            MakeDefault(BtnCopy, BtnFind);
            SetCaption(BtnFind, kFind);
        }
    });
    installEventFilter(keys);
    TxtFind->installEventFilter(keys);
    CboSrchIn->installEventFilter(keys);
    MakeDefault(BtnCopy, BtnFind);

    connect(BtnFind, &QPushButton::clicked, this, &MainDialog::BtnFind_Click);
    connect(TxtFind, &QLineEdit::textChanged, this, [this] { SetCaption(BtnFind, kFind); });
    connect(CboSrchIn, &QComboBox::currentIndexChanged, this, [this] { SetCaption(BtnFind, kFind); });
    // Only the user's choice takes the default from Copy, not the refresh that preselects "Name only".
    connect(CboSrchIn, &QComboBox::activated, this, [this] { MakeDefault(BtnFind, BtnCopy); });
    connect(SearchResultTimer, &QTimer::timeout, this, &MainDialog::SearchResultTimer_Timer);
    SearchResultTimer->start();
}

void MainDialog::BtnFind_Click() {
    shell::AppContext& s = context_;
    for (DetailLabel* label : Label) label->SetColour(s.TextColor);
    const QString text = TxtFind->text();
    if (text.trimmed().isEmpty()) {
        QApplication::beep();
        return;
    }
    const int oldIndex = currentIndex_;
    const QString oldPosition = StatBar->text(1);
    const shell::InUseCheckPause pause;
    // Disabling the window takes the focus away; it goes back where it was afterwards.
    const QPointer<QWidget> focus = focusWidget();

    shell::ShowProgressWindow();
    SetStatusText(0, QStringLiteral("Please wait. Searching..."));
    shell::PercentWindow().LblLumet->setText(QStringLiteral("Please wait. Searching..."));
    store::ProgressSink silent;
    const store::FindResult result = store::FindFunction(*s.Store, s.Store->ShownRecNos(), currentIndex_, text,
                                                         CboSrchIn->currentIndex(), s.Progress ? *s.Progress : silent);
    if (!result.lastRecNo.isEmpty()) currentRecNo_ = result.lastRecNo;

    raise();
    activateWindow();
    shell::PercentWindow().hide();
    setEnabled(true);
    if (focus) focus->setFocus(Qt::OtherFocusReason);
    // The window's return to the front refreshes it; that must not undo the highlight below.
    QApplication::processEvents();

    const QString notFound = QStringLiteral("Can't find '") + text + u'\'';
    QString notice;
    if (result.found) {
        currentIndex_ = result.position;
        if (LstNames->currentRow() == currentIndex_)
            LstNames_Click();
        else
            LstNames->setCurrentRow(currentIndex_);
        Label[store::FoundLabel(result.field)]->SetColour(s.FoundColor);
        SetStatusText(0, QString());
        SetCaption(BtnFind, kFindNext);
        SearchResultTimer->start();
        if (currentIndex_ == oldIndex) {
            SetStatusText(0, notFound + QStringLiteral(" again"));
            notice = QStringLiteral("Can't find next '") + text + u'\'';
        }
    } else {
        SetStatusText(0, notFound);
        notice = notFound;
    }
    if (!notice.isEmpty()) {
        SetStatusText(1, oldPosition);
        SetCaption(BtnFind, kFind);
        shell::SingleTextBox().ShowMsg(notice, 0, QStringLiteral("OK"), QString(), 4,
                                       QStringLiteral("Can't find text"));
    }
    SetStatusText(0, QString());
}

void MainDialog::SearchResultTimer_Timer() {
    SearchResultTimer->stop();
    for (DetailLabel* label : Label) label->SetColour(context_.TextColor);
}

}  // namespace tessaly::mainwin
