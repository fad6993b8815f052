#include "card_list_model.h"

#include "cards/card_layout.h"
#include "cards/card_store.h"

#include <QScopedValueRollback>

namespace tessaly::mainwin {

CardListModel::CardListModel(QObject* parent) : QAbstractListModel(parent) {}

CardListModel::~CardListModel() {
    if (store_) store_->SetShownListObserver(nullptr);
}

void CardListModel::SetStore(store::CardStore* store) {
    if (store_) store_->SetShownListObserver(nullptr);
    store_ = store;
    if (store_) store_->SetShownListObserver(this);
    shownListReset();
}

int CardListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(texts_.size());
}

QVariant CardListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= texts_.size()) return {};
    if (role == Qt::UserRole) return recs_.at(index.row());
    if (role == Qt::DisplayRole) return texts_.at(index.row());
    return {};
}

// A damaged file can leave an entry without a record number: it gets -1,
// which names no card, so selecting it never shows another card.
void CardListModel::Read(int row) {
    texts_.insert(row, store_->ShownText(row));
    recs_.insert(row, store::RecordData(store_->ShownRecNo(row)));
}

void CardListModel::shownListReset() {
    const QScopedValueRollback changing(changing_, true);
    beginResetModel();
    texts_.clear(), recs_.clear();
    for (int row = 0; store_ && row < store_->ShownCount(); ++row) Read(row);
    endResetModel();
}

void CardListModel::shownRowInserted(int row) {
    if (row < 0 || row > texts_.size()) return shownListReset();
    const QScopedValueRollback changing(changing_, true);
    beginInsertRows(QModelIndex(), row, row);
    Read(row);
    endInsertRows();
}

void CardListModel::shownRowRemoved(int row) {
    if (row < 0 || row >= texts_.size()) return shownListReset();
    const QScopedValueRollback changing(changing_, true);
    beginRemoveRows(QModelIndex(), row, row);
    texts_.removeAt(row), recs_.removeAt(row);
    endRemoveRows();
}

}  // namespace tessaly::mainwin
