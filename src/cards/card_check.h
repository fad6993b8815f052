#pragma once
#include <QStringList>

namespace tessaly::store {

class CardStore;

// The faults of a card file against the invariants every complete change
// keeps: consistent links, counts equal to list lengths, live and deleted
// cards apart, every card kept, every handed-out number a card. Empty when sound.
QStringList CheckCardFile(CardStore& store);

}  // namespace tessaly::store
