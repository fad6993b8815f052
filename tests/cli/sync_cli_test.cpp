// tessaly-cli's accounts and sync against a radicale on 127.0.0.1, as a user runs them.
#include "../sync/dav_servers.h"
#include "cli_process.h"

#include <gtest/gtest.h>

using tessaly::testing::TestDavServer;

namespace {

class SyncCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        server = TestDavServer::start(TestDavServer::Kind::Radicale);
        ASSERT_TRUE(server);
        ASSERT_EQ(run({"init"}).code, 0);
    }
    // No keyring answers here (no D-Bus session): the password comes from the variable, when given.
    CliResult run(const QStringList& args, const QString& password = {}) {
        qputenv("TESSALY_PASSWORD", password.toUtf8());
        if (password.isEmpty()) qunsetenv("TESSALY_PASSWORD");
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        return RunCli(home, args);
    }
    CliResult sync(const QStringList& more = {}) { return run(QStringList{"sync"} + more, "secret"); }
    // The first contact of the address book: where it is, and its vCard.
    QUrl contactUrl() {
        const QByteArray body = server->request("PROPFIND", server->addressBookUrl(), {}, {{"Depth", "1"}}).body;
        const qsizetype at = body.indexOf(".vcf<");
        if (at < 0) return {};
        const qsizetype from = body.lastIndexOf('>', at) + 1;
        return server->rootUrl().resolved(QUrl(QString::fromUtf8(body.mid(from, at + 4 - from))));
    }
    QByteArray onServer() {
        const QUrl url = contactUrl();
        return url.isEmpty() ? QByteArray() : server->request("GET", url).body;
    }

    TempFolder home;
    std::unique_ptr<TestDavServer> server;
};

TEST_F(SyncCliTest, anAccountSyncsAConflictIsSettledAndTheAccountGoes) {
    ASSERT_EQ(run({"add", "FirstName=Ann", "LastName=Able", "Phone1=123"}).code, 0);
    const CliResult added = run({"account", "add", "phone", server->rootUrl().toString(), "--user", "alice"}, "secret");
    ASSERT_EQ(added.code, 0) << added.err.toStdString();
    EXPECT_TRUE(added.out.contains(server->addressBookUrl().toString())) << added.out.toStdString();
    EXPECT_TRUE(added.err.contains("--password-file")) << "no keyring: the user is told how to give it";
    EXPECT_TRUE(run({"account", "list"}).out.startsWith("phone\talice@"));

    const CliResult dry = sync({"--dry-run"});
    EXPECT_EQ(dry.code, 0);
    EXPECT_TRUE(dry.out.contains("sent, new: Able, Ann"));
    EXPECT_TRUE(onServer().isEmpty()) << "a dry run sends nothing";
    ASSERT_EQ(sync().code, 0);
    const QByteArray vcard = onServer();
    ASSERT_TRUE(vcard.contains("FN:Ann Able")) << vcard.toStdString();

    // The phone and this side change the same number.
    QByteArray changed = vcard;
    changed.replace(":123", ":999");
    ASSERT_EQ(server->request("PUT", contactUrl(), changed, {{"Content-Type", "text/vcard"}}).status / 100, 2);
    ASSERT_EQ(run({"edit", "0", "Phone1=555"}).code, 0);
    EXPECT_TRUE(sync().out.contains("conflict: Able, Ann: Phone1"));
    EXPECT_TRUE(run({"sync", "--status"}).out.contains("conflict\t0\tPhone1\ton the server: 999"));
    ASSERT_EQ(sync({"--keep", "local", "0", "Phone1"}).code, 0);
    EXPECT_TRUE(onServer().contains(":555"));
    EXPECT_FALSE(run({"sync", "--status"}).out.contains("conflict\t"));

    EXPECT_EQ(run({"account", "remove", "phone"}).code, 0);
    EXPECT_FALSE(QDir(home.path("data/Tessaly/sync")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size() > 0);
    EXPECT_TRUE(run({"show", "0"}).out.contains("Phone1=555")) << "the cards stay";
}

TEST_F(SyncCliTest, aServerThatCannotBeReachedOrRefusesUsIsToldApart) {
    const QString url = server->rootUrl().toString();
    ASSERT_EQ(run({"account", "add", "phone", url, "--user", "alice"}, "secret").code, 0);
    struct Case {
        const char* what;
        QStringList args;
        QString password;
        int code;
        const char* says;
    };
    const QList<Case> cases = {
        {"a wrong password", {"sync"}, "wrong", 7, "(HTTP 401)"},
        {"no password at all", {"sync"}, {}, 2, "No password for the account \"phone\""},
        {"plain HTTP to another computer",
         {"account", "add", "far", "http://192.0.2.1/dav/", "--user", "a"},
         "secret",
         7,
         "unencrypted"},
        {"an unknown account", {"sync", "nobody"}, "secret", 2, "There is no sync account \"nobody\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CliResult r = run(c.args, c.password);
        EXPECT_EQ(r.code, c.code) << r.err.toStdString();
        EXPECT_TRUE((r.out + r.err).contains(QString::fromUtf8(c.says))) << (r.out + r.err).toStdString();
    }
    server->stop();
    const CliResult down = sync();
    EXPECT_EQ(down.code, 7) << down.out.toStdString();
}

}  // namespace
