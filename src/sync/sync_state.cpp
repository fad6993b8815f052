#include "sync_state.h"

#include "cards/card_layout.h"
#include "profile/atomic_file.h"

#include <sys/stat.h>
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

QJsonArray FieldsJson(const store::Card& card) {
    QJsonArray fields;
    for (const QString& value : card) fields.append(value);
    return fields;
}

store::Card CardOf(const QJsonValue& value) {
    const QJsonArray fields = value.toArray();
    if (fields.size() != store::kFieldCount) throw SyncStateError("a card of the wrong shape");
    store::Card card;
    for (int i = 0; i < store::kFieldCount; ++i) card[i] = fields[i].toString();
    return card;
}

QJsonObject CardJson(const SyncedCard& c) {
    QJsonObject o{{QStringLiteral("recNo"), c.recNo},
                  {QStringLiteral("uid"), c.uid},
                  {QStringLiteral("href"), c.href},
                  {QStringLiteral("etag"), c.etag},
                  {QStringLiteral("base"), FieldsJson(c.base)},
                  {QStringLiteral("vcard"), QString::fromLatin1(c.serverVCard.toBase64())}};
    if (c.deletedHere) o.insert(QStringLiteral("deletedHere"), true);
    if (c.goneFromServer) o.insert(QStringLiteral("goneFromServer"), true);
    if (!c.conflicts.isEmpty()) {
        QJsonObject conflicts;
        for (auto it = c.conflicts.cbegin(); it != c.conflicts.cend(); ++it)
            conflicts.insert(store::FieldKeys[it.key()], it.value());
        o.insert(QStringLiteral("conflicts"), conflicts);
    }
    return o;
}

SyncedCard SyncedCardOf(const QJsonObject& o) {
    SyncedCard c;
    c.recNo = o.value(QStringLiteral("recNo")).toString();
    c.uid = o.value(QStringLiteral("uid")).toString();
    c.href = o.value(QStringLiteral("href")).toString();
    c.etag = o.value(QStringLiteral("etag")).toString();
    c.base = CardOf(o.value(QStringLiteral("base")));
    c.serverVCard = QByteArray::fromBase64(o.value(QStringLiteral("vcard")).toString().toLatin1());
    c.deletedHere = o.value(QStringLiteral("deletedHere")).toBool();
    c.goneFromServer = o.value(QStringLiteral("goneFromServer")).toBool();
    const QJsonObject conflicts = o.value(QStringLiteral("conflicts")).toObject();
    for (auto it = conflicts.begin(); it != conflicts.end(); ++it) {
        const auto field = std::find(store::FieldKeys.begin(), store::FieldKeys.end(), it.key());
        if (field == store::FieldKeys.end()) throw SyncStateError("a conflict in no field");
        c.conflicts.insert(int(field - store::FieldKeys.begin()), it.value().toString());
    }
    if (c.href.isEmpty() || (!c.recNo.isEmpty() && !store::IsRecordNumber(c.recNo)))
        throw SyncStateError("a card without its place");
    return c;
}

SyncState StateOf(const QByteArray& bytes) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (doc.isNull() || !doc.isObject()) throw SyncStateError(error.errorString().toStdString());
    const QJsonObject o = doc.object();
    SyncState state;
    state.cardFolder = o.value(QStringLiteral("cardFolder")).toString();
    state.addressBook = QUrl(o.value(QStringLiteral("addressBook")).toString());
    state.token = o.value(QStringLiteral("token")).toString();
    state.lastSync = QDateTime::fromString(o.value(QStringLiteral("lastSync")).toString(), Qt::ISODate);
    state.lastReport = o.value(QStringLiteral("lastReport")).toString();
    for (const QJsonValue& card : o.value(QStringLiteral("cards")).toArray()) {
        if (!card.isObject()) throw SyncStateError("a card that is no object");
        state.cards << SyncedCardOf(card.toObject());
    }
    return state;
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
    return SyncStateFolder(accountName) + u'/' + QString::fromLatin1(key) + QStringLiteral(".json");
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
            if (state.cardFolder == empty.cardFolder) return state;
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

void SaveSyncState(const QString& file, const SyncState& state) {
    QJsonArray cards;
    for (const SyncedCard& c : state.cards) cards.append(CardJson(c));
    const QJsonObject o{{QStringLiteral("cardFolder"), state.cardFolder},
                        {QStringLiteral("addressBook"), state.addressBook.toString()},
                        {QStringLiteral("token"), state.token},
                        {QStringLiteral("lastSync"), state.lastSync.toString(Qt::ISODateWithMs)},
                        {QStringLiteral("lastReport"), state.lastReport},
                        {QStringLiteral("cards"), cards}};
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder))
        throw SyncStateError(QStringLiteral("Cannot make the folder %1").arg(folder).toStdString());
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    const bool existed = QFile::exists(file);
    try {
        profile::ReplaceFile(file, QJsonDocument(o).toJson(QJsonDocument::Compact), profile::Durability::Synced);
    } catch (const std::exception& e) {
        throw SyncStateError(e.what());
    }
    if (!existed) ::chmod(QFile::encodeName(file).constData(), 0600);
}

void RemoveSyncStates(const QString& accountName) {
    QDir folder(SyncStateFolder(accountName));
    if (folder.exists() && !folder.removeRecursively())
        throw SyncStateError(QStringLiteral("Cannot remove the sync state in %1").arg(folder.path()).toStdString());
}

}  // namespace tessaly::sync
