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

// Merges new entries into a sorted list: each goes before the entries it
// compares equal to, the later of two equal new ones first, as adding them
// one by one at the head of the list and sorting it would place them.
void MergeSorted(QStringList& texts, QStringList& recs, const QStringList& newTexts, const QStringList& newRecs) {
    const QStringList reversedTexts(newTexts.rbegin(), newTexts.rend());
    const QStringList reversedRecs(newRecs.rbegin(), newRecs.rend());
    const std::vector<qsizetype> order = StableOrder(reversedTexts);
    QStringList mergedTexts, mergedRecs;
    mergedTexts.reserve(texts.size() + newTexts.size());
    mergedRecs.reserve(texts.size() + newTexts.size());
    qsizetype i = 0;
    for (qsizetype k : order) {
        while (i < texts.size() && CompareText(reversedTexts[k], texts[i]) > 0) {
            mergedTexts.append(texts[i]);
            mergedRecs.append(recs[i++]);
        }
        mergedTexts.append(reversedTexts[k]);
        mergedRecs.append(reversedRecs[k]);
    }
    mergedTexts.append(texts.mid(i));
    mergedRecs.append(recs.mid(i));
    texts = std::move(mergedTexts);
    recs = std::move(mergedRecs);
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

// A counter left behind the cards (a damaged header) must never hand out
// the number of a card that exists: that card would be overwritten.
std::int64_t CardStore::FreeRecordNumber(std::int64_t from) {
    std::int64_t next = std::clamp<std::int64_t>(from, 0, kMaxRecordNumber + 1);
    while (next <= kMaxRecordNumber &&
           profile_.hasSection(RecordFile(QString::number(next)), RecordSection(QString::number(next))))
        ++next;
    if (next > kMaxRecordNumber)
        throw CardLimitReached(QStringLiteral("No record number is left for a new card.").toStdString());
    return next;
}

QString CardStore::AddCard(Card fields) {
    RequireEditable();
    CardChange change(*this);
    ProfileOperation op(profile_);
    RequireRoomForOneMore(AllByName.size());
    if (fields[FirstName].isEmpty() && fields[LastName].isEmpty()) fields[Sal].clear();
    const QString showName = NameText(fields[FirstName], fields[LastName], fields[Company]);
    const QString showCompany = CompanyText(fields[FirstName], fields[LastName], fields[Company]);
    const std::int64_t next = FreeRecordNumber(LeadingNumber(ReadHeader(header::TotalNoOfRecords)));
    WriteHeader(header::TotalNoOfRecords, QString::number(next + 1));
    const QString n = QString::number(next);
    WriteCard(n, fields);
    InsertCard(n, showName, showCompany);
    op.finish();
    change.commit();
    return n;
}

void CardStore::AppendCards(QList<Card> cards, const std::function<void(qsizetype done)>& tick) {
    if (cards.isEmpty()) return;
    RequireEditable();
    CardChange change(*this);
    RequireWholeView();
    // Held and written once per file, the header last: only the finished files reach the disk.
    profile::ProfileBulk bulk(profile_);
    if (AllByName.size() + cards.size() > kMaxLiveCards)
        throw CardLimitReached(QStringLiteral("The card file holds %1 cards and can count %2, not %3 more.")
                                   .arg(AllByName.size())
                                   .arg(kMaxLiveCards)
                                   .arg(cards.size())
                                   .toStdString());
    // A new card's keys: its links (empty until the lists are merged), the texts the lists show, its fields.
    static const std::vector<QString> keys = [] {
        std::vector<QString> k(LinkKeys.begin(), LinkKeys.end());
        k.push_back(key::ShowName);
        k.push_back(key::ShowCompany);
        k.insert(k.end(), FieldKeys.begin(), FieldKeys.end());
        return k;
    }();
    std::vector<QString> values(keys.size());
    QStringList names, companies, recs;
    names.reserve(cards.size());
    companies.reserve(cards.size());
    recs.reserve(cards.size());
    std::int64_t next = LeadingNumber(ReadHeader(header::TotalNoOfRecords));
    for (qsizetype i = 0; i < cards.size(); ++i) {
        Card& f = cards[i];
        const QString showName = NameText(f[FirstName], f[LastName], f[Company]);
        const QString showCompany = CompanyText(f[FirstName], f[LastName], f[Company]);
        next = FreeRecordNumber(next);
        const QString rec = QString::number(next++);
        values[LinkKeys.size()] = showName;
        values[LinkKeys.size() + 1] = showCompany;
        std::copy_n(f.begin(), kFieldCount, values.begin() + qsizetype(LinkKeys.size()) + 2);
        WriteCardKeys(rec, keys, values);
        names.append(showName);
        companies.append(showCompany);
        recs.append(rec);
        if (tick) tick(i + 1);
    }
    WriteHeader(header::TotalNoOfRecords, QString::number(next));
    WriteHeader(header::NoOfRecords, QString::number(AllByName.size() + cards.size()));
    MergeSorted(AllNames, AllByName, names, recs);
    MergeSorted(AllCompanies, AllByCompany, companies, recs);
    NoOfRecords = static_cast<std::int16_t>(AllByName.size());
    RewriteListLinks();
    bulk.finish();
    change.commit();
    FillList();
}

}  // namespace tessaly::store
