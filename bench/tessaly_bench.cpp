// tessaly-bench: the store's workloads on a generated card file, each measured
// with the cached profile layer and with the naive one in the same run.
//   tessaly-bench [--cards N] [--runs K] [--quick] [--only W1]
//   tessaly-bench --make-cards DIR N   (writes a card file of N cards into DIR)
// Prints "RESULT <name> <median_ms> <naive_median_ms>" per workload and the peak memory.
// W6 starts the program ts32_20 itself (offscreen) and times it to its main window.
#include "backup/card_backup.h"
#include "backup/card_restore.h"
#include "card_generator.h"
#include "cards/card_store.h"
#include "cards/find_cards.h"
#include "cards/staged_card_files.h"
#include "exchange/csv/import_source.h"
#include "exchange/duplicate_resolve.h"
#include "exchange/import_cards.h"
#include "exchange/vcard/vcard_cards.h"
#include "exchange/vcard/vcard_writer.h"
#include "history/change_journal.h"
#include "history/undo_redo.h"
#include "naive_profile.h"
#include "profile/cached_profile.h"
#include "sync_bench.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <memory>

extern char** environ;

using namespace tessaly;
using namespace tessaly::store;

namespace {

QTextStream out(stdout);

const char kUsage[] =
    "usage: tessaly-bench [--cards N] [--runs K] [--quick] [--cpu] [--only W1] [--sync-up N]\n"
    "       tessaly-bench --make-cards DIR N\n"
    "Times the store's workloads W1-W6, W12-W17, the history's H1-H4 and the sync's S1-S4 (with a\n"
    "radicale it starts on 127.0.0.1; S1 sends --sync-up cards, default 500) on N generated cards\n"
    "(default 8000), median of K runs,\n"
    "with the cached profile layer and the naive one (--quick: cached only); --only runs the\n"
    "workloads whose name starts with the text given; --cpu times on the CPU clock of the\n"
    "thread (for a busy machine; waits for the disk are not counted). --make-cards writes a\n"
    "card file to try.\n";

struct Options {
    int cards = 8000;
    int runs = 5;
    bool quick = false;     // skip the naive layer
    QString only;           // run just the workload whose name starts with this
    int syncUpCards = 500;  // S1: radicale's PUT slows with every contact already there
};

// A real export's header and its first card, that card repeated 'lines' times
// with a number in its names so that the sort has work to do.
void MakeLongExport(const QString& from, const QString& to, int lines) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) return;
    const QList<QByteArray> rows = in.readAll().split('\n');
    QFile o(to);
    if (!o.open(QIODevice::WriteOnly)) return;
    o.write(rows.value(0) + '\n');
    for (int i = 0; i < lines; ++i) o.write(QByteArray::number((i * 7919) % lines) + rows.value(1) + '\n');
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : (v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2);
}

// On a machine shared with other work the wall clock measures the others too;
// --cpu times on this thread's CPU clock instead (waits for the disk not counted).
bool gCpuClock = false;

double NowMs() {
    timespec ts{};
    clock_gettime(gCpuClock ? CLOCK_THREAD_CPUTIME_ID : CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// A fresh copy of a folder's card files (the folder emptied first).
void CopyFolder(const QString& from, const QString& to) {
    QDir(to).removeRecursively();
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList({"tesly*.dat"}, QDir::Files)) QFile::copy(from + name, to + name);
}

// Runs prepare (untimed) then work (timed) 'runs' times; the median in milliseconds.
double Measure(int runs, const std::function<void()>& prepare, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const double start = NowMs();
        work();
        times.push_back(NowMs() - start);
    }
    return Median(times);
}

// A backup or restore measured; one that failed is said, for its figure means nothing.
void Attempt(const char* what, const std::function<void()>& copy) {
    try {
        copy();
    } catch (const BackupFailed&) {
        out << what << " failed?" << Qt::endl;
    }
}

void CopyDir(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& f : QDir(to).entryList(QDir::Files)) QFile::remove(to + f);
    for (const QString& f : QDir(from).entryList(QDir::Files)) QFile::copy(from + f, to + f);
}

std::unique_ptr<profile::ProfileAccess> MakeLayer(bool naive) {
    if (naive) return std::make_unique<NaiveProfile>();
    return std::make_unique<profile::CachedProfile>();
}

void Report(const QString& name, double ms, double naiveMs, bool withNaive) {
    out << "RESULT " << name << ' ' << QString::number(ms, 'f', 1) << ' '
        << (withNaive ? QString::number(naiveMs, 'f', 1) : QStringLiteral("-"));
    if (withNaive && ms > 0) out << "   (x" << QString::number(naiveMs / ms, 'f', 1) << ")";
    out << Qt::endl;
}

long PeakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs a program and prints its peak resident memory. Done from a fresh, small
// process: a child's peak counts the pages it inherits from its parent.
int PeakOf(char** argv) {
    pid_t pid = 0;
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid, argv[0], &quiet, nullptr, argv, environ) != 0) return 1;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    printf("%ld\n", usage.ru_maxrss);
    return 0;
}

// Starts ts32_20 on the card file with its own preferences (no tip of the day)
// and times it until it reports its main window painted; the median in ms.
double MeasureProgramStart(const QString& base, const QString& dataDir, int runs) {
    const QString config = base + "program-config/", data = base + "program-data/";
    QDir().mkpath(config + "Tessaly");
    QFile prefs(config + "Tessaly/ostrel.ini");
    if (!prefs.open(QIODevice::WriteOnly)) return 0;
    prefs.write("[Data Files]\nTeslyDataPath=" + dataDir.toUtf8() + "\n[TS32]\nTips=0\nVersion=2.0\n");
    prefs.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config);
    env.insert("XDG_DATA_HOME", data);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TESSALY_EXIT_WHEN_SHOWN", "1");
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QProcess program;
        program.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        program.start(QStringLiteral(TESSALY_PROGRAM), {});
        while (program.waitForReadyRead(30000) && !program.readAllStandardOutput().contains("shown")) {
        }
        times.push_back(t.nsecsElapsed() / 1e6);
        program.waitForFinished(30000);
    }
    return Median(times);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string_view(argv[1]) == "--peak-of") return PeakOf(argv + 2);
    QCoreApplication app(argc, argv);
    // A card file for trying the program on: tessaly-bench --make-cards DIR N
    if (argc == 4 && std::string_view(argv[1]) == "--make-cards") {
        QDir().mkpath(QString::fromLocal8Bit(argv[2]));
        MakeCardFile(QDir(QString::fromLocal8Bit(argv[2])).absolutePath() + u'/',
                     QString::fromLocal8Bit(argv[3]).toInt());
        return 0;
    }
    Options opt;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == u"--cards" && i + 1 < args.size())
            opt.cards = args[++i].toInt();
        else if (args[i] == u"--runs" && i + 1 < args.size())
            opt.runs = std::max(1, args[++i].toInt());
        else if (args[i] == u"--quick")
            opt.quick = true;
        else if (args[i] == u"--cpu")
            gCpuClock = true;
        else if (args[i] == u"--only" && i + 1 < args.size())
            opt.only = args[++i];
        else if (args[i] == u"--sync-up" && i + 1 < args.size())
            opt.syncUpCards = args[++i].toInt();
        else if (args[i] == u"--version") {
            QTextStream(stdout) << "tessaly-bench " TESSALY_VERSION "\n";
            return 0;
        } else {
            // --help, or anything not understood: say how to call us and run nothing.
            QTextStream(args[i] == u"--help" ? stdout : stderr) << kUsage;
            return args[i] == u"--help" ? 0 : 2;
        }
    }
    QTemporaryDir tmp;
    const QString base = tmp.path() + u'/';
    const QString ordered = base + "ordered/", reversed = base + "reversed/", work = base + "work/";
    QDir().mkpath(ordered);
    QDir().mkpath(reversed);
    out << "Generating " << opt.cards << " cards..." << Qt::endl;
    MakeCardFile(ordered, opt.cards);
    MakeReversedCardFile(reversed, opt.cards);

    const int naiveRuns = std::max(1, opt.runs / 3);
    auto both = [&](const QString& name, int runs, const std::function<double(bool naive, int runs)>& measure) {
        if (!name.startsWith(opt.only)) return;
        const double cached = measure(false, runs);
        const double naive = opt.quick ? 0 : measure(true, naiveRuns);
        Report(name, cached, naive, !opt.quick);
    };

    // W1 start-up: load and check the order of a file in order, from a cold layer.
    both("W1_startup_load_sort", opt.runs, [&](bool naive, int runs) {
        std::unique_ptr<profile::ProfileAccess> layer;
        return Measure(
            runs, [&] { layer = MakeLayer(naive); },
            [&] {
                CardStore store(*layer, ordered);
                store.LoadLists();
                store.SortLists();
            });
    });

    // W2 a full-text search: all sixteen fields of every card, as one operation,
    // each card's fields read in one look at its section as Find does.
    both("W2_read_all_fields", opt.runs, [&](bool naive, int runs) {
        auto layer = MakeLayer(naive);
        CardStore store(*layer, ordered);
        store.LoadLists();
        return Measure(
            runs, [] {},
            [&] {
                profile::ProfileOperation op(*layer);
                const QString wanted = QStringLiteral("no card holds this");
                qsizetype chars = 0, found = 0;
                for (const QString& rec : store.AllByName)
                    layer->visitSection(store.RecordFile(rec), RecordSection(rec), FieldKeys,
                                        [&](std::size_t, QStringView value) {
                                            chars += value.size();
                                            found += FieldHolds(value, wanted);
                                        });
                if (chars == 0 || found > 0) out << "no text read?" << Qt::endl;
            });
    });

    // W3 adding one card to the full file, every write on disk before the next.
    both("W3_add_one_card", opt.runs * 2, [&](bool naive, int runs) {
        CopyDir(ordered, work);
        auto layer = MakeLayer(naive);
        CardStore store(*layer, work);
        store.RefreshLists();  // as start-up leaves the store: lists loaded under the lock, files stamped
        CardGenerator gen(7);
        return Measure(
            runs, [] {}, [&] { store.AddCard(gen.next()); });
    });

    // W4 an import: the cards appended and linked in one bulk, the lists read back.
    both("W4_import_and_sort", std::max(1, opt.runs / 2), [&](bool naive, int runs) {
        std::unique_ptr<profile::ProfileAccess> layer;
        return Measure(
            runs,
            [&] {
                CopyDir(ordered, work);
                for (const QString& f : QDir(work).entryList(QDir::Files)) QFile::remove(work + f);
                layer = MakeLayer(naive);
                WriteEmptyHeader(*layer, work + kHeaderFileName);
            },
            [&] { ImportInBulk(*layer, work, opt.cards); });
    });

    // W5 the start-up sort of a file whose lists are in reverse order.
    both("W5_sort_reversed", opt.runs, [&](bool naive, int runs) {
        std::unique_ptr<profile::ProfileAccess> layer;
        std::unique_ptr<CardStore> store;
        return Measure(
            runs,
            [&] {
                CopyDir(reversed, work);
                layer = MakeLayer(naive);
                store = std::make_unique<CardStore>(*layer, work);
                store->LoadLists();
            },
            [&] { store->SortLists(); });
    });

    // A fresh layer on an empty card file in the work folder, for the imports.
    auto EmptyCardFile = [&](const QString& folder, bool naive) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        auto layer = MakeLayer(naive);
        WriteEmptyHeader(*layer, folder + kHeaderFileName);
        return layer;
    };

    // W12 the wizard's import path on a real export (Thunderbird's columns) made N lines
    // long: reading, the header's choices, the safety copy, the cards, the sort.
    const QString export_ = QStringLiteral(TESSALY_TESTDATA "/csv/roundcube/tb_plain.csv");
    if (QStringLiteral("W12_import_export").startsWith(opt.only) && !QFile::exists(export_))
        out << "W12_import_export skipped: " << export_ << " is not there" << Qt::endl;
    else
        both("W12_import_export", std::max(1, opt.runs / 2), [&](bool naive, int runs) {
            const QString big = base + "export.csv";
            MakeLongExport(export_, big, opt.cards);
            std::unique_ptr<profile::ProfileAccess> layer;
            return Measure(
                runs, [&] { layer = EmptyCardFile(work, naive); },
                [&] {
                    CardStore store(*layer, work);
                    ImportSession session = ImportSession::Read(big, {DelimiterKind::QuotedCsv, {}}, {}, {});
                    session.plan.choices = session.headerChoices();
                    session.keepCards(ImportRoom(false, 0));
                    ProgressSink silent;
                    (void)ImportCards(store, session.cardLines(), session.plan, silent);
                });
        });

    // W13 a backup of the full file to another folder, every file synced.
    both("W13_backup", opt.runs, [&](bool, int runs) {
        const QString dest = base + "backup/";
        QDir().mkpath(dest);
        return Measure(
            runs, [] {}, [&] { Attempt("backup", [&] { CopyDataFiles(ordered, dest); }); });
    });
    // W13 also: the check that every use of a backup folder starts with, when no swap is unfinished
    // (milliseconds per check, the median of runs of 1000 checks).
    if (QStringLiteral("W13_settle").startsWith(opt.only)) {
        const QString dest = base + "backup/";
        const double ms = Measure(
                              opt.runs, [] {},
                              [&] {
                                  for (int i = 0; i < 1000; ++i) SettleBackupFolder(dest);
                              }) /
                          1000;
        out << "RESULT W13_settle_nothing_to_do " << QString::number(ms, 'f', 4) << " -" << Qt::endl;
    }

    // W14 importing a file of N vCards (3.0, as we write them) into an empty card
    // file: reading, the duplicate check, the safety copy, the cards, the sort.
    both("W14_import_vcards", std::max(1, opt.runs / 2), [&](bool naive, int runs) {
        const QString vcards = base + "cards.vcf";
        QFile file(vcards);
        if (file.open(QIODevice::WriteOnly)) {
            CardGenerator gen(14);
            for (int i = 0; i < opt.cards; ++i) file.write(VCardText(gen.next(), VCardVersion::V3));
        }
        file.close();
        std::unique_ptr<profile::ProfileAccess> layer;
        return Measure(
            runs, [&] { layer = EmptyCardFile(work, naive); },
            [&] {
                CardStore store(*layer, work);
                store.RefreshLists();
                const VCardCards read = ReadVCardFile(vcards);
                const KnownCards known = ReadKnownCards(store);
                const QList<ImportDuplicate> duplicates = FindImportDuplicates(known, read.cards);
                const ResolvedImport resolved = ResolveDuplicates(
                    known, read.cards, duplicates, QList<DuplicateAction>(duplicates.size(), DuplicateAction::Import));
                ProgressSink silent;
                (void)ImportCardList(store, resolved.cards.mid(0, ImportRoom(false, 0)), ImportOptions{}, silent);
            });
    });

    // W15 the duplicate check of N incoming cards against the N cards of the file:
    // reading the cards, indexing their keys, looking up each incoming card.
    both("W15_duplicate_check", opt.runs, [&](bool naive, int runs) {
        auto layer = MakeLayer(naive);
        CardStore store(*layer, ordered);
        store.LoadLists();
        CardGenerator gen(15);
        QList<Card> incoming;
        for (int i = 0; i < opt.cards; ++i) incoming << gen.next();
        return Measure(
            runs, [] {},
            [&] {
                if (FindImportDuplicates(ReadKnownCards(store), incoming).isEmpty())
                    out << "no duplicates found?" << Qt::endl;
            });
    });

    // W16 restoring a backup of the full file: read and checked, staged, switched in.
    both("W16_restore", opt.runs, [&](bool, int runs) {
        const QString from = base + "restore-from/", into = base + "restore-into/";
        QDir().mkpath(from);
        Attempt("backup", [&] { CopyDataFiles(ordered, from); });
        return Measure(
            runs, [&] { CopyFolder(ordered, into); }, [&] { Attempt("restore", [&] { RestoreBackup(from, into); }); });
    });

    // W17 the look for a restore or import left unfinished, made before every command: none there.
    both("W17_unfinished_check", opt.runs, [&](bool, int runs) {
        return Measure(
            runs, [] {},
            [&] {
                if (SettleBeforeUse(ordered, std::chrono::seconds(1))) out << "something to settle?" << Qt::endl;
            });
    });

    // H1-H4 the history of changes: its cost on W3, an undo of one edit, of an import of N cards,
    // and its size after 100 changes of single cards.
    auto result = [&](const char* name, double value, int decimals) {
        if (QString::fromLatin1(name).startsWith(opt.only))
            out << "RESULT " << name << ' ' << QString::number(value, 'f', decimals) << " -" << Qt::endl;
    };
    if (QStringLiteral("H").startsWith(opt.only) || opt.only.startsWith(u'H')) {
        CopyDir(ordered, work);
        auto layer = MakeLayer(false);
        CardStore store(*layer, work);
        store.RefreshLists();
        history::ChangeJournal journal(work, base + "history/work.journal");
        journal.Open(std::chrono::seconds(1));
        store.SetRecorder(&journal);
        CardGenerator gen(7);
        result("H1_add_one_card_with_history",
               Measure(
                   opt.runs * 2, [] {}, [&] { store.AddCard(gen.next()); }),
               2);
        const QString n = store.AllByName.value(store.AllByName.size() / 2);
        int edits = 0;
        result("H2_undo_one_edit",
               Measure(
                   opt.runs * 2,
                   [&] {
                       Card current = store.ReadCard(n), typed = current;
                       typed[Notes] = QString::number(++edits);
                       store.ChangeCard(n, current, typed);
                   },
                   [&] { history::Undo(journal, store); }),
               2);
        journal.Clear(std::chrono::seconds(1));
        for (int i = 0; i < 100; ++i) {
            Card current = store.ReadCard(n), typed = current;
            typed[Notes] = QString::number(i);
            store.ChangeCard(n, current, typed);
        }
        result("H4_history_bytes_after_100_changes", double(QFileInfo(journal.File()).size()), 0);
        std::unique_ptr<profile::ProfileAccess> importLayer;
        std::unique_ptr<CardStore> importStore;
        std::unique_ptr<history::ChangeJournal> importJournal;
        result("H3_undo_import",
               Measure(
                   std::max(1, opt.runs / 2),
                   [&] {
                       importLayer = EmptyCardFile(work, false);
                       importStore = std::make_unique<CardStore>(*importLayer, work);
                       importStore->RefreshLists();
                       importJournal = std::make_unique<history::ChangeJournal>(work, base + "history/import.journal");
                       importJournal->Open(std::chrono::seconds(1));
                       importJournal->Clear(std::chrono::seconds(1));
                       importStore->SetRecorder(importJournal.get());
                       CardGenerator cards(14);
                       QList<Card> incoming;
                       for (int i = 0; i < opt.cards; ++i) incoming << cards.next();
                       ProgressSink silent;
                       (void)ImportCardList(*importStore, incoming, ImportOptions{}, silent);
                   },
                   [&] { history::Undo(*importJournal, *importStore); }),
               1);
    }

    SyncBenchmarks(ordered, base, opt.runs, opt.syncUpCards, opt.only, out);

    // W6 the program from its start to its main window shown, on the full file.
    if (QStringLiteral("W6_program_start_to_window").startsWith(opt.only)) {
        const double ms = MeasureProgramStart(base, ordered, opt.runs);
        out << "RESULT W6_program_start_to_window " << QString::number(ms, 'f', 1) << " -" << Qt::endl;
    }

    out << "PEAK bench_rss_kb " << PeakKb() << Qt::endl;

    // Peak memory of the command line listing the full file.
    QProcess cli;
    cli.start(app.applicationFilePath(), {"--peak-of", QStringLiteral(TESSALY_CLI), "--data", ordered, "list"});
    cli.waitForFinished(60000);
    out << "PEAK cli_list_rss_kb " << cli.readAllStandardOutput().trimmed() << Qt::endl;
    return 0;
}
