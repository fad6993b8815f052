#include "duplicate_index.h"

#include "duplicate_keys.h"

#include <QStringBuilder>
#include <map>
#include <optional>

namespace tessaly::store {

namespace {

constexpr int kPhoneFields[] = {Phone1, Phone2, Fax};

bool IsContentKey(const QString& key) {
    return key.startsWith(u"sc:");
}

MatchKey KeyKind(const QString& key) {
    if (key.startsWith(u"se:")) return MatchKey::EMail;
    if (key.startsWith(u"pt:")) return MatchKey::WeakPhone;
    if (IsContentKey(key)) return MatchKey::Content;
    return key.startsWith(u's') ? MatchKey::Phone : MatchKey::Name;
}

// The best of a card's matches: the strongest, then the earliest.
std::optional<CardMatch> Best(const QList<CardMatch>& matches) {
    std::optional<CardMatch> best;
    for (const CardMatch& m : matches)  // ids ascending
        if (!best || m.strength > best->strength) best = m;
    return best;
}

}  // namespace

QString MatchText(MatchKey key, MatchStrength strength) {
    const bool shared = strength == MatchStrength::Possible;  // an address or number too many cards have
    switch (key) {
        case MatchKey::EMail:
            return shared ? QStringLiteral("same e-mail, shared by many cards") : QStringLiteral("same e-mail");
        case MatchKey::Phone:
            return shared ? QStringLiteral("same phone, shared by many cards") : QStringLiteral("same phone");
        case MatchKey::WeakPhone:
            return QStringLiteral("same short number or dial string");
        case MatchKey::Content:
            return QStringLiteral("same content");
        case MatchKey::Name:
            break;
    }
    return QStringLiteral("same name");
}

namespace {

constexpr qsizetype kShownValueChars = 24;

QString Shortened(const QString& value) {
    const QString text = value.simplified();
    return text.size() <= kShownValueChars ? text : text.left(kShownValueChars - 1) + u'…';
}

// The same number written nationally in one card and internationally in the other counts as one.
bool SamePhone(const PhoneNumber& a, const PhoneNumber& b) {
    if (a.isEmpty() || b.isEmpty()) return false;
    if (a.international == b.international) return a.digits == b.digits;
    return (a.international ? a : b).nationalForms().contains((a.international ? b : a).digits);
}

}  // namespace

QString MatchText(MatchKey key, MatchStrength strength, const QString& value) {
    if (value.trimmed().isEmpty() || key == MatchKey::Content) return MatchText(key, strength);
    const QString shown = Shortened(value);
    const QString shared = strength == MatchStrength::Possible ? QStringLiteral(", shared by many cards") : QString();
    switch (key) {
        case MatchKey::EMail:
            return QStringLiteral("e-mail ") + shown + shared;
        case MatchKey::Phone:
            return QStringLiteral("phone ") + shown + shared;
        case MatchKey::WeakPhone:
            return QStringLiteral("short number or dial string ") + shown;
        case MatchKey::Name:
        case MatchKey::Content:
            break;
    }
    return QStringLiteral("name ") + shown;
}

QString MatchedValue(const Card& card, const Card& other, MatchKey key) {
    switch (key) {
        case MatchKey::EMail:
            return card.email().trimmed();
        case MatchKey::Phone:
        case MatchKey::WeakPhone:
            for (int mine : kPhoneFields)
                for (int theirs : kPhoneFields)
                    if (SamePhone(NormalisedPhone(card[mine]), NormalisedPhone(other[theirs])))
                        return card[mine].trimmed();
            return QString();
        case MatchKey::Name: {
            const QString name = (card.firstName() + u' ' + card.lastName()).trimmed();
            return name.isEmpty() ? card.company().trimmed() : name;
        }
        case MatchKey::Content:
            break;
    }
    return QString();
}

// The keys a card is indexed under ("s" strong, "p" possible in front).
// International numbers are indexed in full and by their national forms,
// national ones by their digits; lookups cross the two. Weak numbers are
// possible matches on their digits alone.
QStringList DuplicateIndex::KeysOf(const Card& card) {
    QStringList keys;
    keys.reserve(8);  // e-mail, name, content and a number or two: the list is not grown on the way
    const QString mail = card.email().trimmed().toCaseFolded();
    if (!mail.isEmpty()) keys << u"se:" % mail;
    for (int field : kPhoneFields) {
        const PhoneNumber phone = NormalisedPhone(card[field]);
        if (phone.isEmpty()) continue;
        if (phone.weak)
            keys << u"pt:" % phone.digits;
        else if (!phone.international)
            keys << u"sn:" % phone.digits;
        else {
            keys << u"s+:" % phone.digits;
            for (const QString& national : phone.nationalForms()) keys << u"si:" % national;
        }
    }
    const QString name = NameKey(card);
    if (!name.isEmpty()) keys << u"p" % name;
    const QString content = ContentKey(card);
    if (!content.isEmpty()) keys << u"sc:" % content;
    return keys;
}

namespace {

// A national number is looked for among the national forms of international ones, and the other way round.
template <typename Visit>
void ForEachLookup(const QStringList& keys, Visit visit) {
    for (const QString& key : keys) {
        if (key.startsWith(u"sn:"))
            visit(key), visit(u"si:" % QStringView(key).sliced(3));
        else if (key.startsWith(u"si:"))
            visit(u"sn:" % QStringView(key).sliced(3));
        else
            visit(key);
    }
}

}  // namespace

// Only the shared addresses and numbers are weakened by their count; the other
// keys need none. The national forms of an international number (three a
// number) are counted in the card file only: a placeholder number is written
// alike each time, and the count of its full form catches it.
void DuplicateIndex::count(const QStringList& keys) {
    for (const QString& key : keys)
        if (key.startsWith(u's') && !IsContentKey(key) && !key.startsWith(u"si:")) ++entries_[key].cards;
}

void DuplicateIndex::add(int id, const QStringList& keys) {
    for (const QString& key : keys) {
        Entry& entry = entries_[key];
        ++entry.cards;
        if (entry.first < 0) entry.first = id;
    }
}

void DuplicateIndex::note(QList<CardMatch>& found, const QString& key, const Entry& entry, int self) const {
    if (entry.first < 0 || entry.first == self) return;
    // Identical cards stay one card however many there are; a shared address or number stops telling people apart.
    const bool strong = key.startsWith(u's') && (IsContentKey(key) || entry.cards <= kHandful);
    const MatchStrength strength = strong ? MatchStrength::Strong : MatchStrength::Possible;
    const auto same = std::find_if(found.begin(), found.end(), [&](const CardMatch& m) { return m.id == entry.first; });
    if (same == found.end())
        found << CardMatch{entry.first, strength, KeyKind(key)};
    else if (strength > same->strength)
        same->strength = strength, same->key = KeyKind(key);
}

QList<CardMatch> DuplicateIndex::matches(const QStringList& keys) const {
    QList<CardMatch> found;
    ForEachLookup(keys, [&](const QString& key) {
        const auto hit = entries_.constFind(key);
        if (hit != entries_.constEnd()) note(found, key, *hit, -1);
    });
    std::sort(found.begin(), found.end(), [](const CardMatch& a, const CardMatch& b) { return a.id < b.id; });
    return found;
}

// One lookup of each of the card's own keys serves both the match and the placing.
QList<CardMatch> DuplicateIndex::matchAndPlace(int id, const QStringList& keys) {
    QList<CardMatch> found;
    for (const QString& key : keys) {
        Entry& own = entries_[key];
        // A national form of an international number matches national numbers only, never another country's.
        const bool national = key.startsWith(u"sn:"), nationalForm = key.startsWith(u"si:");
        if (!nationalForm) note(found, key, own, id);
        if (own.first < 0) own.first = id;
        if (!national && !nationalForm) continue;
        const QString other = (national ? u"si:" : u"sn:") % QStringView(key).sliced(3);
        const auto crossed = entries_.constFind(other);
        if (crossed != entries_.constEnd()) note(found, other, *crossed, id);
    }
    std::sort(found.begin(), found.end(), [](const CardMatch& a, const CardMatch& b) { return a.id < b.id; });
    return found;
}

QList<ImportDuplicate> FindImportDuplicates(const KnownCards& known, const QList<Card>& incoming) {
    DuplicateIndex index;
    const int knownCount = int(known.cards.size());
    index.reserve(knownCount + incoming.size());
    for (int i = 0; i < knownCount; ++i) index.add(i, DuplicateIndex::KeysOf(known.cards[i]));
    QList<QStringList> keys;  // of the incoming cards, made once for counting and looking up
    keys.reserve(incoming.size());
    for (const Card& card : incoming) index.count(keys.emplace_back(DuplicateIndex::KeysOf(card)));
    QList<ImportDuplicate> duplicates;
    for (int i = 0; i < incoming.size(); ++i) {
        if (const std::optional<CardMatch> best =
                Best(index.matchAndPlace(knownCount + i, keys[i]))) {  // the card file's first
            ImportDuplicate d{i, QString(), -1, best->strength, best->key};
            if (best->id < knownCount)
                d.recNo = known.recNos[best->id];
            else
                d.earlierIncoming = best->id - knownCount;
            duplicates << d;
        }
    }
    return duplicates;
}

QList<DuplicateGroup> FindDuplicateGroups(const KnownCards& known) {
    DuplicateIndex index;
    index.reserve(known.cards.size());
    QList<QStringList> keys;
    keys.reserve(known.cards.size());
    for (const Card& card : known.cards) keys << DuplicateIndex::KeysOf(card);
    for (const QStringList& k : keys) index.count(k);
    // Each card joins the group of its best match; strong groups first, then in the order of their first card.
    std::map<std::pair<int, int>, DuplicateGroup> groups;  // (-strength, first card)
    for (int i = 0; i < known.cards.size(); ++i) {
        if (const std::optional<CardMatch> best = Best(index.matchAndPlace(i, keys[i]))) {
            DuplicateGroup& group = groups[{-int(best->strength), best->id}];
            if (group.recNos.isEmpty()) group = DuplicateGroup{best->strength, {known.recNos[best->id]}};
            group.recNos << known.recNos[i];
        }
    }
    QList<DuplicateGroup> result;
    for (auto& [at, group] : groups) result << std::move(group);
    return result;
}

}  // namespace tessaly::store
