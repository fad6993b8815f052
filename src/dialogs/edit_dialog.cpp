#include "edit_dialog.h"

#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/run_change.h"

namespace tessaly::dialogs {

EditDialog::EditDialog(shell::AppContext& context)
    : CardForm(context, QStringLiteral("EditDialog"), QStringLiteral("Edit Name")) {
    ClaimSlot();
}

void EditDialog::SetCard(const shell::SelectedCard& selected) {
    card_ = selected;
    SetBoxTexts(card_.card);
}

void EditDialog::BtnOK_Click() {
    const store::Card typed = BoxTexts();
    if (RefusedAsEmpty(typed)) return;
    store::CardStore& cards = *context_.Store;
    const QString n = card_.recNo;
    bool moved = false;
    shell::RunChange(
        cards,
        {.asking = this,
         .waitText = QStringLiteral("Please wait while setting record"),
         .change = [&] { moved = cards.ChangeCard(n, card_.card, typed); },
         .consequence = QStringLiteral("The card may be only partly changed; the list shows what the data file holds."),
         // A card that moved is selected at its new place.
         .rowAfter =
             [&](bool changed) {
                 return changed && moved ? std::max(cards.ListPosition(n), 0) : shell::MainWindowLink::kSameRow;
             }});
}

}  // namespace tessaly::dialogs
