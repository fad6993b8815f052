#include "window_test.h"

#include "backup/card_restore.h"
#include "cards/card_store.h"
#include "profile/file_faults.h"
#include "shell/backup_commands.h"
#include "shell/progress_windows.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

using namespace tessaly;
using namespace tessaly::shell;

namespace {

// A main window over a card file of two cards, backups going to a folder of the test's.
class BackupCommandsTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        timer.setInterval(2000);
        timer.start();
        linkMain(main, &timer);
        main.show();
        QDir().mkpath(folder.path("cards"));
        context().DataDir = folder.path("cards/");
        context().OpenStore();
        store::WriteEmptyHeader(context().Profile, context().DataFile);
        add("Adams");
        add("Baker");
        context().Profile.write(context().PreferencesFile, "Data Files", "BackupPath", folder.path("backup"));
    }
    void TearDown() override {
        PercentWindow().hide();
        WindowTest::TearDown();
    }
    void add(const QString& last) {
        store::Card f;
        f[store::LastName] = last;
        context().Store->AddCard(f);
    }
    // Answers the next message window with its title noted and one of its buttons pressed.
    void press(const char* button, std::function<void()> before = {}) {
        answerWith([this, button, before](QDialog& box) {
            titles << box.windowTitle();
            if (before) before();
            box.findChild<QPushButton*>(button)->click();
        });
    }
    QString backup(const QString& name) const { return folder.path("backup/" + name); }

    QWidget main;
    QTimer timer;
    QStringList titles;
};

TEST_F(BackupCommandsTest, backUpCopiesTheCardFilesAfterOk) {
    QDir().mkpath(folder.path("backup"));
    press("BtnOK");
    BackUp(context());
    EXPECT_EQ(titles, QStringList({"Back Up"}));
    EXPECT_TRUE(store::HasValidBackup(folder.path("backup/")));
    EXPECT_EQ(folder.bytes("backup/tesly0.old"), folder.bytes("cards/tesly0.dat"));
}

TEST_F(BackupCommandsTest, aFolderThatIsNotReadyIsOfferedAgainUntilCancel) {
    struct Case {
        const char* what;
        bool makeFolder;
        QStringList titles;
        bool backedUp;
    } cases[] = {
        {"cancelled at the question", false, {"Back Up"}, false},
        {"made ready, then OK", true, {"Back Up", "Drive not ready"}, true},
        {"not ready, cancelled", false, {"Back Up", "Drive not ready"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(folder.path("backup")).removeRecursively();
        titles.clear();
        if (c.titles.size() == 1) {
            press("BtnCancel");
        } else {
            press("BtnOK");
            press(c.makeFolder ? "BtnOK" : "BtnCancel", [&] {
                if (c.makeFolder) QDir().mkpath(folder.path("backup"));
            });
        }
        BackUp(context());
        EXPECT_EQ(titles, c.titles);
        EXPECT_EQ(store::HasValidBackup(folder.path("backup/")), c.backedUp);
    }
}

TEST_F(BackupCommandsTest, restoreBringsTheBackupBackAndCountsThisProgramAsItsOnlyUser) {
    QDir().mkpath(folder.path("backup"));
    ASSERT_NO_THROW(store::CopyDataFiles(context().DataDir, folder.path("backup/")));
    add("Clark");
    context().Store->WriteHeader(store::header::NoOfUses, "1");
    press("BtnOK");  // Continue
    press("BtnOK");
    Restore(context());
    EXPECT_EQ(titles, QStringList({"Restore data from Back Up", "Restore data from Back Up"}));
    EXPECT_EQ(context().Store->AllNames.size(), 2);
    EXPECT_EQ(context().Store->ReadHeader(store::header::NoOfUses), "1");
    EXPECT_FALSE(context().InUse);
    EXPECT_TRUE(main.isEnabled());
    EXPECT_TRUE(timer.isActive());
}

TEST_F(BackupCommandsTest, restoreOffersAgainOrStopsWithoutTouchingTheCards) {
    struct Case {
        const char* what;
        bool makeFolder;
        QStringList titles;
    } cases[] = {
        {"cancelled at the warning", false, {"Restore data from Back Up"}},
        {"no folder", false, {"Restore data from Back Up", "Restore data from Back Up", "Drive not ready"}},
        {"an empty folder", true, {"Restore data from Back Up", "Restore data from Back Up", "No valid data"}},
    };
    const QByteArray before = folder.bytes("cards/tesly0.dat");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        titles.clear();
        if (c.makeFolder) QDir().mkpath(folder.path("backup"));
        press(c.titles.size() == 1 ? "BtnCancel" : "BtnOK");
        if (c.titles.size() > 1) press("BtnOK"), press("BtnCancel");
        Restore(context());
        EXPECT_EQ(titles, c.titles);
        EXPECT_EQ(folder.bytes("cards/tesly0.dat"), before);
        EXPECT_FALSE(QFile::exists(folder.path("cards/tesly0.old")));
    }
}

TEST_F(BackupCommandsTest, aRestoreThatFailsNamesTheFileAndLeavesTheCardsAsTheyWere) {
    QDir().mkpath(folder.path("backup"));
    ASSERT_NO_THROW(store::CopyDataFiles(context().DataDir, folder.path("backup/")));
    add("Clark");
    const QByteArray before = folder.bytes("cards/tesly0.dat");
    QString said;
    press("BtnOK");
    press("BtnOK");
    answerWith([&](QDialog& box) {
        titles << box.windowTitle();
        said = box.findChild<QLabel*>("Text1")->text();
        box.findChild<QPushButton*>("BtnOK")->click();
    });
    tessaly::profile::SetFaultHook([](tessaly::profile::FileStep, const QString& file) {
        return file.contains("/cards/") && file.contains("tesly0.dat");
    });
    Restore(context());
    tessaly::profile::SetFaultHook({});
    EXPECT_EQ(titles.value(2), "Restore failed");
    EXPECT_TRUE(said.contains("tesly0")) << qPrintable(said);
    EXPECT_TRUE(said.contains("as they were before")) << qPrintable(said);
    EXPECT_EQ(folder.bytes("cards/tesly0.dat"), before);
    EXPECT_EQ(context().Store->AllNames.size(), 3);
}

}  // namespace

namespace {

// Another card file's backup in the backup folder: Back Up asks before it replaces it.
TEST_F(BackupCommandsTest, anotherCardFilesBackupIsReplacedOnlyAfterTheQuestion) {
    QDir().mkpath(folder.path("backup"));
    QDir().mkpath(folder.path("other"));
    store::WriteEmptyHeader(context().Profile, folder.path("other/tesly.dat"));
    ASSERT_NO_THROW(store::CopyDataFiles(folder.path("other/"), folder.path("backup/")));
    const QByteArray theirs = folder.bytes("backup/tesly.old");
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace);
        titles.clear();
        press("BtnOK");
        press(replace ? "BtnOK" : "BtnCancel");
        BackUp(context());
        EXPECT_EQ(titles, QStringList({"Back Up", "Back Up"}));
        EXPECT_EQ(folder.bytes("backup/tesly.old") == theirs, !replace);
    }
    EXPECT_EQ(folder.bytes("backup/tesly0.old"), folder.bytes("cards/tesly0.dat"));
}

}  // namespace
