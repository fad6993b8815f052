#pragma once
#include "cards/store_hooks.h"

#include <QListWidget>

namespace tessaly::mainwin {

// The card list as the store fills it: one line per card, its record number as
// item data. Filling the list selects nothing and shows no card; the window's
// refresh selects the card afterwards.
class ListBoxAdapter final : public store::ListBoxView {
public:
    explicit ListBoxAdapter(QListWidget* list) : list_(list) {}
    void clear() override {
        const QSignalBlocker quiet(list_);
        list_->clear();
    }
    void addItem(const QString& text, std::int32_t recNo) override {
        const QSignalBlocker quiet(list_);
        list_->addItem(Item(text, recNo));
    }
    void insertItem(int position, const QString& text, std::int32_t recNo) override {
        const QSignalBlocker quiet(list_);
        list_->insertItem(position, Item(text, recNo));
    }
    void removeItem(int position) override {
        const QSignalBlocker quiet(list_);
        delete list_->takeItem(position);
    }

private:
    static QListWidgetItem* Item(const QString& text, std::int32_t recNo) {
        auto* item = new QListWidgetItem(text);
        item->setData(Qt::UserRole, recNo);
        return item;
    }
    QListWidget* list_;
};

}  // namespace tessaly::mainwin
