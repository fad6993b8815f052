#include "window_fixture.h"

#include "shell/setup_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

using shell::SetupDialog;

namespace {

// Three cards: Brown (0) at Zulu, Dunn (1) at Alpha, Evans (2) alone.
class SetupWindowTest : public FindCopyTest {
protected:
    void SetUp() override {
        FindCopyTest::SetUp();
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
    EXPECT_EQ(main().LstNames->item(0)->text(), "( Alpha )");
    EXPECT_EQ(main().LstNames->currentItem()->text(), "( Zulu )");  // Brown, still selected
    EXPECT_EQ(shell::Shared().CurrentRecNo, "0");
    EXPECT_TRUE(saved().contains("Show=1"));
    EXPECT_TRUE(saved().contains("Tips=0"));
}

TEST_F(SetupWindowTest, okAppliesTheNameStyleAndCopyFlagsAtOnceAndCancelKeepsTheStyleInUse) {
    main().LstNames->setCurrentRow(0);
    SetupDialog& dialog = open();
    dialog.LstNameStyle->setCurrentIndex(0);
    close(dialog.BtnCancel);
    EXPECT_EQ(shell::Shared().Prefs.NameField, 2);
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
    ASSERT_EQ(shell::Shared().Prefs.CopyFlags[0], 0);
    SetupDialog& dialog = open();
    EXPECT_TRUE(dialog.ChkCopy[0]->isChecked());
    close(dialog.BtnCancel);
    EXPECT_EQ(shell::Shared().Prefs.CopyFlags[0], 1);
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
    dialog.CboPortDevice->addItem("/dev/ttyACM0");  // as the system would report a USB modem
    const int usb = dialog.CboPortDevice->count() - 1;
    dialog.CboPortDevice->setCurrentIndex(usb);
    emit dialog.CboPortDevice->activated(usb);
    EXPECT_EQ(dialog.LblPortDevice[1]->text(), "/dev/ttyACM0");
    close(dialog.BtnOK);
    EXPECT_TRUE(saved().contains("CommPort=2"));
    EXPECT_TRUE(saved().contains("DialSystem=DT"));
    EXPECT_TRUE(saved().contains("[Ports]")) << saved().toStdString();
    EXPECT_TRUE(saved().contains("COM2=/dev/ttyACM0"));
}

}  // namespace
