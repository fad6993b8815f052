#pragma once
#include "journal_records.h"

#include <QStringList>

namespace tessaly::history {

// A card as the history names it: its list text, or what stands for a card without a name.
QString CardName(store::Card fields);
// What the History window shows of an entry: its time, and how many cards it touched.
QString EntryTimeText(const JournalEntry& entry);
QString CardsTouchedText(const JournalEntry& entry);
// Each card the entry changed, and each of its fields before and after; the card files it
// replaced for an entry that replaced them.
QStringList ChangeLines(const JournalEntry& entry);

// The fields where two versions of a card differ, a line each: "Phone1: theirs | yours".
QStringList DifferingFields(const store::Card& theirs, const store::Card& yours);

}  // namespace tessaly::history
