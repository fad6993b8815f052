#pragma once
#include "card_layout.h"

#include <QHash>
#include <QList>
#include <QString>

namespace tessaly::store {

// The same e-mail address or telephone number is a strong match; the same
// folded name a possible one.
enum class MatchStrength { Possible = 1, Strong = 2 };

struct CardMatch {
    int id = -1;
    MatchStrength strength = MatchStrength::Possible;
};

// Cards indexed by their keys (e-mail, normalised phone numbers, folded
// name), so that a card's matches are found by lookups, never by comparing
// it with every other card.
class DuplicateIndex {
public:
    void add(int id, const CardFieldList& card) { add(id, KeysOf(card)); }
    void reserve(qsizetype cards) { first_.reserve(cards * 3); }  // about three keys a card: no rehashing on the way
    // For each key the card shares, the first card added under it, each card
    // once with its strongest match, by id: enough for the best match and to
    // join groups, at a cost that does not grow with how many cards share a key.
    QList<CardMatch> matches(const CardFieldList& card) const { return matches(KeysOf(card)); }

    // The same with the card's keys made once, for a card that is looked up and then added.
    static QStringList KeysOf(const CardFieldList& card);
    void add(int id, const QStringList& keys);
    QList<CardMatch> matches(const QStringList& keys) const;

private:
    QHash<QString, int> first_;  // the first card added under each key
};

// An incoming card that matches a card of the card file (recNo) or an
// earlier incoming card (earlierIncoming).
struct ImportDuplicate {
    int incoming = -1;
    QString recNo;
    int earlierIncoming = -1;
    MatchStrength strength = MatchStrength::Possible;
};

// The live cards of a card file, as the duplicate check reads them.
struct KnownCards {
    QStringList recNos;
    QList<CardFieldList> cards;
};

// Each incoming card's best match: a strong one before a possible one, a card
// of the card file before another incoming card.
QList<ImportDuplicate> FindImportDuplicates(const KnownCards& known, const QList<CardFieldList>& incoming);

// Groups of cards of the card file that match one another (through any chain
// of matches), strong groups first, each group's record numbers in list order.
struct DuplicateGroup {
    MatchStrength strength = MatchStrength::Possible;
    QStringList recNos;
};
QList<DuplicateGroup> FindDuplicateGroups(const KnownCards& known);

}  // namespace tessaly::store
