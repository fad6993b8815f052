#pragma once
#include <QStringList>
#include <QTextStream>
#include <stdexcept>

namespace tessaly::store {
class CardStore;
}

namespace tessaly::cli {

// A command that stopped with this exit code; the message says why.
class CommandFailed : public std::runtime_error {
public:
    CommandFailed(int code, const QString& message) : std::runtime_error(message.toStdString()), code(code) {}
    int code;
};

// backup [DIR]: the card files copied to DIR (default: the preferences' backup folder).
int BackupCommand(store::CardStore& store, const QStringList& args, QTextStream& out);
// restore-backup [DIR]: the backup in DIR replaces the card files; the use count is left at 0.
int RestoreBackupCommand(store::CardStore& store, const QStringList& args, QTextStream& out);
// import FILE --delimiter KIND --map auto|F0,F1,... [--encoding NAME] [--replace] [--only TEXT [--or TEXT]] [--header]
//        [--yes-up-to-limit] [--duplicates skip|import|fill]
int ImportCommand(store::CardStore& store, const QStringList& args, QTextStream& out);

}  // namespace tessaly::cli
