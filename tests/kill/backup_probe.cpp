// The next use of a backup folder, for the kill and fault loops: settles the
// folder as every use does, then says what it holds.
//   backup_probe FOLDER             "complete" or "incomplete"
//   backup_probe --auto ROOT DATA   one line per automatic backup of DATA's card file:
//                                   "complete NAME" or "incomplete NAME"
// Exits 1 when the folder cannot be settled.
#include "backup/backup_rotation.h"
#include "backup/backup_swap.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

using namespace tessaly::store;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool automatic = args.size() == 3 && args[0] == "--auto";
    if (args.size() != 1 && !automatic) {
        std::fputs("usage: backup_probe FOLDER | --auto ROOT DATA\n", stderr);
        return 2;
    }
    const QString folder = QDir(automatic ? args[1] : args[0]).absolutePath() + u'/';
    try {
        SettleBackupFolder(folder);
    } catch (const BackupFailed& failed) {
        std::fprintf(stderr, "%s\n", failed.what());
        return 1;
    }
    if (!automatic) {
        std::puts(HasValidBackup(folder) ? "complete" : "incomplete");
        return 0;
    }
    const QString data = QDir(args[2]).absolutePath() + u'/';
    for (const QString& name : QDir(folder).entryList({"auto-*"}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (OwnerOfBackup(folder + name + u'/', data) != BackupOwner::Ours) continue;
        std::printf("%s %s\n", HasValidBackup(folder + name + u'/') ? "complete" : "incomplete", qPrintable(name));
    }
    return 0;
}
