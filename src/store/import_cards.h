#pragma once
#include "card_layout.h"
#include "import_fields.h"
#include "store_hooks.h"

#include <QList>
#include <QStringList>
#include <stdexcept>

namespace tessaly::store {

class CardStore;

// The wizard's choices for a field: 0 "Salute" ... 17 "Notes", 18 "NONE OF THE ABOVE".
inline constexpr int kNoneOfTheAbove = 18;
extern const QStringList kImportChoices;

// The card that a line's fields make: each field fills the card field its
// choice names (a later field wins, but two fields for Address4, a city and
// its region, are joined with ", "); choices 3 and 4 split at the first blank.
// A card without first name, last name and company is named "NULL NAME".
CardFieldList CardFromFields(const QStringList& fields, const QList<int>& choices);

// Writes one card at the head of both lists, as an import does inside its
// change and bulk; the sort at the end puts it in its place.
void ImportLine(CardStore& store, CardFieldList fields);

// The lines an import keeps: all, or (when either text is given) those that
// contain one of the texts, letter case ignored.
QStringList KeepLines(const QStringList& lines, const QString& only0, const QString& only1);

// How many more cards the card file can take: replacing, all of them.
int ImportRoom(bool replace, int cardsInFile);

// An import that did not complete; the card file is as it was before.
class ImportFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ImportPlan {
    Delimiter delimiter;
    int fieldCount = 0;
    QList<int> choices;  // one per field
    bool replace = false;
};

// The cards the lines make with the plan's delimiter and choices.
QList<CardFieldList> CardsFromLines(const QStringList& lines, const ImportPlan& plan);

// An existing card whose empty fields an import fills: the values it will hold.
struct CardFill {
    QString recNo;
    CardFieldList fields;
};

// Imports the cards at the head of both lists, under one change: first
// safety copies of the card files beside them (tesly*.old), then, when
// replacing, an empty card file (fills are for appending only), then the
// fills, then the new cards. A write that fails puts every card file back
// and throws ImportFailed. Refuses more cards than ImportRoom with
// CardLimitReached. Afterwards the lists are loaded and sorted; the text
// returned is empty, or says why the new cards could not be put in order
// (they are in the file, and the next start sorts them).
[[nodiscard]] QString ImportCardList(CardStore& store, const QList<CardFieldList>& cards, bool replace, ProgressSink& progress,
                                     const QList<CardFill>& fills = {});

// Every line as a card: CardsFromLines, then ImportCardList.
[[nodiscard]] QString ImportCards(CardStore& store, const QStringList& lines, const ImportPlan& plan, ProgressSink& progress);

}  // namespace tessaly::store
