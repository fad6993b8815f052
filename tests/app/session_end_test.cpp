// The real program, started offscreen and ended by signals as a logout or a
// crash ends it: the use count it leaves, and what the next start makes of it.
#include "../support/temp_folder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <csignal>

namespace {

class SessionEndTest : public ::testing::Test {
protected:
    SessionEndTest() {
        QDir().mkpath(dir.path("config/Tessaly"));
        QDir().mkpath(dir.path("cards"));
        QDir().mkpath(dir.path("backups"));
        dir.put("config/Tessaly/ostrel.ini", "[Data Files]\nTeslyDataPath=" + dir.path("cards/").toUtf8() +
                                                 "\nBackupPath=" + dir.path("backups/").toUtf8() +
                                                 "\nAutoBackup=1\n[TS32]\nTips=0\n");
        dir.put("cards/tesly.dat",
                "[General Info]\r\nApplication=Tessaly\r\nTotalNoOfRecords=0\r\nNoOfRecords=0\r\n"
                "NameFirstRecord=\r\nCompanyFirstRecord=\r\nDelNoOfRecords=0\r\nDelFirstRecord=\r\n");
    }
    ~SessionEndTest() override {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(5000);
        }
    }

    void start() {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("XDG_CONFIG_HOME", dir.path("config"));
        e.insert("XDG_DATA_HOME", dir.path("data"));
        e.insert("HOME", dir.path());
        e.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(e);
        program.start(QStringLiteral(TESSALY_PROGRAM), {});
        ASSERT_TRUE(program.waitForStarted(10000));
    }
    // The use count as the header holds it; -99 when there is none.
    int uses() {
        const QRegularExpressionMatch m =
            QRegularExpression("NoOfUses=(-?\\d+)").match(QString::fromLatin1(dir.bytes("cards/tesly.dat")));
        return m.hasMatch() ? m.captured(1).toInt() : -99;
    }
    QByteArray record() { return dir.bytes("cards/tesly.users"); }
    // The program has counted itself and recorded its process.
    bool waitUntilCounted(int count) {
        const QByteArray pid = QByteArray::number(program.processId()) + ' ';
        for (int i = 0; i < 600; ++i) {
            if (uses() == count && record().startsWith(pid)) return true;
            if (program.state() == QProcess::NotRunning) return false;
            QThread::msleep(25);
        }
        return false;
    }
    void signal(int number) {
        ASSERT_EQ(::kill(pid_t(program.processId()), number), 0);
        ASSERT_TRUE(program.waitForFinished(20000));
    }
    int autoBackups() { return QDir(dir.path("backups")).entryList({"auto-*"}, QDir::Dirs).size(); }
    void removeBackups() {
        for (const QString& name : QDir(dir.path("backups")).entryList({"auto-*"}, QDir::Dirs))
            QDir(dir.path("backups/" + name)).removeRecursively();
    }

    TempFolder dir;
    QProcess program;
};

}  // namespace

TEST_F(SessionEndTest, aSignalEndsTheProgramAsExitDoes) {
    for (int number : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(number);
        removeBackups();
        start();
        ASSERT_TRUE(waitUntilCounted(1));
        signal(number);
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(uses(), 0);
        EXPECT_FALSE(QFile::exists(dir.path("cards/tesly.users")));
        EXPECT_EQ(autoBackups(), 1);  // the on-exit backup ran
    }
}

TEST_F(SessionEndTest, aKilledRunsCountIsTakenBackAtTheNextStart) {
    start();
    ASSERT_TRUE(waitUntilCounted(1));
    signal(SIGKILL);
    ASSERT_EQ(uses(), 1);
    // Counted 1 and not 2: the next run found the file unused, so no in-use warning was shown.
    start();
    ASSERT_TRUE(waitUntilCounted(1));
    signal(SIGTERM);
    EXPECT_EQ(uses(), 0);
}

TEST_F(SessionEndTest, aCountWithoutRecordStaysTheOtherProgramsEvenThroughTheInUseWarning) {
    dir.put("cards/tesly.dat", dir.bytes("cards/tesly.dat") + "NoOfUses=1\r\n");
    start();
    ASSERT_TRUE(waitUntilCounted(2));  // the in-use warning is up now, waiting for OK
    signal(SIGTERM);                   // closes it without an answer
    EXPECT_EQ(uses(), 1);
}
