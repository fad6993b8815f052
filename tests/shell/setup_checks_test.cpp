#include "shell/setup_checks.h"

#include "../support/qt_print.h"
#include "../support/temp_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace tessaly;

namespace {

// A home with a data folder (and a folder inside it), a backup folder, a file,
// a read-only folder and links to the data folder.
class SetupChecksTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"data/sub", "backups", "locked"}) QDir().mkpath(home.path(folder));
        home.put("file.txt", "x");
        QFile::link(home.path("data"), home.path("to-data"));
        QFile::link(home.path("data/sub"), home.path("to-sub"));
        QFile::setPermissions(home.path("locked"), QFile::ReadOwner | QFile::ExeOwner);
    }
    void TearDown() override {
        QFile::setPermissions(home.path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    TempFolder home;
};

TEST_F(SetupChecksTest, aBackupFolderMustBeWritableOrMakeableAndOutsideTheDataFolder) {
    const bool root = ::geteuid() == 0;  // root writes into a read-only folder
    struct Case {
        const char* name;
        QString folder;
        const char* problem;  // a word of the message, or empty when accepted
    } cases[] = {
        {"existing", home.path("backups/"), ""},
        {"missing, parent there", home.path("backups/new"), ""},
        {"missing several levels", home.path("a/b/c/"), ""},
        {"data folder", home.path("data/"), "data folder"},
        {"data folder without slash", home.path("data"), "data folder"},
        {"inside the data folder", home.path("data/sub"), "data folder"},
        {"to be made inside the data folder", home.path("data/new/deeper"), "data folder"},
        {"through dot-dot", home.path("backups/../data/sub"), "data folder"},
        {"link to the data folder", home.path("to-data"), "data folder"},
        {"inside a link into the data folder", home.path("to-sub/x"), "data folder"},
        {"a file", home.path("file.txt"), "not a folder"},
        {"below a file", home.path("file.txt/x"), "not a folder"},
        {"read-only", home.path("locked"), root ? "" : "cannot be written"},
        {"not makeable", home.path("locked/new"), root ? "" : "cannot be made"},
        {"relative", "backups", "full path"},
        {"empty", "  ", "Type"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString problem = shell::BackupFolderProblem(c.folder, home.path("data/"));
        if (*c.problem)
            EXPECT_TRUE(problem.contains(QString::fromUtf8(c.problem))) << problem.toStdString();
        else
            EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(home.path("backups/new")));  // a check makes nothing
}

TEST_F(SetupChecksTest, aModemDeviceMustBeACharacterDevice) {
    struct Case {
        const char* name;
        QString device;
        const char* problem;
    } cases[] = {
        {"character device", "/dev/null", ""},
        {"blanks around", " /dev/null ", ""},
        {"regular file", home.path("file.txt"), "not a serial port"},
        {"folder", home.path("backups"), "not a serial port"},
        {"missing", "/dev/ttyACM-none", "no device"},
        {"empty", "", "Type"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString problem = shell::ModemDeviceProblem(c.device);
        if (*c.problem)
            EXPECT_TRUE(problem.contains(QString::fromUtf8(c.problem))) << problem.toStdString();
        else
            EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
    }
}

}  // namespace
