#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tessaly::profile {

// How a value stands on its "key=value" line.
//
// A value is written as it is whenever the Windows profile routines read it back
// unchanged. A value with blanks (or ^Z) at either end, or wrapped in a pair of
// matching quotes, is written inside one pair of double quotes, which those
// routines strip. A value holding a control character other than an inner tab
// (a line break in the notes, say), or one that needs the quotes and holds a
// backslash, is written in the escaped form: inside double quotes, with
// \\ \r \n \t and \xHH standing for backslash, CR, LF, tab and other control
// bytes. We read a quoted value that holds a backslash as escaped; no value in
// the two plain forms looks like that, so every value reads back exactly and no
// value can ever break its line into new keys or sections.
QByteArray storedValue(const QString& value, bool forceUtf8 = false);

// The text of a stored value: 'raw' is everything after the first '=' of the line.
QString readValue(QByteArrayView raw);

// Profile whitespace: blanks, tabs, line-end characters and ^Z.
bool isProfileSpace(char c);
QByteArrayView trimmedView(QByteArrayView bytes);

}  // namespace tessaly::profile
