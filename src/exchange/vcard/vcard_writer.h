#pragma once
#include "cards/card_layout.h"

#include <QByteArray>
#include <QList>
#include <stdexcept>

namespace tessaly::store {

enum class VCardVersion { V3, V4 };

// A card as a vCard in UTF-8, lines ended by CR LF and folded at 75 octets.
// Only filled fields are written (N and FN always); a card read back with
// CardFromVCard gives the same sixteen fields.
QByteArray VCardText(const Card& card, VCardVersion version);

// A content line folded so that no line is longer than 75 octets, never
// inside a UTF-8 sequence; every line ends with CR LF.
QByteArray FoldVCardLine(const QByteArray& line);

// The export did not complete; the file named is as it was before.
class ExportFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes the cards to a file, replacing it atomically once the whole file is
// on the disk; the file takes the mode of 'modeModel' (the card file; none:
// private). Throws ExportFailed, and the file is then as it was.
void WriteVCardFile(const QString& path, const QList<Card>& cards, VCardVersion version,
                    const QString& modeModel = QString());

}  // namespace tessaly::store
