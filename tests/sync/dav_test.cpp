#include <gtest/gtest.h>
#include "dav_servers.h"

using tessaly::testing::TestDavServer;

namespace {

const QList<TestDavServer::Kind> kAllServers = {TestDavServer::Kind::Radicale, TestDavServer::Kind::Xandikos,
                                                TestDavServer::Kind::Fake};

// The fixture itself: each server starts with an empty address book, and what a phone writes there
// survives a SIGKILL and restart.
TEST(DavServersTest, eachServerStartsWithAnAddressBookThatSurvivesARestart) {
    for (const auto kind : kAllServers) {
        SCOPED_TRACE(static_cast<int>(kind));
        const auto server = TestDavServer::start(kind);
        ASSERT_TRUE(server);
        const auto listing = server->request("PROPFIND", server->addressBookUrl(), {}, {{"Depth", "0"}});
        EXPECT_EQ(listing.status, 207);
        EXPECT_TRUE(listing.body.contains("addressbook")) << listing.body.toStdString();
        const QUrl card = server->addressBookUrl().resolved(QUrl("phone-1.vcf"));
        const QByteArray vcard = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:phone-1\r\nFN:Ann\r\nN:;Ann;;;\r\nEND:VCARD\r\n";
        EXPECT_EQ(server->request("PUT", card, vcard, {{"Content-Type", "text/vcard"}}).status, 201);
        server->restart();
        const auto got = server->request("GET", card);
        EXPECT_EQ(got.status, 200);
        EXPECT_TRUE(got.body.contains("FN:Ann"));
    }
}

}  // namespace
