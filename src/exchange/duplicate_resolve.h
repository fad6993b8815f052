#pragma once
#include "duplicate_index.h"
#include "import_cards.h"

namespace tessaly::store {

class CardStore;

// The import the choices leave: the new cards, the existing cards whose
// empty fields are filled, and how many incoming cards were skipped or went
// into another card.
struct ResolvedImport {
    QList<Card> cards;
    QList<int> from;  // the incoming card each of 'cards' is
    QList<CardFill> fills;
    int skipped = 0, filled = 0;
};

// Where a duplicate's row starts: a strong match (the same e-mail, phone or
// whole content) at Skip, so that accepting the rows as they start never
// doubles a card; a possible one (a name) at Import.
DuplicateAction StartingAction(const ImportDuplicate& duplicate);
QList<DuplicateAction> StartingActions(const QList<ImportDuplicate>& duplicates);
// The sentence above the rows that says so.
QString StartingActionsText();

// The choices the duplicate window's rows hold: a match first seen under the
// lock takes the action every row has, or is imported when they differ.
DuplicateChoices ChoicesFrom(const QList<ImportDuplicate>& duplicates, const QList<DuplicateAction>& actions);

// The duplicate check of 'incoming' against 'known', the choices applied.
ResolvedImport ResolveWithChoices(const KnownCards& known, const QList<Card>& incoming,
                                  const DuplicateChoices& choices);

// The live cards in name order, read for the duplicate check.
KnownCards ReadKnownCards(CardStore& store);

// The card with its empty (or blank) fields taken from 'from'; nothing it holds is changed.
Card FilledCard(Card card, const Card& from);

// Applies one action per duplicate (in the order of 'duplicates'). A card
// that matches an earlier incoming card fills or is skipped in favour of
// that card, wherever it went.
ResolvedImport ResolveDuplicates(const KnownCards& known, const QList<Card>& incoming,
                                 const QList<ImportDuplicate>& duplicates, const QList<DuplicateAction>& actions);

}  // namespace tessaly::store
