#pragma once
#include "remote_book.h"
#include "sync_state.h"

#include <QStringList>
#include <QUrl>
#include <functional>

namespace tessaly::store {
class CardStore;
}

namespace tessaly::sync {

// What a sync did, or (a dry run) would do, for the person: each list holds one line per card.
struct SyncReport {
    QStringList sentNew, sentChanged, sentDeleted;  // to the server
    QStringList cameNew, cameChanged, cameDeleted;  // into the card file
    QStringList conflicts;                          // "Quinn, Harriet: Phone1 (here 123, server 456)"
    QStringList failed;                             // a card and why it was not synced
    int leftOut = 0;                                // the server's contacts the card file had no room for
    bool complete = true;                           // false: the sync stopped early; 'stopped' says why
    QString stopped;

    bool nothingDone() const;
    // A sentence or two: "3 cards sent, 2 came in, 1 conflict."
    QString summary() const;
    // Every line, for the report a person reads.
    QString details() const;
};

struct SyncOptions {
    QString accountName;  // for the history's description
    QUrl addressBook;     // a state of another address book is started afresh
    bool dryRun = false;
    // Told of progress (done, total) while the cards go up; may be empty.
    std::function<void(int, int)> progress;
    // Runs the card file's part of the sync (planned and applied under the change lock); the windows
    // run it as any change (the wait window, the lists read again). Empty: run directly. It throws
    // when that part did not complete, and the sync then ends without writing to the server.
    std::function<void(const std::function<void()>&)> asChange;
};

// One two-way sync of the card file with an address book, as one change of the card file (one
// entry in the history). The state is read from and written to 'stateFile', after the card file's
// change and after each batch of the server's writes, so that a sync stopped anywhere resumes
// without doubles or losses. Throws what the store throws when the card file refuses the change
// (in use, a failed write: nothing of the sync is then kept) and SyncStateError; a server that
// fails midway ends the sync with the report saying what was and was not synced.
SyncReport Synchronise(store::CardStore& store, RemoteBook& remote, const QString& stateFile,
                       const SyncOptions& options);

// The person's choice for a field changed on both sides. Local: this side's value goes to the server
// at the next sync. Server: the card takes the server's value now (a change of the card file). False
// when the card has no such conflict.
enum class KeepSide { Local, Server };
bool SettleConflict(store::CardStore& store, const QString& stateFile, const QString& recNo, int field, KeepSide keep);

// Whether a card still stands for the person it was synced as (after a replacing import or a
// restore from backup a record number can hold someone else).
bool Resembles(const store::Card& now, const store::Card& synced);

}  // namespace tessaly::sync
