#include "new_dialog.h"

#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/run_change.h"

namespace tessaly::dialogs {

namespace {

struct Placeholder {
    int index;
    const char* text;
};
// The salutation's "Mr." is a real default, not a placeholder: it is stored unless the card has no name.
constexpr Placeholder kPlaceholders[] = {{store::FirstName, "First Name"},
                                         {store::LastName, "Last Name"},
                                         {store::Address5, "ZIP/Postal code"},
                                         {store::Address6, "Country"}};

// The texts to store: placeholders the user left alone (exact case) count as empty.
store::Card WithoutPlaceholders(store::Card typed) {
    for (const Placeholder& p : kPlaceholders)
        if (typed[p.index] == QLatin1String(p.text)) typed[p.index].clear();
    return typed;
}

}  // namespace

NewDialog::NewDialog(shell::AppContext& context)
    : CardForm(context, QStringLiteral("NewDialog"), QStringLiteral("New Name")) {
    ClaimSlot();
}

void NewDialog::ShowPlaceholders() {
    SetBoxTexts({});
    SetBoxText(store::Sal, QStringLiteral("Mr."));
    for (const Placeholder& p : kPlaceholders) SetBoxText(p.index, QLatin1String(p.text));
}

void NewDialog::BtnOK_Click() {
    // Worked on a copy, so a refused card leaves the boxes exactly as they were.
    const store::Card fields = WithoutPlaceholders(BoxTexts());
    if (RefusedAsEmpty(fields)) return;
    QString n;
    store::CardStore& cards = *context_.Store;
    shell::RunChange(
        cards,
        {.asking = this,
         .waitText = QStringLiteral("Please wait while inserting new record"),
         .change = [&] { n = cards.AddCard(fields); },
         .consequence = QStringLiteral("The new card was not saved completely."),
         // A filtered list that does not show the new card selects its first line.
         .rowAfter =
             [&](bool added) { return added ? std::max(cards.ListPosition(n), 0) : shell::MainWindowLink::kSameRow; }});
}

}  // namespace tessaly::dialogs
