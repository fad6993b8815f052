#pragma once
#include "card_store.h"
#include "progress_sink.h"

#include <QString>
#include <array>

namespace tessaly::store {

// The texts a card must contain to pass the filter, one per field below; an
// empty text sets no condition. Kept for the run only, never written to a file.
inline constexpr std::array<int, 5> kFilterFields{FirstName, LastName, Title, Company, Notes};
using FilterTexts = std::array<QString, kFilterFields.size()>;

// True when any text holds more than blanks: only then does the filter go on.
bool FilterWanted(const FilterTexts& texts);

// Whether the stored value of every field with a non-empty text contains that
// text, without regard to letter case; the texts are used as typed, blanks
// included. True when all texts are empty.
bool CardPasses(CardStore& store, const QString& recNo, const FilterTexts& texts);

// The cards of the name list that pass, in name order. The first condition
// scans every card, each later one only the survivors; between cards the sink
// lets the windows repaint and moves the gauge.
QStringList SelectMatching(CardStore& store, const FilterTexts& texts, ProgressSink& progress);

// Shows only the cards that pass (none when none does) when any text holds
// more than blanks, else every card; cards added or moved later follow the
// same texts. True when the filter is on afterwards.
bool ApplyFilter(CardStore& store, const FilterTexts& texts, ProgressSink& progress);

}  // namespace tessaly::store
