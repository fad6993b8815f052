#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include "dav_servers.h"
#include "sync/carddav_book.h"
#include "sync/dav_discovery.h"
#include "sync/dav_session.h"
#include "sync/dav_xml.h"

using tessaly::sync::CardDavBook;
using tessaly::sync::DavAccess;
using tessaly::sync::DavSession;
using tessaly::sync::RemoteError;
using tessaly::testing::TestDavServer;
using Kind = RemoteError::Kind;

namespace {

const QList<TestDavServer::Kind> kAllServers = {TestDavServer::Kind::Radicale, TestDavServer::Kind::Xandikos,
                                                TestDavServer::Kind::Fake};

const char* nameOf(TestDavServer::Kind kind);

// Runs 'test' on a fresh server of each kind; a RemoteError fails the test with the server named.
template <typename Test>
void onEachServer(Test test) {
    for (const auto kind : kAllServers) {
        SCOPED_TRACE(nameOf(kind));
        const auto server = TestDavServer::start(kind);
        ASSERT_TRUE(server);
        try {
            test(*server);
        } catch (const RemoteError& error) {
            ADD_FAILURE() << error.what();
        }
    }
}

const char* nameOf(TestDavServer::Kind kind) {
    switch (kind) {
        case TestDavServer::Kind::Radicale:
            return "Radicale";
        case TestDavServer::Kind::Xandikos:
            return "Xandikos";
        case TestDavServer::Kind::Fake:
            break;
    }
    return "Fake";
}

DavAccess accessTo(const TestDavServer& server) {
    DavAccess access;
    access.url = server.rootUrl();
    access.user = server.user();
    access.password = server.password();
    return access;
}

QByteArray vcard(const QByteArray& uid, const QByteArray& name) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nFN:" + name + "\r\nN:" + name + ";;;;\r\nEND:VCARD\r\n";
}

// Scripts the fake server (see fake_dav_server.py).
void control(TestDavServer& server, const QJsonObject& settings) {
    const auto reply = server.request("POST", server.rootUrl().resolved(QUrl("/_control")),
                                      QJsonDocument(settings).toJson(), {{"Content-Type", "application/json"}});
    ASSERT_EQ(reply.status, 204);
}

QJsonObject scripted(const QString& method, int status, const QByteArray& body = {}) {
    return {{"method", method}, {"status", status}, {"body", QString::fromUtf8(body)}};
}

// The requests the fake server saw since the last call.
QJsonArray requestLog(TestDavServer& server) {
    return QJsonDocument::fromJson(server.request("GET", server.rootUrl().resolved(QUrl("/_control/log"))).body)
        .array();
}

QByteArray multistatus(const QByteArray& responses) {
    return R"(<?xml version="1.0"?><multistatus xmlns="DAV:">)" + responses + "</multistatus>";
}

QByteArray etagResponse(const QByteArray& href, const QByteArray& etag) {
    return "<response><href>" + href + "</href><propstat><prop><getetag>" + etag +
           "</getetag></prop><status>HTTP/1.1 200 OK</status></propstat></response>";
}

QStringList hrefsOf(const QList<tessaly::sync::RemoteVersion>& versions) {
    QStringList hrefs;
    for (const auto& version : versions) hrefs.append(version.href);
    hrefs.sort();
    return hrefs;
}

template <typename Call>
void expectRemoteError(Kind kind, Call call, const char* inMessage = "") {
    try {
        call();
        ADD_FAILURE() << "no RemoteError";
    } catch (const RemoteError& error) {
        EXPECT_EQ(error.kind, kind) << error.what();
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QString::fromUtf8(inMessage))) << error.what();
    }
}

// The fixture itself: each server starts with an empty address book, and what a phone writes there
// survives a SIGKILL and restart.
TEST(DavServersTest, eachServerStartsWithAnAddressBookThatSurvivesARestart) {
    onEachServer([](TestDavServer& server) {
        const auto listing = server.request("PROPFIND", server.addressBookUrl(), {}, {{"Depth", "0"}});
        EXPECT_EQ(listing.status, 207);
        EXPECT_TRUE(listing.body.contains("addressbook")) << listing.body.toStdString();
        const QUrl card = server.addressBookUrl().resolved(QUrl("phone-1.vcf"));
        EXPECT_EQ(server.request("PUT", card, vcard("phone-1", "Ann"), {{"Content-Type", "text/vcard"}}).status, 201);
        server.restart();
        const auto got = server.request("GET", card);
        EXPECT_EQ(got.status, 200);
        EXPECT_TRUE(got.body.contains("FN:Ann"));
    });
}

TEST(DavDiscoveryTest, findsTheAddressBookFromTheServerAddressOrItself) {
    onEachServer([](TestDavServer& server) {
        DavSession session(accessTo(server));
        for (const QUrl& start : {server.rootUrl(), server.addressBookUrl()}) {
            SCOPED_TRACE(start.toString().toStdString());
            const auto books = tessaly::sync::discoverAddressBooks(session, start);
            ASSERT_EQ(books.size(), 1);
            EXPECT_EQ(tessaly::sync::normalizedPath(books[0].url), server.addressBookUrl().path());
            EXPECT_FALSE(books[0].displayName.isEmpty());
        }
    });
}

// What another client changes shows in changesSince; the writes keep to their conditions; the hrefs
// the server lists are the ones hrefFor made, also for a UID that needs escaping.
TEST(CardDavBookTest, syncsWithEachServer) {
    onEachServer([](TestDavServer& server) {
        DavSession session(accessTo(server));
        CardDavBook book(session, server.addressBookUrl());

        const auto first = book.changesSince({});
        EXPECT_TRUE(first.whole);
        EXPECT_TRUE(first.changed.isEmpty());
        EXPECT_FALSE(first.token.isEmpty());

        const QString ours = book.hrefFor("ours 1@tessaly+x");
        const auto added = book.put(ours, vcard("ours 1@tessaly+x", "Ours"), {});
        EXPECT_TRUE(added.done);
        EXPECT_FALSE(book.put(ours, vcard("ours 1@tessaly+x", "Again"), {}).done) << "If-None-Match: * ignored";
        const QUrl phoneCard = server.addressBookUrl().resolved(QUrl("phone-1.vcf"));
        ASSERT_EQ(server.request("PUT", phoneCard, vcard("phone-1", "Phone"), {{"Content-Type", "text/vcard"}}).status,
                  201);

        const auto second = book.changesSince(first.token);
        EXPECT_FALSE(second.whole);
        const QString phone = book.hrefFor("phone-1");
        EXPECT_EQ(hrefsOf(second.changed), (QStringList{ours, phone}));
        QString ourEtag;
        for (const auto& version : second.changed) {
            EXPECT_FALSE(version.etag.isEmpty());
            if (version.href == ours) ourEtag = version.etag;
        }
        if (!added.etag.isEmpty()) {
            EXPECT_EQ(added.etag, ourEtag);
        }

        const auto contacts = book.fetch({phone, ours, book.hrefFor("never-there")});
        ASSERT_EQ(contacts.size(), 2);
        EXPECT_EQ(contacts[0].href, phone);
        EXPECT_TRUE(contacts[0].vcard.contains("FN:Phone"));
        EXPECT_EQ(contacts[1].etag, ourEtag);

        EXPECT_FALSE(book.put(ours, vcard("ours 1@tessaly+x", "Stale"), "\"not-the-etag\"").done);
        const auto changed = book.put(ours, vcard("ours 1@tessaly+x", "Changed"), ourEtag);
        EXPECT_TRUE(changed.done);

        ASSERT_EQ(server.request("DELETE", phoneCard).status / 100, 2);
        const auto third = book.changesSince(second.token);
        EXPECT_EQ(third.removed, QStringList{phone});
        EXPECT_EQ(hrefsOf(third.changed), QStringList{ours});

        EXPECT_FALSE(book.remove(ours, ourEtag).done) << "the etag before the change";
        EXPECT_TRUE(book.remove(ours, third.changed.value(0).etag).done);
        EXPECT_TRUE(book.remove(ours, third.changed.value(0).etag).done) << "already gone counts as done";
        EXPECT_TRUE(book.changesSince({}).changed.isEmpty());
    });
}

// The answers real servers give now and then: the whole listing when the token cannot be used,
// pages followed, an href listed twice (the last word counts).
TEST(CardDavBookTest, fallsBackFollowsPagesAndTakesTheLastWord) {
    const QByteArray a = "/alice/contacts/a.vcf";
    const QByteArray b = "/alice/contacts/b.vcf";
    const QByteArray book = "/alice/contacts/";
    struct Case {
        const char* name;
        QJsonObject settings;
        bool whole;
        QStringList changed;
        QStringList removed;
    };
    const QList<Case> cases = {
        {"an expired token",
         {{"script", QJsonArray{scripted("REPORT", 403, R"(<error xmlns="DAV:"><valid-sync-token/></error>)")}}},
         true,
         {a, b},
         {}},
        {"no sync-collection in the supported reports", {{"syncCollection", false}}, true, {a, b}, {}},
        {"the report not implemented", {{"script", QJsonArray{scripted("REPORT", 501)}}}, true, {a, b}, {}},
        {"two pages",
         {{"script",
           QJsonArray{scripted("REPORT", 207,
                               multistatus(etagResponse(a, "\"e1\"") + "<response><href>" + book +
                                           "</href><status>HTTP/1.1 507 Insufficient Storage</status>"
                                           "</response><sync-token>http://tessaly.test/sync/1</sync-token>"))}}},
         false,
         {a, b},
         {}},
        {"one href twice",
         {{"script", QJsonArray{scripted("REPORT", 207,
                                         multistatus(etagResponse(a, "\"e1\"") + "<response><href>" + a +
                                                     "</href><status>HTTP/1.1 404 Not Found</status></response>"
                                                     "<sync-token>http://tessaly.test/sync/2</sync-token>"))}}},
         false,
         {},
         {a}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto started = TestDavServer::start(TestDavServer::Kind::Fake);
        ASSERT_TRUE(started);
        TestDavServer& server = *started;
        DavSession session(accessTo(server));
        CardDavBook remote(session, server.addressBookUrl());
        const QString token = remote.changesSince({}).token;
        for (const char* name : {"a.vcf", "b.vcf"})
            server.request("PUT", server.addressBookUrl().resolved(QUrl(name)), vcard(name, name));
        control(server, c.settings);
        const auto changes = CardDavBook(session, server.addressBookUrl()).changesSince(token);
        EXPECT_EQ(changes.whole, c.whole);
        EXPECT_EQ(hrefsOf(changes.changed), c.changed);
        EXPECT_EQ(changes.removed, c.removed);
    }
}

// Answers this client must not use: each one a RemoteError, never a crash or a wrong listing.
TEST(CardDavBookTest, refusesHostileOrBrokenAnswers) {
    const QByteArray deep = QByteArray("<x>").repeated(100) + QByteArray("</x>").repeated(100);
    const QByteArray huge((1 << 20) + 1, 'A');
    struct Case {
        const char* name;
        QJsonObject script;
        bool fetch;  // a multiget; otherwise a sync-collection
        Kind kind;
        const char* inMessage;
    };
    const QList<Case> cases = {
        {"malformed XML", scripted("REPORT", 207, "<multistatus xmlns=\"DAV:\"><response>"), false, Kind::Server, ""},
        {"a document type with entities",
         scripted("REPORT", 207,
                  "<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY a \"aaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
                  "<multistatus xmlns=\"DAV:\">&b;</multistatus>"),
         false, Kind::Server, "document type"},
        {"nesting without end", scripted("REPORT", 207, multistatus(deep)), false, Kind::Server, "deep"},
        {"an href outside the address book",
         scripted("REPORT", 207, multistatus(etagResponse("/bob/contacts/x.vcf", "\"1\""))), false, Kind::Server,
         "/bob/contacts/x.vcf"},
        {"an href on another server",
         scripted("REPORT", 207, multistatus(etagResponse("http://example.org/alice/contacts/x.vcf", "\"1\""))), false,
         Kind::Server, "example.org"},
        {"a vCard over its bound",
         scripted("REPORT", 207,
                  multistatus("<response><href>/alice/contacts/a.vcf</href><propstat><prop><address-data "
                              "xmlns=\"urn:ietf:params:xml:ns:carddav\">" +
                              huge + "</address-data></prop><status>HTTP/1.1 200 OK</status></propstat></response>")),
         true, Kind::Server, ""},
        {"a server failure", scripted("REPORT", 503), false, Kind::Server, "HTTP 503"},
        {"a conflict", scripted("REPORT", 409), false, Kind::Conflict, "HTTP 409"},
        {"the book gone", scripted("REPORT", 404), true, Kind::NotFound, "HTTP 404"},
    };
    const auto started = TestDavServer::start(TestDavServer::Kind::Fake);
    ASSERT_TRUE(started);
    TestDavServer& server = *started;
    DavSession session(accessTo(server));
    CardDavBook book(session, server.addressBookUrl());
    const QString token = book.changesSince({}).token;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        control(server, {{"script", QJsonArray{c.script}}});
        expectRemoteError(
            c.kind,
            [&] {
                if (c.fetch)
                    book.fetch({book.hrefFor("a")});
                else
                    book.changesSince(token);
            },
            c.inMessage);
    }
}

// Basic and Digest (MD5, SHA-256, a stale nonce), the strongest offered chosen, credentials asked for
// once and then sent with each request; a wrong password named as such.
TEST(DavSessionTest, authenticatesAsTheServerAsks) {
    struct Case {
        const char* auth;
        bool staleNonce;
        QString password;
        const char* sentScheme;  // in the Authorization of the last request
    };
    const QList<Case> cases = {
        {"basic", false, "secret", "Basic "},
        {"digest-md5", false, "secret", "algorithm=MD5"},
        {"digest-sha256", false, "secret", "algorithm=SHA-256"},
        {"digest", false, "secret", "algorithm=SHA-256"},
        {"digest", true, "secret", "algorithm=SHA-256"},
        {"basic", false, "wrong", nullptr},
        {"digest-md5", false, "wrong", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.auth) + (c.staleNonce ? " stale" : "") + " " + c.password.toStdString());
        const auto started = TestDavServer::start(TestDavServer::Kind::Fake);
        ASSERT_TRUE(started);
        TestDavServer& server = *started;
        control(server, {{"auth", c.auth}});
        DavAccess access = accessTo(server);
        access.password = c.password;
        DavSession session(access);
        CardDavBook book(session, server.addressBookUrl());
        if (!c.sentScheme) {
            expectRemoteError(
                Kind::Refused, [&] { book.changesSince({}); }, "HTTP 401");
            continue;
        }
        book.changesSince({});
        if (c.staleNonce) control(server, {{"staleNonces", true}});
        requestLog(server);
        EXPECT_TRUE(book.put(book.hrefFor("x y@z"), vcard("x y@z", "X"), {}).done);
        const QJsonArray log = requestLog(server);
        ASSERT_EQ(log.size(), c.staleNonce ? 2 : 1) << "credentials not sent with the request itself";
        EXPECT_TRUE(log.last()["headers"]["Authorization"].toString().contains(c.sentScheme))
            << log.last()["headers"]["Authorization"].toString().toStdString();
    }
}

// A self-signed certificate is accepted only when it is the one the user trusts.
TEST(DavSessionTest, trustsOnlyTheCertificateTheUserTrusts) {
    const QString data = TESSALY_TESTDATA "/dav/";
    const auto started = TestDavServer::startFakeTls(data + "server.pem", data + "server.key");
    ASSERT_TRUE(started);
    const auto readFile = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    struct Case {
        const char* name;
        QByteArray trusted;
        bool works;
    };
    const QList<Case> cases = {
        {"none trusted", {}, false},
        {"this one trusted", readFile(data + "server.pem"), true},
        {"another one trusted", readFile(data + "other.pem"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DavAccess access = accessTo(*started);
        access.trustedCertificate = c.trusted;
        DavSession session(access);
        CardDavBook book(session, started->addressBookUrl());
        if (c.works)
            EXPECT_TRUE(book.changesSince({}).whole);
        else
            expectRemoteError(Kind::Unreachable, [&] { book.changesSince({}); });
    }
}

// Where the session stops before or during a request: no password in clear to another machine,
// no redirect to another host, time-outs, size bounds and cancelling.
TEST(DavSessionTest, stopsRequestsItMustNotFinish) {
    const auto started = TestDavServer::start(TestDavServer::Kind::Fake);
    ASSERT_TRUE(started);
    TestDavServer& server = *started;
    control(server, {{"auth", "none"}});  // one request per call, none for the credentials
    struct Case {
        const char* name;
        QJsonObject script;
        int timeoutMs;
        int totalTimeoutMs;
        int cancelAfterMs;  // 0: not cancelled
        Kind kind;
        const char* inMessage;
    };
    const QJsonObject toLocalhost{
        {"method", "PUT"},
        {"status", 307},
        {"headers", QJsonObject{{"Location", server.addressBookUrl().toString().replace("127.0.0.1", "localhost")}}}};
    const QList<Case> cases = {
        {"no answer", QJsonObject{{"method", "PUT"}, {"delay", 5}}, 300, 60000, 0, Kind::Unreachable, "did not answer"},
        {"an endless slow body", QJsonObject{{"method", "PUT"}, {"drip", true}}, 2000, 1000, 0, Kind::Unreachable,
         "took more than"},
        {"an endless body", QJsonObject{{"method", "PUT"}, {"flood", true}}, 30000, 60000, 0, Kind::Server, "1 MiB"},
        {"cancelled", QJsonObject{{"method", "PUT"}, {"delay", 5}}, 30000, 60000, 100, Kind::Cancelled, ""},
        {"a redirect to another host", toLocalhost, 30000, 60000, 0, Kind::Server, "localhost"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        control(server, {{"script", QJsonArray{c.script}}});
        DavAccess access = accessTo(server);
        access.timeoutMs = c.timeoutMs;
        access.totalTimeoutMs = c.totalTimeoutMs;
        DavSession session(access);
        CardDavBook book(session, server.addressBookUrl());
        if (c.cancelAfterMs) QTimer::singleShot(c.cancelAfterMs, &session, &DavSession::cancel);
        requestLog(server);
        expectRemoteError(
            c.kind, [&] { book.put(book.hrefFor("x"), vcard("x", "X"), {}); }, c.inMessage);
        EXPECT_EQ(requestLog(server).size(), 1) << "a request made after the stop";
        if (c.cancelAfterMs) expectRemoteError(Kind::Cancelled, [&] { book.changesSince({}); });
    }

    DavAccess remote;
    remote.url = QUrl("http://192.0.2.1/dav/");
    remote.user = "alice";
    remote.password = "secret";
    DavSession plain(remote);
    expectRemoteError(
        Kind::Unreachable, [&] { CardDavBook(plain, remote.url).changesSince({}); }, "unencrypted");
}

}  // namespace
