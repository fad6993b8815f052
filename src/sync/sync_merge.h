#pragma once
#include "cards/card.h"

#include <QMap>

namespace tessaly::sync {

// A three-way merge of one card, field by field, against the card both sides last agreed on.
struct MergedCard {
    store::Card here;    // what the card file is to hold
    store::Card server;  // what the server is to hold
    // The new base when the server takes 'server'; and when it does not (its write failed), so that
    // what was to go up goes up at the next sync.
    store::Card base, baseIfNotSent;
    QMap<int, QString> conflicts;  // field -> the server's value, for fields changed on both sides differently
};

// A field changed on one side takes that side's value; changed on both sides alike, that value;
// changed on both sides differently, each side keeps its own (a conflict) and the base stays, so
// that the conflict is found again until the person settles it. A pair never synced before merges
// against an empty base: what one side lacks the other fills.
MergedCard MergeCard(const store::Card& base, const store::Card& here, const store::Card& server);

}  // namespace tessaly::sync
