#pragma once

namespace tessaly::store {

// Told by the card store when the list the main window shows changed, after
// the store's lists hold the change; it reads the rows back from the store.
class ShownListObserver {
public:
    virtual ~ShownListObserver() = default;
    // Any row may differ: the view, the filter or the whole list changed.
    virtual void shownListReset() = 0;
    // A card was inserted at this row.
    virtual void shownRowInserted(int row) = 0;
    // The card at this row left the list.
    virtual void shownRowRemoved(int row) = 0;
};

}  // namespace tessaly::store
