#pragma once
#include "cards/shown_list_observer.h"

#include <QAbstractListModel>
#include <QList>
#include <QStringList>
#include <cstdint>

namespace tessaly::store {
class CardStore;
}

namespace tessaly::mainwin {

// The store's shown list as the main window's list shows it: one line per
// card, its record number under Qt::UserRole. Each row is read from the store
// when the store tells of it and kept, so the views see every change between
// its begin and end, as they must, even though the store changed first.
class CardListModel final : public QAbstractListModel, public store::ShownListObserver {
    Q_OBJECT
public:
    explicit CardListModel(QObject* parent = nullptr);
    ~CardListModel() override;

    // The store to show (or none); it tells this model of its changes from now on.
    void SetStore(store::CardStore* store);
    // True while the store's change is being passed to the views: the current
    // row they report then is not the user's choice.
    bool Changing() const { return changing_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void shownListReset() override;
    void shownRowInserted(int row) override;
    void shownRowRemoved(int row) override;

private:
    // Keeps the store's row at this place.
    void Read(int row);

    store::CardStore* store_ = nullptr;
    QStringList texts_;
    QList<std::int32_t> recs_;
    bool changing_ = false;
};

}  // namespace tessaly::mainwin
