#pragma once
#include "cards/card.h"

#include <QByteArray>
#include <QString>

namespace tessaly::sync {

// The sixteen fields a server's vCard gives a card: as the import reads it, but nothing goes to the notes
// that the vCard does not hold as its NOTE.
store::Card CardFromServerVCard(const QByteArray& vcard);

// The vCard's UID (unescaped), or empty.
QString VCardUid(const QByteArray& vcard);

// A new contact for the server: vCard 3.0, UTF-8, CR LF, folded, with this UID (and FN/N always).
QByteArray NewServerVCard(const store::Card& card, const QString& uid);

// The server's vCard changed so that it carries 'now' where it carried 'was': for each field that differs,
// the one property it maps to is replaced (or added, or removed when the field became empty); every other
// line is kept as the server wrote it, in its place. The vCard's own version (2.1, 3.0, 4.0) is kept and the
// new lines written in its style. A vCard without a UID gets 'uid'. REV, if present, is brought up to date.
// No field changed: the bytes come back as they were.
//
// Read back, the result gives 'now', with one exception: when a field became empty and the vCard holds a
// further, different value for it (a second TEL;TYPE=HOME, EMAIL, ADR...), that one is what the card then
// reads: only the value the card showed (and exact copies of it) is removed, never the phone's others.
// Bytes holding no vCard at all give NewServerVCard(now, uid).
QByteArray PatchServerVCard(const QByteArray& serverVCard, const store::Card& was, const store::Card& now,
                            const QString& uid);

}  // namespace tessaly::sync
