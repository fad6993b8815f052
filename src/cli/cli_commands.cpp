#include "cli_commands.h"

#include "cards/card_check.h"
#include "cards/card_filter.h"
#include "cards/card_store.h"
#include "cards/display_text.h"
#include "cards/staged_card_files.h"
#include "cli_dial.h"
#include "cli_exchange.h"
#include "cli_history.h"
#include "cli_print.h"
#include "cli_sync.h"
#include "cli_text.h"
#include "cli_vcard.h"
#include "history/change_journal.h"
#include "history/undo_redo.h"
#include "profile/cached_profile.h"
#include "profile/text_codec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <limits>
#include <optional>

namespace tessaly::cli {
namespace {

using namespace tessaly::store;

// A value given as @FILE or @- is read whole, up to this size.
constexpr qint64 kMaxValueBytes = 64 * 1024 * 1024;

// The text of a file (or of standard input for "-"), decoded as the card files are.
QString ReadValueFile(const QString& name) {
    QFile f;
    const bool isStdin = name == u"-";
    const QString shown = isStdin ? QStringLiteral("standard input") : name;
    const bool opened =
        isStdin ? f.open(stdin, QIODevice::ReadOnly) : (f.setFileName(name), f.open(QIODevice::ReadOnly));
    if (!opened) throw CommandFailed(WriteFailed, QStringLiteral("Could not read %1: %2").arg(shown, f.errorString()));
    QByteArray bytes;
    while (bytes.size() <= kMaxValueBytes) {
        const QByteArray chunk = f.read(1 << 20);
        if (chunk.isEmpty()) break;
        bytes += chunk;
    }
    if (f.error() != QFileDevice::NoError)
        throw CommandFailed(WriteFailed, QStringLiteral("Could not read %1: %2").arg(shown, f.errorString()));
    if (bytes.size() > kMaxValueBytes)
        throw CommandFailed(BadInput, QStringLiteral("%1 is larger than %2 MiB").arg(shown).arg(kMaxValueBytes >> 20));
    return profile::decodeBytes(bytes);
}

class Session {
public:
    Session(const Invocation& call, QTextStream& out, QTextStream& err)
        : call_(call), out_(out), err_(err), store_(profile_, call.dataDir) {}

    int run() {
        const QString& c = call_.command;
        if (c == u"init") return init();
        if (c == u"dial") return DialCommand(store_, profile_, call_.args, out_);
        if (c == u"account") return AccountCommand(call_.args, out_, err_);
        // A restore or import that a crash stopped is finished or thrown away before anything is read.
        SettleBeforeUse(call_.dataDir, std::chrono::seconds(5));
        requireCardFile();
        if (c == u"list") return read(call_.args.value(0) != u"--deleted", [this] { return list(); });
        if (c == u"filter") return read(true, [this] { return filter(); });
        if (c == u"show") return read(false, [this] { return show(); });
        if (c == u"check") return read(false, [this] { return check(); });
        if (c == u"backup") return BackupCommand(store_, call_.args, out_);
        if (c == u"export") return read(true, [this] { return VCardExportCommand(store_, call_.args, out_); });
        if (c == u"duplicates") return read(true, [this] { return DuplicatesCommand(store_, call_.args, out_); });
        if (c == u"print") return read(true, [this] { return PrintCommand(store_, call_.args, out_); });
        if (c == u"history") return HistoryCommand(openHistory(), call_.args, out_);
        if (c == u"sync" && IsSyncStatus(call_.args)) return SyncStatusCommand(call_.dataDir, call_.args, out_);
        if (c == u"sync" && call_.args.contains(QStringLiteral("--dry-run")))
            return SyncCommand(store_, call_.args, out_, err_);
        requireNotInUse();
        store_.RemoveLeftoverTemporaries();
        // Every change from here on is recorded, so that it can be undone.
        store_.SetRecorder(&openHistory());
        if (c == u"undo" || c == u"redo") return UndoCommand(*history_, store_, c == u"redo", call_.args, out_);
        if (c == u"sort") return sort();
        if (c == u"repair") return repair();
        if (c == u"add") return add();
        if (c == u"edit") return edit();
        if (c == u"delete") return remove();
        if (c == u"restore") return restore();
        if (c == u"restore-backup") return RestoreBackupCommand(store_, call_.args, out_);
        if (c == u"import") return ImportCommand(store_, call_.args, out_);
        if (c == u"sync") return SyncCommand(store_, call_.args, out_, err_);
        throw CommandFailed(BadInput, QStringLiteral("Unknown command \"%1\"").arg(c));
    }

private:
    history::ChangeJournal& openHistory() {
        history_.emplace(call_.dataDir, history::ChangeJournal::FileFor(call_.dataDir));
        history_->Open(std::chrono::seconds(5));
        if (const QString notice = history_->TakeNotice(); !notice.isEmpty()) err_ << notice << '\n';
        return *history_;
    }

    void requireCardFile() {
        switch (CheckDataFile(profile_, store_.DataFile())) {
            case DataFileState::Valid:
                return;
            case DataFileState::Missing:
                throw CommandFailed(BadInput, kMissingDataFileText);
            case DataFileState::Foreign:
                throw CommandFailed(BadInput, kForeignDataFileText);
        }
    }

    // A read command prints what it could read. While a card file the lists
    // need is missing or unreadable that is not the whole card file: the exit
    // status says so and the message names the files, also when the command
    // found nothing (the card asked for may be in a file that is away).
    // 'loadsLists': the command loads the lists itself, which finds those files.
    int read(bool loadsLists, const std::function<int()>& command) {
        if (!loadsLists) store_.LoadLists();
        const auto partial = [this](const QString& before) {
            const QStringList& files = store_.MissingFiles();
            const QString away =
                files.join(QStringLiteral(", ")) +
                (files.size() == 1
                     ? QStringLiteral(" is missing or cannot be read; the cards it holds are left out")
                     : QStringLiteral(" are missing or cannot be read; the cards they hold are left out"));
            return CommandFailed(WriteFailed, before.isEmpty() ? away : before + u'\n' + away);
        };
        try {
            const int code = command();
            if (!store_.MissingFiles().isEmpty()) throw partial(QString());
            return code;
        } catch (const CommandFailed& f) {
            if (f.code != BadInput || store_.MissingFiles().isEmpty()) throw;
            throw partial(QString::fromUtf8(f.what()));
        }
    }

    void requireNotInUse() {
        if (!call_.force && Count16(store_.ReadHeader(header::NoOfUses)) >= 1)
            throw CommandFailed(InUse, QStringLiteral("Another program has the card file open (NoOfUses is %1); "
                                                      "use --force if it is not running")
                                           .arg(store_.ReadHeader(header::NoOfUses)));
    }

    void requireArgs(qsizetype min, qsizetype max) const {
        if (call_.args.size() < min || call_.args.size() > max)
            throw CommandFailed(BadInput, QStringLiteral("Wrong number of arguments for \"%1\"").arg(call_.command));
    }

    QString recordArg() const {
        const QString n = call_.args.value(0);
        if (!IsRecordNumber(n)) throw CommandFailed(BadInput, QStringLiteral("\"%1\" is not a record number").arg(n));
        return QString::number(LeadingNumber(n));
    }

    // The lists as the program has them after start-up: loaded, then sorted.
    // The store checks again under the change lock that the card is where the change needs it.
    void openForChange() { store_.RefreshLists(); }

    // Key=text (with escapes), Key=@FILE, Key=@- (standard input, once), Key=@@text (text starting with @).
    static QString valueOf(const QString& given) {
        if (!given.startsWith(u'@') || given.startsWith(u"@@"))
            return UnescapeValue(given.startsWith(u'@') ? given.mid(1) : given);
        return ReadValueFile(given.mid(1));
    }

    Card applyAssignments(Card fields, qsizetype from) const {
        if (std::count_if(call_.args.begin() + from, call_.args.end(),
                          [](const QString& a) { return a.endsWith(u"=@-"); }) > 1)
            throw CommandFailed(BadInput, QStringLiteral("Standard input (@-) can give one value only"));
        for (qsizetype i = from; i < call_.args.size(); ++i) {
            const QString& a = call_.args[i];
            const qsizetype eq = a.indexOf(u'=');
            const QString name = eq < 0 ? a : a.left(eq);
            int index = -1;
            for (int k = 0; k < kFieldCount; ++k)
                if (FieldKeys[k].compare(name, Qt::CaseInsensitive) == 0) index = k;
            if (eq < 0 || index < 0)
                throw CommandFailed(BadInput,
                                    QStringLiteral("\"%1\" is not Key=Value with a card key (Sal ... Notes)").arg(a));
            fields[index] = valueOf(a.mid(eq + 1));
        }
        // Blanks alone make no name, so the test looks past them.
        if (TrimBlanks(fields[FirstName]).isEmpty() && TrimBlanks(fields[LastName]).isEmpty() &&
            TrimBlanks(fields[Company]).isEmpty())
            throw CommandFailed(BadInput, QStringLiteral("Either Name or Company must be filled"));
        return fields;
    }

    int init() {
        requireArgs(0, 0);
        if (CheckDataFile(profile_, store_.DataFile()) != DataFileState::Missing ||
            QFileInfo::exists(store_.DataFile()))
            throw CommandFailed(BadInput,
                                QStringLiteral("%1 exists already; it is left as it is").arg(store_.DataFile()));
        if (!store_.DataDir().isEmpty() && !QDir().mkpath(store_.DataDir()))
            throw CommandFailed(BadInput, QStringLiteral("Cannot create the folder %1").arg(store_.DataDir()));
        WriteEmptyHeader(profile_, store_.DataFile());
        return Done;
    }

    int list() {
        const QStringList& opts = call_.args;
        if (opts.size() > 1 || (opts.size() == 1 && opts[0] != u"--company" && opts[0] != u"--deleted"))
            throw CommandFailed(BadInput, QStringLiteral("list takes --company or --deleted"));
        if (opts.value(0) == u"--deleted") {
            const DeletedList deleted = store_.LoadDeletedList();
            for (qsizetype i = 0; i < deleted.DeletedRecs.size(); ++i)
                out_ << deleted.DeletedRecs[i] << '\t' << EscapeValue(deleted.DeletedTexts[i]) << '\n';
            return Done;
        }
        store_.LoadLists();
        const bool byCompany = opts.value(0) == u"--company";
        const QStringList& recs = byCompany ? store_.AllByCompany : store_.AllByName;
        const QStringList& texts = byCompany ? store_.AllCompanies : store_.AllNames;
        for (qsizetype i = 0; i < recs.size(); ++i) out_ << recs[i] << '\t' << EscapeValue(texts[i]) << '\n';
        return Done;
    }

    // [--company] Field=Text ... over FirstName, LastName, Title, Company and Notes, as the Filter dialog takes them.
    int filter() {
        FilterTexts texts;
        bool byCompany = false;
        for (const QString& a : call_.args) {
            if (a == u"--company") {
                byCompany = true;
                continue;
            }
            const qsizetype eq = a.indexOf(u'=');
            const auto field = std::find_if(kFilterFields.begin(), kFilterFields.end(), [&](int f) {
                return eq > 0 && FieldKeys[f].compare(a.left(eq), Qt::CaseInsensitive) == 0;
            });
            if (field == kFilterFields.end())
                throw CommandFailed(BadInput,
                                    QStringLiteral("\"%1\" is not Field=Text with FirstName, LastName, Title, "
                                                   "Company or Notes")
                                        .arg(a));
            texts[field - kFilterFields.begin()] = UnescapeValue(a.mid(eq + 1));
        }
        store_.LoadLists();
        ProgressSink silent;
        const bool on = ApplyFilter(store_, texts, silent);
        const QStringList& recs = on ? (byCompany ? store_.FilteredByCompany : store_.FilteredByName)
                                     : (byCompany ? store_.AllByCompany : store_.AllByName);
        const QStringList& shown = on ? (byCompany ? store_.FilteredCompanies : store_.FilteredNames)
                                      : (byCompany ? store_.AllCompanies : store_.AllNames);
        for (qsizetype i = 0; i < recs.size() && i < shown.size(); ++i)
            out_ << recs[i] << '\t' << EscapeValue(shown[i]) << '\n';
        return Done;
    }

    int show() {
        requireArgs(1, 1);
        const QString n = recordArg();
        if (!profile_.hasSection(store_.RecordFile(n), RecordSection(n)))
            throw CommandFailed(BadInput, QStringLiteral("There is no card %1").arg(n));
        const Card fields = store_.ReadCard(n);
        for (int i = 0; i < kFieldCount; ++i) out_ << FieldKeys[i] << '=' << EscapeValue(fields[i]) << '\n';
        return Done;
    }

    int check() {
        requireArgs(0, 0);
        const QStringList faults = CheckCardFile(store_);
        for (const QString& f : faults) out_ << f << '\n';
        if (faults.isEmpty()) out_ << "ok\n";
        return faults.isEmpty() ? Done : Faults;
    }

    int sort() {
        requireArgs(0, 0);
        out_ << (store_.RefreshLists() ? "sorted" : "in order") << '\n';
        return Done;
    }

    // The start-up repair, run on its own: one line per key it rewrote.
    int repair() {
        requireArgs(0, 0);
        store_.RefreshLists();
        if (!store_.MissingFiles().isEmpty())
            throw CommandFailed(Faults, QStringLiteral("Nothing written: %1 missing or cannot be read")
                                            .arg(store_.MissingFiles().join(QStringLiteral(", "))));
        for (const KeyChange& c : store_.Repairs())
            out_ << (c.card.isEmpty() ? kHeaderFileName : RecordSection(c.card)) << ' ' << c.key << ": \""
                 << EscapeValue(c.before) << "\" -> \"" << EscapeValue(c.after) << "\"\n";
        if (store_.Repairs().isEmpty()) out_ << "nothing to repair\n";
        return Done;
    }

    int add() {
        const Card fields = applyAssignments({}, 0);
        openForChange();
        out_ << store_.AddCard(fields) << '\n';
        return Done;
    }

    int edit() {
        requireArgs(1, std::numeric_limits<qsizetype>::max());
        const QString n = recordArg();
        openForChange();
        Card current = store_.ReadCard(n);
        const Card typed = applyAssignments(current, 1);
        store_.ChangeCard(n, current, typed);
        return Done;
    }

    int remove() {
        requireArgs(1, 1);
        const QString n = recordArg();
        openForChange();
        store_.DeleteCard(n);
        return Done;
    }

    int restore() {
        requireArgs(1, 1);
        const QString n = recordArg();
        openForChange();
        store_.RestoreCard(n);
        return Done;
    }

    const Invocation& call_;
    QTextStream& out_;
    QTextStream& err_;
    profile::CachedProfile profile_;
    CardStore store_;
    std::optional<history::ChangeJournal> history_;
};

}  // namespace

int Run(const Invocation& call, QTextStream& out, QTextStream& err) {
    try {
        return Session(call, out, err).run();
    } catch (const CommandFailed& f) {
        err << QString::fromUtf8(f.what()) << '\n';
        return f.code;
    } catch (const CardFileBusy& e) {
        err << QString::fromStdString(e.what()) << '\n';
        return InUse;
    } catch (const history::ChangedSince& e) {
        err << QString::fromStdString(e.what()) << '\n';
        return InUse;
    } catch (const ChangeRefused& e) {
        err << QString::fromStdString(e.what()) << '\n';
        return BadInput;
    } catch (const profile::FileError& e) {
        err << QString::fromStdString(e.what()) << '\n';
        return WriteFailed;
    }
}

}  // namespace tessaly::cli
