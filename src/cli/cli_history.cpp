#include "cli_history.h"

#include "cli_commands.h"
#include "cli_exchange.h"
#include "cli_text.h"
#include "history/undo_redo.h"

#include <QDateTime>

namespace tessaly::cli {

using history::ChangeJournal;
using history::JournalEntry;

namespace {

constexpr auto kLockWait = std::chrono::seconds(5);

int CountArg(const QStringList& args) {
    if (args.size() > 1) throw CommandFailed(BadInput, QStringLiteral("undo and redo take one COUNT at most"));
    if (args.isEmpty()) return 1;
    bool ok = false;
    const int count = args[0].toInt(&ok);
    if (!ok || count < 1 || count > ChangeJournal::kMaxEntries)
        throw CommandFailed(
            BadInput,
            QStringLiteral("\"%1\" is not a count from 1 to %2").arg(args[0]).arg(ChangeJournal::kMaxEntries));
    return count;
}

}  // namespace

int HistoryCommand(ChangeJournal& journal, const QStringList& args, QTextStream& out) {
    if (args == QStringList{QStringLiteral("--clear")}) {
        journal.Clear(kLockWait);
        out << "history cleared\n";
        return Done;
    }
    if (!args.isEmpty()) throw CommandFailed(BadInput, QStringLiteral("history takes --clear or nothing"));
    const QList<JournalEntry>& entries = journal.Entries();
    for (auto it = entries.crbegin(); it != entries.crend(); ++it)
        out << QDateTime::fromMSecsSinceEpoch(it->timeMs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << '\t'
            << (it->undone ? "undone" : "done") << '\t' << EscapeValue(it->description) << '\n';
    return Done;
}

// The guard's refusal is the "refused" status; a write that failed is a failed write, with the card file as before.
int UndoCommand(ChangeJournal& journal, store::CardStore& store, bool redo, const QStringList& args, QTextStream& out) {
    const int count = CountArg(args);
    for (int i = 0; i < count; ++i) {
        try {
            const QString what = redo ? history::Redo(journal, store) : history::Undo(journal, store);
            out << (redo ? "redone: " : "undone: ") << EscapeValue(what) << '\n';
        } catch (const history::NothingToUndo& e) {
            if (i > 0) break;
            throw CommandFailed(BadInput, QString::fromUtf8(e.what()));
        } catch (const history::ChangedSince& e) {
            throw CommandFailed(InUse, QString::fromUtf8(e.what()));
        }
    }
    return Done;
}

}  // namespace tessaly::cli
