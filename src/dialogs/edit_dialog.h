#pragma once
#include "card_form.h"

namespace tessaly::dialogs {

// Changes the selected card (record number CurrentRecNo) in place; it moves
// within the lists when its name or company changed.
class EditDialog : public CardForm {
    Q_OBJECT
public:
    EditDialog();
    static EditDialog* Current();

private:
    void BtnOK_Click() override;
};

}  // namespace tessaly::dialogs
