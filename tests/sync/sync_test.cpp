// Two-way sync of a card file with real CardDAV servers (radicale, xandikos) on 127.0.0.1: a phone's
// writes stand in as raw HTTP requests between syncs.
#include "../support/store_fixture.h"
#include "dav_servers.h"
#include "history/change_journal.h"
#include "history/undo_redo.h"
#include "sync/carddav_book.h"
#include "sync/dav_session.h"
#include "sync/sync_engine.h"
#include "sync/vcard_patch.h"

using namespace tessaly::store;
using namespace tessaly::sync;
using tessaly::testing::TestDavServer;

namespace {

Card Person(const QString& first, const QString& last, const QString& phone = {}, const QString& email = {}) {
    Card c;
    c[FirstName] = first;
    c[LastName] = last;
    c[Phone1] = phone;
    c[EMail] = email;
    return c;
}

QByteArray PhoneVCard(const QString& uid, const QString& first, const QString& last, const QByteArray& extra = {}) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid.toUtf8() + "\r\nFN:" + (first + u' ' + last).toUtf8() +
           "\r\nN:" + last.toUtf8() + ';' + first.toUtf8() + ";;;\r\n" + extra + "END:VCARD\r\n";
}

class SyncTest : public StoreTest, public ::testing::WithParamInterface<TestDavServer::Kind> {
protected:
    void SetUp() override {
        tessaly::testing::testApplication();
        server = TestDavServer::start(GetParam());
        ASSERT_TRUE(server);
        stateFile = dir.path("sync/state.json");
    }
    void TearDown() override { expectConsistent(); }

    // The account of the test's server.
    DavAccess access() const {
        DavAccess a;
        a.url = server->addressBookUrl();
        a.user = server->user();
        a.password = server->password();
        return a;
    }

    SyncReport sync() {
        DavSession session(access());
        CardDavBook book(session, server->addressBookUrl());
        SyncOptions options;
        options.accountName = QStringLiteral("test");
        options.addressBook = server->addressBookUrl();
        SyncReport report = Synchronise(store, book, stateFile, options);
        EXPECT_TRUE(report.complete) << report.stopped.toStdString();
        return report;
    }

    // Every contact on the server, by href: its card, and its vCard.
    QMap<QString, QByteArray> serverVCards() {
        QMap<QString, QByteArray> all;
        DavSession session(access());
        CardDavBook book(session, server->addressBookUrl());
        QStringList hrefs;
        for (const RemoteVersion& v : book.changesSince(QString()).changed) hrefs << v.href;
        for (const RemoteContact& c : book.fetch(hrefs)) all.insert(c.href, c.vcard);
        return all;
    }
    // Each card as one line of its fields, sorted: what a failure shows.
    static QStringList Lines(const QList<Card>& cards) {
        QStringList lines;
        for (const Card& c : cards) lines << QStringList(c.begin(), c.end()).join(u'|');
        lines.sort();
        return lines;
    }
    QStringList serverCards() {
        QList<Card> cards;
        for (const QByteArray& v : serverVCards()) cards << CardFromServerVCard(v);
        return Lines(cards);
    }
    QStringList liveCards() {
        QList<Card> cards;
        for (const CardState& s : store.EveryCardState())
            if (s.place == CardPlace::Live) cards << s.fields;
        return Lines(cards);
    }
    // The phone writes a contact.
    void phonePut(const QString& name, const QByteArray& vcard) {
        const auto reply = server->request("PUT", server->addressBookUrl().resolved(QUrl(name)), vcard,
                                           {{"Content-Type", "text/vcard; charset=utf-8"}});
        ASSERT_TRUE(reply.status == 201 || reply.status == 204) << reply.status;
    }
    QString hrefOf(const QString& lastName) {
        const auto all = serverVCards();
        for (auto it = all.cbegin(); it != all.cend(); ++it)
            if (CardFromServerVCard(it.value()).lastName() == lastName) return it.key();
        return {};
    }
    QByteArray vcardOf(const QString& lastName) { return serverVCards().value(hrefOf(lastName)); }
    void expectAgree() { EXPECT_EQ(liveCards(), serverCards()); }

    std::unique_ptr<TestDavServer> server;
    QString stateFile;
};

// 150 cards here and 150 on the phone, 20 the same people (by e-mail, by phone, by name): one sync
// leaves 280 on each side, and the next sends and receives nothing.
TEST_P(SyncTest, aFirstSyncPairsTheSamePeopleAndBringsTheRestAcrossOnce) {
    for (int i = 0; i < 150; ++i)
        store.AddCard(Person(QStringLiteral("Here%1").arg(i), QStringLiteral("H%1").arg(i, 3, 10, QChar(u'0')),
                             QStringLiteral("+49 30 5550%1").arg(i, 3, 10, QChar(u'0')),
                             QStringLiteral("h%1@example.org").arg(i)));
    for (int i = 0; i < 150; ++i) {
        // The same people: without a last name but with the same e-mail, or the same number; by name.
        QByteArray extra;
        QString first = QStringLiteral("Phone%1").arg(i), last = QStringLiteral("P%1").arg(i, 3, 10, QChar(u'0'));
        if (i < 20) first = QStringLiteral("Here%1").arg(i), last = QStringLiteral("H%1").arg(i, 3, 10, QChar(u'0'));
        if (i < 15) last.clear();
        if (i < 10)
            extra = "EMAIL:h" + QByteArray::number(i) + "@example.org\r\n";
        else if (i < 15)
            extra = "TEL:+49 30 5550" + QByteArray::number(i).rightJustified(3, '0') + "\r\n";
        phonePut(QStringLiteral("p%1.vcf").arg(i), PhoneVCard(QStringLiteral("p%1").arg(i), first, last, extra));
    }
    const SyncReport first = sync();
    EXPECT_EQ(first.cameNew.size(), 130);
    EXPECT_EQ(first.sentNew.size(), 130);
    EXPECT_EQ(liveCards().size(), 280);
    expectAgree();
    const SyncReport second = sync();
    EXPECT_TRUE(second.nothingDone()) << second.details().toStdString();
}

// Edits on each side, a field changed on both sides alike and differently, deletes both ways, and a
// restore of a card the server lost: afterwards both sides agree but for the conflict, which each
// side keeps until the person settles it.
TEST_P(SyncTest, changesOnEachSideMeetAndAConflictWaitsForThePerson) {
    const QString ann = store.AddCard(Person("Ann", "Able", "111", "ann@example.org"));
    const QString bob = store.AddCard(Person("Bob", "Baker", "222"));
    const QString cy = store.AddCard(Person("Cy", "Cole", "333"));
    const QString dee = store.AddCard(Person("Dee", "Dunn", "444"));
    sync();
    Card current = store.ReadCard(ann);
    Card typed = current;
    typed[Phone1] = QStringLiteral("111-here");
    typed[Title] = QStringLiteral("Dr");
    store.ChangeCard(ann, current, typed);
    const QByteArray annV = tessaly::testing::EditedVCard(vcardOf("Able"), {{"111", "111-phone"}});
    phonePut(QFileInfo(hrefOf("Able")).fileName(), annV);
    QByteArray bobV = vcardOf("Baker");
    bobV.replace("END:VCARD", "TITLE:Chef\r\nEND:VCARD");
    phonePut(QFileInfo(hrefOf("Baker")).fileName(), bobV);
    store.DeleteCard(cy);
    ASSERT_EQ(server->request("DELETE", server->addressBookUrl().resolved(QUrl(QFileInfo(hrefOf("Dunn")).fileName())))
                      .status /
                  100,
              2);

    const SyncReport report = sync();
    EXPECT_EQ(report.conflicts.size(), 1) << report.details().toStdString();
    EXPECT_EQ(store.ReadCard(ann)[Phone1], "111-here");
    EXPECT_EQ(CardFromServerVCard(vcardOf("Able"))[Phone1], "111-phone");
    EXPECT_EQ(CardFromServerVCard(vcardOf("Able"))[Title], "Dr");
    EXPECT_EQ(store.ReadCard(bob)[Title], "Chef");
    EXPECT_TRUE(hrefOf("Cole").isEmpty());
    EXPECT_TRUE(store.LoadDeletedList().DeletedRecs.contains(dee));

    ASSERT_TRUE(SettleConflict(store, stateFile, ann, Phone1, KeepSide::Local));
    store.RestoreCard(dee);
    EXPECT_TRUE(sync().conflicts.isEmpty());
    EXPECT_EQ(CardFromServerVCard(vcardOf("Able"))[Phone1], "111-here");
    EXPECT_FALSE(hrefOf("Dunn").isEmpty());
    expectAgree();
    EXPECT_TRUE(sync().nothingDone());
}

// What the phone knows and a card cannot hold (a photo, a birthday, a second address) stays on the
// server through an edit here, a delete on the server and a restore here.
TEST_P(SyncTest, thePhonesOwnPropertiesSurviveEditsAndARestore) {
    const QByteArray extra =
        "BDAY:1980-02-29\r\nPHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ==\r\n"
        "X-PHONE-ONLY:keep me\r\nEMAIL;TYPE=WORK:eve@example.org\r\nEMAIL;TYPE=HOME:eve@home.example\r\n"
        "TEL;TYPE=HOME:111\r\nTEL;TYPE=HOME:222\r\n";
    phonePut("eve.vcf", PhoneVCard("eve", "Eve", "Evans", extra));
    sync();
    const QString eve = store.ShownRecNo(0);
    Card current = store.ReadCard(eve);
    EXPECT_EQ(current[Notes], QString());  // nothing the card cannot hold went into its notes
    Card typed = current;
    typed[Phone1] = QStringLiteral("555 1234");
    typed[Phone2].clear();  // the phone's second home number then shows here
    store.ChangeCard(eve, current, typed);
    sync();
    EXPECT_EQ(store.ReadCard(eve)[Phone2], "222");
    for (const QByteArray& kept : {QByteArray("BDAY:1980-02-29"), QByteArray("X-PHONE-ONLY:keep me"),
                                   QByteArray("/9j/4AAQSkZJRgABAQ=="), QByteArray("eve@home.example")})
        EXPECT_TRUE(vcardOf("Evans").contains(kept)) << kept.toStdString();

    ASSERT_EQ(server->request("DELETE", server->addressBookUrl().resolved(QUrl("eve.vcf"))).status / 100, 2);
    sync();
    EXPECT_TRUE(store.LoadDeletedList().DeletedRecs.contains(eve));
    store.RestoreCard(eve);
    sync();
    const QByteArray back = vcardOf("Evans");
    EXPECT_TRUE(back.contains("BDAY:1980-02-29") && back.contains("/9j/4AAQSkZJRgABAQ==")) << back.toStdString();
    EXPECT_EQ(CardFromServerVCard(back)[Phone1], "555 1234");
}

// A record number that comes to hold someone else (a replacing import, a restore from backup) is
// never written over the server's contact of the person it held.
TEST_P(SyncTest, aNumberThatHoldsAnotherPersonNeverOverwritesTheServersContact) {
    const QString n = store.AddCard(Person("Gus", "Grant", "777", "gus@example.org"));
    sync();
    Card current = store.ReadCard(n);
    store.ChangeCard(n, current, Person("Hal", "Hart", "888", "hal@example.org"));
    sync();
    EXPECT_EQ(CardFromServerVCard(vcardOf("Grant"))[Phone1], "777");
    EXPECT_FALSE(hrefOf("Hart").isEmpty());
    expectAgree();
}

// One sync is one change of the card file: undone, the cards it brought go to the deleted list, and
// the next sync tells the server.
TEST_P(SyncTest, aSyncIsOneChangeThatCanBeUndone) {
    tessaly::history::ChangeJournal journal(dir.path(), dir.path("history/cards.journal"));
    store.SetRecorder(&journal);
    store.AddCard(Person("Ida", "Irwin"));
    phonePut("jo.vcf", PhoneVCard("jo", "Jo", "Jones"));
    phonePut("kim.vcf", PhoneVCard("kim", "Kim", "Kent"));
    sync();
    ASSERT_EQ(journal.Entries().size(), 2);
    EXPECT_TRUE(journal.Entries().last().description.startsWith("Sync with test"))
        << journal.Entries().last().description.toStdString();
    tessaly::history::Undo(journal, store);
    EXPECT_EQ(liveCards().size(), 1);
    sync();
    EXPECT_EQ(serverCards().size(), 1);
    store.SetRecorder(nullptr);
}

// The phone writes a contact between the sync's read and its write: the server refuses the write
// (412), and the sync reads the contact again and merges, never writing over the phone's change.
class PhoneWritesFirst final : public RemoteBook {
public:
    PhoneWritesFirst(RemoteBook& book, std::function<void()> phone) : book_(book), phone_(std::move(phone)) {}
    RemoteChanges changesSince(const QString& token) override { return book_.changesSince(token); }
    QList<RemoteContact> fetch(const QStringList& hrefs) override { return book_.fetch(hrefs); }
    WriteOutcome put(const QString& href, const QByteArray& vcard, const QString& ifMatch) override {
        if (const auto phone = std::exchange(phone_, nullptr)) phone();
        return book_.put(href, vcard, ifMatch);
    }
    WriteOutcome remove(const QString& href, const QString& ifMatch) override { return book_.remove(href, ifMatch); }
    QString hrefFor(const QString& uid) const override { return book_.hrefFor(uid); }

private:
    RemoteBook& book_;
    std::function<void()> phone_;
};

TEST_P(SyncTest, aContactThePhoneWritesDuringTheSyncIsReadAgainAndMerged) {
    const QString n = store.AddCard(Person("Lou", "Lamb", "100"));
    sync();
    Card current = store.ReadCard(n), typed = current;
    typed[Phone1] = QStringLiteral("200");
    store.ChangeCard(n, current, typed);
    const QString href = hrefOf("Lamb");
    QByteArray phoneV = vcardOf("Lamb");
    phoneV.replace("END:VCARD", "TITLE:Captain\r\nEND:VCARD");
    DavSession session(access());
    CardDavBook book(session, server->addressBookUrl());
    PhoneWritesFirst racing(book, [&] { phonePut(QFileInfo(href).fileName(), phoneV); });
    SyncOptions options;
    options.accountName = QStringLiteral("test");
    options.addressBook = server->addressBookUrl();
    EXPECT_TRUE(Synchronise(store, racing, stateFile, options).complete);
    const Card there = CardFromServerVCard(vcardOf("Lamb"));
    EXPECT_EQ(there[Title], "Captain");
    EXPECT_EQ(there[Phone1], "200");
    EXPECT_EQ(store.ReadCard(n)[Title], "Captain");
}

INSTANTIATE_TEST_SUITE_P(Servers, SyncTest,
                         ::testing::Values(TestDavServer::Kind::Radicale, TestDavServer::Kind::Xandikos),
                         [](const auto& info) {
                             return info.param == TestDavServer::Kind::Radicale ? std::string("radicale")
                                                                                : std::string("xandikos");
                         });

}  // namespace
