#pragma once
#include "card_store.h"

#include <QStringList>
#include <span>

namespace tessaly::store {

// The items of the main window's "search in" list, by position.
inline constexpr int kSearchInCount = 4;
// The fields an item searches, in the order they are read; none for any other position.
std::span<const int> SearchFields(int item);
// The detail label that shows a field, so that a match can be highlighted there.
int FoundLabel(int field);

struct FindResult {
    bool found = false;
    int position = -1;  // list position of the card that matched
    int field = -1;     // the field that matched
    QString lastRecNo;  // the last card read (empty when none was)
};

// Whether 'value' in small letters holds 'lowered' (a text already in small letters).
bool FieldHolds(QStringView value, const QString& lowered);

// Looks for 'text' (lower-case substring, blanks included) in the fields of
// 'item' of the cards listed in 'recNos' (the list's record numbers, top to
// bottom): from the entry after 'start' to the end, then from the top to
// 'start' itself. Reads stop at the first field that matches. Between cards
// the progress sink lets the windows repaint and moves the gauge.
FindResult FindFunction(CardStore& store, const QStringList& recNos, int start, const QString& text, int item,
                        ProgressSink& progress);

}  // namespace tessaly::store
