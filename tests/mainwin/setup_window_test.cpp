#include "../dial/fake_modem.h"
#include "../support/window_checks.h"
#include "window_fixture.h"

#include "shell/setup_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSpinBox>

using shell::SetupDialog;

namespace {

// Three cards: Brown (0) at Zulu, Dunn (1) at Alpha, Evans (2) alone.
class SetupWindowTest : public FindCopyTest {
protected:
    FakeModem modem;  // a character device that is no file of the test's own
    void SetUp() override {
        FindCopyTest::SetUp();
        answerMessages(true);
        start({{{store::Sal, "Mr."}, {store::FirstName, "Bert"}, {store::LastName, "Brown"}, {store::Company, "Zulu"}},
               {{store::FirstName, "Dora"}, {store::LastName, "Dunn"}, {store::Company, "Alpha"}},
               {{store::FirstName, "Eve"}, {store::LastName, "Evans"}}},
              "NameField=2\nCopyName= 1\nUsePrefix=0\n");
    }
    SetupDialog& open() {
        QTest::mouseClick(main().BtnSetup, Qt::LeftButton);
        SetupDialog* dialog = SetupDialog::Current();
        EXPECT_NE(dialog, nullptr);
        EXPECT_FALSE(main().isEnabled());
        return *dialog;
    }
    void close(QPushButton* button) {
        QTest::mouseClick(button, Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(SetupDialog::Current(), nullptr);
        EXPECT_TRUE(main().isEnabled());
    }
    QByteArray saved() { return home.bytes(QStringLiteral("config/Tessaly/ostrel.ini")); }
};

TEST_F(SetupWindowTest, doubleClickingCompanySavesEverythingAndShowsTheCompanyListKeepingTheCard) {
    main().LstNames->setCurrentRow(0);  // Brown
    SetupDialog& dialog = open();
    EXPECT_EQ(dialog.LstNameStyle->itemText(1), "Mr. John Smith");
    EXPECT_TRUE(dialog.OptShowName->isChecked());
    QTest::mouseDClick(dialog.OptShowCompany, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(SetupDialog::Current(), nullptr);
    EXPECT_EQ(panel(2), "Company");
    EXPECT_TRUE(main().Menus().MnuViewArray[1]->isChecked());
    EXPECT_EQ(main().LstNames->model()->index(0, 0).data().toString(), "( Alpha )");
    EXPECT_EQ(main().LstNames->currentIndex().data().toString(), "( Zulu )");  // Brown, still selected
    EXPECT_EQ(main().CurrentRecNo(), "0");
    EXPECT_TRUE(saved().contains("Show=1"));
    EXPECT_TRUE(saved().contains("Tips=0"));
}

TEST_F(SetupWindowTest, okAppliesTheNameStyleAndCopyFlagsAtOnceAndCancelKeepsTheStyleInUse) {
    main().LstNames->setCurrentRow(0);
    SetupDialog& dialog = open();
    dialog.LstNameStyle->setCurrentIndex(0);
    close(dialog.BtnCancel);
    EXPECT_EQ(context().Prefs.NameField, 2);
    EXPECT_EQ(main().Label[0]->text(), "Bert Brown");

    SetupDialog& again = open();
    EXPECT_EQ(again.LstNameStyle->currentIndex(), 2);
    again.LstNameStyle->setCurrentIndex(0);
    again.ChkCopy[0]->setChecked(false);
    again.ChkCopy[2]->setChecked(true);
    close(again.BtnOK);
    EXPECT_EQ(main().Label[0]->text(), "Mr. Brown");
    EXPECT_FALSE(main().ChkCopy[0]->isChecked());
    EXPECT_TRUE(main().ChkCopy[2]->isChecked());
    EXPECT_TRUE(saved().contains("NameField=0"));
}

TEST_F(SetupWindowTest, openingRereadsTheSavedCopyFlagsOverTheMainWindowsTicks) {
    main().LstNames->setCurrentRow(0);
    QTest::mouseClick(main().ChkCopy[0], Qt::LeftButton);  // untick Name, in memory only
    ASSERT_EQ(context().Prefs.CopyFlags[0], 0);
    SetupDialog& dialog = open();
    EXPECT_TRUE(dialog.ChkCopy[0]->isChecked());
    close(dialog.BtnCancel);
    EXPECT_EQ(context().Prefs.CopyFlags[0], 1);
}

TEST_F(SetupWindowTest, clearingUsePrefixGreysTheSeparatorAndBoxesWhoseTextsAreStillSaved) {
    SetupDialog& dialog = open();
    EXPECT_FALSE(dialog.ChkUsePrefix->isChecked());
    EXPECT_FALSE(dialog.TxtPhone1Prefix->isEnabled());
    QTest::mouseClick(dialog.ChkUsePrefix, Qt::LeftButton);
    EXPECT_TRUE(dialog.TxtPhone1Prefix->isEnabled());
    EXPECT_TRUE(dialog.LstPrefixSeparator->isEnabled());
    dialog.TxtPhone1Prefix->setText("Tel:");
    QTest::mouseClick(dialog.ChkUsePrefix, Qt::LeftButton);
    EXPECT_FALSE(dialog.TxtPhone1Prefix->isEnabled());
    EXPECT_FALSE(dialog.LstPrefixSeparator->isEnabled());
    close(dialog.BtnOK);
    EXPECT_TRUE(saved().contains("Phone1Prefix=Tel:"));
    EXPECT_TRUE(saved().contains("UsePrefix=0"));
}

TEST_F(SetupWindowTest, aComPortShowsItsDeviceAndTakesAnotherOne) {
    SetupDialog& dialog = open();
    EXPECT_FALSE(dialog.CboPortDevice->isEnabled());  // no port chosen yet
    EXPECT_EQ(dialog.LblPortDevice[1]->text(), "/dev/ttyS1");
    QTest::mouseClick(dialog.OptCommPort[1], Qt::LeftButton);
    QTest::mouseClick(dialog.OptToneDial, Qt::LeftButton);
    ASSERT_TRUE(dialog.CboPortDevice->isEnabled());
    EXPECT_EQ(dialog.CboPortDevice->itemText(0), "/dev/ttyS1");
    dialog.CboPortDevice->addItem(modem.Device());  // as the system would report a USB modem
    const int usb = dialog.CboPortDevice->count() - 1;
    dialog.CboPortDevice->setCurrentIndex(usb);
    emit dialog.CboPortDevice->activated(usb);
    EXPECT_EQ(dialog.LblPortDevice[1]->text(), modem.Device());
    close(dialog.BtnOK);
    EXPECT_TRUE(saved().contains("CommPort=2"));
    EXPECT_TRUE(saved().contains("DialSystem=DT"));
    EXPECT_TRUE(saved().contains("[Ports]")) << saved().toStdString();
    EXPECT_TRUE(saved().contains("COM2=" + modem.Device().toUtf8()));
}

TEST_F(SetupWindowTest, aTypedDeviceOrBackupFolderThatCannotServeKeepsSetupOpenAndUnsaved) {
    home.put(QStringLiteral("plain.txt"), "x");
    struct Case {
        const char* name;
        QString device, folder;  // empty: left as loaded
    } cases[] = {
        {"a regular file as device", home.path(QStringLiteral("plain.txt")), {}},
        {"a missing device", QStringLiteral("/dev/ttyACM-none"), {}},
        {"the data folder", {}, cardsDir()},
        {"inside the data folder", {}, cardsDir() + QStringLiteral("old")},
        {"a file as folder", {}, home.path(QStringLiteral("plain.txt"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        asked.clear();
        const QByteArray before = saved();
        SetupDialog& dialog = open();
        QTest::mouseClick(dialog.OptCommPort[0], Qt::LeftButton);
        QTest::mouseClick(dialog.OptToneDial, Qt::LeftButton);
        dialog.CboPortDevice->setEditText(c.device.isEmpty() ? modem.Device() : c.device);
        if (!c.folder.isEmpty()) dialog.TxtBackupPath->setText(c.folder);
        QTest::mouseClick(dialog.BtnOK, Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(asked, QStringList{"Tessaly Setup"});
        EXPECT_EQ(SetupDialog::Current(), &dialog);
        EXPECT_EQ(saved(), before);
        close(dialog.BtnCancel);
    }
    EXPECT_FALSE(QFileInfo::exists(cardsDir() + QStringLiteral("old")));
}

TEST_F(SetupWindowTest, aTypedDeviceAndANewBackupFolderAreSavedAndTheFolderMade) {
    SetupDialog& dialog = open();
    EXPECT_EQ(dialog.TxtBackupPath->text(), QDir::homePath() + QStringLiteral("/TessalyBackup/"));
    QTest::mouseClick(dialog.OptCommPort[2], Qt::LeftButton);
    QTest::mouseClick(dialog.OptToneDial, Qt::LeftButton);
    ASSERT_TRUE(dialog.CboPortDevice->isEditable());
    dialog.CboPortDevice->setEditText(modem.Device());  // typed: the system does not list a pty
    EXPECT_EQ(dialog.LblPortDevice[2]->text(), modem.Device());
    const QString folder = home.path(QStringLiteral("stick/tessaly"));
    dialog.TxtBackupPath->setText(folder);
    close(dialog.BtnOK);
    EXPECT_TRUE(asked.isEmpty()) << asked.join(u',').toStdString();
    EXPECT_TRUE(saved().contains("COM3=" + modem.Device().toUtf8()));
    EXPECT_TRUE(saved().contains("BackupPath=" + folder.toUtf8() + "/")) << saved().toStdString();
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST_F(SetupWindowTest, aLongDeviceNameIsShortenedInItsColumnAndShownWhole) {
    SetupDialog& dialog = open();
    const QString longName = QStringLiteral("/dev/serial/by-id/usb-U.S._Robotics_USB_Modem_0000001-if00");
    QTest::mouseClick(dialog.OptCommPort[0], Qt::LeftButton);
    dialog.CboPortDevice->setEditText(longName);
    QLabel* shown = dialog.LblPortDevice[0];
    EXPECT_NE(shown->text(), longName);
    EXPECT_EQ(shown->toolTip(), longName);
    EXPECT_LE(shown->fontMetrics().horizontalAdvance(shown->text()), shown->width());
    EXPECT_LT(shown->geometry().right(), dialog.OptCommPort[1]->geometry().left());
    close(dialog.BtnCancel);
}

// OK and Cancel are Enter and Esc; the command box follows its list.
TEST_F(SetupWindowTest, everyControlHasALetterOfItsOwn) {
    SetupDialog& dialog = open();
    EXPECT_EQ(window_checks::UnreachedControls(&dialog, {"BtnOK", "BtnCancel", "TxtDialCommand"}), QStringList());
    // A frame's letter reaches its chosen option, or its only field; a caption's its field.
    QTest::mouseClick(dialog.OptCommPort[2], Qt::LeftButton);
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    struct Case {
        char key;
        QWidget* focused;
    } cases[] = {{'y', dialog.LstNameStyle},
                 {'o', dialog.OptCommPort[2]},
                 {'f', dialog.TxtBackupPath},
                 {'v', dialog.CboPortDevice},
                 {'k', dialog.SpnBackupKeep}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        QTest::keyClick(&dialog, c.key, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), c.focused);
    }
    close(dialog.BtnCancel);
}

// Setup's Accounts button opens the Sync Accounts window over Setup, which stays open behind it.
TEST_F(SetupWindowTest, theAccountsButtonOpensTheSyncAccountsWindowOverSetup) {
    SetupDialog& dialog = open();
    QString opened;
    shell::SetModalAnswerer([&](QDialog& window) {
        opened = window.windowTitle();
        window.reject();
    });
    QTest::mouseClick(dialog.BtnSyncAccounts, Qt::LeftButton);
    answerMessages(true);
    EXPECT_EQ(opened, "Sync Accounts");
    EXPECT_EQ(SetupDialog::Current(), &dialog);
    close(dialog.BtnCancel);
}

}  // namespace
