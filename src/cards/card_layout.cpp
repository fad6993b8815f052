#include "card_layout.h"

#include <algorithm>
#include <limits>
#include <string_view>

namespace tessaly::store {

const std::array<QString, kFieldCount> FieldKeys = {
    QStringLiteral("Sal"),      QStringLiteral("FirstName"), QStringLiteral("LastName"), QStringLiteral("Title"),
    QStringLiteral("Company"),  QStringLiteral("Address1"),  QStringLiteral("Address2"), QStringLiteral("Address3"),
    QStringLiteral("Address4"), QStringLiteral("Address5"),  QStringLiteral("Address6"), QStringLiteral("Phone1"),
    QStringLiteral("Phone2"),   QStringLiteral("Fax"),       QStringLiteral("EMail"),    QStringLiteral("Notes")};

const std::array<QString, 6> LinkKeys = {key::PrevName,    key::NextName, key::PrevCompany,
                                         key::NextCompany, key::PrevDel,  key::NextDel};

std::int64_t LeadingNumber(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) negative = t[i++] == u'-';
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max() / 10;
    std::int64_t value = 0;
    for (; i < t.size() && t[i] >= u'0' && t[i] <= u'9'; ++i) {
        if (value > kMax)
            return negative ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
        value = value * 10 + (t[i].unicode() - u'0');
    }
    return negative ? -value : value;
}

std::int16_t Count16(const QString& text) {
    const std::int64_t v = LeadingNumber(text);
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int16_t>::min(),
                                                              std::numeric_limits<std::int16_t>::max()));
}

bool IsRecordNumber(const QString& recNo) {
    const QString t = recNo.trimmed();
    if (t.isEmpty() || t.size() > 9) return false;
    for (QChar c : t)
        if (c < u'0' || c > u'9') return false;
    return true;
}

std::int32_t RecordData(const QString& recNo) {
    return IsRecordNumber(recNo) ? static_cast<std::int32_t>(LeadingNumber(recNo)) : -1;
}

QString RecordFile(const QString& dataDir, const QString& recNo) {
    return dataDir + QStringLiteral("tesly") + QString::number(LeadingNumber(recNo) / kCardsPerFile) +
           QStringLiteral(".dat");
}

QString RecordSection(const QString& recNo) {
    // Made for every key a sort writes: one allocation, no copy of the number.
    QStringView number(recNo);
    if (!number.isEmpty() && (number.front().isSpace() || number.back().isSpace())) number = number.trimmed();
    constexpr std::u16string_view kPrefix = u"Record";
    QString section(qsizetype(kPrefix.size()) + number.size(), Qt::Uninitialized);
    std::copy(number.begin(), number.end(), std::copy(kPrefix.begin(), kPrefix.end(), section.data()));
    return section;
}

}  // namespace tessaly::store
