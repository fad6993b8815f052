#pragma once
#include <QString>

namespace tessaly::cli {

// Backslash, line feed, carriage return and tab as \\ \n \r \t, so a card's
// value stands on one line and can be typed back.
QString EscapeValue(const QString& value);
QString UnescapeValue(const QString& text);

}  // namespace tessaly::cli
