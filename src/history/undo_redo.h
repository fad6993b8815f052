#pragma once
#include "cards/card_store.h"
#include "change_journal.h"

namespace tessaly::history {

// Nothing is there to undo or redo.
class NothingToUndo : public store::ChangeRefused {
public:
    using store::ChangeRefused::ChangeRefused;
};

// An undo or redo refused because a card it would write changed since: nothing was written.
class ChangedSince : public store::ChangeRefused {
public:
    using store::ChangeRefused::ChangeRefused;
};

// Takes back the latest change not yet undone, as a change of its own: under the change
// lock, refused while another program has the card file open, and only when every card
// the change touched still has the values and the list the change left it with. A change
// that added a card moves it to the deleted list; one that replaced the card files (an
// import, a restore from backup, a repair) puts them back byte for byte, the count of
// users aside. Returns the description of what was undone. Throws NothingToUndo,
// ChangedSince, what the store throws, or profile::FileError (the card file as before).
QString Undo(ChangeJournal& journal, store::CardStore& store);
// Applies again the change undone last, on the same terms.
QString Redo(ChangeJournal& journal, store::CardStore& store);
// Undoes the changes newest first until entry 'id' is undone, each on the same terms, and
// returns how many it undid. A refusal stops it: what it throws then says how many were undone before.
int UndoBackTo(ChangeJournal& journal, store::CardStore& store, std::uint64_t id);

}  // namespace tessaly::history
