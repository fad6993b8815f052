#include "sync_state.h"

#include "cards/card_layout.h"
#include "profile/atomic_file.h"

#include <sys/stat.h>
#include <QCborArray>
#include <QCborMap>
#include <QCborValue>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace tessaly::sync {

namespace {

// Larger than any state of the most cards a card file holds, each with a large server vCard.
constexpr qint64 kMaxStateBytes = 512LL << 20;
constexpr qint64 kMaxStatusBytes = 16LL << 20;

QCborArray FieldsCbor(const store::Card& card) {
    QCborArray fields;
    for (const QString& value : card) fields.append(value);
    return fields;
}

store::Card CardOf(const QCborValue& value) {
    const QCborArray fields = value.toArray();
    if (fields.size() != store::kFieldCount) throw SyncStateError("a card of the wrong shape");
    store::Card card;
    for (int i = 0; i < store::kFieldCount; ++i) card[i] = fields[i].toString();
    return card;
}

QCborMap CardCbor(const SyncedCard& c) {
    QCborMap o{{QStringLiteral("recNo"), c.recNo},
               {QStringLiteral("uid"), c.uid},
               {QStringLiteral("href"), c.href},
               {QStringLiteral("etag"), c.etag},
               {QStringLiteral("base"), FieldsCbor(c.base)},
               {QStringLiteral("vcard"), c.serverVCard}};
    if (c.deletedHere) o.insert(QStringLiteral("deletedHere"), true);
    if (c.goneFromServer) o.insert(QStringLiteral("goneFromServer"), true);
    if (!c.conflicts.isEmpty()) {
        QCborMap conflicts;
        for (auto it = c.conflicts.cbegin(); it != c.conflicts.cend(); ++it)
            conflicts.insert(store::FieldKeys[it.key()], it.value());
        o.insert(QStringLiteral("conflicts"), conflicts);
    }
    return o;
}

SyncedCard SyncedCardOf(const QCborMap& o) {
    SyncedCard c;
    c.recNo = o.value(QStringLiteral("recNo")).toString();
    c.uid = o.value(QStringLiteral("uid")).toString();
    c.href = o.value(QStringLiteral("href")).toString();
    c.etag = o.value(QStringLiteral("etag")).toString();
    c.base = CardOf(o.value(QStringLiteral("base")));
    c.serverVCard = o.value(QStringLiteral("vcard")).toByteArray();
    c.deletedHere = o.value(QStringLiteral("deletedHere")).toBool();
    c.goneFromServer = o.value(QStringLiteral("goneFromServer")).toBool();
    const QCborMap conflicts = o.value(QStringLiteral("conflicts")).toMap();
    for (auto it = conflicts.begin(); it != conflicts.end(); ++it) {
        const auto field = std::find(store::FieldKeys.begin(), store::FieldKeys.end(), it.key().toString());
        if (field == store::FieldKeys.end()) throw SyncStateError("a conflict in no field");
        c.conflicts.insert(int(field - store::FieldKeys.begin()), it.value().toString());
    }
    if (c.href.isEmpty() || (!c.recNo.isEmpty() && !store::IsRecordNumber(c.recNo)))
        throw SyncStateError("a card without its place");
    return c;
}

SyncState StateOf(const QByteArray& bytes) {
    QCborParserError error;
    const QCborValue doc = QCborValue::fromCbor(bytes, &error);
    if (error.error != QCborError::NoError || !doc.isMap()) throw SyncStateError("it is no sync state");
    const QCborMap o = doc.toMap();
    SyncState state;
    state.cardFolder = o.value(QStringLiteral("cardFolder")).toString();
    state.addressBook = QUrl(o.value(QStringLiteral("addressBook")).toString());
    state.token = o.value(QStringLiteral("token")).toString();
    for (const QCborValue& card : o.value(QStringLiteral("cards")).toArray()) {
        if (!card.isMap()) throw SyncStateError("a card that is no map");
        state.cards << SyncedCardOf(card.toMap());
    }
    return state;
}

QString StatusFile(const QString& file) {
    return file + QStringLiteral(".status");
}

// The time and report of the last sync: only told to the person, so a damaged one is passed over.
void ReadStatus(const QString& file, SyncState& state) {
    QFile in(file);
    if (in.size() > kMaxStatusBytes || !in.open(QIODevice::ReadOnly)) return;
    const QJsonObject o = QJsonDocument::fromJson(in.readAll()).object();
    state.lastSync = QDateTime::fromString(o.value(QStringLiteral("lastSync")).toString(), Qt::ISODate);
    state.lastReport = o.value(QStringLiteral("lastReport")).toString();
}

QString CanonicalFolder(const QString& folder) {
    const QFileInfo info(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

}  // namespace

int SyncState::conflictCount() const {
    int n = 0;
    for (const SyncedCard& c : cards) n += int(c.conflicts.size());
    return n;
}

QString SyncStateFolder(const QString& accountName) {
    const QByteArray key = QCryptographicHash::hash(accountName.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Tessaly/sync/") +
           QString::fromLatin1(key);
}

QString SyncStateFile(const QString& accountName, const QString& cardFolder) {
    const QByteArray key =
        QCryptographicHash::hash(CanonicalFolder(cardFolder).toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    return SyncStateFolder(accountName) + u'/' + QString::fromLatin1(key) + QStringLiteral(".state");
}

SyncState LoadSyncState(const QString& file, const QString& cardFolder, QString* notice) {
    SyncState empty;
    empty.cardFolder = CanonicalFolder(cardFolder);
    QFile in(file);
    if (!in.exists()) return empty;
    QString why;
    if (in.size() > kMaxStateBytes) {
        why = QStringLiteral("it is larger than any sync state");
    } else if (!in.open(QIODevice::ReadOnly)) {
        why = in.errorString();
    } else {
        try {
            SyncState state = StateOf(in.readAll());
            // A state of another card folder (a hash that met another) is no state of this one.
            if (state.cardFolder == empty.cardFolder) {
                ReadStatus(StatusFile(file), state);
                return state;
            }
            why = QStringLiteral("it belongs to the card folder %1").arg(state.cardFolder);
        } catch (const SyncStateError& e) {
            why = QString::fromUtf8(e.what());
        }
    }
    in.close();
    const QString aside = file + QStringLiteral(".damaged-") +
                          QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmsszzz"));
    if (!QFile::rename(file, aside))
        throw SyncStateError(
            QStringLiteral("The sync state %1 cannot be read (%2), nor set aside.").arg(file, why).toStdString());
    if (notice)
        *notice = QStringLiteral(
                      "The sync state could not be read (%1); it was set aside as %2, and the next sync "
                      "pairs the cards with the server's contacts again.")
                      .arg(why, aside);
    return empty;
}

namespace {

void WritePrivate(const QString& file, const QByteArray& bytes) {
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder))
        throw SyncStateError(QStringLiteral("Cannot make the folder %1").arg(folder).toStdString());
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    const bool existed = QFile::exists(file);
    try {
        profile::ReplaceFile(file, bytes, profile::Durability::Synced);
    } catch (const std::exception& e) {
        throw SyncStateError(e.what());
    }
    if (!existed) ::chmod(QFile::encodeName(file).constData(), 0600);
}

}  // namespace

void SaveSyncState(const QString& file, const SyncState& state) {
    QCborArray cards;
    for (const SyncedCard& c : state.cards) cards.append(CardCbor(c));
    const QCborMap o{{QStringLiteral("cardFolder"), state.cardFolder},
                     {QStringLiteral("addressBook"), state.addressBook.toString()},
                     {QStringLiteral("token"), state.token},
                     {QStringLiteral("cards"), cards}};
    WritePrivate(file, o.toCborValue().toCbor());
    SaveSyncStatus(file, state);
}

void SaveSyncStatus(const QString& file, const SyncState& state) {
    const QJsonObject o{{QStringLiteral("lastSync"), state.lastSync.toString(Qt::ISODateWithMs)},
                        {QStringLiteral("lastReport"), state.lastReport}};
    WritePrivate(StatusFile(file), QJsonDocument(o).toJson(QJsonDocument::Compact));
}

void RemoveSyncStates(const QString& accountName) {
    QDir folder(SyncStateFolder(accountName));
    if (folder.exists() && !folder.removeRecursively())
        throw SyncStateError(QStringLiteral("Cannot remove the sync state in %1").arg(folder.path()).toStdString());
}

}  // namespace tessaly::sync
