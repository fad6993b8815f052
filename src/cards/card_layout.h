#pragma once
#include "card.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace tessaly::store {

extern const std::array<QString, kFieldCount> FieldKeys;

// Section "General Info" of the header file.
namespace header {
inline const QString Section = QStringLiteral("General Info");
inline const QString Application = QStringLiteral("Application");
inline const QString TotalNoOfRecords = QStringLiteral("TotalNoOfRecords");
inline const QString NoOfRecords = QStringLiteral("NoOfRecords");
inline const QString NameFirstRecord = QStringLiteral("NameFirstRecord");
inline const QString CompanyFirstRecord = QStringLiteral("CompanyFirstRecord");
inline const QString DelNoOfRecords = QStringLiteral("DelNoOfRecords");
inline const QString DelFirstRecord = QStringLiteral("DelFirstRecord");
inline const QString NoOfUses = QStringLiteral("NoOfUses");
inline const QString ApplicationName = QStringLiteral("Tessaly");
}  // namespace header

// Keys of a card section beyond its fields.
namespace key {
inline const QString ShowName = QStringLiteral("ShowName");
inline const QString ShowCompany = QStringLiteral("ShowCompany");
inline const QString PrevName = QStringLiteral("PrevName");
inline const QString NextName = QStringLiteral("NextName");
inline const QString PrevCompany = QStringLiteral("PrevCompany");
inline const QString NextCompany = QStringLiteral("NextCompany");
inline const QString PrevDel = QStringLiteral("PrevDel");
inline const QString NextDel = QStringLiteral("NextDel");
}  // namespace key
// The six links of a card, in the order they are cleared.
extern const std::array<QString, 6> LinkKeys;

inline const QString kHeaderFileName = QStringLiteral("tesly.dat");
inline constexpr int kCardsPerFile = 100;
inline constexpr int kMaxCards = 8000;

// The leading decimal number of the trimmed text (sign allowed); 0 when there is none.
// Saturates instead of overflowing.
std::int64_t LeadingNumber(const QString& text);
// A count as the 16-bit variables hold it: out-of-range values are clamped.
std::int16_t Count16(const QString& text);
// A record number as the list boxes carry it: -1 when the text is no record number.
std::int32_t RecordData(const QString& recNo);
// True for the decimal text of a record number ("0", "17"), as the store writes them.
bool IsRecordNumber(const QString& recNo);

// The entry at i, or the empty text outside the list (a neighbour that is not there).
QString ItemAt(const QStringList& list, qsizetype i);

// "tesly" + K + ".dat" in dataDir, K = N / 100.
QString RecordFile(const QString& dataDir, const QString& recNo);
QString RecordSection(const QString& recNo);

}  // namespace tessaly::store
