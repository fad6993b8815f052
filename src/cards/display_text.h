#pragma once
#include <QStringList>
#include <vector>

namespace tessaly::store {

// Drops the blanks (spaces only, as the sibling program does) at both ends.
QString TrimBlanks(const QString& text);

// The text under which a card is listed in name order. Trims its arguments in place.
QString NameText(QString& first, QString& last, QString& company);
// The text under which a card is listed in company order. Trims its arguments in place.
QString CompanyText(QString& first, QString& last, QString& company);

// The user's locale order with case ignored: <0, 0 or >0.
// An ASCII capital made small, as QString::toLower makes it; any other letter as it is.
inline char16_t LowerAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
}

int CompareText(const QString& a, const QString& b);
// No neighbour compares greater than the one after it.
bool IsInOrder(const QStringList& texts);
// The positions of texts in ascending order; equal texts keep their order.
std::vector<qsizetype> StableOrder(const QStringList& texts);

}  // namespace tessaly::store
