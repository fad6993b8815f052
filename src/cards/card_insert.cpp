#include "card_change.h"
#include "card_store.h"
#include "display_text.h"
#include "profile/profile_access.h"

#include <algorithm>
#include <limits>

namespace tessaly::store {

using profile::ProfileOperation;

namespace {

// The counts are 16-bit in the files' readers; record numbers have at most nine digits.
constexpr qsizetype kMaxLiveCards = std::numeric_limits<std::int16_t>::max();
constexpr std::int64_t kMaxRecordNumber = 999'999'999;

void RequireRoomForOneMore(qsizetype live) {
    if (live >= kMaxLiveCards)
        throw CardLimitReached(
            QStringLiteral("The card file holds %1 cards, as many as it can count.").arg(live).toStdString());
}

// The place before the first entry that is not smaller than the text, so a
// card goes before those that compare equal. The lists are kept in order, so
// a binary search finds what a scan from the top would.
qsizetype InsertPosition(const QStringList& texts, const QString& text) {
    return std::partition_point(texts.begin(), texts.end(),
                                [&](const QString& t) { return CompareText(text, t) > 0; }) -
           texts.begin();
}

}  // namespace

// Links card n into one list before entry 'at' of recs: the front side, then the back side.
void CardStore::LinkAt(const QString& n, const QStringList& recs, qsizetype at, const QString& headKey,
                       const QString& prevKey, const QString& nextKey) {
    if (at == 0) {
        WriteHeader(headKey, n);
    } else {
        WriteCardKey(n, prevKey, recs[at - 1]);
        WriteCardKey(recs[at - 1], nextKey, n);
    }
    if (at < recs.size()) {
        WriteCardKey(n, nextKey, recs[at]);
        WriteCardKey(recs[at], prevKey, n);
    }
}

void CardStore::WriteCard(const QString& n, Card& fields) {
    RequireEditable();
    CardChange change(*this);
    ProfileOperation op(profile_);
    if (fields[FirstName].isEmpty() && fields[LastName].isEmpty()) fields[Sal].clear();
    for (int i = 0; i < kFieldCount; ++i) WriteCardKey(n, FieldKeys[i], fields[i]);
    WriteCardKey(n, key::ShowName, NameText(fields[FirstName], fields[LastName], fields[Company]));
    WriteCardKey(n, key::ShowCompany, CompanyText(fields[FirstName], fields[LastName], fields[Company]));
    op.finish();
    change.commit();
}

// The card's own links are cleared before any neighbour points at it; each side
// of each list is linked by writing the card's link, then the neighbour's; the
// count comes last. The sibling program and the start-up check rely on this order.
void CardStore::InsertCard(const QString& n, const QString& showName, const QString& showCompany) {
    RequireEditable();
    CardChange change(*this);
    RequireWholeView();
    ProfileOperation op(profile_);
    RequireRoomForOneMore(AllByName.size());
    const int c = NoOfRecords;
    for (const QString& k : LinkKeys) WriteCardKey(n, k, QString());
    const qsizetype p = InsertPosition(AllNames, showName);
    const qsizetype q = InsertPosition(AllCompanies, showCompany);
    LinkAt(n, AllByName, p, header::NameFirstRecord, key::PrevName, key::NextName);
    LinkAt(n, AllByCompany, q, header::CompanyFirstRecord, key::PrevCompany, key::NextCompany);
    WriteHeader(header::NoOfRecords, QString::number(c + 1));
    op.finish();
    change.commit();
    NoOfRecords = static_cast<std::int16_t>(c + 1);

    AllNames.insert(p, showName);
    AllByName.insert(p, n);
    AllCompanies.insert(q, showCompany);
    AllByCompany.insert(q, n);

    if (!FilterOn) {
        if (observer_) observer_->shownRowInserted(static_cast<int>(Show == 0 ? p : q));
        return;
    }
    if (!FilterMatch || !FilterMatch(n)) return;
    FilteredCount = static_cast<std::int16_t>(FilteredCount + 1);
    FilteredNames.append(showName);
    FilteredCompanies.append(showCompany);
    FilteredByName.append(n);
    FilteredByCompany.append(n);
    SortFiltered();
    FillList();
}

QString CardStore::AddCard(Card fields) {
    RequireEditable();
    CardChange change(*this);
    ProfileOperation op(profile_);
    RequireRoomForOneMore(AllByName.size());
    if (fields[FirstName].isEmpty() && fields[LastName].isEmpty()) fields[Sal].clear();
    const QString showName = NameText(fields[FirstName], fields[LastName], fields[Company]);
    const QString showCompany = CompanyText(fields[FirstName], fields[LastName], fields[Company]);
    std::int64_t next =
        std::clamp<std::int64_t>(LeadingNumber(ReadHeader(header::TotalNoOfRecords)), 0, kMaxRecordNumber + 1);
    // A counter left behind the cards (a damaged header) must never hand out
    // the number of a card that exists: that card would be overwritten.
    while (next <= kMaxRecordNumber && profile_.hasSection(store::RecordFile(dataDir_, QString::number(next)),
                                                           RecordSection(QString::number(next))))
        ++next;
    if (next > kMaxRecordNumber)
        throw CardLimitReached(QStringLiteral("No record number is left for a new card.").toStdString());
    WriteHeader(header::TotalNoOfRecords, QString::number(next + 1));
    const QString n = QString::number(next);
    WriteCard(n, fields);
    InsertCard(n, showName, showCompany);
    op.finish();
    change.commit();
    return n;
}

}  // namespace tessaly::store
