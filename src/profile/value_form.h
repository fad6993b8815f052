#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVarLengthArray>

namespace tessaly::profile {

// How a value stands on its "key=value" line.
//
// A one-line value is written so that the Windows profile routines read it
// unchanged: as it is, or, when it has blanks (or ^Z) at either end or a pair
// of matching quotes around it, inside one pair of double quotes, which those
// routines strip. Backslashes are never doubled in these forms.
//
// A value holding a control character other than an inner tab (a line break in
// the notes, say) cannot stand on one line: it is written escaped, inside
// double quotes, after the marker \~, with \\ \r \n \t and \xHH standing for
// backslash, CR, LF, tab and other control bytes: "\~line1\r\nline2". So is
// the rare one-line value whose plain form would read as an escaped one.
//
// Reading: a double-quoted value that begins with the marker is unescaped. A
// quoted value without it is read as the Windows routines read it, except the
// form earlier versions of this program wrote for multi-line values: a body of
// nothing but our escapes that holds an escaped line break and looks like no
// Windows path (no ":\", no leading "\\"), e.g. "line1\nline2". No value can
// break its line into new keys or sections.
QByteArray storedValue(const QString& value, bool forceUtf8 = false);
// Printable ASCII that neither starts nor ends with a blank nor starts with a
// quote: stored as its own bytes.
bool storedAsItIs(QStringView value);

// The text of a stored value: 'raw' is everything after the first '=' of the line.
QString readValue(QByteArrayView raw);
// The same in a buffer the reader keeps, so that looking at many values
// allocates nothing. The view holds until 'scratch' next changes.
using ValueScratch = QVarLengthArray<char16_t, 256>;
QStringView readValue(QByteArrayView raw, ValueScratch& scratch);

// Profile whitespace: blanks, tabs, line-end characters and ^Z.
inline bool isProfileSpace(char c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x1A;
}
QByteArrayView trimmedView(QByteArrayView bytes);

}  // namespace tessaly::profile
