// Sync from the main window against a real radicale, and against a server that never answers.
#include "../dialogs/card_dialog_fixture.h"
#include "../sync/dav_servers.h"
#include "mainwin/sync_panel.h"
#include "mainwin/tesly_mnu.h"
#include "shell/modal_seam.h"
#include "sync/sync_account.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace {

using tessaly::testing::TestDavServer;

class SyncWindowTest : public CardDialogTest {
protected:
    void addAccount(const QUrl& book) {
        sync::SyncAccount account;
        account.name = QStringLiteral("phone");
        account.serverUrl = book;
        account.addressBook = book;
        account.user = QStringLiteral("alice");
        sync::SaveAccounts({account});
        context().SessionPasswords.insert(account.name, QStringLiteral("secret"));
    }
    QString panel() { return main().SyncStatus->status(); }
};

// Sync Now brings the phone's contact in and sends the card up; a conflict shows in the panel, and a
// double click on it gives the report.
TEST_F(SyncWindowTest, syncNowFromTheMenuAndThePanelSaysHowItWent) {
    const auto server = TestDavServer::start(TestDavServer::Kind::Radicale);
    ASSERT_TRUE(server);
    start({{"Ann", "Able", ""}});
    addAccount(server->addressBookUrl());
    server->request("PUT", server->addressBookUrl().resolved(QUrl("bo.vcf")),
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bo\r\nFN:Bo Bell\r\nN:Bell;Bo;;;\r\nTEL:100\r\nEND:VCARD\r\n",
                    {{"Content-Type", "text/vcard"}});
    mainwin::TeslyMnu& m = main().Menus();
    m.MnuSyncNow->trigger();
    settle();
    EXPECT_EQ(listTexts(), QStringList({"Able, Ann", "Bell, Bo"}));
    EXPECT_TRUE(panel().startsWith("Synced ")) << panel().toStdString();
    EXPECT_TRUE(main().isEnabled());

    // The phone and this side change Bo's number.
    const QByteArray bo = server->request("GET", server->addressBookUrl().resolved(QUrl("bo.vcf"))).body;
    server->request("PUT", server->addressBookUrl().resolved(QUrl("bo.vcf")), QByteArray(bo).replace("100", "200"),
                    {{"Content-Type", "text/vcard"}});
    const QString recNo = context().Store->ShownRecNo(1);
    store::Card current = context().Store->ReadCard(recNo), typed = current;
    typed[store::Phone1] = QStringLiteral("300");
    context().Store->ChangeCard(recNo, current, typed);
    m.MnuSyncNow->trigger();
    settle();
    EXPECT_EQ(panel(), "1 conflict");
    QString shown;
    shell::SetModalAnswerer([&](QDialog& window) {
        shown = window.findChild<QLabel*>(QStringLiteral("Text1"))->text();
        window.reject();
    });
    emit main().SyncStatus->doubleClicked();
    shell::SetModalAnswerer(nullptr);
    EXPECT_TRUE(shown.contains("conflict: Bell, Bo: Phone1")) << shown.toStdString();
    EXPECT_EQ(faults(), QStringList());
}

// A server that takes the connection and never answers: the main window stays usable while the sync
// waits, and Cancel ends it at once.
TEST_F(SyncWindowTest, aServerThatNeverAnswersLeavesTheWindowUsableAndCancelEndsIt) {
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket*> held;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] { held << silent.nextPendingConnection(); });
    start({{"Ann", "Able", ""}, {"Cy", "Cole", ""}});
    addAccount(QUrl(QStringLiteral("http://127.0.0.1:%1/alice/contacts/").arg(silent.serverPort())));
    mainwin::TeslyMnu& m = main().Menus();
    bool usable = false, cancelShown = false;
    QTimer::singleShot(300, [&] {
        usable = main().isEnabled() && !held.isEmpty();
        cancelShown = m.MnuSyncCancel->isEnabled() && !m.MnuSyncNow->isEnabled();
        main().LstNames->setCurrentIndex(main().LstNames->model()->index(1, 0));
        m.MnuSyncCancel->trigger();
    });
    m.MnuSyncNow->trigger();
    EXPECT_TRUE(usable);
    EXPECT_TRUE(cancelShown);
    EXPECT_EQ(selectedText(), "Cole, Cy") << "the list took the click while the sync waited";
    EXPECT_EQ(panel(), "Not synced: cancelled");
    EXPECT_TRUE(m.MnuSyncNow->isEnabled());
}

}  // namespace
