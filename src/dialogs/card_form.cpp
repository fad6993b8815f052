#include "card_form.h"

#include "shell/main_window_link.h"
#include "shell/msg_box.h"
#include "shell/run_change.h"
#include "shell/twips.h"
#include "shell/window_opener.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>

namespace tessaly::dialogs {

using shell::SetTwipsGeometry;

namespace {

struct BoxPlace {
    int left, top, width;
};
// Within the frame, in twips, in the order of the card's fields.
constexpr std::array<BoxPlace, store::kFieldCount> kBoxes = {{
    {960, 240, 615},
    {1620, 240, 1215},
    {2880, 240, 1215},
    {960, 600, 3135},
    {960, 960, 3135},
    {960, 1320, 3135},
    {960, 1680, 3135},
    {960, 2040, 3135},
    {960, 2400, 1515},
    {2520, 2400, 1575},
    {960, 2760, 3135},
    {960, 3120, 3135},
    {960, 3480, 3135},
    {960, 3840, 3135},
    {960, 4200, 3135},
    {960, 4560, 3135},
}};
constexpr int kBoxHeight = 285;
constexpr int kNotesHeight = 495;

struct RowLabel {
    const char* text;
    int top;
};
constexpr std::array<RowLabel, 9> kRows = {{
    {"&Name", 240},
    {"&Title", 600},
    {"&Company", 960},
    {"&Address", 1320},
    {"Phone&1", 3120},
    {"Phone&2", 3480},
    {"&Fax", 3840},
    {"&E-Mail", 4200},
    {"N&otes", 4560},
}};

QPushButton* MakeButton(QWidget* window, const char* name, const char* caption, int left) {
    auto* button = new QPushButton(QLatin1String(caption), window);
    button->setObjectName(QLatin1String(name));
    SetTwipsGeometry(button, left, 5580, 1215, 375);
    return button;
}

}  // namespace

CardForm::CardForm(shell::AppContext& context, const QString& name, const QString& caption)
    : QDialog(nullptr, shell::kFixedDialogFlags), context_(context) {
    setObjectName(name);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    QFont font = this->font();
    font.setPointSizeF(8);  // the 285-twip rows hold one line of text at this size
    setFont(font);
    shell::SetTwipsClientSize(this, 4635, 6135);
    setFixedSize(size());

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    SetTwipsGeometry(Frame1, 180, 120, 4275, 5235);
    BuildRows();

    BtnOK = MakeButton(this, "BtnOK", "OK", 960);
    BtnOK->setDefault(true);
    BtnCancel = MakeButton(this, "BtnCancel", "Cancel", 2460);
    connect(BtnOK, &QPushButton::clicked, this, [this] {
        // The in-use check waits from the look at the typed card to its end.
        const shell::InUseCheckPause pause;
        BtnOK_Click();
    });
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, &QWidget::close);
    setTabOrder(TxtBox.back(), BtnOK);
    setTabOrder(BtnOK, BtnCancel);
}

void CardForm::BuildRows() {
    for (int i = 0; i < store::kFieldCount; ++i) {
        QWidget* box;
        if (i == store::Notes) {
            auto* notes = new QPlainTextEdit(Frame1);
            notes->setTabChangesFocus(true);  // Tab moves on, as from every other box
            box = notes;
        } else {
            box = new QLineEdit(Frame1);
        }
        box->setObjectName(QStringLiteral("TxtBox(%1)").arg(i));
        SetTwipsGeometry(box, kBoxes[i].left, kBoxes[i].top, kBoxes[i].width,
                         i == store::Notes ? kNotesHeight : kBoxHeight);
        box->installEventFilter(this);
        if (i > 0) setTabOrder(TxtBox[i - 1], box);
        TxtBox[i] = box;
    }
    // Each caption's Alt key goes to the first box of its row.
    for (std::size_t k = 0; k < kRows.size(); ++k) {
        auto* label = new QLabel(QLatin1String(kRows[k].text), Frame1);
        label->setObjectName(QStringLiteral("Label(%1)").arg(k));
        SetTwipsGeometry(label, 120, kRows[k].top, 780, kBoxHeight);
        const auto first =
            std::find_if(kBoxes.begin(), kBoxes.end(), [&](const BoxPlace& b) { return b.top == kRows[k].top; });
        label->setBuddy(TxtBox[std::size_t(first - kBoxes.begin())]);
    }
}

QString CardForm::Shown(int index) const {
    if (auto* line = qobject_cast<QLineEdit*>(TxtBox[index])) return line->text();
    return static_cast<QPlainTextEdit*>(TxtBox[index])->toPlainText();
}

QString CardForm::BoxText(int index) const {
    QString text = Shown(index);
    if (text == shown_[index]) return set_[index];
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return text.replace(lineBreak, index == store::Notes ? QStringLiteral("\r\n") : QStringLiteral(" "));
}

void CardForm::SetBoxText(int index, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(TxtBox[index]))
        line->setText(text);
    else
        static_cast<QPlainTextEdit*>(TxtBox[index])->setPlainText(text);
    set_[index] = text;
    shown_[index] = Shown(index);
}

bool CardForm::HoldsTypedChanges() const {
    for (int i = 0; i < store::kFieldCount; ++i)
        if (Shown(i) != shown_[i]) return true;
    return false;
}

store::Card CardForm::BoxTexts() const {
    store::Card texts;
    for (int i = 0; i < store::kFieldCount; ++i) texts[i] = BoxText(i);
    return texts;
}

void CardForm::SetBoxTexts(const store::Card& texts) {
    for (int i = 0; i < store::kFieldCount; ++i) SetBoxText(i, texts[i]);
}

bool CardForm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) shell::SetMainStatusText(0, windowTitle());
    return QDialog::event(e);
}

// A box that gets the focus selects all of its text. Deferred, because a
// mouse press that gave the focus would place the cursor afterwards.
bool CardForm::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::FocusIn) {
        if (auto* line = qobject_cast<QLineEdit*>(watched))
            QTimer::singleShot(0, line, &QLineEdit::selectAll);
        else if (auto* notes = qobject_cast<QPlainTextEdit*>(watched))
            QTimer::singleShot(0, notes, &QPlainTextEdit::selectAll);
    }
    return QDialog::eventFilter(watched, e);
}

bool CardForm::RefusedAsEmpty(const store::Card& typed) {
    // Blanks alone name nobody.
    for (int field : {store::FirstName, store::LastName, store::Company})
        if (!typed[field].trimmed().isEmpty()) return false;
    shell::SingleTextBox().ShowMsg(QStringLiteral("Either Name or Company must be filled"), 0, QStringLiteral("OK"),
                                   QString(), 3, QStringLiteral("Empty Name and Company"));
    // Closing the message may hand the activation to the main window, which
    // then refreshes and enables itself; the dialog stays in charge.
    if (QWidget* main = shell::MainWindow()) main->setEnabled(false);
    activateWindow();
    return true;
}

}  // namespace tessaly::dialogs
