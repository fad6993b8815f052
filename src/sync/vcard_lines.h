#pragma once
#include "exchange/vcard/vcard_reader.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace tessaly::sync {

// One content line of a server's vCard as it stands in the bytes, cut where the reader cuts it: a line
// that is not changed is written back from 'raw', its folds and line ends included.
struct ContentLine {
    enum class Role {
        Outside,   // before or after the first card, or a line the reader skips
        Begin,     // the first card's BEGIN:VCARD
        Version,   // its VERSION
        Property,  // one of its properties
        Nested,    // a line of a card nested in it
        End,       // its END:VCARD
    };
    Role role = Role::Outside;
    QByteArray raw;                 // the physical lines, each with its line end
    QByteArray logical;             // unfolded, without a line end
    QString group;                  // "ITEM1" of "item1.TEL", upper case
    bool keepsFoldBlank = false;    // the reader keeps the blank of a folded line here (version 2.1's way)
    store::VCardProperty property;  // Role::Property: as the reader reads it
};

// The lines of a server's resource, where the first card is the contact. A UTF-16 resource is taken
// as the UTF-8 the reader makes of it; a UTF-8 byte order mark is kept apart.
struct ServerLines {
    QByteArray bom;
    QList<ContentLine> lines;
    QString version;     // the first card's, as the reader takes it
    QByteArray lineEnd;  // "\r\n", or "\n" when the server ends its lines so
};
ServerLines SplitServerVCard(const QByteArray& vcard);

// Where the name and parameters of a line end: the first colon outside double quotes (-1: none).
qsizetype ValueColon(const QByteArray& line);
// The name and parameters of a line split at semicolons outside double quotes, the name first.
QList<QByteArray> HeadParts(const QByteArray& head);

}  // namespace tessaly::sync
