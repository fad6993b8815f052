#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "profile/atomic_file.h"
#include "profile/cached_profile.h"
#include "profile/file_faults.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <optional>

using namespace tessaly::profile;

namespace {

// Installs a fault hook for one test and removes it again.
class FaultScope {
public:
    explicit FaultScope(FaultHook hook) { SetFaultHook(std::move(hook)); }
    ~FaultScope() { SetFaultHook(nullptr); }
};

struct Owner {
    uid_t uid;
    gid_t gid;
    mode_t mode;
    bool operator==(const Owner&) const = default;
};

Owner ownerOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return {st.st_uid, st.st_gid, mode_t(st.st_mode & 07777)};
}

void setOwner(const QString& path, const Owner& o) {
    ::chown(QFile::encodeName(path).constData(), o.uid, o.gid);
    ::chmod(QFile::encodeName(path).constData(), o.mode);
}

QString name(const QString& path) {
    return QFileInfo(path).fileName();
}

// Rewrites a file in place, as another program would.
void putFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

const QByteArray kOld = "[S]\r\nK=old\r\n";

}  // namespace

TEST(DurableWrite, aFailureAtAnyStepLeavesTheFileByteIdenticalAndNoTemporary) {
    const struct {
        FileStep step;
        bool inOperation;
    } cases[] = {{FileStep::Create, false}, {FileStep::Write, false}, {FileStep::Sync, false},
                 {FileStep::Rename, false}, {FileStep::Create, true}, {FileStep::Write, true},
                 {FileStep::Rename, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "step " << int(c.step) << (c.inOperation ? " in an operation" : ""));
        TempFolder dir;
        const QString file = dir.path("tesly.dat");
        dir.put("tesly.dat", kOld);
        CachedProfile profile;
        ASSERT_EQ(profile.read(file, "S", "K"), "old");
        {
            FaultScope fault([&](FileStep s, const QString& f) { return s == c.step && f == file; });
            std::optional<ProfileOperation> op;
            if (c.inOperation) op.emplace(profile);
            try {
                profile.write(file, "S", "K", "new");
                if (op) op->finish();  // within an operation the file is written when its run of writes ends
                ADD_FAILURE() << "the write was reported as done";
            } catch (const WriteError& error) {
                EXPECT_TRUE(QString(error.what()).contains(file)) << error.what();
            }
        }
        EXPECT_EQ(dir.bytes("tesly.dat"), kOld);
        EXPECT_EQ(dir.files(), QStringList{"tesly.dat"});
        EXPECT_EQ(profile.read(file, "S", "K"), "old");  // the refused value is not kept in the cache
    }
}

TEST(DurableWrite, anOperationSyncsEachWrittenFileAndFolderOnceAtItsEnd) {
    TempFolder dir;
    const QString a = dir.path("tesly0.dat"), b = dir.path("tesly.dat");
    QStringList steps;
    FaultScope record([&](FileStep s, const QString& f) {
        steps << QStringLiteral("%1 %2").arg(s == FileStep::Sync     ? "sync"
                                             : s == FileStep::Rename ? "rename"
                                                                     : "-",
                                             name(f));
        return false;
    });
    CachedProfile profile;
    {
        ProfileOperation op(profile);
        for (const char* key : {"A", "B", "C"}) {
            profile.write(a, "Record1", key, "x");
            profile.write(b, "General Info", key, "1");
        }
        EXPECT_FALSE(steps.join(',').contains("sync")) << steps.join(',').toStdString();
        steps.clear();
        op.finish();
    }
    const QString folder = name(QFileInfo(a).absolutePath());
    EXPECT_EQ(steps.filter("sync"), (QStringList{"sync tesly.dat", "sync tesly0.dat", "sync " + folder}));
    steps.clear();
    profile.write(a, "Record1", "D", "y");  // outside an operation: durable before it returns
    EXPECT_EQ(steps.filter("sync"), (QStringList{"sync tesly0.dat", "sync " + folder}));
}

// Within an operation a run of writes to one file is one replace; the files reach the disk in the
// order written, and a run dropped (a change put back) never reaches it.
TEST(DurableWrite, aRunOfWritesToOneFileIsOneReplaceAndFilesKeepTheirOrder) {
    TempFolder dir;
    const QString a = dir.path("tesly0.dat"), b = dir.path("tesly.dat");
    QStringList renames;
    FaultScope record([&](FileStep s, const QString& f) {
        if (s == FileStep::Rename) renames << name(f);
        return false;
    });
    CachedProfile profile;
    {
        ProfileOperation op(profile);
        for (const char* key : {"A", "B", "C"}) profile.write(a, "Record1", key, "x");
        profile.write(b, "General Info", "A", "1");
        profile.write(a, "Record1", "D", "x");
        EXPECT_EQ(renames, (QStringList{"tesly0.dat", "tesly.dat"}));
        profile.write(a, "Record1", "E", "dropped");
        profile.discardPending();
        op.finish();
    }
    EXPECT_EQ(renames, (QStringList{"tesly0.dat", "tesly.dat"}));
    EXPECT_EQ(profile.read(a, "Record1", "D"), "");
    EXPECT_EQ(profile.read(a, "Record1", "C"), "x");
}

TEST(DurableWrite, aSyncFailureAtTheEndOfAnOperationIsReportedByFinishOnly) {
    TempFolder dir;
    const QString file = dir.path("tesly.dat");
    CachedProfile profile;
    FaultScope fault([&](FileStep s, const QString&) { return s == FileStep::Sync; });
    {
        ProfileOperation op(profile);
        profile.write(file, "S", "K", "v");
        EXPECT_THROW(op.finish(), WriteError);
    }
    {
        ProfileOperation op(profile);
        profile.write(file, "S", "K", "w");
    }  // left early: the destructor swallows the error already on its way
    SUCCEED();
}

TEST(DurableWrite, aFileThatCannotBeReadIsRefusedNeverTakenForEmpty) {
    const struct {
        const char* what;
        bool rootCanRead;  // root ignores permission bits
        std::function<void(const QString&)> spoil;
    } cases[] = {
        {"a folder in its place", false, [](const QString& p) { QDir().mkpath(p); }},
        {"a FIFO in its place", false, [](const QString& p) { ::mkfifo(QFile::encodeName(p).constData(), 0644); }},
        {"mode 0200", true,
         [](const QString& p) {
             putFile(p, kOld);
             ::chmod(QFile::encodeName(p).constData(), 0200);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.rootCanRead && geteuid() == 0) continue;
        TempFolder dir;
        const QString file = dir.path("tesly.dat");
        c.spoil(file);
        CachedProfile profile;
        EXPECT_THROW(profile.read(file, "S", "K"), ReadError);
        EXPECT_THROW(profile.hasSection(file, "S"), ReadError);
        EXPECT_THROW(profile.write(file, "S", "K", "new"), ReadError);
        EXPECT_EQ(dir.files().filter("tessaly"), QStringList{});
    }
    // A file cached while readable and spoilt later is refused too.
    TempFolder dir;
    const QString file = dir.path("tesly.dat");
    dir.put("tesly.dat", kOld);
    CachedProfile profile;
    ASSERT_EQ(profile.read(file, "S", "K"), "old");
    QFile::remove(file);
    QDir().mkpath(file);
    EXPECT_THROW(profile.write(file, "S", "K", "new"), ReadError);
    EXPECT_TRUE(QFileInfo(file).isDir());
}

TEST(DurableWrite, ownerGroupAndModeSurviveARewriteAndANewFileTakesTheModels) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to give files to another user";
    TempFolder dir;
    const QString header = dir.path("tesly.dat"), card = dir.path("tesly0.dat"), next = dir.path("tesly1.dat");
    const Owner other{4242, 4343, 0640}, cardOwner{4444, 4545, 0600};
    dir.put("tesly.dat", kOld);
    dir.put("tesly0.dat", kOld);
    setOwner(header, other);
    setOwner(card, cardOwner);
    CachedProfile profile;
    profile.setNewFileModel(header);
    profile.write(header, "S", "K", "new");
    profile.write(card, "S", "K", "new");
    profile.write(next, "Record100", "Sal", "Mr.");
    EXPECT_EQ(ownerOf(header), other);
    EXPECT_EQ(ownerOf(card), cardOwner);
    EXPECT_EQ(ownerOf(next), other);
    // A model in another folder does not apply.
    TempFolder elsewhere;
    profile.write(elsewhere.path("tesly0.dat"), "S", "K", "v");
    EXPECT_EQ(ownerOf(elsewhere.path("tesly0.dat")).uid, 0u);
}

TEST(DurableWrite, aNewFileWithoutAModelGetsTheUsualModeNotATemporaryFilesMode) {
    TempFolder dir;
    const mode_t mask = ::umask(022);
    CachedProfile profile;
    profile.write(dir.path("a.dat"), "S", "K", "v");
    ::umask(mask);
    EXPECT_EQ(ownerOf(dir.path("a.dat")).mode, mode_t(0644));
}

TEST(DurableWrite, anEditThatRestoresTheModificationTimeIsSeen) {
    TempFolder dir;
    const QString file = dir.path("tesly.dat");
    dir.put("tesly.dat", "[S]\r\nK=aaa\r\n");
    QProcess::execute("touch", {"-d", "2001-01-01 00:00:00", file});
    CachedProfile profile;
    ASSERT_EQ(profile.read(file, "S", "K"), "aaa");
    ::usleep(2'100'000);  // past the margin in which the content is compared anyway
    dir.put("tesly.dat", "[S]\r\nK=bbb\r\n");
    QProcess::execute("touch", {"-d", "2001-01-01 00:00:00", file});
    EXPECT_EQ(profile.read(file, "S", "K"), "bbb");
}

TEST(DurableWrite, aChangeRightAfterOurRenameIsNotTakenForOurs) {
    TempFolder dir;
    const QString file = dir.path("tesly.dat");
    CachedProfile profile;
    profile.write(file, "S", "K", "ours");
    bool done = false;
    {
        // The folder sync comes after the rename: another program writes then.
        FaultScope sibling([&](FileStep s, const QString& f) {
            if (s == FileStep::Sync && f == QFileInfo(file).absolutePath() && !done) {
                done = true;
                putFile(file, "[S]\r\nK=his!\r\n");
            }
            return false;
        });
        profile.write(file, "S", "K", "mine");
    }
    EXPECT_EQ(profile.read(file, "S", "K"), "his!");
}

TEST(DurableWrite, aBulkFlushWritesInRecordOrderHeaderLastAndStopsAtTheFirstFailure) {
    TempFolder dir;
    const QStringList names{"tesly10.dat", "tesly.dat", "tesly2.dat", "tesly0.dat", "tesly1.dat"};
    for (const char* failing : {"", "tesly2.dat"}) {
        SCOPED_TRACE(failing);
        for (const QString& n : names) QFile::remove(dir.path(n));
        QStringList renamed;
        FaultScope record([&](FileStep s, const QString& f) {
            if (s == FileStep::Rename) renamed << name(f);
            return s == FileStep::Write && name(f) == QLatin1String(failing);
        });
        CachedProfile profile;
        profile.setFlushedLast(dir.path("tesly.dat"));
        ProfileBulk bulk(profile);
        for (const QString& n : names) profile.write(dir.path(n), "S", "K", "held");
        if (*failing == 0) {
            bulk.finish();
            EXPECT_EQ(renamed, (QStringList{"tesly0.dat", "tesly1.dat", "tesly2.dat", "tesly10.dat", "tesly.dat"}));
            continue;
        }
        try {
            bulk.finish();
            ADD_FAILURE() << "the failed flush was reported as done";
        } catch (const WriteError& error) {
            EXPECT_TRUE(QString(error.what())
                            .contains("not written: " + dir.path("tesly2.dat") + ", " + dir.path("tesly10.dat") + ", " +
                                      dir.path("tesly.dat")))
                << error.what();
        }
        EXPECT_EQ(renamed, (QStringList{"tesly0.dat", "tesly1.dat"}));
        EXPECT_EQ(dir.files(), (QStringList{"tesly0.dat", "tesly1.dat"}));
        EXPECT_EQ(profile.read(dir.path("tesly10.dat"), "S", "K"), QString());  // dropped, not kept as if written
    }
}

TEST(DurableWrite, aLongBulkWithFewDescriptorsAllowedWritesEveryFileAndLeavesNoneOpen) {
    TempFolder dir;
    QStringList files;
    for (int i = 0; i < 120; ++i) putFile(files.emplace_back(dir.path(QStringLiteral("tesly%1.dat").arg(i))), kOld);
    const auto openDescriptors = [] { return QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size(); };
    const qsizetype before = openDescriptors();
    rlimit was{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &was), 0);
    rlimit few = was;
    few.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &few), 0);
    try {
        CachedProfile profile;
        ProfileBulk bulk(profile);
        for (const QString& f : files) profile.write(f, "S", "K", "new");
        bulk.finish();
    } catch (const WriteError& error) {
        ADD_FAILURE() << error.what();
    }
    ::setrlimit(RLIMIT_NOFILE, &was);
    for (const QString& f : files) EXPECT_EQ(CachedProfile().read(f, "S", "K"), "new") << f.toStdString();
    EXPECT_EQ(openDescriptors(), before);
}

TEST(DurableWrite, leftoverTemporariesOfOursAreRemovedAndNothingElse) {
    TempFolder dir;
    for (const char* n : {".tesly.dat.tessaly-tmp-a1B2c3", ".tesly4.dat.tessaly-tmp-zzzzzz", "tesly.dat",
                          ".tesly.dat.tessaly-tmp-", "tesly.dat.tessaly-tmp-a1B2c3", ".other.swp"})
        dir.put(n, "x");
    EXPECT_EQ(RemoveLeftoverTemporaries(dir.path()), 2);
    EXPECT_EQ(dir.files(),
              (QStringList{".other.swp", ".tesly.dat.tessaly-tmp-", "tesly.dat", "tesly.dat.tessaly-tmp-a1B2c3"}));
}
