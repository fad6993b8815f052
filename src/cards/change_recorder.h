#pragma once
#include "card.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <functional>
#include <optional>

namespace tessaly::store {

// Where a card is: on the name and company lists, on the deleted list, or nowhere.
enum class CardPlace : std::uint8_t { Absent, Live, Deleted };

// A card's sixteen values and its list: what an undo compares and puts back.
struct CardState {
    CardPlace place = CardPlace::Absent;
    Card fields;
    bool operator==(const CardState&) const = default;
};

// Every card of a card file by its record number.
using CardStates = QMap<QString, CardState>;

// One card a change altered, as it was before and after.
struct CardTransition {
    QString recNo;
    CardState before, after;
};

// Told of every change to a card file as it happens (the change history). Each
// call comes under the change lock; a recorder that cannot record throws, and
// the change then stops before the write it was told of.
class ChangeRecorder {
public:
    virtual ~ChangeRecorder() = default;
    // Before a change first writes, replaces or removes this file: its bytes now (none: it does not exist).
    // 'wholeSet' when the file goes in a switch of the whole card file, which is never left half-done.
    virtual void aboutToWrite(const QString& file, const std::optional<QByteArray>& before, bool wholeSet) = 0;
    // What a person calls the change under way, when the cards it changed do not say it
    // (an import, a restore from backup).
    virtual void describe(const QString& text) = 0;
    // The change is complete. 'cards' holds the cards whose values or list it altered; a
    // change that replaced the card files whole (an import, a restore) or only mended their
    // links reports none, and 'everyCard' then tells every card as the change left them.
    virtual void committed(const QList<CardTransition>& cards, const std::function<CardStates()>& everyCard) = 0;
    // The change stopped and its files were put back ('whole'), or some could not be (the
    // history then puts them back when it is next opened). Never throws.
    virtual void rolledBack(bool whole) noexcept = 0;
};

}  // namespace tessaly::store
