#pragma once
#include <QString>

namespace tessaly::cli {

// A card's value on one line that a terminal shows as it is: backslash, line
// feed, carriage return and tab as \\ \n \r \t, every other control or
// invisible formatting character as \xHH (up to U+00FF) or \u{H...}.
// UnescapeValue reads all of these back; an unknown escape stands as typed.
QString EscapeValue(const QString& value);
QString UnescapeValue(const QString& text);

}  // namespace tessaly::cli
