#pragma once
#include <QStringList>
#include <QTextStream>

namespace tessaly::store {
class CardStore;
}

namespace tessaly::cli {

// The server could not be reached, or refused us.
inline constexpr int kServerUnreachable = 7;

// account add NAME URL --user USER [--password-file FILE] [--book URL] [--allow-plain-http]
//         [--trust-certificate PEM]
// account list | account remove NAME
int AccountCommand(const QStringList& args, QTextStream& out, QTextStream& err);

// sync --status [NAME]: the last sync and its conflicts, read only.
bool IsSyncStatus(const QStringList& args);
int SyncStatusCommand(const QString& cardFolder, const QStringList& args, QTextStream& out);

// sync [NAME] [--dry-run] [--password-file FILE]; sync --keep local|server CARD FIELD [NAME]
int SyncCommand(store::CardStore& store, const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace tessaly::cli
