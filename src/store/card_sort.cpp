#include "card_store.h"
#include "display_text.h"
#include "profile/profile_access.h"

namespace tessaly::store {
namespace {

// Sorts a text list and the record numbers that travel with it, keeping equal
// texts in their order (what exchanging only strictly greater neighbours
// gives). Returns whether anything moved.
bool SortPair(QStringList& texts, QStringList& recs) {
    if (IsInOrder(texts)) return false;
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
    return true;
}

QString At(const QStringList& list, qsizetype i) { return (i >= 0 && i < list.size()) ? list[i] : QString(); }

}  // namespace

bool CardStore::SortLists() {
    const QString sorting = QStringLiteral("Please wait while sorting names list...");
    progress_->statusText(0, sorting);
    progress_->percentText(sorting);
    progress_->welcomeText(QStringLiteral("Sorting Names..."));
    progress_->gauge(0);
    bool moved = false;
    if (NoOfRecords > 1) {
        progress_->pumpEvents();
        moved = SortPair(AllNames, AllByName);
        moved = SortPair(AllCompanies, AllByCompany) || moved;
    }
    progress_->gauge(100);
    const bool rewrite = moved || listsRepaired_;
    if (rewrite) RewriteLinks(listsRepaired_);
    listsRepaired_ = false;
    progress_->statusText(0, QString());
    progress_->statusText(1, QString());
    return rewrite;
}

// Every name and company link and both heads, as the sorted lists say, held
// in memory and written once at the end.
void CardStore::RewriteLinks(bool writeCount) {
    profile::ProfileBulk bulk(profile_);
    const int n = NoOfRecords;
    const QString sortingData = QStringLiteral("Please wait while sorting data...");
    progress_->statusText(0, sortingData);
    progress_->percentText(sortingData);
    progress_->welcomeText(QStringLiteral("Sorting Data..."));
    progress_->gauge(0);
    progress_->pumpEvents();
    progress_->gauge(GaugePercent(1, n));
    WriteHeader(header::NameFirstRecord, At(AllByName, 0));
    WriteHeader(header::CompanyFirstRecord, At(AllByCompany, 0));
    if (n >= 1) {
        WriteCardKey(AllByName[0], key::PrevName, QString());
        WriteCardKey(AllByCompany[0], key::PrevCompany, QString());
        WriteCardKey(AllByName[0], key::NextName, At(AllByName, 1));
        WriteCardKey(AllByCompany[0], key::NextCompany, At(AllByCompany, 1));
        for (int i = 1; i <= n - 2; ++i) {
            progress_->pumpEvents();
            progress_->gauge(GaugePercent(i + 1, n));
            WriteCardKey(AllByName[i], key::PrevName, AllByName[i - 1]);
            WriteCardKey(AllByCompany[i], key::PrevCompany, AllByCompany[i - 1]);
            WriteCardKey(AllByName[i], key::NextName, AllByName[i + 1]);
            WriteCardKey(AllByCompany[i], key::NextCompany, AllByCompany[i + 1]);
        }
        progress_->gauge(100);
        WriteCardKey(AllByName[n - 1], key::PrevName, At(AllByName, n - 2));
        WriteCardKey(AllByName[n - 1], key::NextName, QString());
        WriteCardKey(AllByCompany[n - 1], key::PrevCompany, At(AllByCompany, n - 2));
        WriteCardKey(AllByCompany[n - 1], key::NextCompany, QString());
    }
    if (writeCount) WriteHeader(header::NoOfRecords, QString::number(n));
    bulk.finish();
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
