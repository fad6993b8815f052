#include "card_filter.h"

#include "display_text.h"
#include "profile/profile_access.h"

#include <algorithm>

namespace tessaly::store {

namespace {
// Case folding makes "Ærø" and "ærø" (or "İ" and its forms) the same text, as a user expects.
bool Contains(const QString& value, const QString& text) {
    return value.contains(text, Qt::CaseInsensitive);
}
}  // namespace

bool FilterWanted(const FilterTexts& texts) {
    return std::any_of(texts.begin(), texts.end(), [](const QString& t) { return !TrimBlanks(t).isEmpty(); });
}

bool CardPasses(CardStore& store, const QString& recNo, const FilterTexts& texts) {
    profile::ProfileOperation op(store.Profile());
    for (std::size_t k = 0; k < texts.size(); ++k) {
        if (texts[k].isEmpty()) continue;
        if (!Contains(store.ReadCardKey(recNo, FieldKeys[kFilterFields[k]]), texts[k])) return false;
    }
    return true;
}

QStringList SelectMatching(CardStore& store, const FilterTexts& texts, ProgressSink& progress) {
    // A copy: the scan does not depend on the lists staying as they are while the windows repaint.
    const QStringList all = store.AllByName;
    QStringList candidates;
    bool first = true;
    // One operation: each card file is checked against the disk once, not once per card.
    profile::ProfileOperation op(store.Profile());
    for (std::size_t k = 0; k < texts.size(); ++k) {
        if (texts[k].isEmpty()) continue;
        const QString key = FieldKeys[kFilterFields[k]];
        const QStringList& scan = first ? all : candidates;
        const int count = static_cast<int>(scan.size());
        QStringList survivors;
        for (int i = 0; i < count; ++i) {
            progress.pumpEvents();
            progress.gauge(GaugePercent(i + 1, count));
            if (Contains(store.ReadCardKey(scan[i], key), texts[k])) survivors << scan[i];
        }
        candidates = std::move(survivors);
        first = false;
    }
    return candidates;
}

bool ApplyFilter(CardStore& store, const FilterTexts& texts, ProgressSink& progress) {
    if (!FilterWanted(texts)) {
        store.FilterMatch = nullptr;
        store.ClearFilter();
        return false;
    }
    const QString searching = QStringLiteral("Please wait. Searching...");
    progress.statusText(0, searching);
    progress.percentText(searching);
    progress.gauge(0);
    const QStringList matching = SelectMatching(store, texts, progress);

    const QString names = QStringLiteral("Please wait. Getting filtered names list...");
    progress.statusText(0, names);
    progress.percentText(names);
    progress.gauge(0);
    progress.pumpEvents();
    // The texts are copied, so later changes in the dialog do not move the filter.
    store.FilterMatch = [&store, texts](const QString& recNo) { return CardPasses(store, recNo, texts); };
    store.SetFilter(matching);
    progress.gauge(100);
    return true;
}

}  // namespace tessaly::store
