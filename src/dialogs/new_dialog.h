#pragma once
#include "card_form.h"

namespace tessaly::dialogs {

// Adds a card: empty with placeholders ("New Name") or a copy of the selected
// card ("New Name - Duplicate").
class NewDialog : public CardForm {
    Q_OBJECT
public:
    explicit NewDialog(shell::AppContext& context);
    static NewDialog* Current();

    // Every box emptied, then the placeholders written.
    void ShowPlaceholders();

private:
    void BtnOK_Click() override;
};

}  // namespace tessaly::dialogs
