#include "msg_box.h"

#include "main_window_link.h"
#include "modal_seam.h"
#include "placement.h"
#include "twips.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>

namespace tessaly::shell {

namespace {

constexpr int kInnerWidth = 4755;
constexpr int kButtonWidth = 1215;
constexpr int kButtonHeight = 375;
constexpr int kFirstButtonLeft = 1020;
constexpr int kSecondButtonLeft = 2520;
constexpr int kPictureSize = 720;

QLabel* MakePicture(QWidget* frame, const char* name, QStyle::StandardPixmap symbol) {
    auto* picture = new QLabel(frame);
    picture->setObjectName(QLatin1String(name));
    const int size = ToPixels(kPictureSize);
    picture->setPixmap(frame->style()->standardIcon(symbol).pixmap(size, size));
    picture->setAlignment(Qt::AlignCenter);
    SetTwipsGeometry(picture, 120, 240, kPictureSize, kPictureSize);
    return picture;
}

QPushButton* MakeButton(QWidget* window, const char* name, const char* caption) {
    auto* button = new QPushButton(QLatin1String(caption), window);
    button->setObjectName(QLatin1String(name));
    // Enter belongs to the default button alone, not to whichever button has the focus.
    button->setAutoDefault(false);
    return button;
}

// A text label: it wraps at word boundaries; the window grows below a text that needs more room.
QLabel* MakeText(QWidget* frame, const char* name, int top, int height) {
    auto* label = new QLabel(frame);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetTwipsGeometry(label, 1080, top, 3135, height);
    return label;
}

}  // namespace

MessageWindow::MessageWindow(const QString& name, Layout layout)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), layout_(layout) {
    setObjectName(name);
    setWindowTitle(QStringLiteral("Message Box"));
    setModal(true);
    QFont font = this->font();
    font.setPointSizeF(8);  // the labels are sized for texts of about a hundred characters at this size
    setFont(font);
    setFixedSize(ToPixels(kInnerWidth), ToPixels(layout.innerHeight));

    Frame = new QGroupBox(this);
    Frame->setObjectName(QStringLiteral("Frame"));
    SetTwipsGeometry(Frame, 180, 120, 4395, layout.frameHeight);
    Critical = MakePicture(Frame, "Critical", QStyle::SP_MessageBoxCritical);
    Question = MakePicture(Frame, "Question", QStyle::SP_MessageBoxQuestion);
    Exclamation = MakePicture(Frame, "Exclamation", QStyle::SP_MessageBoxWarning);
    Information = MakePicture(Frame, "Information", QStyle::SP_MessageBoxInformation);
    pictures_ = {Critical, Question, Exclamation, Information};

    Text1 = MakeText(Frame, "Text1", 300, 615);

    BtnOK = MakeButton(this, "BtnOK", "OK");
    SetTwipsGeometry(BtnOK, kFirstButtonLeft, layout.buttonTop, kButtonWidth, kButtonHeight);
    BtnCancel = MakeButton(this, "BtnCancel", "Cancel");
    SetTwipsGeometry(BtnCancel, kSecondButtonLeft, layout.buttonTop, kButtonWidth, kButtonHeight);
    BtnOK->setDefault(true);

    connect(BtnOK, &QPushButton::clicked, this, &MessageWindow::BtnOK_Click);
    connect(BtnCancel, &QPushButton::clicked, this, &MessageWindow::BtnCancel_Click);
}

MessageButton MessageWindow::ShowFilled(std::int16_t buttons, const QString& cap1, const QString& cap2,
                                        std::int16_t icon, const QString& title) {
    BtnOK->setText(cap1);
    BtnCancel->setText(cap2);
    FitTexts();
    PlaceButtons(buttons);
    ShowIcon(icon);
    setWindowTitle(title);
    if (QWidget* main = MainWindow())
        CentreOver(this, main);
    else
        CentreOnScreen(this);
    if (QPushButton* button = DefaultButton()) button->setFocus();
    answer_ = MessageButton::Second;  // closed by other means than the buttons (the window goes with the program)
    RunModal(*this);
    return answer_;
}

void MessageWindow::PlaceButtons(std::int16_t buttons) {
    const int top = ToTwips(BtnOK->y());
    const int centred = (kInnerWidth - kButtonWidth) / 2;
    switch (buttons) {
        case 0:
            SetTwipsGeometry(BtnOK, centred, top, kButtonWidth, kButtonHeight);
            BtnOK->show();
            BtnCancel->hide();
            break;
        case 1:
            SetTwipsGeometry(BtnCancel, centred, top, kButtonWidth, kButtonHeight);
            BtnCancel->show();
            BtnOK->hide();
            break;
        case 2:
        case 3:
            SetTwipsGeometry(BtnOK, kFirstButtonLeft, top, kButtonWidth, kButtonHeight);
            SetTwipsGeometry(BtnCancel, kSecondButtonLeft, top, kButtonWidth, kButtonHeight);
            BtnOK->show();
            BtnCancel->show();
            // Clear the old default first: a dialog keeps one default button at most.
            (buttons == 2 ? BtnCancel : BtnOK)->setDefault(false);
            (buttons == 2 ? BtnOK : BtnCancel)->setDefault(true);
            break;
        default:
            break;
    }
}

void MessageWindow::ShowIcon(std::int16_t icon) {
    for (QLabel* picture : pictures_) {
        SetTwipsGeometry(picture, 120, 240, kPictureSize, kPictureSize);
        picture->hide();
    }
    if (icon >= 1 && icon <= 4) pictures_[icon - 1]->show();
}

void MessageWindow::SetText(QLabel* label, const QString& text) {
    // Callers end lines with a carriage return alone, which a label would show as a blank.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(u'\r', u'\n');
    label->setText(shown);
}

// The window keeps its twips layout for texts that fit it; a longer text is
// wrapped in full and the window grows below it, so nothing is cut or shrunk.
void MessageWindow::FitTexts() {
    const int text1Height = ToPixels(615);
    auto* text2 = findChild<QLabel*>(QStringLiteral("Text2"));
    auto extraFor = [](QLabel* label, int height) {
        return std::max(0, label->heightForWidth(label->width()) - height);
    };
    const int extra1 = extraFor(Text1, text1Height);
    Text1->resize(Text1->width(), text1Height + extra1);
    int extra = extra1;
    if (text2) {
        const int text2Height = ToPixels(435);
        const int extra2 = extraFor(text2, text2Height);
        text2->setGeometry(text2->x(), ToPixels(900) + extra1, text2->width(), text2Height + extra2);
        extra += extra2;
    }
    Frame->resize(Frame->width(), ToPixels(layout_.frameHeight) + extra);
    for (QPushButton* button : {BtnOK, BtnCancel}) button->move(button->x(), ToPixels(layout_.buttonTop) + extra);
    setFixedSize(ToPixels(kInnerWidth), ToPixels(layout_.innerHeight) + extra);
}

// Tab moved the focus to a button: Enter presses that one, as its frame shows.
QPushButton* MessageWindow::EnterButton() const {
    if (!BtnOK->isHidden() && BtnOK->hasFocus()) return BtnOK;
    if (!BtnCancel->isHidden() && BtnCancel->hasFocus()) return BtnCancel;
    return DefaultButton();
}

QPushButton* MessageWindow::DefaultButton() const {
    const bool okShown = !BtnOK->isHidden(), cancelShown = !BtnCancel->isHidden();
    if (okShown && BtnOK->isDefault()) return BtnOK;
    if (cancelShown && BtnCancel->isDefault()) return BtnCancel;
    if (okShown != cancelShown) return okShown ? BtnOK : BtnCancel;
    return nullptr;
}

bool MessageWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        QApplication::beep();
        const QRect window = WindowTwips(this);
        const QPoint corrected = MessageWindowCorrected(window.topLeft(), window.size(), ScreenTwips(this).size());
        if (corrected != window.topLeft()) MoveWindowTwips(this, corrected);
    }
    return QDialog::event(e);
}

void MessageWindow::keyPressEvent(QKeyEvent* e) {
    if (e->modifiers() & ~Qt::KeypadModifier) return QDialog::keyPressEvent(e);
    switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (QPushButton* button = EnterButton()) button->click();
            return;
        case Qt::Key_Escape:
            if (!BtnCancel->isHidden())
                BtnCancel->click();
            else
                reject();
            return;
        default:
            QDialog::keyPressEvent(e);
    }
}

void MessageWindow::BtnOK_Click() {
    answer_ = MessageButton::First;
    done(0);
}

void MessageWindow::BtnCancel_Click() {
    reject();
}

void MessageWindow::reject() {
    answer_ = MessageButton::Second;
    done(0);
}

MsgBoxSnglTxt::MsgBoxSnglTxt() : MessageWindow(QStringLiteral("MsgBoxSnglTxt"), {2130, 1275, 1560}) {}

MessageButton MsgBoxSnglTxt::ShowMsg(const QString& text, std::int16_t buttons, const QString& cap1,
                                     const QString& cap2, std::int16_t icon, const QString& title) {
    SetText(Text1, text);
    return ShowFilled(buttons, cap1, cap2, icon, title);
}

MsgBoxDblTxt::MsgBoxDblTxt() : MessageWindow(QStringLiteral("MsgBoxDblTxt"), {2415, 1575, 1860}) {
    Text2 = MakeText(Frame, "Text2", 900, 435);
}

MessageButton MsgBoxDblTxt::ShowMsg(const QString& text1, const QString& text2, std::int16_t buttons,
                                    const QString& cap1, const QString& cap2, std::int16_t icon, const QString& title) {
    SetText(Text1, text1);
    SetText(Text2, text2);
    return ShowFilled(buttons, cap1, cap2, icon, title);
}

MsgBoxSnglTxt& SingleTextBox() {
    static QPointer<MsgBoxSnglTxt> window;
    if (!window) window = new MsgBoxSnglTxt;
    return *window;
}

MsgBoxDblTxt& DoubleTextBox() {
    static QPointer<MsgBoxDblTxt> window;
    if (!window) window = new MsgBoxDblTxt;
    return *window;
}

void ReportWriteFailure(const std::exception& error, const QString& consequence) {
    DoubleTextBox().ShowMsg(QString::fromStdString(error.what()), consequence, 0, QStringLiteral("OK"), QString(), 1,
                            QStringLiteral("Write Error"));
}

}  // namespace tessaly::shell
