#pragma once
#include "cards/card_layout.h"

#include <QDialog>
#include <array>

class QGroupBox;
class QPushButton;

namespace tessaly::shell {
struct AppContext;
}

namespace tessaly::dialogs {

// What the New and Edit dialogs share: the sixteen boxes of a card in one
// frame, OK and Cancel.
// Shown not modal over the disabled main window; closing it empties the first
// status panel, enables the main window and deletes the dialog.
class CardForm : public QDialog {
    Q_OBJECT
public:
    QGroupBox* Frame1;
    // Boxes 0 to 14 are one-line QLineEdits; the notes box 15 is a QPlainTextEdit.
    std::array<QWidget*, store::kFieldCount> TxtBox{};
    QPushButton* BtnOK;
    QPushButton* BtnCancel;

    // What the box holds, as it is to be stored: the notes exactly as they were
    // set while nobody edited them, else with CR LF line breaks as the sibling
    // program writes them; a line break pasted into a one-line box becomes a blank.
    QString BoxText(int index) const;
    void SetBoxText(int index, const QString& text);
    store::Card BoxTexts() const;
    void SetBoxTexts(const store::Card& texts);
    // Something was typed since the boxes were last filled.
    bool HoldsTypedChanges() const;

protected:
    CardForm(shell::AppContext& context, const QString& name, const QString& caption);
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

    // Name and company all empty: the user is told and the dialog stays as it is.
    bool RefusedAsEmpty(const store::Card& typed);

    shell::AppContext& context_;

private:
    void BuildRows();
    QString Shown(int index) const;
    virtual void BtnOK_Click() = 0;

    store::Card set_;    // the texts as last set
    store::Card shown_;  // what the boxes showed of them
};

}  // namespace tessaly::dialogs
