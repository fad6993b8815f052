#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tessaly::profile {

// Both programs write the same files: the sibling program writes Windows-1252,
// we write Windows-1252 where it can hold the text and UTF-8 otherwise.
// Each value is therefore decoded on its own.
QString decodeBytes(QByteArrayView bytes);
// Copies the ASCII bytes at the start of 'bytes' to 'to' as UTF-16, up to the
// first that is not ASCII; returns how many it copied.
qsizetype widenAscii(QByteArrayView bytes, char16_t* to);

// Windows-1252 when every character fits and those bytes cannot be mistaken
// for UTF-8 of another text; UTF-8 otherwise (or always, when forceUtf8).
QByteArray encodeText(const QString& text, bool forceUtf8 = false);

bool isValidUtf8(QByteArrayView bytes);

}  // namespace tessaly::profile
