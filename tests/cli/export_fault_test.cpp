// Exports through a disk that fails: the real tessaly-cli with the LD_PRELOAD
// injector failing the N-th write or flush below the export's folder, once or
// from then on. A failure is never reported as success, and the previous
// export stays byte for byte. Also the modes and links an export meets.
#include "../support/qt_print.h"
#include "../support/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <map>

namespace {

struct Result {
    int code;
    QString out, err;
};

class ExportFaultTest : public ::testing::Test {
protected:
    ExportFaultTest() {
        QDir().mkpath(dir.path("out"));
        run({"init"});
        QByteArray cards;
        for (int i = 0; i < 150; ++i)
            cards +=
                "BEGIN:VCARD\nN:Card" + QByteArray::number(i) + ";Jo\nNOTE:" + QByteArray(1000, 'n') + "\nEND:VCARD\n";
        dir.put("cards.vcf", cards);
        run({"import", "--vcard", dir.path("cards.vcf")});
    }
    Result run(const QStringList& args, const QStringList& faults = {}) {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("XDG_CONFIG_HOME", dir.path("config"));
        e.insert("HOME", dir.path("home"));
        if (!faults.isEmpty()) {
            e.insert("LD_PRELOAD", QStringLiteral(FAULTSHIM));
            e.insert("FI_DIR", dir.path("out"));
            e.insert("FI_COUNT", dir.path("counts"));
            for (const QString& f : faults) e.insert(f.section('=', 0, 0), f.section('=', 1));
        }
        p.setProcessEnvironment(e);
        p.start(QStringLiteral(TESSALY_CLI), QStringList({"--data", dir.path("cards")}) + args);
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    // What the injector counted in the last run: "write", "fsync", "injected".
    long counted(const QString& what) {
        const QList<QByteArray> lines = dir.bytes("counts").trimmed().split('\n');
        const QRegularExpressionMatch m =
            QRegularExpression("\\b" + what + "=(\\d+)").match(QString::fromLatin1(lines.last()));
        return m.hasMatch() ? m.captured(1).toLong() : -1;
    }
    TempFolder dir;
};

struct Export {
    const char* kind;
    const char* file;
    QStringList args;
};

}  // namespace

TEST_F(ExportFaultTest, everyFailedWriteOrFlushIsReportedAndKeepsThePreviousExport) {
    const Export exports[] = {
        {"vCards", "out/cards.vcf", {"export", "--vcard", dir.path("out/cards.vcf")}},
        {"PDF", "out/list.pdf", {"print", "list", "--kind", "full", dir.path("out/list.pdf")}},
    };
    const QByteArray previous = "the previous export\n";
    for (const Export& x : exports) {
        dir.put(x.file, previous);
        const Result clean = run(x.args, {"FI_OP="});
        ASSERT_EQ(clean.code, 0) << qPrintable(clean.err);
        const QByteArray whole = dir.bytes(x.file);
        EXPECT_TRUE(whole.startsWith("BEGIN:VCARD") || (whole.startsWith("%PDF") && whole.trimmed().endsWith("%%EOF")));
        const std::map<QString, long> calls = {{"write", counted("write")}, {"fsync", counted("fsync")}};
        for (const auto& [op, clean] : calls) {
            ASSERT_GT(clean, 0) << qPrintable(op);
            for (const char* sticky : {"0", "1"})
                for (long n = 1; n <= clean; ++n) {
                    SCOPED_TRACE(QStringLiteral("%1, %2 %3 failing, sticky %4")
                                     .arg(QString::fromLatin1(x.kind), op)
                                     .arg(n)
                                     .arg(QString::fromLatin1(sticky))
                                     .toStdString());
                    dir.put(x.file, previous);
                    const Result r =
                        run(x.args, {"FI_OP=" + op, QStringLiteral("FI_N=%1").arg(n),
                                     QStringLiteral("FI_STICKY=") + QString::fromLatin1(sticky), "FI_ERR=ENOSPC"});
                    ASSERT_GE(counted("injected"), 1);
                    EXPECT_EQ(r.code, 4) << qPrintable(r.out);
                    EXPECT_TRUE(r.err.contains(QFileInfo(dir.path(x.file)).fileName())) << qPrintable(r.err);
                    EXPECT_EQ(dir.bytes(x.file), previous);
                    EXPECT_EQ(QDir(dir.path("out")).entryList(QDir::Files | QDir::Hidden).size(), 1)
                        << "a temporary file was left";
                }
        }
        QFile::remove(dir.path(x.file));
    }
}

TEST_F(ExportFaultTest, anExportTakesTheCardFilesModeAndNeverGoesThroughALink) {
    dir.put("victim", "not yours\n");
    QFile::link(dir.path("victim"), dir.path("out/link.vcf"));
    struct Case {
        const char* what;
        mode_t cardMode;
        QStringList args;
        const char* file;
        int code;
        mode_t mode;
    } cases[] = {
        {"vCards of a private card file", 0600, {"export", "--vcard", dir.path("out/a.vcf")}, "out/a.vcf", 0, 0600},
        {"vCards of a shared card file", 0644, {"export", "--vcard", dir.path("out/b.vcf")}, "out/b.vcf", 0, 0644},
        {"a PDF of a private card file",
         0600,
         {"print", "list", "--kind", "phone", dir.path("out/c.pdf")},
         "out/c.pdf",
         0,
         0600},
        {"over an earlier, open export", 0600, {"export", "--vcard", dir.path("out/b.vcf")}, "out/b.vcf", 0, 0600},
        {"through a link", 0600, {"export", "--vcard", dir.path("out/link.vcf")}, "out/link.vcf", 4, 0},
        {"a PDF through a link",
         0600,
         {"print", "list", "--kind", "phone", dir.path("out/link.vcf")},
         "out/link.vcf",
         4,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path("cards/tesly.dat")).constData(), c.cardMode), 0);
        const Result r = run(c.args);
        EXPECT_EQ(r.code, c.code) << qPrintable(r.err);
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(dir.path(c.file)).constData(), &st), 0);
        if (c.code == 0)
            EXPECT_EQ(st.st_mode & 0777, c.mode);
        else
            EXPECT_TRUE(S_ISLNK(st.st_mode));
    }
    EXPECT_EQ(dir.bytes("victim"), "not yours\n");
}
