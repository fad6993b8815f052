#include "history_window.h"

#include "history/history_text.h"
#include "history/undo_redo.h"
#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/msg_box.h"
#include "shell/run_change.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tessaly::dialogs {

namespace {

// A description as a menu entry shows it: its ampersands are not access keys.
QString MenuText(const QString& text) {
    QString shown = text.left(60);
    if (shown.size() < text.size()) shown += u'…';
    return shown.replace(u'&', QStringLiteral("&&"));
}

void RunStep(shell::AppContext& context, const QString& waitText, const std::function<void()>& step) {
    if (!context.History || !context.Store) return;
    shell::RunChange(*context.Store, {.asking = nullptr,
                                      .waitText = waitText,
                                      .change = step,
                                      .consequence = QStringLiteral("The card file is as the message says."),
                                      .rowAfter = [](bool) { return shell::MainWindowLink::kSameRow; },
                                      .reportFailure = {}});
}

}  // namespace

HistoryWindow::HistoryWindow(shell::AppContext& context, QWidget* parent)
    : QDialog(parent, shell::kFixedDialogFlags), context_(context) {
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(QStringLiteral("History of Changes"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* changesLabel = new QLabel(QStringLiteral("&Changes, newest first:"), this);
    LstChanges = new QTreeWidget(this);
    LstChanges->setObjectName(QStringLiteral("LstChanges"));
    LstChanges->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Change"), QStringLiteral("Cards")});
    LstChanges->setRootIsDecorated(false);
    LstChanges->setUniformRowHeights(true);
    LstChanges->header()->setStretchLastSection(false);
    LstChanges->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    LstChanges->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    LstChanges->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    changesLabel->setBuddy(LstChanges);
    auto* detailsLabel = new QLabel(QStringLiteral("&What it changed:"), this);
    TxtDetails = new QPlainTextEdit(this);
    TxtDetails->setObjectName(QStringLiteral("TxtDetails"));
    TxtDetails->setReadOnly(true);
    TxtDetails->setLineWrapMode(QPlainTextEdit::NoWrap);
    detailsLabel->setBuddy(TxtDetails);
    BtnUndoBack = new QPushButton(QStringLiteral("&Undo back to here"), this);
    BtnUndoBack->setObjectName(QStringLiteral("BtnUndoBack"));
    BtnClear = new QPushButton(QStringLiteral("C&lear history"), this);
    BtnClear->setObjectName(QStringLiteral("BtnClear"));
    BtnClose = new QPushButton(QStringLiteral("Close"), this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    BtnClose->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnUndoBack);
    buttons->addWidget(BtnClear);
    buttons->addStretch();
    buttons->addWidget(BtnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(changesLabel);
    layout->addWidget(LstChanges, 3);
    layout->addWidget(detailsLabel);
    layout->addWidget(TxtDetails, 2);
    layout->addLayout(buttons);
    resize(640, 480);

    connect(LstChanges, &QTreeWidget::currentItemChanged, this, &HistoryWindow::LstChanges_Click);
    connect(BtnUndoBack, &QPushButton::clicked, this, &HistoryWindow::BtnUndoBack_Click);
    connect(BtnClear, &QPushButton::clicked, this, &HistoryWindow::BtnClear_Click);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, &QWidget::close);
    ClaimSlot();
}

void HistoryWindow::Fill() {
    const QSignalBlocker quiet(LstChanges);
    LstChanges->clear();
    if (context_.History) {
        const QList<history::JournalEntry>& entries = context_.History->Entries();
        for (auto it = entries.crbegin(); it != entries.crend(); ++it) {
            const QString change = it->undone ? it->description + QStringLiteral(" (undone)") : it->description;
            auto* item = new QTreeWidgetItem({history::EntryTimeText(*it), change, history::CardsTouchedText(*it)});
            item->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(it->id));
            item->setData(1, Qt::UserRole, history::ChangeLines(*it).join(u'\n'));
            if (it->undone)
                for (int c = 0; c < 3; ++c) item->setForeground(c, palette().brush(QPalette::Disabled, QPalette::Text));
            LstChanges->addTopLevelItem(item);
        }
    }
    LstChanges->setCurrentItem(LstChanges->topLevelItem(0));
    LstChanges_Click();
    BtnClear->setEnabled(context_.History && LstChanges->topLevelItemCount() > 0);
}

void HistoryWindow::LstChanges_Click() {
    const QTreeWidgetItem* item = LstChanges->currentItem();
    TxtDetails->setPlainText(item ? item->data(1, Qt::UserRole).toString() : QString());
    const bool undoable = item && !item->text(1).endsWith(QStringLiteral(" (undone)"));
    BtnUndoBack->setEnabled(undoable && !context_.InUse);
}

void HistoryWindow::BtnUndoBack_Click() {
    const QTreeWidgetItem* item = LstChanges->currentItem();
    if (!item) return;
    const std::uint64_t id = item->data(0, Qt::UserRole).toULongLong();
    RunStep(context_, QStringLiteral("Please wait while undoing changes"),
            [this, id] { history::UndoBackTo(*context_.History, *context_.Store, id); });
    Fill();
}

void HistoryWindow::BtnClear_Click() {
    if (shell::SingleTextBox().ShowMsg(QStringLiteral("Remove the whole history? No change before now can be undone "
                                                      "afterwards; the cards stay as they are."),
                                       2, QStringLiteral("Yes"), QStringLiteral("No"), shell::icon::Question,
                                       windowTitle()) != shell::MessageButton::First)
        return;
    try {
        context_.History->Clear(std::chrono::seconds(5));
    } catch (const std::exception& e) {
        shell::ReportWriteFailure(e, QStringLiteral("The history stays as it was."));
    }
    Fill();
}

void OpenHistoryWindow(shell::AppContext& context) {
    if (!context.History) {
        shell::SingleTextBox().ShowMsg(context.HistoryNotice, 0, QStringLiteral("OK"), QString(),
                                       shell::icon::Exclamation, QStringLiteral("History of Changes"));
        return;
    }
    HistoryWindow* window = HistoryWindow::Current();
    if (!window) window = new HistoryWindow(context);
    window->Fill();
    shell::OpenOverMain(window, shell::Placement::Centred);
    window->LstChanges->setFocus();
}

void UndoLatest(shell::AppContext& context) {
    RunStep(context, QStringLiteral("Please wait while undoing"),
            [&context] { history::Undo(*context.History, *context.Store); });
}

void RedoLatest(shell::AppContext& context) {
    RunStep(context, QStringLiteral("Please wait while redoing"),
            [&context] { history::Redo(*context.History, *context.Store); });
}

void UpdateUndoEntries(shell::AppContext& context, QAction* undo, QAction* redo) {
    const history::JournalEntry* next = context.History ? context.History->NextUndo() : nullptr;
    const history::JournalEntry* again = context.History ? context.History->NextRedo() : nullptr;
    undo->setText(next ? QStringLiteral("&Undo ") + MenuText(next->description) : QStringLiteral("&Undo"));
    redo->setText(again ? QStringLiteral("&Redo ") + MenuText(again->description) : QStringLiteral("&Redo"));
    undo->setEnabled(next && !context.InUse);
    redo->setEnabled(again && !context.InUse);
}

}  // namespace tessaly::dialogs
