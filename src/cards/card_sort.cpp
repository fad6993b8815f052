#include "card_store.h"
#include "display_text.h"
#include "profile/profile_access.h"

#include <QFile>
#include <QSet>
#include <algorithm>

namespace tessaly::store {
namespace {

// Sorts a text list and the record numbers that travel with it, keeping equal
// texts in their order (what exchanging only strictly greater neighbours
// gives).
void SortPair(QStringList& texts, QStringList& recs) {
    if (IsInOrder(texts)) return;
    const std::vector<qsizetype> order = StableOrder(texts);
    QStringList sortedTexts, sortedRecs;
    sortedTexts.reserve(texts.size());
    sortedRecs.reserve(recs.size());
    for (qsizetype i : order) {
        sortedTexts.append(texts[i]);
        sortedRecs.append(recs[i]);
    }
    texts = std::move(sortedTexts);
    recs = std::move(sortedRecs);
}

QByteArray CurrentHeaderBytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

QString ItemAt(const QStringList& list, qsizetype i) {
    return (i >= 0 && i < list.size()) ? list[i] : QString();
}

// Sorts the lists loaded last and writes back whatever the file holds
// otherwise, unless the view was partial (nothing is written then) or another
// program holds the file (the rewrite is kept pending). A pending rewrite is
// made from a fresh load, so that what the other program changed meanwhile is
// kept; so is a second call, or one after a change, as the files have moved on.
bool CardStore::SortLists() {
    if (!survey_ || survey_->headerBytes != CurrentHeaderBytes(DataFile())) LoadLists();
    const QString sorting = QStringLiteral("Please wait while sorting names list...");
    progress_->statusText(0, sorting);
    progress_->percentText(sorting);
    progress_->welcomeText(QStringLiteral("Sorting Names..."));
    progress_->gauge(0);
    if (NoOfRecords > 1) {
        progress_->pumpEvents();
        SortPair(AllNames, AllByName);
        SortPair(AllCompanies, AllByCompany);
    }
    progress_->gauge(100);
    repairs_ =
        missingFiles_.isEmpty() ? PlannedChanges(*survey_, AllByName, AllByCompany, deletedPlan_) : QList<KeyChange>();
    rewritePending_ = inUse_ && !repairs_.isEmpty();
    const bool rewrite = !inUse_ && !repairs_.isEmpty();
    survey_.reset();
    if (rewrite) RewriteLinks();
    progress_->statusText(0, QString());
    progress_->statusText(1, QString());
    return rewrite;
}

// The one place where the lists are written back, held in memory and flushed
// once with the header last. First, when any name or company link or either
// head differs, every name and company link and both heads in the order the
// sibling program expects of the sort; then only the keys that still differ,
// the cards' links in the order of their numbers, then DelFirstRecord,
// NoOfRecords, DelNoOfRecords and TotalNoOfRecords.
void CardStore::RewriteLinks() {
    profile::ProfileBulk bulk(profile_);
    const QSet<QString> live(AllByName.begin(), AllByName.end());
    auto sortWrites = [&](const KeyChange& c) {
        if (c.card.isEmpty()) return c.key == header::NameFirstRecord || c.key == header::CompanyFirstRecord;
        return live.contains(c.card) && c.key != key::PrevDel && c.key != key::NextDel;
    };
    const bool sortRewrite = std::any_of(repairs_.begin(), repairs_.end(), sortWrites);
    if (sortRewrite) RewriteListLinks();
    for (const KeyChange& c : std::as_const(repairs_)) {
        if (sortRewrite && sortWrites(c)) continue;
        if (c.card.isEmpty())
            WriteHeader(c.key, c.after);
        else
            WriteCardKey(c.card, c.key, c.after);
    }
    bulk.finish();
}

// Every name and company link and both heads, as the sorted lists say.
void CardStore::RewriteListLinks() {
    const int n = static_cast<int>(AllByName.size());
    const QString sortingData = QStringLiteral("Please wait while sorting data...");
    progress_->statusText(0, sortingData);
    progress_->percentText(sortingData);
    progress_->welcomeText(QStringLiteral("Sorting Data..."));
    progress_->gauge(0);
    progress_->pumpEvents();
    progress_->gauge(GaugePercent(1, n));
    WriteHeader(header::NameFirstRecord, ItemAt(AllByName, 0));
    WriteHeader(header::CompanyFirstRecord, ItemAt(AllByCompany, 0));
    if (n >= 1) {
        WriteCardKey(AllByName[0], key::PrevName, QString());
        WriteCardKey(AllByCompany[0], key::PrevCompany, QString());
        WriteCardKey(AllByName[0], key::NextName, ItemAt(AllByName, 1));
        WriteCardKey(AllByCompany[0], key::NextCompany, ItemAt(AllByCompany, 1));
        for (int i = 1; i <= n - 2; ++i) {
            progress_->pumpEvents();
            progress_->gauge(GaugePercent(i + 1, n));
            WriteCardKey(AllByName[i], key::PrevName, AllByName[i - 1]);
            WriteCardKey(AllByCompany[i], key::PrevCompany, AllByCompany[i - 1]);
            WriteCardKey(AllByName[i], key::NextName, AllByName[i + 1]);
            WriteCardKey(AllByCompany[i], key::NextCompany, AllByCompany[i + 1]);
        }
        progress_->gauge(100);
        WriteCardKey(AllByName[n - 1], key::PrevName, ItemAt(AllByName, n - 2));
        WriteCardKey(AllByName[n - 1], key::NextName, QString());
        WriteCardKey(AllByCompany[n - 1], key::PrevCompany, ItemAt(AllByCompany, n - 2));
        WriteCardKey(AllByCompany[n - 1], key::NextCompany, QString());
    }
}

void CardStore::SortFiltered() {
    const QString sorting = QStringLiteral("Please wait while sorting names list...");
    progress_->statusText(0, sorting);
    progress_->percentText(sorting);
    progress_->gauge(0);
    if (FilteredCount > 1) {
        progress_->pumpEvents();
        SortPair(FilteredNames, FilteredByName);
        SortPair(FilteredCompanies, FilteredByCompany);
    }
    progress_->gauge(100);
}

}  // namespace tessaly::store
