#pragma once
#include "card_form.h"
#include "shell/window_opener.h"

namespace tessaly::dialogs {

// Changes the selected card (record number CurrentRecNo) in place; it moves
// within the lists when its name or company changed.
class EditDialog : public CardForm, public shell::OnlyOne<EditDialog> {
    Q_OBJECT
public:
    EditDialog();

private:
    void BtnOK_Click() override;
};

}  // namespace tessaly::dialogs
