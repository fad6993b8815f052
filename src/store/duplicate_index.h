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
    void add(int id, const CardFieldList& card);
    // The cards added so far that match, each once with its strongest match, by id.
    QList<CardMatch> matches(const CardFieldList& card) const;

private:
    QHash<QString, QList<int>> ids_;
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
