#pragma once
#include <QAbstractItemModel>
#include <QListView>

namespace tessaly::mainwin {

// The main window's list of cards: a list view over CardListModel, answering
// in rows as the window and its tests think of them.
class CardListView final : public QListView {
    Q_OBJECT
public:
    using QListView::QListView;

    // The selected row, or -1 when none is.
    int currentRow() const { return currentIndex().row(); }
    // Selects a row (and makes it current); -1 or a row past the end selects none.
    void setCurrentRow(int row) { setCurrentIndex(model() ? model()->index(row, 0) : QModelIndex()); }
};

}  // namespace tessaly::mainwin
