#pragma once
#include <QHash>
#include <QUrl>
#include <optional>

#include "sync/remote_book.h"

namespace tessaly::sync {

class DavSession;
struct DavResource;

// One address book on a CardDAV server, over a session to its account.
class CardDavBook : public RemoteBook {
public:
    static constexpr int kFetchBatch = 50;  // 50 vCards at their 1 MiB bound fit one REPORT's 64 MiB
    static constexpr int kMaxSyncPages = 1000;

    CardDavBook(DavSession& session, const QUrl& addressBookUrl);

    // By sync-collection (RFC 6578) from a token, following truncated answers page by page; by a
    // whole listing of the ETags for an empty token, a server without sync-collection, or a token
    // the server no longer knows.
    RemoteChanges changesSince(const QString& token) override;
    QList<RemoteContact> fetch(const QStringList& hrefs) override;
    WriteOutcome put(const QString& href, const QByteArray& vcard, const QString& ifMatch) override;
    WriteOutcome remove(const QString& href, const QString& ifMatch) override;
    QString hrefFor(const QString& uid) const override;

private:
    std::optional<RemoteChanges> syncCollection(const QString& token);  // none: list instead
    RemoteChanges listing();
    bool offersSyncCollection();
    bool isTheBook(const QString& path) const;
    void checkMember(const DavResource& resource, const QString& what) const;
    QUrl memberUrl(const QString& href, const QString& what) const;

    DavSession& session_;
    QUrl url_;
    QString path_;  // normalised, with its final '/'
    std::optional<bool> offersSyncCollection_;
};

}  // namespace tessaly::sync
