#include "tip_of_day.h"

#include "app_context.h"
#include "main_window_link.h"
#include "msg_box.h"
#include "twips.h"
#include "window_opener.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <array>
#include <random>

namespace tessaly::shell {

namespace {

const std::array<QString, kTipCount> kTips = {
    QStringLiteral("You can Double Click the name in the list, to copy the data to the Clipboard."),
    QStringLiteral(
        "You can Click the Name, in the details window, to change it's appearence, for the selected record."),
    QStringLiteral("You can Shift+Click the Name, in the details window, to copy it to the Clipboard."),
    QStringLiteral("You can Double Click the Status Bar to change from 'Name' view to 'Company' view."),
    QStringLiteral("You can Double Click the Status Bar to load the Filter dialog, or to turn the filter OFF."),
    QStringLiteral("You can Click a phone number, in the details window, to dial to this phone number."),
    QStringLiteral("You can Shift+Click a phone number, in the details window, to copy it to the Clipboard"),
    QStringLiteral("You can Right Click on any buttton to load a PopUp Menu."),
    QStringLiteral("You can Right Click the names list to load a PopUp Menu."),
    QStringLiteral("You can Shift+Click the 'New' button to duplicate the selected record."),
    QStringLiteral(
        "You can Shift+Click the 'Delete' button to delete the selected record, without confirmation message."),
};

constexpr std::minstd_rand::result_type kSeed = 20240611;

std::minstd_rand& Generator() {
    static std::minstd_rand generator(kSeed);
    return generator;
}

int RandomTipIndex() {
    return std::clamp(static_cast<int>(NextTipRandom() * kTipCount), 0, kTipCount - 1);
}

QPushButton* MakeButton(QWidget* window, const char* name, const char* caption, int left) {
    auto* button = new QPushButton(QLatin1String(caption), window);
    button->setObjectName(QLatin1String(name));
    SetTwipsGeometry(button, left, 2370, 1215, 375);
    return button;
}

}  // namespace

QString TipText(int index) {
    return index >= 0 && index < kTipCount ? kTips[index] : QString();
}

double NextTipRandom() {
    std::minstd_rand& g = Generator();
    // min() is at least 1, so the quotient stays below 1.
    return double(g() - g.min()) / (double(g.max() - g.min()) + 1.0);
}

void RestartTipRandom() {
    Generator().seed(kSeed);
}

TipOfDay::TipOfDay(AppContext& context, QWidget* parent) : QWidget(parent, kFixedDialogFlags), context_(context) {
    setObjectName(QStringLiteral("TipOfDay"));
    setWindowTitle(QStringLiteral("Tip of The Day"));
    setAttribute(Qt::WA_DeleteOnClose);
    QFont font = this->font();
    font.setPointSizeF(8);  // the tip label is sized for the longest tip at this size
    setFont(font);
    setFixedSize(ToPixels(4530), ToPixels(3030));

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture"));
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(ToPixels(480), ToPixels(480)));
    SetTwipsGeometry(picture, 120, 240, 480, 480);
    auto* heading = new QLabel(QStringLiteral("Did you know..."), this);
    heading->setObjectName(QStringLiteral("LblDidYouKnow"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    SetTwipsGeometry(heading, 675, 360, 3000, 285);

    TxtTipTxt = new QLabel(this);
    TxtTipTxt->setObjectName(QStringLiteral("TxtTipTxt"));
    TxtTipTxt->setTextFormat(Qt::PlainText);
    TxtTipTxt->setWordWrap(true);
    TxtTipTxt->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetTwipsGeometry(TxtTipTxt, 180, 765, 3660, 600);

    ChkTips = new QCheckBox(QStringLiteral("&Show Tip of The Day on startup"), this);
    ChkTips->setObjectName(QStringLiteral("ChkTips"));
    SetTwipsGeometry(ChkTips, 315, 1890, 3900, 285);
    BtnOK = MakeButton(this, "BtnOK", "&Close", 960);
    BtnNext = MakeButton(this, "BtnNext", "&Next Tip", 2520);
    BtnNext->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, &TipOfDay::BtnOK_Click);
    connect(BtnNext, &QPushButton::clicked, this, &TipOfDay::BtnNext_Click);

    // The box says what start-up does: on a first run, with no choice stored, the tips show,
    // so a plain Close keeps them.
    ChkTips->setChecked(TipsWanted(context_.Profile, context_.PreferencesFile));
    ShowTip(RandomTipIndex());
}

void TipOfDay::ShowTip(int index) {
    tipIndex_ = index;
    TxtTipTxt->setText(kTips[index]);
}

void TipOfDay::BtnNext_Click() {
    int index = RandomTipIndex();
    while (index == tipIndex_) index = RandomTipIndex();
    ShowTip(index);
}

void TipOfDay::BtnOK_Click() {
    try {
        WriteTips(context_.Profile, context_.PreferencesFile, ChkTips->isChecked());
    } catch (const profile::WriteError& e) {
        ReportWriteFailure(e, QStringLiteral("The choice about the tips at start-up was not saved."));
    }
    close();
}

bool TipOfDay::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) SetMainStatusText(0, windowTitle());
    return QWidget::event(e);
}

// Enter asks for the next tip, as the default button; Esc closes like the system menu.
void TipOfDay::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        BtnNext->click();
    else if (e->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(e);
}

}  // namespace tessaly::shell
