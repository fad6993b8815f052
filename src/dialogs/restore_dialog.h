#pragma once
#include "shell/window_opener.h"

#include <QDialog>
#include <array>

class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace tessaly::shell {
struct AppContext;
}

namespace tessaly::dialogs {

// The deleted cards, in the order of the main window's view, with the details
// of the one selected; a card is brought back by the button or a double-click.
// Shown not modal beside the disabled main window; deletes itself when it closes.
class RestoreDialog : public QDialog, public shell::OnlyOne<RestoreDialog> {
    Q_OBJECT
public:
    explicit RestoreDialog(shell::AppContext& context, QWidget* parent = nullptr);

    // Reads the deleted list from the card file into DelLstNames and shows the first card.
    void Fill();

    QListWidget* DelLstNames;
    QGroupBox* DetailsFrame;
    std::array<QLabel*, 13> Label{};
    QPushButton* BtnRestore;
    QPushButton* BtnCancel;

    int DeletedIndex = 0;
    QString RestoreRecNo;

private:
    void DelLstNames_Click();
    void BtnRestore_Click();

    shell::AppContext& context_;
};

}  // namespace tessaly::dialogs
