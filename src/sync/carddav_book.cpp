#include "sync/carddav_book.h"

#include "sync/dav_session.h"
#include "sync/dav_xml.h"

namespace tessaly::sync {

namespace {

const QByteArray kXml = "application/xml; charset=utf-8";

// Changes collected from one or more answers: an href listed again replaces what was said before.
class ChangeList {
public:
    void changed(const QString& path, const QString& etag) { set(path, {path, etag}, false); }
    void removed(const QString& path) { set(path, {path, {}}, true); }
    void into(RemoteChanges& changes) const {
        for (const auto& entry : entries_) {
            if (entry.removed)
                changes.removed.append(entry.version.href);
            else
                changes.changed.append(entry.version);
        }
    }

private:
    struct Entry {
        RemoteVersion version;
        bool removed;
    };
    void set(const QString& path, const RemoteVersion& version, bool removed) {
        const auto known = index_.constFind(path);
        if (known != index_.cend()) {
            entries_[*known] = {version, removed};
            return;
        }
        index_.insert(path, entries_.size());
        entries_.append({version, removed});
    }
    QList<Entry> entries_;
    QHash<QString, qsizetype> index_;
};

bool isSuccess(int status) {
    return status >= 200 && status <= 299;
}

}  // namespace

CardDavBook::CardDavBook(DavSession& session, const QUrl& addressBookUrl) : session_(session), url_(addressBookUrl) {
    if (!url_.path().endsWith(QLatin1Char('/'))) url_.setPath(url_.path() + QLatin1Char('/'));
    path_ = normalizedPath(url_);
}

bool CardDavBook::isTheBook(const QString& path) const {
    return path == path_ || path == path_.chopped(1);
}

void CardDavBook::checkMember(const DavResource& resource, const QString& what) const {
    if (!resource.path.startsWith(path_) || resource.path.size() == path_.size())
        throw RemoteError(RemoteError::Kind::Server,
                          QStringLiteral("The server named \"%1\", outside the address book %2, when asked to %3; "
                                         "Tessaly ignores such an answer.")
                              .arg(resource.path.left(200), path_, what));
}

QUrl CardDavBook::memberUrl(const QString& href, const QString& what) const {
    DavResource member;
    member.url = url_.resolved(QUrl(href, QUrl::TolerantMode));
    member.path = normalizedPath(member.url);
    if (member.url.host() != url_.host() || member.url.scheme() != url_.scheme() || member.url.port() != url_.port())
        member.path = href;  // reported as outside below
    checkMember(member, what);
    return member.url;
}

bool CardDavBook::offersSyncCollection() {
    if (!offersSyncCollection_) {
        static const QString what = QStringLiteral("read what the address book supports");
        const DavReply reply =
            session_.send("PROPFIND", url_, propfindBody({DavProperty::SupportedReportSet}),
                          {{"Depth", "0"}, {"Content-Type", kXml}}, DavSession::kMaxListingBytes, what);
        if (reply.status != 207) throw DavSession::statusError(reply, what);
        bool offered = true;  // a server that does not say is asked and may refuse
        for (const DavResource& resource : parseMultiStatus(reply.body, reply.url).resources)
            if (isTheBook(resource.path) && resource.listsReports) offered = resource.supportsSyncCollection;
        offersSyncCollection_ = offered;
    }
    return *offersSyncCollection_;
}

RemoteChanges CardDavBook::changesSince(const QString& token) {
    if (!token.isEmpty() && offersSyncCollection()) {
        if (auto changes = syncCollection(token)) return *changes;
    }
    return listing();
}

std::optional<RemoteChanges> CardDavBook::syncCollection(const QString& token) {
    static const QString what = QStringLiteral("read the changes of the address book");
    RemoteChanges changes;
    changes.whole = token.isEmpty();
    ChangeList list;
    QString asked = token;
    for (int page = 0; page < kMaxSyncPages; ++page) {
        const DavReply reply =
            session_.send("REPORT", url_, syncCollectionBody(asked), {{"Depth", "0"}, {"Content-Type", kXml}},
                          DavSession::kMaxListingBytes, what);
        if ((reply.status == 403 || reply.status == 409) && namesDavPrecondition(reply.body, "valid-sync-token"))
            return std::nullopt;  // the token expired: the whole listing instead
        if (reply.status == 403 || reply.status == 405 || reply.status == 501) {
            offersSyncCollection_ = false;
            return std::nullopt;
        }
        if (reply.status != 207) throw DavSession::statusError(reply, what);
        const DavMultiStatus answer = parseMultiStatus(reply.body, reply.url);
        bool truncated = false;
        for (const DavResource& resource : answer.resources) {
            if (isTheBook(resource.path)) {
                truncated |= resource.status == 507;
                continue;
            }
            checkMember(resource, what);
            if (resource.path.endsWith(QLatin1Char('/'))) continue;  // a collection inside, not a contact
            if (resource.status == 404)
                list.removed(resource.path);
            else if (isSuccess(resource.status))
                list.changed(resource.path, resource.etag);
        }
        if (answer.syncToken.isEmpty())
            throw RemoteError(
                RemoteError::Kind::Server,
                QStringLiteral("The server's changes came without a sync token (when asked to %1).").arg(what));
        const bool moved = answer.syncToken != asked;
        asked = answer.syncToken;
        if (!truncated || !moved) {
            list.into(changes);
            changes.token = asked;
            return changes;
        }
    }
    throw RemoteError(RemoteError::Kind::Server,
                      QStringLiteral("The server's changes went on for more than %1 pages.").arg(kMaxSyncPages));
}

RemoteChanges CardDavBook::listing() {
    static const QString what = QStringLiteral("list the address book");
    const DavReply reply = session_.send("PROPFIND", url_,
                                         propfindBody({DavProperty::ResourceType, DavProperty::GetEtag,
                                                       DavProperty::SyncToken, DavProperty::SupportedReportSet}),
                                         {{"Depth", "1"}, {"Content-Type", kXml}}, DavSession::kMaxListingBytes, what);
    if (reply.status != 207) throw DavSession::statusError(reply, what);
    RemoteChanges changes;
    changes.whole = true;
    ChangeList list;
    QString token;
    for (const DavResource& resource : parseMultiStatus(reply.body, reply.url).resources) {
        if (isTheBook(resource.path)) {
            token = resource.syncToken;
            if (resource.listsReports) offersSyncCollection_ = resource.supportsSyncCollection;
            continue;
        }
        checkMember(resource, what);
        if (resource.isCollection || resource.path.endsWith(QLatin1Char('/')) || !isSuccess(resource.status)) continue;
        list.changed(resource.path, resource.etag);
    }
    list.into(changes);
    // A token is only worth keeping when it can be asked with.
    if (offersSyncCollection_.value_or(true)) changes.token = token;
    return changes;
}

QList<RemoteContact> CardDavBook::fetch(const QStringList& hrefs) {
    static const QString what = QStringLiteral("read contacts");
    QStringList paths;
    for (const QString& href : hrefs) {
        const QString path = normalizedPath(memberUrl(href, what));
        if (!paths.contains(path)) paths.append(path);
    }
    QList<RemoteContact> contacts;
    for (qsizetype first = 0; first < paths.size(); first += kFetchBatch) {
        const QStringList batch = paths.mid(first, kFetchBatch);
        const DavReply reply =
            session_.send("REPORT", url_, addressbookMultigetBody(batch), {{"Depth", "1"}, {"Content-Type", kXml}},
                          DavSession::kMaxListingBytes, what);
        if (reply.status != 207) throw DavSession::statusError(reply, what);
        QHash<QString, RemoteContact> found;
        for (const DavResource& resource : parseMultiStatus(reply.body, reply.url).resources) {
            checkMember(resource, what);
            if (!batch.contains(resource.path) || resource.status == 404 || resource.status == 410) continue;
            if (!isSuccess(resource.status) || !resource.hasAddressData)
                throw RemoteError(RemoteError::Kind::Server,
                                  QStringLiteral("The server did not give the contact %1 (HTTP %2) when asked to %3.")
                                      .arg(resource.path)
                                      .arg(resource.status)
                                      .arg(what),
                                  resource.status);
            found.insert(resource.path, {resource.path, resource.etag, resource.addressData});
        }
        for (const QString& path : batch)
            if (found.contains(path)) contacts.append(found.value(path));
    }
    return contacts;
}

WriteOutcome CardDavBook::put(const QString& href, const QByteArray& vcard, const QString& ifMatch) {
    static const QString what = QStringLiteral("save a contact");
    QList<QPair<QByteArray, QByteArray>> headers = {{"Content-Type", "text/vcard; charset=utf-8"}};
    if (ifMatch.isEmpty())
        headers.emplaceBack("If-None-Match", "*");
    else
        headers.emplaceBack("If-Match", ifMatch.toUtf8());
    const DavReply reply =
        session_.send("PUT", memberUrl(href, what), vcard, headers, DavSession::kMaxSmallReplyBytes, what);
    if (reply.status == 412) return {false, {}};
    if (!isSuccess(reply.status)) throw DavSession::statusError(reply, what);
    return {true, QString::fromUtf8(reply.header("ETag"))};
}

WriteOutcome CardDavBook::remove(const QString& href, const QString& ifMatch) {
    static const QString what = QStringLiteral("delete a contact");
    QList<QPair<QByteArray, QByteArray>> headers;
    if (!ifMatch.isEmpty()) headers.emplaceBack("If-Match", ifMatch.toUtf8());
    const DavReply reply =
        session_.send("DELETE", memberUrl(href, what), {}, headers, DavSession::kMaxSmallReplyBytes, what);
    if (reply.status == 412) return {false, {}};
    if (isSuccess(reply.status) || reply.status == 404 || reply.status == 410) return {true, {}};
    throw DavSession::statusError(reply, what);
}

QString CardDavBook::hrefFor(const QString& uid) const {
    return normalizedPath(url_.resolved(QUrl::fromEncoded(QUrl::toPercentEncoding(uid) + ".vcf")));
}

}  // namespace tessaly::sync
