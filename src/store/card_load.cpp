#include "card_store.h"

#include "profile/profile_access.h"

#include <QDir>
#include <QSet>

namespace tessaly::store {

using profile::ProfileOperation;

// One list as it is walked from its head.
struct CardStore::Chain {
    QString next;
    QStringList recs, texts;
    QSet<QString> seen;
    bool ended = false;
    bool broken = false;
};

// Loading walks both lists from their heads, four reads per card. A list that
// breaks off (a link to a card that is not there, a number that is none, a
// link back into the list) or whose length differs from the count is not
// trusted: the cards reached through either list are then kept, so that no
// card drops out of sight, and the sort rewrites every link and the count.
void CardStore::LoadLists() {
    ProfileOperation op(profile_);
    listsRepaired_ = false;
    const int expected = std::max<int>(0, Count16(ReadHeader(header::NoOfRecords)));
    progress_->statusText(0, QStringLiteral("Please wait while getting names list..."));
    progress_->percentText(QStringLiteral("Please wait while getting names list..."));
    progress_->welcomeText(QStringLiteral("Loading Names..."));
    progress_->gauge(0);

    Chain names, companies;
    names.next = ReadHeader(header::NameFirstRecord);
    companies.next = ReadHeader(header::CompanyFirstRecord);
    auto step = [this](Chain& c, const QString& textKey, const QString& nextKey) {
        if (c.ended) return;
        const QString rec = c.next.trimmed();
        if (rec.isEmpty()) {
            c.ended = true;
            return;
        }
        if (!IsRecordNumber(rec) || c.seen.contains(rec) || c.recs.size() >= 32767 ||
            !profile_.hasSection(RecordFile(rec), RecordSection(rec))) {
            c.ended = c.broken = true;
            return;
        }
        c.seen.insert(rec);
        c.recs.append(rec);
        c.texts.append(ReadCardKey(rec, textKey));
        c.next = ReadCardKey(rec, nextKey);
    };
    for (int i = 0; !(names.ended && companies.ended); ++i) {
        if (i > 0) {
            progress_->pumpEvents();
            progress_->gauge(GaugePercent(i + 1, std::max(expected, 1)));
        }
        step(names, key::ShowName, key::NextName);
        step(companies, key::ShowCompany, key::NextCompany);
    }

    AllByName = names.recs;
    AllNames = names.texts;
    AllByCompany = companies.recs;
    AllCompanies = companies.texts;
    if (names.broken || companies.broken || names.recs.size() != expected || companies.recs.size() != expected) {
        listsRepaired_ = true;
        for (const QString& rec : names.recs) {
            if (companies.seen.contains(rec)) continue;
            AllByCompany.append(rec);
            AllCompanies.append(ReadCardKey(rec, key::ShowCompany));
        }
        for (const QString& rec : companies.recs) {
            if (names.seen.contains(rec)) continue;
            AllByName.append(rec);
            AllNames.append(ReadCardKey(rec, key::ShowName));
        }
        for (const QString& rec : OrphanCards(names.seen + companies.seen)) {
            AllByName.append(rec);
            AllNames.append(ReadCardKey(rec, key::ShowName));
            AllByCompany.append(rec);
            AllCompanies.append(ReadCardKey(rec, key::ShowCompany));
        }
    }
    NoOfRecords = static_cast<std::int16_t>(std::min<qsizetype>(AllByName.size(), 32767));
    progress_->statusText(0, QString());
    progress_->statusText(1, QString());
}

// Cards below "TotalNoOfRecords" that no list reaches: the deleted list is
// walked so that deleted cards stay deleted; the rest were live.
QStringList CardStore::OrphanCards(const QSet<QString>& reached) {
    QSet<QString> deleted;
    QString rec = ReadHeader(header::DelFirstRecord).trimmed();
    while (IsRecordNumber(rec) && !deleted.contains(rec)) {
        deleted.insert(rec);
        rec = ReadCardKey(rec, key::NextDel).trimmed();
    }
    // Only card files that exist can hold cards, whatever the counter says.
    std::int64_t lastFile = -1;
    for (const QString& name : QDir(dataDir_.isEmpty() ? QStringLiteral(".") : dataDir_)
                                   .entryList({QStringLiteral("tesly*.dat")}, QDir::Files)) {
        const QString k = name.mid(5, name.size() - 9);
        if (IsRecordNumber(k)) lastFile = std::max(lastFile, LeadingNumber(k));
    }
    const std::int64_t total = std::min(LeadingNumber(ReadHeader(header::TotalNoOfRecords)), (lastFile + 1) * kCardsPerFile);
    QStringList orphans;
    for (std::int64_t n = 0; n < total; ++n) {
        const QString r = QString::number(n);
        if (!reached.contains(r) && !deleted.contains(r) && profile_.hasSection(RecordFile(r), RecordSection(r)))
            orphans.append(r);
    }
    return orphans;
}

}  // namespace tessaly::store
