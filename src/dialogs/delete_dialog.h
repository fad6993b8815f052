#pragma once
#include "shell/window_opener.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;

namespace tessaly::dialogs {

// Asks before the selected card goes to the deleted list. Shown not modal
// beside the disabled main window; deletes itself when it closes.
class DeleteDialog : public QDialog, public shell::OnlyOne<DeleteDialog> {
    Q_OBJECT
public:
    explicit DeleteDialog(QWidget* parent = nullptr);

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
};

}  // namespace tessaly::dialogs
