#pragma once
#include "cards/card_layout.h"

#include <QString>
#include <QStringList>

namespace tessaly::store {

// A name as duplicates are looked for: letter case and accents folded, ß as
// ss, the German ae/oe/ue spellings of ä/ö/ü as the plain vowel, blanks
// collapsed: Müller, MULLER and Mueller are all "muller".
QString FoldedName(const QString& name);

// A telephone number reduced to digits. International numbers (a leading +
// or 00) keep their country code; national ones lose a leading trunk 0, and a
// "(0)" after a country code is dropped. Fewer than five digits give no number.
// A number of fewer than six digits, or a dial string (pauses p and w, ",",
// ";", "*", "#": a switchboard and an extension), is weak: its digits alone
// do not tell one person from another.
struct PhoneNumber {
    QString digits;
    bool international = false;
    bool weak = false;

    bool isEmpty() const { return digits.isEmpty(); }
    // The national numbers an international one may stand for: without a
    // country code of one, two or three digits.
    QStringList nationalForms() const;
};
PhoneNumber NormalisedPhone(const QString& text);

// The name key of a card: first and last name folded, or the company when
// the card has no name; empty for a card without either ("NULL NAME").
QString NameKey(const Card& card);

// The whole content of a card, each field trimmed, as a 128-bit hash: two
// cards with the same content key are the same card whatever else they lack
// (no e-mail, phone or name). Empty for a card that holds nothing.
QString ContentKey(const Card& card);

}  // namespace tessaly::store
