#pragma once
#include "card_form.h"
#include "shell/selected_card.h"
#include "shell/window_opener.h"

namespace tessaly::dialogs {

// Changes the card it was handed in place; it moves within the lists when its
// name or company changed.
class EditDialog : public CardForm, public shell::OnlyOne<EditDialog> {
    Q_OBJECT
public:
    explicit EditDialog(shell::AppContext& context);
    // The card the boxes show and OK changes.
    void SetCard(const shell::SelectedCard& selected);

private:
    void BtnOK_Click() override;
    static bool KeepMine(const store::Card& stored, const store::Card& typed);
    shell::SelectedCard card_;
};

}  // namespace tessaly::dialogs
