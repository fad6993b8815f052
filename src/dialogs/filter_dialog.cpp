#include "filter_dialog.h"

#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/msg_box.h"
#include "shell/progress_windows.h"
#include "shell/run_change.h"
#include "shell/twips.h"
#include "shell/window_opener.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <tuple>

namespace tessaly::dialogs {

using shell::SetTwipsGeometry;

namespace {

template <class Box>
Box* TextBox(QWidget* frame, const char* name, int left, int top, int width, int height) {
    auto* box = new Box(frame);
    box->setObjectName(QString::fromLatin1(name));
    SetTwipsGeometry(box, left, top, width, height);
    return box;
}

}  // namespace

store::FilterTexts& FilterDialog::Remembered() {
    static store::FilterTexts texts;
    return texts;
}

FilterDialog::FilterDialog(shell::AppContext& context, const QString& selectedRecNo, QWidget* parent)
    : QDialog(parent, shell::kFixedDialogFlags), context_(context), selectedRecNo_(selectedRecNo) {
    setObjectName(QStringLiteral("FilterDialog"));
    setWindowTitle(QStringLiteral("Tessaly Filter"));
    setAttribute(Qt::WA_DeleteOnClose);
    shell::SetTwipsClientSize(this, 5115, 3255);
    Frame = new QGroupBox(this);
    Frame->setObjectName(QStringLiteral("Frame"));
    SetTwipsGeometry(Frame, 180, 120, 4755, 2355);
    TxtFirstName = TextBox<QLineEdit>(Frame, "TxtFirstName", 1260, 300, 1575, 285);
    TxtLastName = TextBox<QLineEdit>(Frame, "TxtLastName", 2940, 300, 1575, 285);
    TxtTitle = TextBox<QLineEdit>(Frame, "TxtTitle", 1260, 720, 3255, 285);
    TxtCompany = TextBox<QLineEdit>(Frame, "TxtCompany", 1260, 1140, 3255, 285);
    TxtNotes = TextBox<QPlainTextEdit>(Frame, "TxtNotes", 1260, 1620, 3255, 495);
    // Tab moves on, as in the other boxes, instead of typing a tab into the notes.
    TxtNotes->setTabChangesFocus(true);
    const std::tuple<const char*, int, QWidget*> captions[] = {{"&Name", 360, TxtFirstName},
                                                               {"&Title", 780, TxtTitle},
                                                               {"&Company", 1140, TxtCompany},
                                                               {"N&otes", 1740, TxtNotes}};
    for (const auto& [caption, top, box] : captions) {
        auto* label = new QLabel(QString::fromLatin1(caption), Frame);
        label->setObjectName(QString::fromLatin1(caption).remove(u'&'));
        label->setBuddy(box);
        SetTwipsGeometry(label, 180, top, 1000, 285);
        shell::GiveDescendersRoom(label);
    }
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    SetTwipsGeometry(BtnOK, 1200, 2700, 1215, 375);
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    SetTwipsGeometry(BtnCancel, 2700, 2700, 1215, 375);

    const store::FilterTexts& texts = Remembered();
    TxtFirstName->setText(texts[0]);
    TxtLastName->setText(texts[1]);
    TxtTitle->setText(texts[2]);
    TxtCompany->setText(texts[3]);
    TxtNotes->setPlainText(texts[4]);
    QWidget::setTabOrder(TxtFirstName, TxtLastName);
    QWidget::setTabOrder(TxtLastName, TxtTitle);
    QWidget::setTabOrder(TxtTitle, TxtCompany);
    QWidget::setTabOrder(TxtCompany, TxtNotes);
    QWidget::setTabOrder(TxtNotes, BtnOK);
    QWidget::setTabOrder(BtnOK, BtnCancel);

    connect(BtnOK, &QPushButton::clicked, this, &FilterDialog::BtnOK_Click);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, &QWidget::close);
    ClaimSlot();
}

bool FilterDialog::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) shell::SetMainStatusText(0, windowTitle());
    return QDialog::event(e);
}

// A closed dialog waits for its deletion; the next opening makes a new one.
void FilterDialog::closeEvent(QCloseEvent* e) {
    ReleaseSlot();
    QDialog::closeEvent(e);
}

store::FilterTexts FilterDialog::Typed() const {
    // A line break typed in the notes box is looked for as the card file stores it.
    QString notes = TxtNotes->toPlainText();
    notes.replace(u'\n', QStringLiteral("\r\n"));
    return {TxtFirstName->text(), TxtLastName->text(), TxtTitle->text(), TxtCompany->text(), notes};
}

void FilterDialog::BtnOK_Click() {
    shell::AppContext& s = context_;
    store::CardStore& store = *s.Store;
    int rowAfter = shell::MainWindowLink::kSameRow;
    Remembered() = Typed();
    const bool wasOn = store.IsFiltered();
    const bool on = store::FilterWanted(Remembered());
    // The in-use check would reread the lists under the search.
    const shell::InUseCheckPause pause;
    if (on) {
        shell::RaiseMain();
        hide();
        shell::ShowProgressWindow();
    }
    const auto back = qScopeGuard([&] {
        shell::SetMainStatusText(0, QString());
        shell::SetMainStatusText(1, QString());
        shell::RaiseMain();
        shell::PercentWindow().hide();
        close();
        if (QWidget* main = shell::MainWindow()) main->setEnabled(true);
        shell::RefreshMain(rowAfter);
    });
    store::ProgressSink silent;
    try {
        store::ApplyFilter(store, Remembered(), s.Progress ? *s.Progress : silent);
    } catch (const std::exception& error) {
        // Nothing of the lists changed: the main window shows what it showed.
        shell::PercentWindow().hide();
        shell::DoubleTextBox().ShowMsg(QString::fromStdString(error.what()),
                                       QStringLiteral("The list shows what it showed before."), 0, QStringLiteral("OK"),
                                       QString(), 1, QStringLiteral("Read Error"));
        return;
    }
    if (on) {
        rowAfter = 0;
    } else if (wasOn) {
        const int at = store.ListPosition(selectedRecNo_);
        if (at >= 0) rowAfter = at;
    }
}

void OpenFilterDialog(shell::AppContext& context, const QString& selectedRecNo) {
    if (FilterDialog* open = FilterDialog::Current()) {
        open->raise();
        open->activateWindow();
        return;
    }
    shell::OpenOverMain(new FilterDialog(context, selectedRecNo), shell::Placement::TopRight);
}

}  // namespace tessaly::dialogs
