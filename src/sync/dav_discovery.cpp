#include "sync/dav_discovery.h"

#include <optional>

#include "sync/dav_session.h"
#include "sync/dav_xml.h"

namespace tessaly::sync {

namespace {

const QString kWhat = QStringLiteral("find the address books");
constexpr int kMaxHomeSets = 8;

// The resources of a PROPFIND, or none when nothing there answers PROPFIND.
std::optional<DavMultiStatus> propfind(DavSession& session, const QUrl& url, const QByteArray& depth,
                                       const QList<DavProperty>& properties) {
    const DavReply reply = session.send("PROPFIND", url, propfindBody(properties),
                                        {{"Depth", depth}, {"Content-Type", "application/xml; charset=utf-8"}},
                                        DavSession::kMaxListingBytes, kWhat);
    if (reply.status == 404 || reply.status == 405 || reply.status == 501) return std::nullopt;
    if (reply.status != 207) throw DavSession::statusError(reply, kWhat);
    return parseMultiStatus(reply.body, reply.url);
}

QList<AddressBookInfo> addressBooksIn(DavSession& session, const QUrl& home) {
    QList<AddressBookInfo> books;
    const auto listing = propfind(session, home, "1", {DavProperty::ResourceType, DavProperty::DisplayName});
    if (!listing) return books;
    for (const DavResource& resource : listing->resources)
        if (resource.status / 100 == 2 && resource.isAddressBook) books.append({resource.url, resource.displayName});
    return books;
}

}  // namespace

QList<AddressBookInfo> discoverAddressBooks(DavSession& session, const QUrl& serverUrl) {
    const QList<DavProperty> identity = {DavProperty::ResourceType, DavProperty::DisplayName,
                                         DavProperty::CurrentUserPrincipal, DavProperty::AddressBookHomeSet};
    QList<QUrl> principals;
    QList<QUrl> homeSets;
    const auto collect = [&](const std::optional<DavMultiStatus>& found) {
        if (!found) return;
        for (const DavResource& resource : found->resources) {
            if (resource.status / 100 != 2) continue;
            principals += resource.principals;
            homeSets += resource.homeSets;
        }
    };

    const auto given = propfind(session, serverUrl, "0", identity);
    if (given && !given->resources.isEmpty() && given->resources.first().isAddressBook) {
        const DavResource& book = given->resources.first();
        return {{book.url, book.displayName}};
    }
    collect(given);
    if (principals.isEmpty() && homeSets.isEmpty())
        collect(propfind(session, serverUrl.resolved(QUrl(QStringLiteral("/.well-known/carddav"))), "0", identity));
    if (homeSets.isEmpty() && !principals.isEmpty())
        collect(propfind(session, principals.first(), "0", {DavProperty::AddressBookHomeSet}));
    // A server that names no home set may still hold address books right below the address given.
    if (homeSets.isEmpty()) homeSets.append(serverUrl);

    QList<AddressBookInfo> books;
    QStringList seen;
    for (const QUrl& home : homeSets.mid(0, kMaxHomeSets)) {
        for (const AddressBookInfo& book : addressBooksIn(session, home)) {
            const QString path = normalizedPath(book.url);
            if (seen.contains(path)) continue;
            seen.append(path);
            books.append(book);
        }
    }
    if (books.isEmpty())
        throw RemoteError(RemoteError::Kind::NotFound,
                          QStringLiteral("The server at %1 holds no address book for this account.")
                              .arg(serverUrl.toDisplayString(QUrl::RemoveUserInfo)));
    return books;
}

}  // namespace tessaly::sync
