#pragma once
#include <QString>
#include <functional>

namespace tessaly::dialogs {

// Runs a change of the card file. A write the disk refuses is reported, and the
// lists are read again from the file so that the window shows what it holds.
// True when the change went through.
bool RunChange(const std::function<void()>& change, const QString& consequence);

// The list the main window shows has a card selected (a filter may show none).
bool HasSelectedCard();

// Brings the main window forward (and enables it when asked).
void RaiseMain(bool enable = false);

}  // namespace tessaly::dialogs
