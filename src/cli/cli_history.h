#pragma once
#include <QStringList>
#include <QTextStream>

namespace tessaly::store {
class CardStore;
}
namespace tessaly::history {
class ChangeJournal;
}

namespace tessaly::cli {

// history [--clear]: one line per change, newest first (time, done or undone, description); or the history removed.
int HistoryCommand(history::ChangeJournal& journal, const QStringList& args, QTextStream& out);
// undo [COUNT] and redo [COUNT]: the latest changes taken back, or applied again, one line each.
int UndoCommand(history::ChangeJournal& journal, store::CardStore& store, bool redo, const QStringList& args,
                QTextStream& out);

}  // namespace tessaly::cli
