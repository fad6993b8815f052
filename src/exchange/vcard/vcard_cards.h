#pragma once
#include "cards/card_layout.h"
#include "vcard_reader.h"

#include <QList>

namespace tessaly::store {

// Cards made from vCards, and how many values found no card field of their
// own and were appended to the notes ("NICKNAME: Bob"), or were left out
// because they are pictures, sounds or keys.
struct VCardCards {
    QList<Card> cards;
    int valuesInNotes = 0;
    int valuesLeftOut = 0;
};

// N (prefix, given and additional, family), or FN split at its first blank
// when N gives no name; TITLE; ORG (units after the name); the first ADR
// (street lines, then locality and region as the details show them, postal
// code, country); TEL by type: fax to Fax, home or cell to Phone2, any other
// to Phone1; the first EMAIL; NOTE. A card without name and company is
// named "NULL NAME", as the delimited import names it.
// Values without a field of their own go to the notes for an import; a sync
// leaves them out, as the notes belong to the user and the server keeps them.
enum class VCardExtras { InNotes, LeftOut };
Card CardFromVCard(const VCard& vcard, VCardCards& counts, VCardExtras extras = VCardExtras::InNotes);
// The field a TEL gives (Phone1, Phone2 or Fax), and its number as the card holds it.
int VCardPhoneField(const VCardProperty& tel);
QString VCardPhoneText(const VCardProperty& tel, const QString& version);
VCardCards CardsFromVCards(const QList<VCard>& vcards);

// Reads a vCard file (at most the size an export may have). Throws
// ImportFileError when it cannot be read, is too large, holds no vCard or
// more than kMaxVCards.
VCardCards ReadVCardFile(const QString& path);

}  // namespace tessaly::store
