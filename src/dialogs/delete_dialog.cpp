#include "delete_dialog.h"

#include "dialog_openers.h"

#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/run_change.h"
#include "shell/twips.h"
#include "shell/window_opener.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace tessaly::dialogs {

using shell::SetTwipsGeometry;

namespace {

// The selected card goes to the deleted list, and the entry above it is
// selected next (the first stays first).
void DeleteSelected(shell::AppContext& context, const shell::SelectedCard& selected, QWidget* asking) {
    store::CardStore& cards = *context.Store;
    shell::RunChange(cards, {.asking = asking,
                             .waitText = QStringLiteral("Please wait while deleting the record"),
                             .change = [&] { cards.DeleteCard(selected.recNo); },
                             .consequence = QStringLiteral("The card may not have been deleted."),
                             .rowAfter = [&](bool) { return std::max(selected.row - 1, 0); }});
}

}  // namespace

DeleteDialog::DeleteDialog(shell::AppContext& context, const shell::SelectedCard& selected, QWidget* parent)
    : QDialog(parent, shell::kFixedDialogFlags), context_(context), card_(selected) {
    setObjectName(QStringLiteral("DeleteDialog"));
    setWindowTitle(QStringLiteral("Delete Name"));
    setAttribute(Qt::WA_DeleteOnClose);
    shell::SetTwipsClientSize(this, 4635, 2295);
    Frame1 = new QGroupBox(QStringLiteral(" Delete this record ? "), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    SetTwipsGeometry(Frame1, 180, 120, 4275, 1455);
    shell::PutCaptionOnFrameLine(Frame1);
    const QString rows[] = {QStringLiteral("Name"), QStringLiteral("Title"), QStringLiteral("Company")};
    QLabel** values[] = {&LblName, &LblTitle, &LblCompany};
    const QString names[] = {QStringLiteral("LblName"), QStringLiteral("LblTitle"), QStringLiteral("LblCompany")};
    for (int i = 0; i < 3; ++i) {
        auto* row = new QLabel(rows[i], Frame1);
        SetTwipsGeometry(row, 180, 330 + 360 * i, 900, 285);
        *values[i] = new QLabel(Frame1);
        (*values[i])->setObjectName(names[i]);
        (*values[i])->setTextFormat(Qt::PlainText);
        SetTwipsGeometry(*values[i], 1140, 330 + 360 * i, 2955, 285);
    }
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    SetTwipsGeometry(BtnOK, 960, 1740, 1215, 375);
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    SetTwipsGeometry(BtnCancel, 2460, 1740, 1215, 375);
    BtnOK->setEnabled(!context_.InUse);
    connect(BtnOK, &QPushButton::clicked, this, &DeleteDialog::BtnOK_Click);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, &QWidget::close);
    FillLabels();
    ClaimSlot();
}

bool DeleteDialog::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) Form_Activate();
    return QDialog::event(e);
}

void DeleteDialog::Form_Activate() {
    shell::SetMainStatusText(0, windowTitle());
    FillLabels();
}

void DeleteDialog::FillLabels() {
    const store::Card& f = card_.card;
    LblName->setText(f[store::FirstName].isEmpty() ? f[store::LastName]
                                                   : f[store::FirstName] + u' ' + f[store::LastName]);
    LblTitle->setText(f[store::Title]);
    LblCompany->setText(f[store::Company]);
}

void DeleteDialog::BtnOK_Click() {
    DeleteSelected(context_, card_, this);
}

void OpenDeleteDialog(shell::AppContext& context, const shell::SelectedCard& selected) {
    if (!selected.IsCard()) return;
    shell::OpenOverMain(new DeleteDialog(context, selected), shell::Placement::TopRight);
}

void DeleteNoConfirm(shell::AppContext& context, const shell::SelectedCard& selected) {
    if (selected.IsCard()) DeleteSelected(context, selected, nullptr);
}

}  // namespace tessaly::dialogs
