#pragma once
#include "cards/card.h"
#include "cards/card_store.h"
#include "sync_account.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tessaly::sync {

// A field of a card changed differently on both sides, as the conflicts window lists it.
struct FieldConflict {
    QString account;
    QString stateFile;
    QString recNo;
    int field = 0;
    store::Card here;  // the whole card as listed: a choice is refused when it is no longer so
    QString server;    // the server's value of the field
};

// The conflicts of every account's sync with the card file, by card name, then field. Only cards still
// on the name list and still the person they were synced as: the next sync pairs the others afresh.
// 'notices' collects what could not be read (a damaged state file renamed aside, damaged accounts).
QList<FieldConflict> ListConflicts(store::CardStore& store, const QList<SyncAccount>& accounts, QStringList* notices);

// The conflict is no longer as listed: a sync settled it or met another value of the server meanwhile.
class ConflictMovedOn : public store::ChangeRefused {
public:
    ConflictMovedOn();
};

// The person's three choices. Each is refused, with nothing written, when the card or the conflict is no
// longer as listed (store::CardChangedMeanwhile, ConflictMovedOn); the store's and the state file's
// errors go on to the caller.
// This side's value goes to the server at the next sync; only the state changes.
void KeepMine(store::CardStore& store, const FieldConflict& conflict);
// The card takes the server's value now, a change the history records.
void KeepServers(store::CardStore& store, const FieldConflict& conflict);
// Notes only: the card's notes become both texts joined (JoinedNotes), sent at the next sync.
void KeepBothNotes(store::CardStore& store, const FieldConflict& conflict);
// This side's notes, a line break, the server's; one side alone when the other is empty.
QString JoinedNotes(const QString& here, const QString& server);

}  // namespace tessaly::sync
