#pragma once
#include "cards/card_layout.h"

#include <QHash>
#include <QList>
#include <QString>

namespace tessaly::store {

// The same e-mail address, telephone number or whole content is a strong
// match; the same folded name, a weak number (a short one, a dial string) or
// an address or number shared by more than a handful of cards (a placeholder
// such as email@example.com) a possible one.
enum class MatchStrength { Possible = 1, Strong = 2 };

// Which key made a match: the strongest one.
enum class MatchKey { Name, EMail, Phone, WeakPhone, Content };

struct CardMatch {
    int id = -1;
    MatchStrength strength = MatchStrength::Possible;
    MatchKey key = MatchKey::Name;
};

// What matched, for the user: "same e-mail", "same name", ...
QString MatchText(MatchKey key, MatchStrength strength);

// The same with the value that matched, shortened with "…" when long:
// "e-mail jm@example.com", "phone +49 30 1234567", "name Jane Doe".
QString MatchText(MatchKey key, MatchStrength strength, const QString& value);

// The value of 'card' that made the match of kind 'key' with 'other': its
// e-mail, the phone number the two share, or its name; empty for content.
QString MatchedValue(const Card& card, const Card& other, MatchKey key);

// Cards indexed by their keys (e-mail, normalised phone numbers, folded
// name, content), so that a card's matches are found by lookups, never by
// comparing it with every other card.
class DuplicateIndex {
public:
    void add(int id, const Card& card) { add(id, KeysOf(card)); }
    void reserve(qsizetype cards) { entries_.reserve(cards * 5); }  // up to five keys a card: no rehashing on the way
    // For each key the card shares, the first card placed under it, each card
    // once with its strongest match, by id: enough for the best match, at a
    // cost that does not grow with how many cards share a key.
    QList<CardMatch> matches(const Card& card) const { return matches(KeysOf(card)); }

    // The same with the card's keys made once. Every card is counted once
    // (all of them first, so that how many share a key does not depend on the
    // order) and placed once; only placed cards are found. add counts and
    // places; matchAndPlace places a card counted before, after its lookups.
    static QStringList KeysOf(const Card& card);
    void count(const QStringList& keys);
    void add(int id, const QStringList& keys);
    QList<CardMatch> matches(const QStringList& keys) const;
    QList<CardMatch> matchAndPlace(int id, const QStringList& keys);

    // More cards than this under one e-mail or number make it a placeholder.
    static constexpr int kHandful = 5;

private:
    struct Entry {
        int first = -1;  // the first card placed under the key
        int cards = 0;   // how many cards have the key
    };
    QHash<QString, Entry> entries_;

    // Adds the card under 'key' (found in the index) to the matches, unless it is 'self'.
    void note(QList<CardMatch>& found, const QString& key, const Entry& entry, int self) const;
};

// An incoming card that matches a card of the card file (recNo) or an
// earlier incoming card (earlierIncoming).
struct ImportDuplicate {
    int incoming = -1;
    QString recNo;
    int earlierIncoming = -1;
    MatchStrength strength = MatchStrength::Possible;
    MatchKey key = MatchKey::Name;
};

// The live cards of a card file, as the duplicate check reads them.
struct KnownCards {
    QStringList recNos;
    QList<Card> cards;
};

// Each incoming card's best match: a strong one before a possible one, a card
// of the card file before another incoming card.
QList<ImportDuplicate> FindImportDuplicates(const KnownCards& known, const QList<Card>& incoming);

// Groups of cards of the card file: a card and the later cards whose best
// match it is, never a chain (a card that matches a member of a group but not
// its first card is not in it); a card that others match best and that itself
// matches an earlier one is in two groups. A card's strong and possible
// matches are two groups; strong groups first, each in list order.
struct DuplicateGroup {
    MatchStrength strength = MatchStrength::Possible;
    QStringList recNos;
};
QList<DuplicateGroup> FindDuplicateGroups(const KnownCards& known);

}  // namespace tessaly::store
