#pragma once
#include "cards/card.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QUrl>
#include <stdexcept>

namespace tessaly::sync {

// A card and the server contact it was paired with, as the last sync left them.
struct SyncedCard {
    QString recNo;
    QString uid;
    QString href;
    QString etag;
    store::Card base;          // the card as both sides last agreed on it: the base of the merge
    QByteArray serverVCard;    // the server's last vCard of it, kept also after it left the server
    bool deletedHere = false;  // on the deleted list at the last sync
    bool goneFromServer = false;
    // Fields changed on both sides differently: the server's value, by field. This side keeps its
    // own until the person settles it.
    QMap<int, QString> conflicts;
    bool operator==(const SyncedCard&) const = default;
};

// The state of one account's sync with one card file: in the program's data folder, never in the
// card folder (the sibling program must find no new file there).
struct SyncState {
    QString cardFolder;  // the card folder's canonical path, which the state belongs to
    QUrl addressBook;
    QString token;
    QDateTime lastSync;  // UTC; invalid before the first
    QString lastReport;  // what the last sync did, as it told the person
    QList<SyncedCard> cards;

    int conflictCount() const;
};

// The state file could not be read (damaged) or written; the message names it and why.
class SyncStateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the state of an account's sync with the card file in 'cardFolder' is kept: one folder an account.
QString SyncStateFolder(const QString& accountName);
QString SyncStateFile(const QString& accountName, const QString& cardFolder);

// The state, or an empty one (a first sync) when there is none. A damaged file is renamed aside
// (never deleted) and an empty state returned; 'notice' then says so.
SyncState LoadSyncState(const QString& file, const QString& cardFolder, QString* notice);
// Writes the state atomically, flushed, mode 0600 in a folder of mode 0700. The time and report of
// the last sync are kept beside it, in a small file of their own: a sync that changed nothing else
// writes only that one (SaveSyncStatus), not the cards of a large address book.
void SaveSyncState(const QString& file, const SyncState& state);
void SaveSyncStatus(const QString& file, const SyncState& state);
// Every state of the account (it was removed; the cards stay).
void RemoveSyncStates(const QString& accountName);

}  // namespace tessaly::sync
