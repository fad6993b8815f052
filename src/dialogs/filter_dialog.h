#pragma once
#include "cards/card_filter.h"
#include "shell/window_opener.h"

#include <QDialog>
#include <array>

class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tessaly::shell {
struct AppContext;
}

namespace tessaly::dialogs {

// Takes the texts a card must contain to stay in the main list. Shown not
// modal over the disabled main window; deletes itself when it closes.
class FilterDialog : public QDialog, public shell::OnlyOne<FilterDialog> {
    Q_OBJECT
public:
    // selectedRecNo is the card the main window shows: it stays selected when the filter goes off.
    FilterDialog(shell::AppContext& context, const QString& selectedRecNo, QWidget* parent = nullptr);
    // The texts of the last OK in this run; the next opening shows them again.
    static store::FilterTexts& Remembered();

    QGroupBox* Frame;
    QLineEdit* TxtFirstName;
    QLineEdit* TxtLastName;
    QLineEdit* TxtTitle;
    QLineEdit* TxtCompany;
    QPlainTextEdit* TxtNotes;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    store::FilterTexts Typed() const;
    void BtnOK_Click();

    shell::AppContext& context_;
    QString selectedRecNo_;
};

// The main window's command that opens it.
void OpenFilterDialog(shell::AppContext& context, const QString& selectedRecNo);

}  // namespace tessaly::dialogs
