#include "restore_dialog.h"

#include "delete_dialog.h"
#include "dialog_openers.h"

#include "cards/card_details.h"
#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/progress_windows.h"
#include "shell/run_change.h"
#include "shell/twips.h"
#include "shell/window_opener.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace tessaly::dialogs {

using shell::SetTwipsGeometry;

RestoreDialog::RestoreDialog(shell::AppContext& context, QWidget* parent)
    : QDialog(parent, shell::kFixedDialogFlags), context_(context) {
    setObjectName(QStringLiteral("RestoreDialog"));
    setWindowTitle(QStringLiteral("Restore Deleted Record"));
    setAttribute(Qt::WA_DeleteOnClose);
    QFont small = font();
    small.setPixelSize(shell::ToPixels(165));  // the details rows were drawn for a small font
    setFont(small);
    shell::SetTwipsClientSize(this, 7575, 5205);

    DetailsFrame = new QGroupBox(QStringLiteral(" Details "), this);
    DetailsFrame->setObjectName(QStringLiteral("DetailsFrame"));
    SetTwipsGeometry(DetailsFrame, 120, 120, 4700, 4455);
    shell::PutCaptionOnFrameLine(DetailsFrame);
    const QString rows[] = {QStringLiteral("Name"),    QStringLiteral("Title"),  QStringLiteral("Company"),
                            QStringLiteral("Address"), QStringLiteral("Phone1"), QStringLiteral("Phone2"),
                            QStringLiteral("Fax"),     QStringLiteral("E-Mail"), QStringLiteral("Notes")};
    const int rowTops[] = {300, 600, 900, 1200, 2700, 3000, 3300, 3600, 3900};
    for (int i = 0; i < 9; ++i) SetTwipsGeometry(new QLabel(rows[i], DetailsFrame), 240, rowTops[i], 1020, 255);
    for (int i = 0; i < 13; ++i) {
        Label[i] = new QLabel(DetailsFrame);
        Label[i]->setObjectName(QStringLiteral("Label(%1)").arg(i));
        Label[i]->setTextFormat(Qt::PlainText);
        SetTwipsGeometry(Label[i], 1320, 330 + 300 * i, 3195, i == 12 ? 435 : 195);
        if (i < 12) shell::GiveDescendersRoom(Label[i]);
    }
    Label[12]->setWordWrap(true);
    Label[12]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    shell::SetWholeLinesHeight(Label[12]);

    DelLstNames = new QListWidget(this);
    DelLstNames->setObjectName(QStringLiteral("DelLstNames"));
    DelLstNames->setUniformItemSizes(true);
    SetTwipsGeometry(DelLstNames, 4980, 225, 2475, 4350);
    BtnRestore = new QPushButton(QStringLiteral("&Restore"), this);
    BtnRestore->setObjectName(QStringLiteral("BtnRestore"));
    SetTwipsGeometry(BtnRestore, 4980, 4710, 1215, 375);
    BtnRestore->setDefault(true);
    BtnRestore->setEnabled(!context_.InUse);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    SetTwipsGeometry(BtnCancel, 6240, 4710, 1215, 375);

    connect(DelLstNames, &QListWidget::currentRowChanged, this, &RestoreDialog::DelLstNames_Click);
    connect(DelLstNames, &QListWidget::itemDoubleClicked, this, [this] {
        if (BtnRestore->isEnabled()) BtnRestore->click();
    });
    connect(BtnRestore, &QPushButton::clicked, this, &RestoreDialog::BtnRestore_Click);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, &QWidget::close);
    ClaimSlot();
}

void RestoreDialog::Fill() {
    const store::DeletedList deleted = context_.Store->LoadDeletedList();
    {
        const QSignalBlocker quiet(DelLstNames);
        DelLstNames->clear();
        for (qsizetype i = 0; i < deleted.DeletedRecs.size(); ++i) {
            auto* item = new QListWidgetItem(deleted.DeletedTexts[i]);
            item->setData(Qt::UserRole, store::RecordData(deleted.DeletedRecs[i]));
            DelLstNames->addItem(item);
        }
        DelLstNames->setCurrentRow(DelLstNames->count() > 0 ? 0 : -1);
    }
    DelLstNames_Click();
}

void RestoreDialog::DelLstNames_Click() {
    if (DelLstNames->count() == 0) return;
    DeletedIndex = DelLstNames->currentRow();
    if (DeletedIndex < 0) {
        DeletedIndex = 0;
        DelLstNames->setCurrentRow(0);
        return;
    }
    RestoreRecNo = QString::number(DelLstNames->item(DeletedIndex)->data(Qt::UserRole).toInt());
    // The window's own copy of the card: the main window's selected card stays as it is.
    const store::Card fields = context_.Store->ReadCard(RestoreRecNo);
    const auto texts = store::DetailTexts(context_.Prefs.NameField, fields);
    for (int i = 0; i < store::kDetailLabelCount; ++i) Label[i]->setText(texts[i]);
}

void RestoreDialog::BtnRestore_Click() {
    if (RestoreRecNo.isEmpty()) return;
    const QString r = RestoreRecNo;
    store::CardStore& cards = *context_.Store;
    shell::RunChange(cards,
                     {.asking = this,
                      .waitText = QStringLiteral("Please wait while inserting the record"),
                      .change = [&] { cards.RestoreCard(r); },
                      .consequence = QStringLiteral("The card may not have been brought back."),
                      // The restored card is selected; a filtered list that does not show it selects its first line.
                      .rowAfter = [&](bool) { return std::max(0, cards.ListPosition(r)); }});
}

void LoadDeletedList(shell::AppContext& context) {
    if (!context.Store) return;
    auto* dialog = new RestoreDialog(context);
    const shell::InUseCheckPause pause;
    dialog->setEnabled(false);
    shell::OpenOverMain(dialog, shell::Placement::TopRight);
    shell::SetMainStatusText(0, dialog->windowTitle());
    shell::ShowProgressWindow();
    shell::PercentWindow().LblLumet->setText(QStringLiteral("Please wait while getting deleted names list..."));
    dialog->Fill();
    // The progress window brought the main window to the front; the list goes back on top of it.
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    dialog->setEnabled(true);
    shell::PercentWindow().hide();
    shell::SetMainStatusText(0, dialog->windowTitle());
}

void SetDialogsEditState(bool inUse) {
    SetCardDialogsEditState(inUse);
    if (DeleteDialog* dialog = DeleteDialog::Current()) dialog->BtnOK->setEnabled(!inUse);
    if (RestoreDialog* dialog = RestoreDialog::Current()) dialog->BtnRestore->setEnabled(!inUse);
}

}  // namespace tessaly::dialogs
