#include "card_store.h"
#include "display_text.h"
#include "profile/profile_access.h"

#include <QSet>

namespace tessaly::store {

using profile::ProfileOperation;

void CardStore::DeleteCard(const QString& r) {
    if (r.trimmed().isEmpty()) return;
    RequireEditable();
    ProfileOperation op(profile_);
    const int row = ListPosition(r);
    const int c = NoOfRecords;
    const QString pn = ReadCardKey(r, key::PrevName);
    const QString nn = ReadCardKey(r, key::NextName);
    const QString pc = ReadCardKey(r, key::PrevCompany);
    const QString nc = ReadCardKey(r, key::NextCompany);
    if (c == 1) {
        WriteHeader(header::NameFirstRecord, QString());
        WriteHeader(header::CompanyFirstRecord, QString());
    } else {
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
    WriteHeader(header::NoOfRecords, QString::number(std::max(c - 1, 0)));
    const QString df = ReadHeader(header::DelFirstRecord);
    const int dn = Count16(ReadHeader(header::DelNoOfRecords));
    for (const QString& k : LinkKeys) WriteCardKey(r, k, QString());
    if (dn > 0) {
        WriteCardKey(r, key::NextDel, df);
        WriteCardKey(df, key::PrevDel, r);
    }
    const int deleted = std::max(dn, 0) + 1;
    WriteHeader(header::DelNoOfRecords, QString::number(deleted));
    WriteHeader(header::DelFirstRecord, r);
    DeletedCount = static_cast<std::int16_t>(deleted);

    NoOfRecords = static_cast<std::int16_t>(std::max(c - 1, 0));
    RemoveFromLists(r);
    if (listBox_ && row >= 0) listBox_->removeItem(row);
    op.finish();
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

void CardStore::TakeOffDeletedList(const QString& n) {
    RequireEditable();
    ProfileOperation op(profile_);
    const int left = std::max(Count16(ReadHeader(header::DelNoOfRecords)) - 1, 0);
    WriteHeader(header::DelNoOfRecords, QString::number(left));
    DeletedCount = static_cast<std::int16_t>(left);
    const QString p = ReadCardKey(n, key::PrevDel);
    const QString x = ReadCardKey(n, key::NextDel);
    WriteCardKey(n, key::PrevDel, QString());
    WriteCardKey(n, key::NextDel, QString());
    JoinDeletedNeighbours(p, x);
    op.finish();
}

void CardStore::RestoreCard(const QString& r) {
    RequireEditable();
    ProfileOperation op(profile_);
    const QString s1 = ReadCardKey(r, key::ShowName);
    const QString s2 = ReadCardKey(r, key::ShowCompany);
    const int left = std::max(DeletedCount - 1, 0);
    WriteHeader(header::DelNoOfRecords, QString::number(left));
    DeletedCount = static_cast<std::int16_t>(left);
    const QString p = ReadCardKey(r, key::PrevDel);
    const QString x = ReadCardKey(r, key::NextDel);
    JoinDeletedNeighbours(p, x);
    InsertCard(r, s1, s2);
    op.finish();
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
        if (!IsRecordNumber(rec) || seen.contains(rec) || !profile_.hasSection(RecordFile(rec), RecordSection(rec))) break;
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
