// A sync stopped anywhere: the server killed before or after each of its calls, and each write to
// the card file failing. Afterwards one clean sync makes both sides agree: no card lost or doubled.
#include "cards/card_check.h"
#include "cards/card_store.h"
#include "dav_servers.h"
#include "profile/cached_profile.h"
#include "profile/file_faults.h"
#include "sync/carddav_book.h"
#include "sync/dav_session.h"
#include "sync/sync_engine.h"
#include "sync/vcard_patch.h"

using namespace tessaly::store;
using namespace tessaly::sync;
using tessaly::testing::TestDavServer;

namespace {

// The server killed at its n-th call, before the call reaches it or after it answered.
class DyingBook final : public RemoteBook {
public:
    DyingBook(RemoteBook& book, TestDavServer& server, int killAt, bool afterAnswer)
        : book_(book), server_(server), killAt_(killAt), after_(afterAnswer) {}
    RemoteChanges changesSince(const QString& token) override {
        return call([&] { return book_.changesSince(token); });
    }
    QList<RemoteContact> fetch(const QStringList& hrefs) override {
        return call([&] { return book_.fetch(hrefs); });
    }
    WriteOutcome put(const QString& href, const QByteArray& vcard, const QString& ifMatch) override {
        return call([&] { return book_.put(href, vcard, ifMatch); });
    }
    WriteOutcome remove(const QString& href, const QString& ifMatch) override {
        return call([&] { return book_.remove(href, ifMatch); });
    }
    QString hrefFor(const QString& uid) const override { return book_.hrefFor(uid); }
    bool killed = false;

private:
    template <typename F>
    std::invoke_result_t<F> call(F f) {
        if (++calls_ != killAt_) return f();
        if (!after_) die();
        auto answer = f();
        die();
        return answer;
    }
    [[noreturn]] void die() {
        server_.stop();
        killed = true;
        throw RemoteError(RemoteError::Kind::Unreachable, QStringLiteral("the server was killed"));
    }
    RemoteBook& book_;
    TestDavServer& server_;
    int calls_ = 0, killAt_;
    bool after_;
};

// A card file of its own for each run.
struct CardFolder {
    CardFolder() : store(profile, dir.path() + u'/') { WriteEmptyHeader(profile, store.DataFile()); }
    QTemporaryDir dir;
    tessaly::profile::CachedProfile profile;
    CardStore store;
};

class SyncFaultTest : public ::testing::Test {
protected:
    void SetUp() override { tessaly::testing::testApplication(); }
    void fresh() {
        cards = std::make_unique<CardFolder>();
        stateFile = stateDir.path() + QStringLiteral("/state.json");
        QFile::remove(stateFile);
    }
    // A card file and a server that synced once, then each side changed: edits, adds, deletes.
    void prepare(TestDavServer& server) {
        CardStore& store = cards->store;
        for (int i = 0; i < 6; ++i)
            store.AddCard(Card{"", QStringLiteral("First%1").arg(i), QStringLiteral("Last%1").arg(i), "", "", "", "",
                               "", "", "", "", QStringLiteral("10%1").arg(i)});
        run(server, 0, false);
        Card current = store.ReadCard("0"), typed = current;
        typed[Title] = QStringLiteral("Here");
        store.ChangeCard("0", current, typed);
        store.DeleteCard("1");
        store.AddCard(Card{"", "New", "Here", "", "", "", "", "", "", "", "", "999"});
        for (const char* name : {"p1", "p2"})
            server.request("PUT", server.addressBookUrl().resolved(QUrl(QString::fromLatin1(name) + ".vcf")),
                           QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:") + name + "\r\nFN:Phone " + name +
                               "\r\nN:" + name + ";Phone;;;\r\nEND:VCARD\r\n",
                           {{"Content-Type", "text/vcard"}});
    }
    SyncReport run(TestDavServer& server, int killAt, bool afterAnswer, bool* killed = nullptr) {
        DavAccess access;
        access.url = server.addressBookUrl();
        access.user = server.user();
        access.password = server.password();
        DavSession session(access);
        CardDavBook book(session, server.addressBookUrl());
        DyingBook dying(book, server, killAt, afterAnswer);
        SyncOptions options;
        options.accountName = QStringLiteral("test");
        options.addressBook = server.addressBookUrl();
        SyncReport report = Synchronise(cards->store, dying, stateFile, options);
        if (killed) *killed = dying.killed;
        return report;
    }
    // Both sides hold the same people, each once: the six first ones but the deleted one, the new card, the phone's
    // two.
    void expectAgreement(TestDavServer& server) {
        QStringList here, there;
        for (const CardState& s : cards->store.EveryCardState())
            if (s.place == CardPlace::Live) here << s.fields.lastName();
        DavAccess access;
        access.url = server.addressBookUrl();
        access.user = server.user();
        access.password = server.password();
        DavSession session(access);
        CardDavBook book(session, server.addressBookUrl());
        QStringList hrefs;
        for (const RemoteVersion& v : book.changesSince(QString()).changed) hrefs << v.href;
        for (const RemoteContact& c : book.fetch(hrefs)) there << CardFromServerVCard(c.vcard).lastName();
        here.sort();
        there.sort();
        EXPECT_EQ(here, QStringList({"Here", "Last0", "Last2", "Last3", "Last4", "Last5", "p1", "p2"}));
        EXPECT_EQ(there, here);
        EXPECT_EQ(CheckCardFile(cards->store), QStringList());
    }

    std::unique_ptr<CardFolder> cards;
    QTemporaryDir stateDir;
    QString stateFile;
};

TEST_F(SyncFaultTest, aServerKilledAtAnyCallLeavesNothingThatTheNextSyncCannotMend) {
    for (const bool afterAnswer : {false, true}) {
        for (int killAt = 1;; ++killAt) {
            SCOPED_TRACE(QStringLiteral("call %1, %2").arg(killAt).arg(afterAnswer ? "after" : "before").toStdString());
            fresh();
            const auto server = TestDavServer::start(TestDavServer::Kind::Radicale);
            ASSERT_TRUE(server);
            prepare(*server);
            bool killed = false;
            run(*server, killAt, afterAnswer, &killed);
            if (killed) server->restart();
            EXPECT_TRUE(run(*server, 0, false).complete);
            expectAgreement(*server);
            if (!killed) break;
        }
    }
}

TEST_F(SyncFaultTest, aFailingWriteToTheCardFileKeepsNothingOfTheSyncAndTheNextOneMendsIt) {
    for (int failAt = 1;; ++failAt) {
        SCOPED_TRACE(failAt);
        fresh();
        const auto server = TestDavServer::start(TestDavServer::Kind::Radicale);
        ASSERT_TRUE(server);
        prepare(*server);
        int steps = 0;
        tessaly::profile::SetFaultHook([&](tessaly::profile::FileStep, const QString& file) {
            return file.startsWith(cards->dir.path()) && ++steps == failAt;
        });
        bool failed = false;
        try {
            run(*server, 0, false);
        } catch (const std::exception&) {
            failed = true;
        }
        tessaly::profile::SetFaultHook(nullptr);
        EXPECT_TRUE(run(*server, 0, false).complete);
        expectAgreement(*server);
        if (!failed) break;
    }
}

}  // namespace
