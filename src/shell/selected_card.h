#pragma once
#include "cards/card.h"

#include <QString>

namespace tessaly::shell {

// The card selected in the main window, as a dialog that works on it is handed it.
struct SelectedCard {
    int row = -1;
    QString recNo;  // empty when no card is selected (an empty list, or a filter that shows none)
    store::Card card{};

    bool IsCard() const { return !recNo.isEmpty(); }
};

}  // namespace tessaly::shell
