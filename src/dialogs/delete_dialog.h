#pragma once
#include "shell/selected_card.h"
#include "shell/window_opener.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;

namespace tessaly::shell {
struct AppContext;
}

namespace tessaly::dialogs {

// Asks before the selected card goes to the deleted list. Shown not modal
// beside the disabled main window; deletes itself when it closes.
class DeleteDialog : public QDialog, public shell::OnlyOne<DeleteDialog> {
    Q_OBJECT
public:
    DeleteDialog(shell::AppContext& context, const shell::SelectedCard& selected, QWidget* parent = nullptr);

    QGroupBox* Frame1;
    QLabel* LblName;
    QLabel* LblTitle;
    QLabel* LblCompany;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;

protected:
    bool event(QEvent* e) override;

private:
    void Form_Activate();
    void FillLabels();
    void BtnOK_Click();

    shell::AppContext& context_;
    shell::SelectedCard card_;
};

}  // namespace tessaly::dialogs
