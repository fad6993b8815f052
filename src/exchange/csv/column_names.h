#pragma once
#include <QList>
#include <QString>
#include <QStringList>

namespace tessaly::store {

// The wizard's choice a column name of a known export suggests (Google,
// Outlook in English, German and French, Thunderbird, Apple, webmail), letter
// case and blanks ignored; kNoneOfTheAbove for a name it does not know.
int ChoiceForColumn(const QString& column);

// Whether a line's fields are the column names of a known export: two or more
// of them name a card field, or one does and is the only text on the line
// (the header of a one-column list, such as "E-mail Address").
bool IsHeaderLine(const QStringList& fields);

// The choice each column's name suggests ("NONE OF THE ABOVE" for the names
// it does not know); each field is suggested for one column only, except that
// a city and a region column both go to Address4, which holds them joined.
QList<int> ChoicesFromHeader(const QStringList& fields);

// Whether a column that got no field only repeats what placed columns hold:
// the whole name beside its parts, Google's labels ("E-mail 1 - Type") and its
// formatted copy of an address ("Address 1 - Formatted").
bool RepeatsPlacedColumns(const QString& column, const QList<int>& choices);

}  // namespace tessaly::store
