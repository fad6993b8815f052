#include "sync_conflicts_window.h"

#include "cards/card_layout.h"
#include "history/history_text.h"
#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/msg_box.h"
#include "shell/run_change.h"
#include "sync/sync_account.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tessaly::dialogs {

namespace {

const QString kTitle = QStringLiteral("Sync Conflicts");
// A value on its row: long notes would push the other columns out of sight; the details hold it whole.
constexpr qsizetype kRowChars = 80;

QString OneLine(const QString& value) {
    QString line = value;
    line.replace(QStringLiteral("\r\n"), QStringLiteral("↵")).replace(u'\n', u'↵').replace(u'\r', u'↵');
    if (line.size() > kRowChars) line = line.left(kRowChars) + u'…';
    return line;
}

QString Whole(const QString& value) {
    return value.isEmpty() ? QStringLiteral("(empty)") : value;
}

// A choice refused because the card or the conflict moved on is no write error: the person looks again.
void ReportFailure(const std::exception& error) {
    const QString consequence = QStringLiteral("The list shows the card and its conflicts as they are now.");
    if (dynamic_cast<const store::CardChangedMeanwhile*>(&error) || dynamic_cast<const sync::ConflictMovedOn*>(&error))
        shell::SingleTextBox().ShowMsg(QString::fromUtf8(error.what()) + u' ' + consequence, 0, QStringLiteral("OK"),
                                       QString(), shell::icon::Exclamation, kTitle);
    else
        shell::ReportWriteFailure(error, consequence);
}

}  // namespace

SyncConflictsWindow::SyncConflictsWindow(shell::AppContext& context, QWidget* parent)
    : QDialog(parent, shell::kFixedDialogFlags), context_(context) {
    setObjectName(QStringLiteral("SyncConflictsWindow"));
    setWindowTitle(kTitle);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* conflictsLabel = new QLabel(QStringLiteral("&Fields changed here and on the server:"), this);
    LstConflicts = new QTreeWidget(this);
    LstConflicts->setObjectName(QStringLiteral("LstConflicts"));
    LstConflicts->setHeaderLabels(
        {QStringLiteral("Card"), QStringLiteral("Field"), QStringLiteral("Here"), QStringLiteral("On the server")});
    LstConflicts->setRootIsDecorated(false);
    LstConflicts->setUniformRowHeights(true);
    LstConflicts->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    LstConflicts->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    conflictsLabel->setBuddy(LstConflicts);
    auto* detailsLabel = new QLabel(QStringLiteral("&Details:"), this);
    TxtDetails = new QPlainTextEdit(this);
    TxtDetails->setObjectName(QStringLiteral("TxtDetails"));
    TxtDetails->setReadOnly(true);
    detailsLabel->setBuddy(TxtDetails);
    LblStatus = new QLabel(this);
    LblStatus->setObjectName(QStringLiteral("LblStatus"));
    LblStatus->setWordWrap(true);
    // It shows file names and the accounts' own words: never read as markup.
    LblStatus->setTextFormat(Qt::PlainText);
    BtnKeepMine = new QPushButton(QStringLiteral("Keep &mine"), this);
    BtnKeepMine->setObjectName(QStringLiteral("BtnKeepMine"));
    BtnKeepServers = new QPushButton(QStringLiteral("Keep the &server's"), this);
    BtnKeepServers->setObjectName(QStringLiteral("BtnKeepServers"));
    BtnKeepBoth = new QPushButton(QStringLiteral("Keep &both"), this);
    BtnKeepBoth->setObjectName(QStringLiteral("BtnKeepBoth"));
    BtnClose = new QPushButton(QStringLiteral("&Close"), this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    BtnClose->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnKeepMine);
    buttons->addWidget(BtnKeepServers);
    buttons->addWidget(BtnKeepBoth);
    buttons->addStretch();
    buttons->addWidget(BtnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(conflictsLabel);
    layout->addWidget(LstConflicts, 3);
    layout->addWidget(detailsLabel);
    layout->addWidget(TxtDetails, 2);
    layout->addWidget(LblStatus);
    layout->addLayout(buttons);
    resize(720, 480);

    connect(LstConflicts, &QTreeWidget::currentItemChanged, this, &SyncConflictsWindow::LstConflicts_Click);
    connect(BtnKeepMine, &QPushButton::clicked, this, &SyncConflictsWindow::BtnKeepMine_Click);
    connect(BtnKeepServers, &QPushButton::clicked, this, &SyncConflictsWindow::BtnKeepServers_Click);
    connect(BtnKeepBoth, &QPushButton::clicked, this, &SyncConflictsWindow::BtnKeepBoth_Click);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, &QWidget::close);
    ClaimSlot();
}

void SyncConflictsWindow::Fill() {
    QStringList notices;
    conflicts_.clear();
    if (context_.Store) {
        try {
            conflicts_ = sync::ListConflicts(*context_.Store, sync::LoadAccounts(), &notices);
        } catch (const sync::AccountError& e) {
            notices << QString::fromUtf8(e.what());
        }
    }
    notices_ = notices.join(u'\n');
    LblStatus->setText(notices_);

    const QSignalBlocker quiet(LstConflicts);
    const int row = LstConflicts->currentIndex().row();
    LstConflicts->clear();
    for (qsizetype i = 0; i < conflicts_.size(); ++i) {
        const sync::FieldConflict& c = conflicts_[i];
        auto* item = new QTreeWidgetItem(
            {history::CardName(c.here), store::FieldKeys[c.field], OneLine(c.here[c.field]), OneLine(c.server)});
        item->setData(0, Qt::UserRole, QVariant::fromValue(i));
        LstConflicts->addTopLevelItem(item);
    }
    if (conflicts_.isEmpty()) {
        auto* none = new QTreeWidgetItem({QStringLiteral("No conflicts.")});
        none->setFlags(Qt::ItemIsEnabled);
        LstConflicts->addTopLevelItem(none);
    } else {
        LstConflicts->setCurrentItem(LstConflicts->topLevelItem(std::clamp(row, 0, int(conflicts_.size()) - 1)));
    }
    LstConflicts_Click();
}

const sync::FieldConflict* SyncConflictsWindow::Selected() const {
    const QTreeWidgetItem* item = LstConflicts->currentItem();
    if (!item || !item->data(0, Qt::UserRole).isValid()) return nullptr;
    const qsizetype i = item->data(0, Qt::UserRole).value<qsizetype>();
    return i >= 0 && i < conflicts_.size() ? &conflicts_[i] : nullptr;
}

void SyncConflictsWindow::LstConflicts_Click() {
    const sync::FieldConflict* c = Selected();
    TxtDetails->setPlainText(
        c ? QStringLiteral("%1, %2, here:\n%3\n\nOn the server:\n%4")
                .arg(history::CardName(c->here), store::FieldKeys[c->field], Whole(c->here[c->field]), Whole(c->server))
          : QString());
    // Keeping this side's value changes no card: it stays open while another program holds the card file.
    BtnKeepMine->setEnabled(c);
    BtnKeepServers->setEnabled(c && !context_.InUse);
    BtnKeepBoth->setEnabled(c && c->field == store::Notes && !context_.InUse);
}

bool SyncConflictsWindow::RunCardChange(const QString& waitText, const std::function<void()>& change) {
    if (!context_.Store) return false;
    return shell::RunChange(*context_.Store, {.asking = nullptr,
                                              .waitText = waitText,
                                              .change = change,
                                              .consequence = QString(),
                                              .rowAfter = [](bool) { return shell::MainWindowLink::kSameRow; },
                                              .reportFailure = ReportFailure});
}

void SyncConflictsWindow::Settled(bool done, const QString& what) {
    Fill();
    if (done) LblStatus->setText(notices_.isEmpty() ? what : notices_ + u'\n' + what);
}

void SyncConflictsWindow::BtnKeepMine_Click() {
    const sync::FieldConflict* c = Selected();
    if (!c || !context_.Store) return;
    bool done = false;
    try {
        sync::KeepMine(*context_.Store, *c);
        done = true;
    } catch (const std::exception& e) {
        ReportFailure(e);
    }
    Settled(done, QStringLiteral("Settled: sent at the next sync."));
}

void SyncConflictsWindow::BtnKeepServers_Click() {
    const sync::FieldConflict* c = Selected();
    if (!c) return;
    const sync::FieldConflict conflict = *c;
    const bool done = RunCardChange(QStringLiteral("Please wait while the card takes the server's value"),
                                    [this, conflict] { sync::KeepServers(*context_.Store, conflict); });
    Settled(done, QStringLiteral("Settled: the card holds the server's value."));
}

void SyncConflictsWindow::BtnKeepBoth_Click() {
    const sync::FieldConflict* c = Selected();
    if (!c || c->field != store::Notes) return;
    const sync::FieldConflict conflict = *c;
    const bool done = RunCardChange(QStringLiteral("Please wait while the notes are joined"),
                                    [this, conflict] { sync::KeepBothNotes(*context_.Store, conflict); });
    Settled(done, QStringLiteral("Settled: sent at the next sync."));
}

void OpenSyncConflictsWindow(shell::AppContext& context) {
    SyncConflictsWindow* window = SyncConflictsWindow::Current();
    if (!window) window = new SyncConflictsWindow(context);
    window->Fill();
    shell::OpenOverMain(window, shell::Placement::Centred);
    window->LstConflicts->setFocus();
}

}  // namespace tessaly::dialogs
