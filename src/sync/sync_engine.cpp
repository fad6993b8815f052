#include "sync_engine.h"

#include "cards/card_change.h"
#include "cards/card_layout.h"
#include "cards/card_store.h"
#include "exchange/duplicate_index.h"
#include "exchange/duplicate_keys.h"
#include "exchange/import_cards.h"
#include "history/history_text.h"
#include "profile/profile_access.h"
#include "sync_merge.h"
#include "vcard_patch.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QUuid>

namespace tessaly::sync {

using store::Card;
using store::CardPlace;
using store::CardState;
using store::CardStates;

namespace {

// A server contact that belongs to no card yet.
struct Unpaired {
    QString href, etag, uid;
    QByteArray vcard;
    Card card;
};

// A change the card file is to take, and one the server is to take.
struct LocalStep {
    enum Kind { Add, Change, Delete } kind;
    QString recNo;  // Add: empty until the card is added
    Card from, to;
    qsizetype entry = -1;  // Add: the entry that learns the card's number
};

struct RemoteStep {
    enum Kind { Create, Update, Remove } kind;
    qsizetype entry;  // into the plan's entries
    QByteArray vcard;
    QString ifMatch;
    SyncedCard ifDone;  // the entry once the server took it; the plan holds it as if it did not
    // The vCard sent reads back otherwise than the card meant (a field emptied where the phone holds a
    // second value for it): the next round reads it from the server and brings that value here.
    bool readBack = false;
};

bool ReadsBackOtherwise(const QByteArray& vcard, const Card& meant) {
    return !vcard.isEmpty() && CardFromServerVCard(vcard) != meant;
}

struct Plan {
    QList<SyncedCard> entries;
    QList<LocalStep> local;
    QList<RemoteStep> remote;
    SyncReport report;
    QString token;
};

QString Named(const Card& card) {
    return history::CardName(card);
}

QString FieldConflictLine(const Card& here, int field, const QString& server) {
    return QStringLiteral("%1: %2 (here \"%3\", on the server \"%4\")")
        .arg(Named(here), store::FieldKeys[field], here[field], server);
}

// The card the server holds for an entry that its listing shows unchanged: the agreed card with the
// server's side of each conflict.
Card ServerCardOf(const SyncedCard& e) {
    Card card = e.base;
    for (auto it = e.conflicts.cbegin(); it != e.conflicts.cend(); ++it) card[it.key()] = it.value();
    return card;
}

QSet<QString> EMailsAndPhones(const Card& card) {
    QSet<QString> keys;
    if (!card.email().trimmed().isEmpty()) keys << card.email().trimmed().toCaseFolded();
    for (int f : {store::Phone1, store::Phone2, store::Fax}) {
        const store::PhoneNumber phone = store::NormalisedPhone(card[f]);
        if (!phone.isEmpty() && !phone.weak) keys << phone.digits;
    }
    return keys;
}

class Round {
public:
    Round(store::CardStore& store, RemoteBook& remote, SyncState& state, const SyncOptions& options)
        : store_(store), remote_(remote), state_(state), options_(options) {}

    // Reads what the server changed; throws RemoteError.
    void readServer() {
        const RemoteChanges changes = remote_.changesSince(state_.token);
        plan_.token = changes.token;
        QHash<QString, qsizetype> byHref;
        for (qsizetype i = 0; i < state_.cards.size(); ++i) byHref.insert(state_.cards[i].href, i);
        QSet<QString> listed;
        QStringList fetch;
        for (const RemoteVersion& v : changes.changed) {
            if (listed.contains(v.href)) continue;  // a server that names a contact twice
            listed.insert(v.href);
            const auto known = byHref.constFind(v.href);
            if (known == byHref.cend() || state_.cards[*known].etag != v.etag || state_.cards[*known].etag.isEmpty() ||
                state_.cards[*known].goneFromServer)
                fetch << v.href;
        }
        for (const QString& href : changes.removed) gone_.insert(href);
        if (changes.whole)
            for (const SyncedCard& e : std::as_const(state_.cards))
                if (!listed.contains(e.href)) gone_.insert(e.href);
        for (RemoteContact& c : remote_.fetch(fetch)) {
            if (!c.vcard.contains("BEGIN:VCARD") && !c.vcard.contains("begin:vcard")) {
                plan_.report.failed
                    << QStringLiteral("%1: the server's contact is no vCard; it is left out").arg(c.href);
                continue;
            }
            gone_.remove(c.href);
            fresh_.insert(c.href, std::move(c));
        }
        // A contact listed as changed but not sent when asked for is looked at next time: the server's
        // changes are not taken as seen until then.
        for (const QString& href : fetch)
            if (!fresh_.contains(href)) unreadable_.insert(href);
        if (!unreadable_.isEmpty()) plan_.token = state_.token;
    }

    // Plans the sync against the card file as it is now.
    void plan(const CardStates& cards) {
        local_ = cards;
        followMovedContacts();
        for (const SyncedCard& e : std::as_const(state_.cards)) planEntry(e);
        for (auto it = fresh_.cbegin(); it != fresh_.cend(); ++it)
            if (!paired_.contains(it.key())) unpairedServer_ << UnpairedOf(it.value());
        QList<QString> unpairedLocal;
        for (auto it = local_.cbegin(); it != local_.cend(); ++it)
            if (it->place == CardPlace::Live && !claimed_.contains(it.key())) unpairedLocal << it.key();
        pairNew(unpairedLocal);
    }

    Plan& result() { return plan_; }

private:
    static Unpaired UnpairedOf(const RemoteContact& c) {
        return {c.href, c.etag, VCardUid(c.vcard), c.vcard, CardFromServerVCard(c.vcard)};
    }

    // A contact the server removed from one href and holds under another with the same UID (a phone
    // that wrote it anew) stays paired with its card.
    void followMovedContacts() {
        QHash<QString, QString> movedByUid;
        for (auto it = fresh_.cbegin(); it != fresh_.cend(); ++it) {
            const QString uid = VCardUid(it->vcard);
            if (!uid.isEmpty()) movedByUid.insert(uid, it.key());
        }
        QSet<QString> known;
        for (const SyncedCard& e : std::as_const(state_.cards)) known.insert(e.href);
        for (SyncedCard& e : state_.cards) {
            if (!gone_.contains(e.href) || e.uid.isEmpty()) continue;
            const QString to = movedByUid.value(e.uid);
            if (to.isEmpty() || known.contains(to)) continue;
            e.href = to;
            e.etag.clear();
            e.goneFromServer = false;
            known.insert(to);
        }
    }

    void planEntry(SyncedCard e) {
        paired_.insert(e.href);
        const bool gone = e.goneFromServer || gone_.contains(e.href);
        const auto freshIt = fresh_.constFind(e.href);
        const RemoteContact* fresh = freshIt == fresh_.cend() ? nullptr : &*freshIt;
        // A server contact still waiting for room in the card file.
        if (e.recNo.isEmpty()) {
            if (!gone)
                unpairedServer_ << Unpaired{e.href, fresh ? fresh->etag : e.etag, e.uid,
                                            fresh ? fresh->vcard : e.serverVCard,
                                            CardFromServerVCard(fresh ? fresh->vcard : e.serverVCard)};
            return;
        }
        const auto hereIt = local_.constFind(e.recNo);
        const bool present = hereIt != local_.cend() && hereIt->place != CardPlace::Absent;
        // The number holds someone else now (a replacing import, a restore from backup): both sides are
        // paired again as in a first sync, and nothing is written over the server's contact.
        if (!present || (hereIt->fields != e.base && !Resembles(hereIt->fields, e.base))) {
            if (!gone && !unreadable_.contains(e.href))
                unpairedServer_ << Unpaired{e.href, fresh ? fresh->etag : e.etag, e.uid,
                                            fresh ? fresh->vcard : e.serverVCard,
                                            fresh ? CardFromServerVCard(fresh->vcard) : ServerCardOf(e)};
            return;
        }
        claimed_.insert(e.recNo);
        const CardState& here = *hereIt;
        const bool deletedHere = here.place == CardPlace::Deleted;
        if (unreadable_.contains(e.href)) return keep(e);

        if (gone) {
            if (!e.goneFromServer) {
                // Removed on the server: to the deleted list here, where it can be restored.
                if (!deletedHere) {
                    plan_.local << LocalStep{LocalStep::Delete, e.recNo, here.fields, here.fields};
                    plan_.report.cameDeleted << Named(here.fields);
                }
                e.goneFromServer = e.deletedHere = true;
                e.etag.clear();
                e.conflicts.clear();
                return keep(e);
            }
            if (!deletedHere && e.deletedHere) {
                // Restored here after it left the server: back up from the server's last vCard of it.
                SyncedCard done = e;
                done.serverVCard =
                    PatchServerVCard(e.serverVCard, CardFromServerVCard(e.serverVCard), here.fields, e.uid);
                done.base = here.fields;
                done.goneFromServer = done.deletedHere = false;
                done.conflicts.clear();
                plan_.report.sentNew << Named(here.fields);
                return send(RemoteStep::Create, e, done, done.serverVCard, QString(), here.fields);
            }
            e.deletedHere = deletedHere;
            return keep(e);
        }

        const Card serverNow = fresh ? CardFromServerVCard(fresh->vcard) : ServerCardOf(e);
        if (deletedHere && !e.deletedHere) {
            if (fresh && serverNow != ServerCardOf(e)) {
                // Deleted here while the server's contact changed: the server keeps it.
                plan_.report.failed << QStringLiteral(
                                           "%1: deleted here but changed on the server since; the server keeps it")
                                           .arg(Named(here.fields));
                e.deletedHere = true;
                takeFresh(e, fresh);
                return keep(e);
            }
            SyncedCard done = e;
            done.goneFromServer = done.deletedHere = true;
            done.etag.clear();
            plan_.report.sentDeleted << Named(here.fields);
            return send(RemoteStep::Remove, e, done, {}, e.etag, Card());
        }
        if (deletedHere) {
            // Deleted here and kept on the server: nothing goes either way.
            takeFresh(e, fresh);
            e.base = serverNow;
            e.conflicts.clear();
            return keep(e);
        }
        e.deletedHere = false;
        const QByteArray serverVCard = fresh ? fresh->vcard : e.serverVCard;
        if (fresh) e.etag = fresh->etag;
        merge(e, here.fields, serverNow, serverVCard);
    }

    // A pair of a card and a server contact brought to agree, field by field.
    void merge(SyncedCard e, const Card& here, const Card& serverNow, const QByteArray& serverVCard) {
        const MergedCard m = MergeCard(e.base, here, serverNow);
        e.serverVCard = serverVCard;
        e.conflicts = m.conflicts;
        for (auto it = m.conflicts.cbegin(); it != m.conflicts.cend(); ++it)
            plan_.report.conflicts << FieldConflictLine(here, it.key(), it.value());
        if (m.here != here) {
            plan_.local << LocalStep{LocalStep::Change, e.recNo, here, m.here};
            plan_.report.cameChanged << Named(m.here);
        }
        if (m.server == serverNow) {
            e.base = m.base;
            return keep(e);
        }
        SyncedCard done = e;
        done.base = m.base;
        done.serverVCard = PatchServerVCard(serverVCard, serverNow, m.server, e.uid);
        e.base = m.baseIfNotSent;
        plan_.report.sentChanged << Named(m.here);
        send(RemoteStep::Update, e, done, done.serverVCard, e.etag, m.server);
    }

    static void takeFresh(SyncedCard& e, const RemoteContact* fresh) {
        if (!fresh) return;
        e.etag = fresh->etag;
        e.serverVCard = fresh->vcard;
    }

    void keep(const SyncedCard& e) { plan_.entries << e; }

    void send(RemoteStep::Kind kind, const SyncedCard& asIs, const SyncedCard& ifDone, const QByteArray& vcard,
              const QString& ifMatch, const Card& meant) {
        plan_.entries << asIs;
        plan_.remote << RemoteStep{kind,   plan_.entries.size() - 1,        vcard, ifMatch,
                                   ifDone, ReadsBackOtherwise(vcard, meant)};
    }

    // Cards and server contacts that belong to nothing yet: paired by the duplicate rules (e-mail or
    // phone, then name), each pair merged; what stays unpaired goes up or comes down.
    void pairNew(const QList<QString>& unpairedLocal) {
        store::DuplicateIndex index;
        QList<QStringList> keys;
        for (const QString& recNo : unpairedLocal) keys << store::DuplicateIndex::KeysOf(local_[recNo].fields);
        for (const QStringList& k : keys) index.count(k);
        for (qsizetype i = 0; i < keys.size(); ++i) index.add(int(i), keys[i]);
        QSet<int> taken;
        QList<Unpaired> comeDown;
        for (const Unpaired& u : std::as_const(unpairedServer_)) {
            int best = -1;
            store::MatchStrength strength = store::MatchStrength::Possible;
            for (const store::CardMatch& match : index.matches(u.card)) {
                if (taken.contains(match.id)) continue;
                const bool usable =
                    match.strength == store::MatchStrength::Strong || match.key == store::MatchKey::Name;
                if (!usable) continue;
                if (best < 0 || (match.strength == store::MatchStrength::Strong && strength != match.strength)) {
                    best = match.id;
                    strength = match.strength;
                }
            }
            if (best < 0) {
                comeDown << u;
                continue;
            }
            taken.insert(best);
            const QString& recNo = unpairedLocal[best];
            SyncedCard e;
            e.recNo = recNo;
            e.href = u.href;
            e.etag = u.etag;
            e.uid = u.uid.isEmpty() ? NewUid() : u.uid;
            merge(e, local_[recNo].fields, u.card, u.vcard);
        }
        for (qsizetype i = 0; i < unpairedLocal.size(); ++i) {
            if (taken.contains(int(i))) continue;
            const Card& card = local_[unpairedLocal[i]].fields;
            SyncedCard e;
            e.recNo = unpairedLocal[i];
            e.uid = NewUid();
            e.href = remote_.hrefFor(e.uid);
            e.base = card;
            e.serverVCard = NewServerVCard(card, e.uid);
            plan_.report.sentNew << Named(card);
            // Only an entry the server took is kept: the card is unpaired again otherwise.
            plan_.remote << RemoteStep{RemoteStep::Create, -1, e.serverVCard,
                                       QString(),          e,  ReadsBackOtherwise(e.serverVCard, card)};
        }
        const int room = store::ImportRoom(false, store_.NoOfRecords);
        for (const Unpaired& u : std::as_const(comeDown)) {
            SyncedCard e;
            e.href = u.href;
            e.etag = u.etag;
            e.uid = u.uid.isEmpty() ? NewUid() : u.uid;
            e.base = u.card;
            e.serverVCard = u.vcard;
            plan_.entries << e;  // without a number: waiting for room
            if (plan_.report.cameNew.size() >= room) {
                ++plan_.report.leftOut;
                continue;
            }
            plan_.local << LocalStep{LocalStep::Add, QString(), Card(), u.card, plan_.entries.size() - 1};
            plan_.report.cameNew << Named(u.card);
        }
    }

    static QString NewUid() { return QUuid::createUuid().toString(QUuid::WithoutBraces); }

    store::CardStore& store_;
    RemoteBook& remote_;
    SyncState& state_;
    const SyncOptions& options_;
    Plan plan_;
    CardStates local_;
    QSet<QString> gone_, unreadable_, paired_, claimed_;
    QHash<QString, RemoteContact> fresh_;
    QList<Unpaired> unpairedServer_;
};

QString LocalDescription(const SyncOptions& options, const Plan& plan) {
    const SyncReport& r = plan.report;
    return QStringLiteral("Sync with %1: %2 cards came in, %3 changed, %4 deleted")
        .arg(options.accountName)
        .arg(r.cameNew.size())
        .arg(r.cameChanged.size())
        .arg(r.cameDeleted.size());
}

// The card file takes the plan's changes as one change: one lock, one entry in the history.
void ApplyLocally(store::CardStore& store, Plan& plan, const SyncOptions& options, store::CardChange& change) {
    if (plan.local.isEmpty()) return change.commit();
    profile::ProfileBulk bulk(store.Profile());
    for (LocalStep& step : plan.local) {
        switch (step.kind) {
            case LocalStep::Add:
                plan.entries[step.entry].recNo = store.AddCard(step.to);
                break;
            case LocalStep::Change: {
                Card current = step.from;
                (void)store.ChangeCard(step.recNo, current, step.to);
                break;
            }
            case LocalStep::Delete:
                store.DeleteCard(step.recNo);
                break;
        }
    }
    // Told once the change has begun writing, which is when the history holds it.
    if (store::ChangeRecorder* recorder = store.Recorder()) recorder->describe(LocalDescription(options, plan));
    bulk.finish();
    change.commit();
}

}  // namespace

bool Resembles(const Card& now, const Card& synced) {
    const QString name = store::NameKey(synced);
    if (!name.isEmpty() && name == store::NameKey(now)) return true;
    if (EMailsAndPhones(synced).intersects(EMailsAndPhones(now))) return true;
    // A name with a typo mended, and the rest as it was.
    int kept = 0, filled = 0;
    for (int f = 0; f < store::kFieldCount; ++f) {
        if (synced[f].trimmed().isEmpty()) continue;
        ++filled;
        if (synced[f] == now[f]) ++kept;
    }
    return kept > 0 && 2 * kept >= filled;
}

bool SyncReport::nothingDone() const {
    return sentNew.isEmpty() && sentChanged.isEmpty() && sentDeleted.isEmpty() && cameNew.isEmpty() &&
           cameChanged.isEmpty() && cameDeleted.isEmpty();
}

QString SyncReport::summary() const {
    QStringList parts;
    const qsizetype sent = sentNew.size() + sentChanged.size() + sentDeleted.size();
    const qsizetype came = cameNew.size() + cameChanged.size() + cameDeleted.size();
    parts << (sent == 1 ? QStringLiteral("1 card sent") : QStringLiteral("%1 cards sent").arg(sent));
    parts << (came == 1 ? QStringLiteral("1 card came in") : QStringLiteral("%1 cards came in").arg(came));
    if (!conflicts.isEmpty())
        parts << (conflicts.size() == 1 ? QStringLiteral("1 conflict")
                                        : QStringLiteral("%1 conflicts").arg(conflicts.size()));
    if (!failed.isEmpty())
        parts << (failed.size() == 1 ? QStringLiteral("1 card not synced")
                                     : QStringLiteral("%1 cards not synced").arg(failed.size()));
    QString text = parts.join(QStringLiteral(", ")) + u'.';
    if (leftOut > 0)
        text += QStringLiteral(" %1 of the server's contacts did not fit in the card file (it holds up to %2 cards).")
                    .arg(leftOut)
                    .arg(store::kMaxCards);
    if (!complete) text += QStringLiteral(" The sync stopped: %1").arg(stopped);
    return text;
}

QString SyncReport::details() const {
    QString text = summary() + u'\n';
    const auto section = [&](const QString& title, const QStringList& lines) {
        for (const QString& line : lines) text += title + QStringLiteral(": ") + line + u'\n';
    };
    section(QStringLiteral("sent, new"), sentNew);
    section(QStringLiteral("sent, changed"), sentChanged);
    section(QStringLiteral("sent, deleted"), sentDeleted);
    section(QStringLiteral("came in, new"), cameNew);
    section(QStringLiteral("came in, changed"), cameChanged);
    section(QStringLiteral("came in, deleted"), cameDeleted);
    section(QStringLiteral("conflict"), conflicts);
    section(QStringLiteral("not synced"), failed);
    return text;
}

namespace {

// The server takes the plan's writes. The state is saved every so often, so that a sync stopped
// midway keeps what the server took. True when another round is needed: the server had changed a
// contact meanwhile (412), a contact is to be read back, or one was made after the token was taken
// (a server need never report a contact made and removed after the token it is asked with).
bool SendToServer(RemoteBook& remote, Plan& plan, SyncState& state, const QString& stateFile,
                  const SyncOptions& options) {
    bool again = false;
    QElapsedTimer sinceSave;
    sinceSave.start();
    int done = 0;
    const auto total = int(plan.remote.size());
    for (RemoteStep& step : plan.remote) {
        if (options.progress) options.progress(done, total);
        WriteOutcome outcome;
        try {
            switch (step.kind) {
                case RemoteStep::Create:
                    outcome = remote.put(step.ifDone.href, step.vcard, QString());
                    break;
                case RemoteStep::Update:
                    outcome = remote.put(step.ifDone.href, step.vcard, step.ifMatch);
                    break;
                case RemoteStep::Remove:
                    outcome = remote.remove(step.ifDone.href, step.ifMatch);
                    break;
            }
        } catch (const RemoteError& e) {
            plan.report.complete = false;
            plan.report.stopped = QString::fromUtf8(e.what());
            if (e.kind != RemoteError::Kind::Server && e.kind != RemoteError::Kind::Conflict &&
                e.kind != RemoteError::Kind::NotFound)
                break;
            plan.report.failed << QStringLiteral("%1: %2").arg(Named(step.ifDone.base), QString::fromUtf8(e.what()));
            continue;
        }
        ++done;
        if (!outcome.done) {
            again = true;
            continue;
        }
        again = again || step.readBack || step.kind == RemoteStep::Create;
        SyncedCard taken = step.ifDone;
        // An empty ETag: the next round reads the contact back.
        if (step.kind != RemoteStep::Remove) taken.etag = step.readBack ? QString() : outcome.etag;
        if (step.entry >= 0)
            plan.entries[step.entry] = taken;
        else
            plan.entries << taken;
        if (sinceSave.elapsed() > 2000) {
            state.cards = plan.entries;
            SaveSyncState(stateFile, state);
            sinceSave.restart();
        }
    }
    if (options.progress) options.progress(done, total);
    return again;
}

}  // namespace

SyncReport Synchronise(store::CardStore& store, RemoteBook& remote, const QString& stateFile,
                       const SyncOptions& options) {
    // A server that changes contacts between our reads and our writes at every round is left for the next sync.
    constexpr int kMaxRounds = 4;
    QString notice;
    SyncState state = LoadSyncState(stateFile, store.DataDir(), &notice);
    SyncReport total;
    if (!notice.isEmpty()) total.failed << notice;
    // An account moved to another address book pairs the cards with that one's contacts afresh.
    if (state.addressBook != options.addressBook) {
        state.cards.clear();
        state.token.clear();
        state.addressBook = options.addressBook;
    }
    for (int round = 0; round < kMaxRounds; ++round) {
        Round r(store, remote, state, options);
        try {
            r.readServer();
        } catch (const RemoteError& e) {
            total.complete = false;
            total.stopped = QString::fromUtf8(e.what());
            break;
        }
        Plan& plan = r.result();
        if (options.dryRun) {
            store.LoadLists();
            r.plan(store.EveryCardState());
            return plan.report;
        }
        const auto local = [&] {
            store::CardChange change(store);
            r.plan(store.EveryCardState());
            ApplyLocally(store, plan, options, change);
        };
        if (options.asChange)
            options.asChange(local);
        else
            local();
        // What came in is in the card file: the server's changes up to this token are seen.
        const bool stateChanged = state.cards != plan.entries || state.token != plan.token;
        state.cards = plan.entries;
        state.token = plan.token;
        if (!plan.local.isEmpty()) SaveSyncState(stateFile, state);
        const bool again = SendToServer(remote, plan, state, stateFile, options);
        const bool sent = state.cards != plan.entries;
        state.cards = plan.entries;
        state.lastSync = QDateTime::currentDateTimeUtc();
        const SyncReport& part = plan.report;
        total.sentNew += part.sentNew;
        total.sentChanged += part.sentChanged;
        total.sentDeleted += part.sentDeleted;
        total.cameNew += part.cameNew;
        total.cameChanged += part.cameChanged;
        total.cameDeleted += part.cameDeleted;
        total.failed += part.failed;
        total.failed.removeDuplicates();
        total.conflicts = part.conflicts;
        total.leftOut = part.leftOut;
        total.complete = part.complete;
        total.stopped = part.stopped;
        state.lastReport = total.details();
        if (stateChanged || sent)
            SaveSyncState(stateFile, state);
        else
            SaveSyncStatus(stateFile, state);
        // A round more reads what raced or is to be read back, and takes a token after the contacts
        // made in this one (its own writes come back with the ETags known, and are not read again).
        if (!part.complete || !again) break;
    }
    return total;
}

bool SettleConflict(store::CardStore& store, const QString& stateFile, const QString& recNo, int field, KeepSide keep) {
    SyncState state = LoadSyncState(stateFile, store.DataDir(), nullptr);
    for (SyncedCard& e : state.cards) {
        if (e.recNo != recNo || !e.conflicts.contains(field)) continue;
        const QString server = e.conflicts.take(field);
        if (keep == KeepSide::Server) {
            // This side takes the server's value, a change of the card like any other (it can be undone).
            store::CardChange change(store);
            Card current = store.ReadCard(recNo);
            Card typed = current;
            typed[field] = server;
            (void)store.ChangeCardIfUnchanged(recNo, current, typed);
            if (store::ChangeRecorder* recorder = store.Recorder())
                recorder->describe(
                    QStringLiteral("Keep the server's %1 of %2").arg(store::FieldKeys[field], Named(typed)));
            change.commit();
        }
        // Both sides agreed on the server's value: this side's differs, and so goes up at the next sync.
        e.base[field] = server;
        SaveSyncState(stateFile, state);
        return true;
    }
    return false;
}

}  // namespace tessaly::sync
