#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace tessaly::store {

// The encodings an export can be read in, as the wizard and the command line
// offer them; the first, "Automatic", is an empty name everywhere else.
const QStringList& ExportEncodings();
inline const QString kAutomaticEncoding = QStringLiteral("Automatic");

// The offered name the given one stands for (letter case and "-"/"_" ignored:
// "shift-jis" is "Shift_JIS"); empty when it is none of them.
QString OfferedEncoding(const QString& name);

enum class Utf16Order { LittleEndian, BigEndian };

// UTF-16 written without a byte-order mark: the text of exports is mostly
// ASCII, so one byte of nearly every pair is NUL, and which one tells the order.
std::optional<Utf16Order> Utf16WithoutBom(const QByteArray& bytes);

// The bytes as text in the named encoding (an offered name, or any the C
// library's iconv knows, as vCard CHARSET parameters name them). Bytes that
// are not valid in it become U+FFFD and set *valid to false; an unknown name
// gives an empty text and *valid false.
QString DecodeIn(const QByteArray& bytes, const QString& encoding, bool* valid = nullptr);

}  // namespace tessaly::store
