// The Sync Conflicts window over the real main window, on conflicts that a real radicale and a phone's
// raw writes made.
#include "dialogs/sync_conflicts_window.h"
#include "../sync/dav_servers.h"
#include "card_dialog_fixture.h"
#include "dialogs/history_window.h"
#include "sync/carddav_book.h"
#include "sync/dav_session.h"
#include "sync/sync_account.h"
#include "sync/sync_engine.h"
#include "sync/vcard_patch.h"

#include <QTreeWidget>

namespace {

using dialogs::SyncConflictsWindow;
using tessaly::testing::TestDavServer;

const QString kAccount = QStringLiteral("phone");

class SyncConflictsWindowTest : public CardDialogTest {
protected:
    void SetUp() override {
        CardDialogTest::SetUp();
        server = TestDavServer::start(TestDavServer::Kind::Radicale);
        ASSERT_TRUE(server);
        sync::DavAccess access{.url = server->addressBookUrl(),
                               .user = server->user(),
                               .password = server->password(),
                               .trustedCertificate = {}};
        session = std::make_unique<sync::DavSession>(access);
        book = std::make_unique<sync::CardDavBook>(*session, server->addressBookUrl());
        sync::SaveAccounts({{.name = kAccount,
                             .serverUrl = server->rootUrl(),
                             .addressBook = access.url,
                             .user = {},
                             .trustedCertificate = {}}});
    }
    void TearDown() override {
        delete SyncConflictsWindow::Current();
        CardDialogTest::TearDown();
    }

    sync::SyncReport syncNow() {
        const sync::SyncReport report = sync::Synchronise(
            cardStore(), *book, sync::SyncStateFile(kAccount, cardStore().DataDir()),
            {.accountName = kAccount, .addressBook = server->addressBookUrl(), .progress = {}, .asChange = {}});
        EXPECT_TRUE(report.complete) << report.stopped.toStdString();
        return report;
    }
    // The server's contact of a card, by href, as the phone sees it.
    QPair<QString, QByteArray> onServer(const QString& lastName) {
        QStringList hrefs;
        for (const sync::RemoteVersion& v : book->changesSince(QString()).changed) hrefs << v.href;
        for (const sync::RemoteContact& c : book->fetch(hrefs))
            if (sync::CardFromServerVCard(c.vcard).lastName() == lastName) return {c.href, c.vcard};
        return {};
    }
    // The phone changes a contact: each text replaced in its vCard.
    void phoneEdit(const QString& lastName, const QList<QPair<QByteArray, QByteArray>>& replace) {
        auto [href, original] = onServer(lastName);
        const QByteArray vcard = tessaly::testing::EditedVCard(original, replace);
        const auto reply = server->request("PUT", server->addressBookUrl().resolved(QUrl(href)), vcard,
                                           {{"Content-Type", "text/vcard; charset=utf-8"}});
        ASSERT_EQ(reply.status / 100, 2);
    }
    // This side changes a card as another program would: behind the main window's back.
    void editHere(const QString& lastName, int field, const QString& value) {
        profile::CachedProfile p;
        store::CardStore other(p, cardsDir());
        other.LoadLists();
        store::Card current = other.ReadCard(recOf(lastName)), typed = current;
        typed[field] = value;
        other.ChangeCard(recOf(lastName), current, typed);
    }
    // Harriet Quinn's phone and notes, and Bob Baker's phone, changed on both sides since the first sync.
    void makeConflicts() {
        store::Card quinn, baker;
        quinn[store::FirstName] = "Harriet", quinn[store::LastName] = "Quinn", quinn[store::Phone1] = "111";
        quinn[store::Notes] = "met at the fair";
        baker[store::FirstName] = "Bob", baker[store::LastName] = "Baker", baker[store::Phone1] = "222";
        startWith({quinn, baker});
        syncNow();
        editHere("Quinn", store::Phone1, "111-here");
        editHere("Quinn", store::Notes, "met at the fair\ncall in May");
        editHere("Baker", store::Phone1, "222-here");
        phoneEdit("Quinn", {{"111", "111-phone"}, {"met at the fair", "moved to Leeds"}});
        phoneEdit("Baker", {{"222", "222-phone"}});
        ASSERT_EQ(syncNow().conflicts.size(), 3);
    }
    QString recOf(const QString& lastName) {
        for (auto [recNo, state] : cardStore().EveryCardState().asKeyValueRange())
            if (state.fields.lastName() == lastName) return recNo;
        return {};
    }
    SyncConflictsWindow& open() {
        dialogs::OpenSyncConflictsWindow(context());
        return *SyncConflictsWindow::Current();
    }
    QStringList rows(SyncConflictsWindow& w) {
        QStringList lines;
        for (int i = 0; i < w.LstConflicts->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = w.LstConflicts->topLevelItem(i);
            lines << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join(u'|');
        }
        return lines;
    }
    void choose(SyncConflictsWindow& w, int row, QPushButton* button) {
        w.LstConflicts->setCurrentItem(w.LstConflicts->topLevelItem(row));
        ASSERT_TRUE(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        settle();
    }

    std::unique_ptr<TestDavServer> server;
    std::unique_ptr<sync::DavSession> session;
    std::unique_ptr<sync::CardDavBook> book;
};

// Each choice over the real main window: this side's phone, the server's phone, both notes joined. The
// next sync leaves both sides agreeing, and nothing is left to settle.
TEST_F(SyncConflictsWindowTest, eachChoiceSettlesAndTheNextSyncMakesBothSidesAgree) {
    makeConflicts();
    SyncConflictsWindow& w = open();
    EXPECT_EQ(w.windowTitle(), "Sync Conflicts");
    EXPECT_FALSE(main().isEnabled());
    ASSERT_EQ(rows(w), (QStringList{"Baker, Bob|Phone1|222-here|222-phone", "Quinn, Harriet|Phone1|111-here|111-phone",
                                    "Quinn, Harriet|Notes|met at the fair↵call in May|moved to Leeds"}));
    w.LstConflicts->setCurrentItem(w.LstConflicts->topLevelItem(1));
    EXPECT_FALSE(w.BtnKeepBoth->isEnabled());
    w.LstConflicts->setCurrentItem(w.LstConflicts->topLevelItem(2));
    EXPECT_TRUE(w.TxtDetails->toPlainText().contains("met at the fair\ncall in May"));

    choose(w, 0, w.BtnKeepMine);
    EXPECT_EQ(w.LblStatus->text(), "Settled: sent at the next sync.");
    choose(w, 0, w.BtnKeepServers);
    EXPECT_EQ(stored(recOf("Quinn"))[store::Phone1], "111-phone");
    choose(w, 0, w.BtnKeepBoth);
    EXPECT_EQ(stored(recOf("Quinn"))[store::Notes], "met at the fair\ncall in May\nmoved to Leeds");
    EXPECT_EQ(rows(w), QStringList{"No conflicts.|||"});
    for (QPushButton* b : {w.BtnKeepMine, w.BtnKeepServers, w.BtnKeepBoth}) EXPECT_FALSE(b->isEnabled());

    EXPECT_TRUE(syncNow().conflicts.isEmpty());
    for (const QString& name : {QStringLiteral("Baker"), QStringLiteral("Quinn")}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(sync::CardFromServerVCard(onServer(name).second), stored(recOf(name)));
    }
    EXPECT_EQ(stored(recOf("Baker"))[store::Phone1], "222-here");
    EXPECT_TRUE(syncNow().nothingDone());
    EXPECT_EQ(faults(), QStringList());
}

// A choice over values that changed since the list was filled is refused and writes nothing: the card
// changed here (another program), or a sync met another value on the server. The server's value, once
// taken, is taken back by Undo.
TEST_F(SyncConflictsWindowTest, aChoiceOverValuesChangedMeanwhileIsRefusedAndUndoTakesBackTheServers) {
    makeConflicts();
    SyncConflictsWindow& w = open();
    answerMessages(true);
    struct Case {
        const char* what;
        int row;  // 0 Baker's phone, 1 Quinn's phone, 2 Quinn's notes
        QPushButton* SyncConflictsWindow::*button;
        bool onServer;
    };
    const Case cases[] = {
        {"mine, the card changed here", 0, &SyncConflictsWindow::BtnKeepMine, false},
        {"the server's, the card changed here", 1, &SyncConflictsWindow::BtnKeepServers, false},
        {"both notes, the card changed here", 2, &SyncConflictsWindow::BtnKeepBoth, false},
        {"mine, the server changed again", 0, &SyncConflictsWindow::BtnKeepMine, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        w.Fill();
        const QString name = c.row == 0 ? "Baker" : "Quinn", recNo = recOf(name);
        const int field = c.row == 2 ? store::Notes : store::Phone1;
        w.LstConflicts->setCurrentItem(w.LstConflicts->topLevelItem(c.row));
        if (c.onServer) {
            phoneEdit("Baker", {{"222-phone", "222-phone-again"}});
            syncNow();
        } else {
            editHere(name, field, stored(recNo)[field] + "-typed");
        }
        const store::Card before = stored(recNo);
        const qsizetype askedBefore = asked.size();
        QTest::mouseClick(w.*c.button, Qt::LeftButton);
        settle();
        EXPECT_EQ(asked.size(), askedBefore + 1);
        EXPECT_EQ(asked.value(askedBefore), "Sync Conflicts");
        EXPECT_EQ(stored(recNo), before);
        EXPECT_EQ(w.LstConflicts->topLevelItemCount(), 3);
        EXPECT_TRUE(
            w.LstConflicts->topLevelItem(c.row)->text(c.onServer ? 3 : 2).endsWith(c.onServer ? "-again" : "-typed"));
    }

    const QString quinn = recOf("Quinn");
    const QString typed = stored(quinn)[store::Phone1];
    choose(w, 1, w.BtnKeepServers);
    EXPECT_EQ(stored(quinn)[store::Phone1], "111-phone");
    ASSERT_NE(context().History->NextUndo(), nullptr);
    EXPECT_EQ(context().History->NextUndo()->description, "Keep the server's Phone1 of Quinn, Harriet");
    dialogs::UndoLatest(context());
    EXPECT_EQ(stored(quinn)[store::Phone1], typed);
    EXPECT_EQ(faults(), QStringList());
}

}  // namespace
