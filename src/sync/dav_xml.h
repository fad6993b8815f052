#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace tessaly::sync {

// The WebDAV properties this client asks for.
enum class DavProperty {
    ResourceType,
    DisplayName,
    CurrentUserPrincipal,
    AddressBookHomeSet,
    GetEtag,
    SyncToken,
    SupportedReportSet,
};

QByteArray propfindBody(const QList<DavProperty>& properties);
// REPORT sync-collection (RFC 6578), sync-level 1, asking for each member's ETag.
QByteArray syncCollectionBody(const QString& token);
// REPORT addressbook-multiget (RFC 6352) of these paths, with each one's ETag and vCard.
QByteArray addressbookMultigetBody(const QStringList& paths);

// One href of a 207 Multi-Status answer and what the server said of it.
struct DavResource {
    QUrl url;      // the href resolved against the request's URL
    QString path;  // its path in the one spelling normalizedPath gives
    // The response's own status, or else 200 when a propstat carried properties, or else the first
    // propstat's status. Properties of a propstat that is not 2xx are left out.
    int status = 0;
    QString etag;  // as the server gave it, quotes and W/ included
    QString displayName;
    QString syncToken;
    bool isCollection = false;
    bool isAddressBook = false;
    bool listsReports = false;            // supported-report-set was answered
    bool supportsSyncCollection = false;  // and names sync-collection
    QList<QUrl> principals;               // current-user-principal, resolved
    QList<QUrl> homeSets;                 // addressbook-home-set, resolved
    bool hasAddressData = false;
    QByteArray addressData;
};

struct DavMultiStatus {
    QList<DavResource> resources;
    QString syncToken;  // the multistatus's own, which a sync-collection answer ends with
};

constexpr qsizetype kMaxAddressDataBytes = 1 << 20;  // one vCard, counted in characters
constexpr int kMaxXmlDepth = 64;

// Reads a 207 Multi-Status body (elements known by namespace URI, not prefix). Throws
// RemoteError(Server) on malformed XML, a document type declaration, nesting deeper than
// kMaxXmlDepth, a text longer than its bound, or an href that is not on the request's server.
DavMultiStatus parseMultiStatus(const QByteArray& body, const QUrl& requestUrl);

// Whether an error body (<D:error>) names the DAV: precondition 'name' ("valid-sync-token").
bool namesDavPrecondition(const QByteArray& body, const QString& name);

// The path of a URL in one spelling, so that two spellings of one resource compare equal: each
// escape decoded and each character escaped again by one rule (unreserved, sub-delims, ':', '@' and
// the '/' separators as they are; an escaped '/' stays escaped, being part of a name).
QString normalizedPath(const QUrl& url);

}  // namespace tessaly::sync
