#include "../app/app_fixture.h"

#include "backup/backup_rotation.h"
#include "shell/setup_dialog.h"

#include <QAction>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>

namespace {

class AutoBackupWindowTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        QDir().mkpath(backupRoot());
        preferences();
        profile::CachedProfile p;
        p.write(prefsFile(), "Data Files", "BackupPath", backupRoot());
        if (daily) p.write(prefsFile(), "Data Files", "AutoBackup", "2");
        cards({{"Ann", "Lee", "Acme"}});
        ASSERT_TRUE(app::Main(context()));
    }
    QString backupRoot() const { return home.path("backup/"); }
    bool daily = false;
    QStringList made() {
        QStringList names;
        for (const store::AutoBackup& b : store::AutoBackups(backupRoot())) names << QDir(b.folder).dirName();
        return names;
    }
    void chooseInSetup(QRadioButton* shell::SetupDialog::*option, int keep) {
        QTest::mouseClick(main().BtnSetup, Qt::LeftButton);
        shell::SetupDialog& setup = *shell::SetupDialog::Current();
        (setup.*option)->click();
        setup.SpnBackupKeep->setValue(keep);
        QTest::mouseClick(setup.BtnOK, Qt::LeftButton);
        QApplication::processEvents();
    }
};

class DailyBackupTest : public AutoBackupWindowTest {
protected:
    void SetUp() override {
        daily = true;
        AutoBackupWindowTest::SetUp();
    }
};

}  // namespace

TEST_F(DailyBackupTest, aDailyBackupIsMadeOnceTheProgramHasStarted) {
    ASSERT_EQ(made().size(), 1);
    EXPECT_EQ(home.bytes("backup/" + made()[0] + "/tesly0.old"), home.bytes("cards/tesly0.dat"));
    EXPECT_FALSE(store::DailyBackupDue(backupRoot(), cardsDir(), QDateTime::currentDateTime()));
}

// Exit ends the application's event loops for good, so the tests that exit come last.
TEST_F(AutoBackupWindowTest, restoreOffersTheAutomaticBackupsBesideThePlainOne) {
    ASSERT_TRUE(
        store::MakeAutoBackup(cardsDir(), backupRoot(), 10, 1, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))).ok());
    context().Store->AddCard({"", "Bo", "Ray"});
    ASSERT_NO_THROW(store::CopyDataFiles(cardsDir(), backupRoot()));
    QStringList offered;
    answerMessages(true, [&](QDialog& chooser) {
        auto* list = chooser.findChild<QListWidget*>("LstBackups");
        for (int i = 0; i < list->count(); ++i) offered << list->item(i)->text();
        list->setCurrentRow(1);
        chooser.accept();
    });
    main().Menus().MnuBackUpArray[1]->trigger();
    EXPECT_EQ(offered,
              QStringList({"The backup in " + backupRoot(),
                           "Automatic backup of " +
                               QLocale().toString(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), QLocale::LongFormat)}));
    EXPECT_EQ(main().LstNames->model()->rowCount(), 1);  // the card added after the automatic backup is gone
    EXPECT_EQ(checkFile(), QStringList());
}

TEST_F(AutoBackupWindowTest, theSetupFrameSavesTheChoiceAndExitThenBacksUp) {
    chooseInSetup(&shell::SetupDialog::OptBackupOnExit, 4);
    const QByteArray saved = home.bytes("config/Tessaly/ostrel.ini");
    EXPECT_TRUE(saved.contains("AutoBackup=1")) << saved.constData();
    EXPECT_TRUE(saved.contains("AutoBackupKeep=4"));
    QTest::mouseClick(main().BtnSetup, Qt::LeftButton);
    EXPECT_TRUE(shell::SetupDialog::Current()->OptBackupOnExit->isChecked());
    EXPECT_EQ(shell::SetupDialog::Current()->SpnBackupKeep->value(), 4);
    QTest::mouseClick(shell::SetupDialog::Current()->BtnCancel, Qt::LeftButton);

    QTest::mouseClick(main().BtnExit, Qt::LeftButton);
    ASSERT_EQ(made().size(), 1);
    EXPECT_EQ(home.bytes("backup/" + made()[0] + "/tesly0.old"), home.bytes("cards/tesly0.dat"));
    EXPECT_EQ(header("NoOfUses"), "0");  // counted off after the copy
}

TEST_F(AutoBackupWindowTest, noBackupAtExitWhileAnotherProgramHoldsTheCardFile) {
    chooseInSetup(&shell::SetupDialog::OptBackupOnExit, 10);
    setHeader("NoOfUses", "2");
    main().Menus().InUseTimer_Timer();
    answerMessages(true);
    QTest::mouseClick(main().BtnExit, Qt::LeftButton);
    EXPECT_EQ(made(), QStringList());
    EXPECT_EQ(asked, QStringList());
}

TEST_F(AutoBackupWindowTest, aBackupFolderThatIsNotReadyAtExitIsToldAndTheProgramStillEnds) {
    chooseInSetup(&shell::SetupDialog::OptBackupOnExit, 10);
    QDir(backupRoot()).removeRecursively();
    home.put("backup", "a file where the folder should be");
    answerMessages(true);
    QTest::mouseClick(main().BtnExit, Qt::LeftButton);
    EXPECT_EQ(asked, QStringList({"Automatic backup"}));
    EXPECT_EQ(header("NoOfUses"), "0");
}
