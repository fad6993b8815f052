#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tessaly::store {

// One content line of a vCard, its value decoded to text (quoted-printable
// and the CHARSET undone) but still escaped: structured values are split with
// VCardComponents, text values unescaped with VCardUnescape.
struct VCardProperty {
    QString name;         // upper case, without its group ("item1.EMAIL" is EMAIL)
    QStringList types;    // upper case; TYPE=WORK,VOICE and version 2.1's bare WORK;VOICE alike
    QString valueType;    // VALUE=, upper case
    bool binary = false;  // inline base64 data (a photo): its value is left empty
    QString value;

    bool hasType(const QString& type) const { return types.contains(type); }
};

struct VCard {
    QString version;  // "2.1", "3.0", "4.0" as the card says
    QList<VCardProperty> properties;
};

// Every BEGIN:VCARD ... END:VCARD of a file's bytes: a UTF-8 or UTF-16 BOM,
// CR LF or LF line ends, folded lines (and quoted-printable soft line breaks)
// joined. Lines outside a card, and lines without a colon or a property name
// of letters, digits and hyphens (damaged ones) are skipped; a card
// that is not ended at the end of the file is kept.
// Reading stops after maxCards + 1 cards, so that a file of many tiny cards
// cannot take more memory than the caller allows.
inline constexpr qsizetype kMaxVCards = 100'000;
QList<VCard> ParseVCards(const QByteArray& bytes, qsizetype maxCards = kMaxVCards);

// The components of a structured value (N, ADR, ORG), split at unescaped
// semicolons and unescaped.
QStringList VCardComponents(const QString& value);
// A text value with \n, \N, \, \; and \\ undone; line breaks become CR LF,
// as notes store them.
QString VCardUnescape(const QString& value);

}  // namespace tessaly::store
