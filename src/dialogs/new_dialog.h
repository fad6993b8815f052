#pragma once
#include "card_form.h"
#include "shell/window_opener.h"

namespace tessaly::dialogs {

// Adds a card: empty with placeholders ("New Name") or a copy of the selected
// card ("New Name - Duplicate").
class NewDialog : public CardForm, public shell::OnlyOne<NewDialog> {
    Q_OBJECT
public:
    explicit NewDialog(shell::AppContext& context);

    // Every box emptied, then the placeholders written.
    void ShowPlaceholders();

private:
    void BtnOK_Click() override;
};

}  // namespace tessaly::dialogs
