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

int CardListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

QVariant CardListModel::data(const QModelIndex& index, int role) const {
    if (!store_ || !index.isValid() || index.row() >= rows_) return {};
    // A damaged file can leave an entry without a record number: it gets -1,
    // which names no card, so selecting it never shows another card.
    if (role == Qt::UserRole) return store::RecordData(store_->ShownRecNo(index.row()));
    if (role == Qt::DisplayRole) return store_->ShownText(index.row());
    return {};
}

void CardListModel::shownListReset() {
    const QScopedValueRollback changing(changing_, true);
    beginResetModel();
    rows_ = store_ ? store_->ShownCount() : 0;
    endResetModel();
}

void CardListModel::shownRowInserted(int row) {
    if (row < 0 || row > rows_) return shownListReset();
    const QScopedValueRollback changing(changing_, true);
    beginInsertRows(QModelIndex(), row, row);
    ++rows_;
    endInsertRows();
}

void CardListModel::shownRowRemoved(int row) {
    if (row < 0 || row >= rows_) return shownListReset();
    const QScopedValueRollback changing(changing_, true);
    beginRemoveRows(QModelIndex(), row, row);
    --rows_;
    endRemoveRows();
}

}  // namespace tessaly::mainwin
