#include "delete_dialog.h"

#include "dialog_openers.h"

#include "shell/run_change.h"
#include "shell/shared_data.h"
#include "shell/twips.h"
#include "shell/window_opener.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace tessaly::dialogs {

using shell::SetTwipsGeometry;
using shell::Shared;

namespace {

// The selected card goes to the deleted list, and the entry above it is
// selected next (the first stays first).
void DeleteSelected(QWidget* asking) {
    shell::RunChange({.asking = asking,
                      .waitText = QStringLiteral("Please wait while deleting the record"),
                      .change = [] { Shared().Store->DeleteCard(Shared().CurrentRecNo); },
                      .consequence = QStringLiteral("The card may not have been deleted."),
                      .rowAfter = [](bool) { return std::max(Shared().CurrentIndex - 1, 0); }});
}

}  // namespace

DeleteDialog::DeleteDialog(QWidget* parent) : QDialog(parent, shell::kFixedDialogFlags) {
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
    BtnOK->setEnabled(!Shared().InUse);
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
    Shared().SetStatusText(0, windowTitle());
    FillLabels();
}

void DeleteDialog::FillLabels() {
    const store::Card& f = Shared().CardFields;
    LblName->setText(f[store::FirstName].isEmpty() ? f[store::LastName] : f[store::FirstName] + u' ' + f[store::LastName]);
    LblTitle->setText(f[store::Title]);
    LblCompany->setText(f[store::Company]);
}

void DeleteDialog::BtnOK_Click() { DeleteSelected(this); }

void OpenDeleteDialog() {
    if (!Shared().HasSelectedCard()) return;
    shell::OpenOverMain(new DeleteDialog, shell::Placement::TopRight);
}

void DeleteNoConfirm() {
    if (Shared().HasSelectedCard()) DeleteSelected(nullptr);
}

}  // namespace tessaly::dialogs
