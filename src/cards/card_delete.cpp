#include "card_change.h"
#include "card_store.h"
#include "display_text.h"
#include "profile/profile_access.h"

#include <QSet>
#include <limits>

namespace tessaly::store {

using profile::ProfileOperation;

// Takes live card r out of the name and company lists. Its neighbours come
// from the lists as loaded, not from the links stored in the card, which a
// crash or another program may have left wrong.
void CardStore::UnlinkLive(const QString& r) {
    const qsizetype i = AllByName.indexOf(r), j = AllByCompany.indexOf(r);
    const QString pn = ItemAt(AllByName, i - 1), nn = ItemAt(AllByName, i + 1);
    const QString pc = ItemAt(AllByCompany, j - 1), nc = ItemAt(AllByCompany, j + 1);
    if (AllByName.size() == 1) {
        WriteHeader(header::NameFirstRecord, QString());
        WriteHeader(header::CompanyFirstRecord, QString());
        return;
    }
    if (pn.isEmpty()) {
        WriteHeader(header::NameFirstRecord, nn);
        WriteCardKey(nn, key::PrevName, QString());
    }
    if (pc.isEmpty()) {
        WriteHeader(header::CompanyFirstRecord, nc);
        WriteCardKey(nc, key::PrevCompany, QString());
    }
    if (nn.isEmpty()) WriteCardKey(pn, key::NextName, QString());
    if (nc.isEmpty()) WriteCardKey(pc, key::NextCompany, QString());
    if (!pn.isEmpty() && !nn.isEmpty()) {
        WriteCardKey(pn, key::NextName, nn);
        WriteCardKey(nn, key::PrevName, pn);
    }
    if (!pc.isEmpty() && !nc.isEmpty()) {
        WriteCardKey(pc, key::NextCompany, nc);
        WriteCardKey(nc, key::PrevCompany, pc);
    }
}

void CardStore::DeleteCard(const QString& recNo) {
    const QString r = recNo.trimmed();
    if (r.isEmpty()) return;
    RequireEditable();
    CardChange change(*this);
    RequireWholeView();
    ProfileOperation op(profile_);
    RequireLive(r);
    const QString df = ReadHeader(header::DelFirstRecord).trimmed();
    const int dn = Count16(ReadHeader(header::DelNoOfRecords));
    if (dn >= std::numeric_limits<std::int16_t>::max())
        throw CardLimitReached(
            QStringLiteral("The deleted list holds %1 cards, as many as it can count.").arg(dn).toStdString());
    const int row = ListPosition(r);
    const int c = static_cast<int>(AllByName.size());
    UnlinkLive(r);
    WriteHeader(header::NoOfRecords, QString::number(c - 1));
    for (const QString& k : LinkKeys) WriteCardKey(r, k, QString());
    // Linked only to a head that is a card, so a damaged header never makes up one.
    if (df != r && IsRecordNumber(df) && profile_.hasSection(RecordFile(df), RecordSection(df))) {
        WriteCardKey(r, key::NextDel, df);
        WriteCardKey(df, key::PrevDel, r);
    }
    const int deleted = std::max(dn, 0) + 1;
    WriteHeader(header::DelNoOfRecords, QString::number(deleted));
    WriteHeader(header::DelFirstRecord, r);
    op.finish();
    change.commit();
    DeletedCount = static_cast<std::int16_t>(deleted);

    NoOfRecords = static_cast<std::int16_t>(std::min<int>(c - 1, std::numeric_limits<std::int16_t>::max()));
    RemoveFromLists(r);
    if (observer_ && row >= 0) observer_->shownRowRemoved(row);
}

namespace {
void RemoveFirst(QStringList& recs, QStringList& texts, const QString& r) {
    const qsizetype i = recs.indexOf(r);
    if (i < 0) return;
    recs.removeAt(i);
    if (i < texts.size()) texts.removeAt(i);
}
}  // namespace

void CardStore::RemoveFromLists(const QString& r) {
    RemoveFirst(AllByName, AllNames, r);
    RemoveFirst(AllByCompany, AllCompanies, r);
    if (!FilterOn) return;
    const qsizetype before = FilteredByName.size();
    RemoveFirst(FilteredByName, FilteredNames, r);
    RemoveFirst(FilteredByCompany, FilteredCompanies, r);
    if (FilteredByName.size() < before) FilteredCount = static_cast<std::int16_t>(FilteredByName.size());
}

// Closes the gap a card leaves in the deleted list between its neighbours p and x.
void CardStore::JoinDeletedNeighbours(const QString& p, const QString& x) {
    if (p.isEmpty() && x.isEmpty()) {
        WriteHeader(header::DelFirstRecord, QString());
    } else if (p.isEmpty()) {
        WriteHeader(header::DelFirstRecord, x);
        WriteCardKey(x, key::PrevDel, QString());
    } else if (x.isEmpty()) {
        WriteCardKey(p, key::NextDel, QString());
    } else {
        WriteCardKey(p, key::NextDel, x);
        WriteCardKey(x, key::PrevDel, p);
    }
}

// The deleted list as it is in the files, up to a link that names no card.
QStringList CardStore::WalkDeletedList() {
    QStringList recs;
    QSet<QString> seen;
    QString rec = ReadHeader(header::DelFirstRecord).trimmed();
    while (IsRecordNumber(rec) && !seen.contains(rec) && profile_.hasSection(RecordFile(rec), RecordSection(rec))) {
        seen.insert(rec);
        recs.append(rec);
        rec = ReadCardKey(rec, key::NextDel).trimmed();
    }
    return recs;
}

// The card's deleted-list neighbours come from the walk, like DeleteCard's.
void CardStore::RestoreCard(const QString& recNo) {
    const QString r = recNo.trimmed();
    RequireEditable();
    CardChange change(*this);
    RequireWholeView();
    ProfileOperation op(profile_);
    const QStringList deleted = WalkDeletedList();
    const qsizetype i = deleted.indexOf(r);
    if (i < 0 || AllByName.contains(r))
        throw NoSuchCard(QStringLiteral("Card %1 is not on the deleted list").arg(r).toStdString());
    if (AllByName.size() >= std::numeric_limits<std::int16_t>::max())
        throw CardLimitReached(QStringLiteral("The card file holds %1 cards, as many as it can count.")
                                   .arg(AllByName.size())
                                   .toStdString());
    const QString s1 = ReadCardKey(r, key::ShowName);
    const QString s2 = ReadCardKey(r, key::ShowCompany);
    const int left = std::max(Count16(ReadHeader(header::DelNoOfRecords)) - 1, 0);
    WriteHeader(header::DelNoOfRecords, QString::number(left));
    JoinDeletedNeighbours(ItemAt(deleted, i - 1), ItemAt(deleted, i + 1));
    InsertCard(r, s1, s2);
    op.finish();
    change.commit();
    DeletedCount = static_cast<std::int16_t>(left);
}

DeletedList CardStore::LoadDeletedList() {
    ProfileOperation op(profile_);
    DeletedList list;
    QString rec = ReadHeader(header::DelFirstRecord);
    list.DeletedCount = Count16(ReadHeader(header::DelNoOfRecords));
    DeletedCount = list.DeletedCount;
    // The list is walked to its end whatever the count says; the window shows
    // the cards deleted last. The count only paces the gauge.
    const int m = std::clamp<int>(list.DeletedCount, 1, kMaxCards);
    progress_->percentText(QStringLiteral("Please wait while getting deleted names list..."));
    progress_->gauge(0);
    const QString& textKey = Show == 0 ? key::ShowName : key::ShowCompany;
    QSet<QString> seen;
    for (int i = 0; i < kMaxCards; ++i) {
        rec = rec.trimmed();
        // A list that breaks off, runs back into itself or names a card that is
        // not there ends here: restoring a card that is not there would make one up.
        if (!IsRecordNumber(rec) || seen.contains(rec) || !profile_.hasSection(RecordFile(rec), RecordSection(rec)))
            break;
        seen.insert(rec);
        progress_->pumpEvents();
        progress_->gauge(GaugePercent(std::min(i + 1, m), m));
        list.DeletedRecs.append(rec);
        list.DeletedTexts.append(ReadCardKey(rec, textKey));
        rec = ReadCardKey(rec, key::NextDel);
    }
    progress_->percentText(QStringLiteral("Please wait while sorting deleted names list..."));
    progress_->gauge(0);
    if (list.DeletedTexts.size() > 1 && !IsInOrder(list.DeletedTexts)) {
        const std::vector<qsizetype> order = StableOrder(list.DeletedTexts);
        DeletedList sorted{list.DeletedCount, {}, {}};
        for (qsizetype i : order) {
            sorted.DeletedTexts.append(list.DeletedTexts[i]);
            sorted.DeletedRecs.append(list.DeletedRecs[i]);
        }
        list = std::move(sorted);
    }
    progress_->gauge(100);
    return list;
}

}  // namespace tessaly::store
