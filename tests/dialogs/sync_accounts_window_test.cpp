#include "dialogs/sync_accounts_window.h"
#include "../app/app_fixture.h"
#include "../sync/dav_servers.h"
#include "sync/sync_account.h"
#include "sync/sync_state.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

namespace {

using dialogs::SyncAccountsWindow;
using tessaly::testing::TestDavServer;

// The main window on a card file of the test's own, a radicale with alice's address book, and the
// Sync Accounts window opened over it; every message window is answered with its first button.
class SyncAccountsWindowTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        preferences();
        cards({{"Ann", "Able", ""}});
        ASSERT_TRUE(app::Main(context()));
        server = TestDavServer::start(TestDavServer::Kind::Radicale);
        ASSERT_TRUE(server);
        shell::SetModalAnswerer([this](QDialog& window) {
            auto* box = qobject_cast<shell::MessageWindow*>(&window);
            ASSERT_NE(box, nullptr);
            messages << box->Text1->text();
            QTest::mouseClick(box->BtnOK, Qt::LeftButton);
        });
    }
    void TearDown() override {
        delete SyncAccountsWindow::Current();
        AppTest::TearDown();
    }
    SyncAccountsWindow& open() {
        dialogs::OpenSyncAccountsWindow(context());
        return *SyncAccountsWindow::Current();
    }
    // Types the server's address (or another) and these credentials as a person would, and tests the
    // connection; 'during' runs once the test is under way.
    void testConnection(SyncAccountsWindow& w, const QString& password, const std::function<void()>& during = {},
                        const QString& address = {}) {
        for (QLineEdit* edit : {w.TxtServer, w.TxtUser, w.TxtPassword}) edit->clear();
        QTest::keyClicks(w.TxtServer, address.isEmpty() ? server->rootUrl().toString() : address);
        QTest::keyClicks(w.TxtUser, server->user());
        QTest::keyClicks(w.TxtPassword, password);
        if (during) QTimer::singleShot(0, &w, during);
        QTest::mouseClick(w.BtnTest, Qt::LeftButton);
    }
    QStringList listed(SyncAccountsWindow& w) {
        QStringList names;
        for (int i = 0; i < w.LstAccounts->topLevelItemCount(); ++i) names << w.LstAccounts->topLevelItem(i)->text(0);
        return names;
    }

    std::unique_ptr<TestDavServer> server;
    QStringList messages;
};

// Each control is reached by Tab in reading order, and no two share an Alt key.
void expectKeyboardReach(SyncAccountsWindow& w) {
    QStringList chain;
    QWidget* at = w.LstAccounts;
    do {
        if (at->focusPolicy() & Qt::TabFocus) chain << at->objectName();
        at = at->nextInFocusChain();
    } while (at != w.LstAccounts);
    EXPECT_EQ(chain, QStringList({"LstAccounts", "BtnRemove", "TxtName", "TxtServer", "TxtUser", "TxtPassword",
                                  "ChkPlainHttp", "BtnTest", "BtnCancel", "CboAddressBook", "BtnAdd", "BtnClose"}));
    QStringList texts, keys;
    for (const QLabel* label : w.findChildren<QLabel*>()) texts << label->text();
    for (const QAbstractButton* button : w.findChildren<QAbstractButton*>()) texts << button->text();
    for (const QString& text : texts)
        if (text.contains(u'&')) keys << text.mid(text.indexOf(u'&') + 1, 1).toLower();
    EXPECT_EQ(keys.size(), 12);
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), keys.size()) << keys.join(u' ').toStdString();
}

// Test connection with a wrong password and then the right one, a password changed after the test, Add
// where no keyring can be reached, and Remove: the account file, the session passwords and the state follow.
TEST_F(SyncAccountsWindowTest, testsAddsAndRemovesAnAccountWithoutAKeyring) {
    SyncAccountsWindow& w = open();
    expectKeyboardReach(w);
    // A test under way is ended by Cancel, or by closing the window, which stays: its code is still running.
    for (const bool byClosing : {false, true}) {
        SCOPED_TRACE(byClosing ? "closed" : "cancelled");
        messages.clear();
        QStringList enabled;
        testConnection(w, server->password(), [&] {
            for (QWidget* child : w.findChildren<QWidget*>())
                if (child->focusPolicy() & Qt::TabFocus && child->isEnabled()) enabled << child->objectName();
            if (byClosing)
                w.close();
            else
                QTest::mouseClick(w.BtnCancel, Qt::LeftButton);
        });
        EXPECT_EQ(enabled, QStringList{"BtnCancel"});
        EXPECT_EQ(messages, QStringList());
        EXPECT_EQ(SyncAccountsWindow::Current(), &w);
        EXPECT_EQ(w.CboAddressBook->count(), 0);
        EXPECT_FALSE(w.BtnCancel->isEnabled());
    }
    // A refused password is told with its HTTP status; an address without a scheme is tried over TLS (which
    // this server has not); the right address and password list the address book.
    struct Attempt {
        QString address, password, told;  // 'told': part of the one message; empty: none
    };
    const QString bare = server->rootUrl().authority();
    for (const Attempt& a :
         {Attempt{{}, "wrong", "HTTP 401"}, Attempt{bare, "secret", "SSL"}, Attempt{{}, "secret", {}}}) {
        SCOPED_TRACE(a.address.toStdString() + " " + a.password.toStdString());
        messages.clear();
        testConnection(w, a.password, {}, a.address);
        EXPECT_EQ(messages.size(), a.told.isEmpty() ? 0 : 1);
        EXPECT_EQ(messages.filter(a.told).size(), messages.size()) << messages.join(u'\n').toStdString();
        EXPECT_EQ(w.CboAddressBook->count(), a.told.isEmpty() ? 1 : 0);
        EXPECT_EQ(w.BtnAdd->isEnabled(), a.told.isEmpty());
    }
    ASSERT_EQ(w.CboAddressBook->count(), 1);
    EXPECT_TRUE(w.CboAddressBook->itemData(0).toUrl().matches(server->addressBookUrl(), QUrl::StripTrailingSlash));

    // The books found belong to the password they were found with.
    QTest::keyClick(w.TxtPassword, Qt::Key_X);
    EXPECT_FALSE(w.BtnAdd->isEnabled());
    EXPECT_EQ(w.CboAddressBook->count(), 0);
    testConnection(w, server->password());

    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    messages.clear();
    QTest::keyClicks(w.TxtName, "Home");
    // The keyring is asked on an event loop of its own: closing meanwhile leaves the window be.
    bool closedWhileBusy = false;
    QTimer::singleShot(0, &w, [&] {
        closedWhileBusy = !w.BtnClose->isEnabled();
        w.close();
    });
    QTest::mouseClick(w.BtnAdd, Qt::LeftButton);
    EXPECT_TRUE(closedWhileBusy);
    EXPECT_TRUE(w.isVisible());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("No keyring could be used")) << messages[0].toStdString();
    EXPECT_EQ(context().SessionPasswords.value("Home"), "secret");
    const QList<sync::SyncAccount> accounts = sync::LoadAccounts();
    ASSERT_EQ(accounts.size(), 1);
    EXPECT_EQ(accounts[0].user, "alice");
    EXPECT_TRUE(accounts[0].addressBook.matches(server->addressBookUrl(), QUrl::StripTrailingSlash));
    EXPECT_EQ(listed(w), QStringList{"Home"});
    EXPECT_FALSE(w.BtnAdd->isEnabled());
    EXPECT_TRUE(w.TxtPassword->text().isEmpty());

    const QString state = sync::SyncStateFolder("Home");
    ASSERT_TRUE(QDir().mkpath(state));
    messages.clear();
    QTest::mouseClick(w.BtnRemove, Qt::LeftButton);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("The cards stay in the card file.")) << messages[0].toStdString();
    EXPECT_TRUE(sync::LoadAccounts().isEmpty());
    EXPECT_FALSE(QDir(state).exists());
    EXPECT_FALSE(context().SessionPasswords.contains("Home"));
    EXPECT_EQ(listed(w), QStringList());
    EXPECT_EQ(main().LstNames->model()->rowCount(), 1);
}

// An accounts file that cannot be read is reported, the window opens empty, and Add writes nothing over it.
TEST_F(SyncAccountsWindowTest, aDamagedAccountsFileIsNeverOverwritten) {
    const QString file = sync::AccountsFile();
    QDir().mkpath(QFileInfo(file).absolutePath());
    home.put(QStringLiteral("config/Tessaly/sync-accounts.json"), "[{\"name\": \"Work\", ");
    SyncAccountsWindow& w = open();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("damaged")) << messages[0].toStdString();
    EXPECT_EQ(listed(w), QStringList());
    testConnection(w, server->password());
    QTest::keyClicks(w.TxtName, "Home");
    QTest::mouseClick(w.BtnAdd, Qt::LeftButton);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].contains("No account is added to it")) << messages[1].toStdString();
    EXPECT_EQ(home.bytes(QStringLiteral("config/Tessaly/sync-accounts.json")), "[{\"name\": \"Work\", ");
}

// With the desktop's keyring (tests/dialogs/keyring_test.sh starts one): the password goes there, not into
// this run's memory, and leaves it with the account.
TEST_F(SyncAccountsWindowTest, theKeyringKeepsThePassword) {
    if (qEnvironmentVariableIsEmpty("TESSALY_KEYRING_TEST")) GTEST_SKIP() << "run by keyring_test.sh";
    SyncAccountsWindow& w = open();
    testConnection(w, server->password());
    QTest::keyClicks(w.TxtName, "Keyring");
    QTest::mouseClick(w.BtnAdd, Qt::LeftButton);
    EXPECT_EQ(messages, QStringList());
    EXPECT_TRUE(context().SessionPasswords.isEmpty());
    const sync::KeyringAnswer kept = sync::ReadKeyringPassword("Keyring");
    EXPECT_EQ(kept.result, sync::KeyringAnswer::Done) << kept.why.toStdString();
    EXPECT_EQ(kept.password, "secret");
    QTest::mouseClick(w.BtnRemove, Qt::LeftButton);
    EXPECT_EQ(sync::ReadKeyringPassword("Keyring").result, sync::KeyringAnswer::NotFound);
}

}  // namespace
