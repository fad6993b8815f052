#include "duplicate_index.h"

#include "duplicate_keys.h"

#include <numeric>
#include <optional>

namespace tessaly::store {

namespace {

constexpr int kPhoneFields[] = {Phone1, Phone2, Fax};

}  // namespace

// The keys a card is indexed under ("s" strong, "p" possible in front).
// International numbers are indexed in full and by their national forms,
// national ones by their digits; lookups cross the two.
QStringList DuplicateIndex::KeysOf(const CardFieldList& card) {
    QStringList keys;
    const QString mail = card[EMail].trimmed().toCaseFolded();
    if (!mail.isEmpty()) keys << QStringLiteral("se:") + mail;
    for (int field : kPhoneFields) {
        const PhoneNumber phone = NormalisedPhone(card[field]);
        if (phone.isEmpty()) continue;
        if (!phone.international) keys << QStringLiteral("sn:") + phone.digits;
        else {
            keys << QStringLiteral("s+:") + phone.digits;
            for (const QString& national : phone.nationalForms()) keys << QStringLiteral("si:") + national;
        }
    }
    const QString name = NameKey(card);
    if (!name.isEmpty()) keys << QStringLiteral("p") + name;
    return keys;
}

namespace {

// A national number is looked for among the national forms of international ones, and the other way round.
template <typename Visit>
void ForEachLookup(const QStringList& keys, Visit visit) {
    for (const QString& key : keys) {
        if (key.startsWith(u"sn:")) visit(key), visit(QStringLiteral("si:") + key.mid(3));
        else if (key.startsWith(u"si:")) visit(QStringLiteral("sn:") + key.mid(3));
        else visit(key);
    }
}

struct UnionFind {
    explicit UnionFind(qsizetype n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
    int find(int x) { return parent[x] == x ? x : parent[x] = find(parent[x]); }
    void join(int a, int b) { parent[find(a)] = find(b); }
    std::vector<int> parent;
};

}  // namespace

void DuplicateIndex::add(int id, const QStringList& keys) {
    for (const QString& key : keys)
        if (!first_.contains(key)) first_.insert(key, id);
}

QList<CardMatch> DuplicateIndex::matches(const QStringList& keys) const {
    QList<CardMatch> found;
    ForEachLookup(keys, [&](const QString& key) {
        const auto hit = first_.constFind(key);
        if (hit == first_.constEnd()) return;
        const MatchStrength strength = key.startsWith(u's') ? MatchStrength::Strong : MatchStrength::Possible;
        const auto same = std::find_if(found.begin(), found.end(), [&](const CardMatch& m) { return m.id == *hit; });
        if (same == found.end()) found << CardMatch{*hit, strength};
        else same->strength = std::max(same->strength, strength);
    });
    std::sort(found.begin(), found.end(), [](const CardMatch& a, const CardMatch& b) { return a.id < b.id; });
    return found;
}

QList<ImportDuplicate> FindImportDuplicates(const KnownCards& known, const QList<CardFieldList>& incoming) {
    DuplicateIndex index;
    const int knownCount = int(known.cards.size());
    index.reserve(knownCount + incoming.size());
    for (int i = 0; i < knownCount; ++i) index.add(i, known.cards[i]);
    QList<ImportDuplicate> duplicates;
    for (int i = 0; i < incoming.size(); ++i) {
        const QStringList keys = DuplicateIndex::KeysOf(incoming[i]);
        std::optional<CardMatch> best;
        for (const CardMatch& m : index.matches(keys))  // ids ascending: the card file's first
            if (!best || m.strength > best->strength) best = m;
        if (best) {
            ImportDuplicate d{i, QString(), -1, best->strength};
            if (best->id < knownCount) d.recNo = known.recNos[best->id];
            else d.earlierIncoming = best->id - knownCount;
            duplicates << d;
        }
        index.add(knownCount + i, keys);
    }
    return duplicates;
}

QList<DuplicateGroup> FindDuplicateGroups(const KnownCards& known) {
    DuplicateIndex index;
    UnionFind groups(known.cards.size());
    std::vector<bool> strong(known.cards.size(), false);
    for (int i = 0; i < known.cards.size(); ++i) {
        const QStringList keys = DuplicateIndex::KeysOf(known.cards[i]);
        for (const CardMatch& m : index.matches(keys)) {
            const bool wasStrong = strong[groups.find(m.id)] || strong[groups.find(i)];
            groups.join(m.id, i);
            strong[groups.find(i)] = wasStrong || m.strength == MatchStrength::Strong;
        }
        index.add(i, keys);
    }
    QHash<int, qsizetype> groupOfRoot;  // groups in the order of their first card
    QList<DuplicateGroup> all;
    for (int i = 0; i < known.cards.size(); ++i) {
        const int root = groups.find(i);
        if (!groupOfRoot.contains(root)) groupOfRoot[root] = all.size(), all << DuplicateGroup{strong[root] ? MatchStrength::Strong : MatchStrength::Possible, {}};
        all[groupOfRoot[root]].recNos << known.recNos[i];
    }
    QList<DuplicateGroup> result;
    for (const DuplicateGroup& g : all)
        if (g.recNos.size() > 1) result << g;
    std::stable_sort(result.begin(), result.end(), [](const DuplicateGroup& a, const DuplicateGroup& b) { return a.strength > b.strength; });
    return result;
}

}  // namespace tessaly::store
