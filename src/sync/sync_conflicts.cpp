#include "sync_conflicts.h"

#include "cards/card_change.h"
#include "cards/card_layout.h"
#include "history/history_text.h"
#include "sync_engine.h"
#include "sync_state.h"

#include <algorithm>
#include <stdexcept>

namespace tessaly::sync {

namespace {

// The state as it is now, refused when the card or its conflict is no longer as the list showed them:
// the person chose over the values they saw, never over ones a sync or another program wrote since.
SyncState RequireAsListed(store::CardStore& store, const FieldConflict& conflict) {
    SyncState state = LoadSyncState(conflict.stateFile, store.DataDir(), nullptr);
    const auto entry = std::find_if(state.cards.cbegin(), state.cards.cend(),
                                    [&](const SyncedCard& c) { return c.recNo == conflict.recNo; });
    if (entry == state.cards.cend() || !entry->conflicts.contains(conflict.field) ||
        entry->conflicts.value(conflict.field) != conflict.server)
        throw ConflictMovedOn();
    if (store::Card now = store.ReadCard(conflict.recNo); now != conflict.here)
        throw store::CardChangedMeanwhile(std::move(now));
    return state;
}

}  // namespace

ConflictMovedOn::ConflictMovedOn()
    : store::ChangeRefused("A sync settled or changed this conflict meanwhile; nothing was written.") {}

QList<FieldConflict> ListConflicts(store::CardStore& store, const QList<SyncAccount>& accounts, QStringList* notices) {
    QList<FieldConflict> all;
    const QString nameFirst = store.ReadHeader(store::header::NameFirstRecord).trimmed();
    const QString delFirst = store.ReadHeader(store::header::DelFirstRecord).trimmed();
    for (const SyncAccount& account : accounts) {
        const QString file = SyncStateFile(account.name, store.DataDir());
        SyncState state;
        QString notice;
        try {
            state = LoadSyncState(file, store.DataDir(), &notice);
        } catch (const SyncStateError& e) {
            notice = QString::fromUtf8(e.what());
        }
        if (!notice.isEmpty() && notices) *notices << notice;
        for (const SyncedCard& c : std::as_const(state.cards)) {
            if (c.conflicts.isEmpty() || c.recNo.isEmpty()) continue;
            const store::CardState now = store.ReadCardState(c.recNo, nameFirst, delFirst);
            // Deleted here, gone, or someone else under the number now: the next sync decides, not the person.
            if (now.place != store::CardPlace::Live || (now.fields != c.base && !Resembles(now.fields, c.base)))
                continue;
            for (auto it = c.conflicts.cbegin(); it != c.conflicts.cend(); ++it)
                if (it.key() >= 0 && it.key() < store::kFieldCount)
                    all << FieldConflict{account.name, file, c.recNo, it.key(), now.fields, it.value()};
        }
    }
    std::stable_sort(all.begin(), all.end(), [](const FieldConflict& a, const FieldConflict& b) {
        const int byName = QString::localeAwareCompare(history::CardName(a.here), history::CardName(b.here));
        return byName != 0 ? byName < 0 : a.field < b.field;
    });
    return all;
}

void KeepMine(store::CardStore& store, const FieldConflict& conflict) {
    (void)RequireAsListed(store, conflict);
    if (!SettleConflict(store, conflict.stateFile, conflict.recNo, conflict.field, KeepSide::Local))
        throw ConflictMovedOn();
}

void KeepServers(store::CardStore& store, const FieldConflict& conflict) {
    // Under one lock: the card checked is the card changed.
    store::CardChange change(store);
    const SyncState before = RequireAsListed(store, conflict);
    if (!SettleConflict(store, conflict.stateFile, conflict.recNo, conflict.field, KeepSide::Server))
        throw ConflictMovedOn();
    try {
        change.commit();
    } catch (...) {
        // The card keeps this side's value: the state must not say that both sides agreed on the
        // server's, or the next sync would send this side's value over it.
        try {
            SaveSyncState(conflict.stateFile, before);
        } catch (const SyncStateError& e) {
            qWarning("The sync state could not be put back: %s", e.what());
        }
        throw;
    }
}

void KeepBothNotes(store::CardStore& store, const FieldConflict& conflict) {
    if (conflict.field != store::Notes) throw std::invalid_argument("only notes are joined");
    {
        store::CardChange change(store);
        (void)RequireAsListed(store, conflict);
        store::Card opened = conflict.here;
        store::Card typed = conflict.here;
        typed[store::Notes] = JoinedNotes(conflict.here.notes(), conflict.server);
        (void)store.ChangeCardIfUnchanged(conflict.recNo, opened, typed);
        if (store::ChangeRecorder* recorder = store.Recorder())
            recorder->describe(QStringLiteral("Keep both notes of %1").arg(history::CardName(conflict.here)));
        change.commit();
    }
    // Only after the card holds the joined notes: a state saying that both sides agreed on the server's
    // notes beside a card that failed to change would send the old notes over the server's.
    // A sync that came between already met the joined notes as this side's: nothing is lost either way.
    (void)SettleConflict(store, conflict.stateFile, conflict.recNo, conflict.field, KeepSide::Local);
}

QString JoinedNotes(const QString& here, const QString& server) {
    if (here.isEmpty()) return server;
    if (server.isEmpty()) return here;
    return here + u'\n' + server;
}

}  // namespace tessaly::sync
