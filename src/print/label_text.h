#pragma once
#include "cards/card_layout.h"

#include <QStringList>

namespace tessaly::store {

// The address block of a card as the copy command builds it (name in the
// given style, company, the address lines with city and state on one, country),
// one line each; blank lines are left out and line breaks inside a field
// become blanks, so every line of the result has text.
QStringList LabelLines(int nameStyle, const Card& fields);

}  // namespace tessaly::store
