#include "edit_dialog.h"

#include "shell/run_change.h"
#include "shell/shared_data.h"

namespace tessaly::dialogs {

using shell::Shared;

EditDialog::EditDialog() : CardForm(QStringLiteral("EditDialog"), QStringLiteral("Edit Name")) { ClaimSlot(); }

void EditDialog::BtnOK_Click() {
    const store::Card typed = BoxTexts();
    if (RefusedAsEmpty(typed)) return;
    shell::SharedData& s = Shared();
    const QString n = s.CurrentRecNo;
    bool moved = false;
    shell::RunChange({.asking = this,
                      .waitText = QStringLiteral("Please wait while setting record"),
                      .change = [&] { moved = s.Store->ChangeCard(n, s.CardFields, typed); },
                      .consequence = QStringLiteral("The card may be only partly changed; the list shows what the data file holds."),
                      // A card that moved is selected at its new place.
                      .rowAfter = [&](bool changed) {
                          return changed && moved ? std::max(s.Store->ListPosition(n), 0) : s.CurrentIndex;
                      }});
}

}  // namespace tessaly::dialogs
