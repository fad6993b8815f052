#include "card_change.h"
#include "card_store.h"
#include "display_text.h"
#include "profile/profile_access.h"

#include <algorithm>

namespace tessaly::store {

using profile::ProfileOperation;

// A card whose name or company changed moves without passing through the
// deleted list: it is unlinked from both lists, keeping the count, and linked
// in at its new places. Stopped anywhere in between, it is a card on no list
// with no deleted-list links, which the start-up repair puts back live; done,
// it leaves the files as deleting, taking off the deleted list and inserting did.
bool CardStore::ChangeCard(const QString& n, Card& current, Card typed) {
    RequireEditable();
    CardChange change(*this);
    RequireWholeView();
    ProfileOperation op(profile_);
    RequireLive(n);
    const QString showName = NameText(typed[FirstName], typed[LastName], typed[Company]);
    const QString showCompany = CompanyText(typed[FirstName], typed[LastName], typed[Company]);
    // The texts stored are compared too: 'current' may predate a rename by another process.
    const bool keepsPlace = typed.firstName() == current.firstName() && typed.lastName() == current.lastName() &&
                            typed.company() == current.company() && ReadCardKey(n, key::ShowName) == showName &&
                            ReadCardKey(n, key::ShowCompany) == showCompany;
    if (!keepsPlace) {
        current = typed;
        const int row = ListPosition(n);
        UnlinkLive(n);
        NoOfRecords = static_cast<std::int16_t>(std::max(NoOfRecords - 1, 0));
        RemoveFromLists(n);
        if (observer_ && row >= 0) observer_->shownRowRemoved(row);
        InsertCard(n, showName, showCompany);
        DeletedCount = Count16(ReadHeader(header::DelNoOfRecords));  // as taking it off the deleted list left it
    }
    current = typed;
    WriteCard(n, current);
    // The card was linked while its section still held the old values.
    if (!keepsPlace) RefilterCard(n, showName, showCompany);
    op.finish();
    change.commit();
    return !keepsPlace;
}

bool CardStore::ChangeCardIfUnchanged(const QString& n, Card& opened, Card typed) {
    RequireEditable();
    CardChange change(*this);
    RequireLive(n);
    if (Card stored = ReadCard(n); !(stored == opened)) throw CardChangedMeanwhile(std::move(stored));
    const bool moved = ChangeCard(n, opened, std::move(typed));
    change.commit();
    return moved;
}

}  // namespace tessaly::store
