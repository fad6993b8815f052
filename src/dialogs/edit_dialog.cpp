#include "edit_dialog.h"

#include "history/history_text.h"
#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/msg_box.h"
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

// Shows the card's values now and those typed; true when the typed ones are to be kept.
bool EditDialog::KeepMine(const store::Card& stored, const store::Card& typed) {
    const QString text = QStringLiteral(
                             "%1 was changed by another program while you edited it.\r\r"
                             "Field: its value now | yours\r%2\r\rKeep your values?")
                             .arg(history::CardName(stored), history::DifferingFields(stored, typed).join(u'\r'));
    return shell::SingleTextBox().ShowMsg(text, 2, QStringLiteral("Keep mine"), QStringLiteral("Keep theirs"),
                                          shell::icon::Question,
                                          QStringLiteral("Card changed meanwhile")) == shell::MessageButton::First;
}

void EditDialog::BtnOK_Click() {
    const store::Card typed = BoxTexts();
    if (RefusedAsEmpty(typed)) return;
    store::CardStore& cards = *context_.Store;
    const QString n = card_.recNo;
    bool moved = false, keptMine = false;
    shell::RunChange(
        cards,
        {.asking = this,
         .waitText = QStringLiteral("Please wait while setting record"),
         .change = [&] { moved = cards.ChangeCardIfUnchanged(n, card_.card, typed); },
         .consequence = QStringLiteral("The card may be only partly changed; the list shows what the data file holds."),
         // A card that moved is selected at its new place.
         .rowAfter =
             [&](bool changed) {
                 return (changed || keptMine) && moved ? std::max(cards.ListPosition(n), 0)
                                                       : shell::MainWindowLink::kSameRow;
             },
         // Another program changed the card while it was open here: the person chooses, nothing is overwritten unseen.
         .reportFailure =
             [&](const std::exception& e) {
                 const auto* meanwhile = dynamic_cast<const store::CardChangedMeanwhile*>(&e);
                 if (!meanwhile) return shell::ReportWriteFailure(e, QStringLiteral("The card is as it was."));
                 if (!KeepMine(meanwhile->stored, typed)) return;
                 try {
                     store::Card stored = meanwhile->stored;
                     moved = cards.ChangeCard(n, stored, typed);
                     keptMine = true;
                 } catch (const std::exception& again) {
                     shell::ReportWriteFailure(again, QStringLiteral("The card is as the other program left it."));
                 }
             }});
}

}  // namespace tessaly::dialogs
