#include "setup_checks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace tessaly::shell {

namespace {

// The folder as it will be once made: the real path of the nearest part that
// exists (links resolved), with the missing parts after it.
struct Resolved {
    QString existing;  // the nearest part that exists, as typed
    QString path;      // the whole folder, real
    bool missing = false;
};
Resolved Resolve(const QString& folder) {
    Resolved r;
    QString path = QDir::cleanPath(folder), rest;
    while (!QFileInfo::exists(path) && path != u"/") {
        rest = QFileInfo(path).fileName() + (rest.isEmpty() ? QString() : u'/' + rest);
        path = QFileInfo(path).absolutePath();
    }
    r.existing = path;
    r.missing = !rest.isEmpty();
    r.path = QFileInfo(path).canonicalFilePath();
    if (r.missing) r.path = QDir::cleanPath(r.path + u'/' + rest);
    return r;
}

bool Within(const QString& inner, const QString& outer) {
    return inner == outer || inner.startsWith(outer.endsWith(u'/') ? outer : outer + u'/');
}

}  // namespace

QString BackupFolderProblem(const QString& folder, const QString& dataFolder) {
    const QString typed = folder.trimmed();
    if (typed.isEmpty()) return QStringLiteral("Type the backup folder, or choose one with Browse.");
    if (!QDir::isAbsolutePath(typed))
        return QStringLiteral("The backup folder \"%1\" must be a full path, starting with /.").arg(typed);
    const Resolved r = Resolve(typed);
    const QString data = QFileInfo(dataFolder).canonicalFilePath();
    if (!data.isEmpty() && Within(r.path, data))
        return QStringLiteral(
                   "The backup folder \"%1\" is the data folder or a folder inside it.\r"
                   "A backup there would be lost with the card file: choose another folder.")
            .arg(typed);
    const QFileInfo there(r.existing);
    if (!there.isDir()) return QStringLiteral("\"%1\" is not a folder.").arg(r.existing);
    if (!there.isWritable() || !there.isExecutable())
        return r.missing ? QStringLiteral("The backup folder \"%1\" cannot be made: \"%2\" cannot be written to.")
                               .arg(typed, r.existing)
                         : QStringLiteral("The backup folder \"%1\" cannot be written to.").arg(typed);
    return QString();
}

QString ModemDeviceProblem(const QString& device) {
    const QString typed = device.trimmed();
    if (typed.isEmpty()) return QStringLiteral("Type the modem's device, for example /dev/ttyS0 or /dev/ttyACM0.");
    struct stat info {};
    if (::stat(QFile::encodeName(typed).constData(), &info) != 0)
        return QStringLiteral("There is no device \"%1\".\rIs the modem plugged in? Choose or type another device.")
            .arg(typed);
    if (!S_ISCHR(info.st_mode))
        return QStringLiteral("\"%1\" is not a serial port (not a character device).\rChoose or type another device.")
            .arg(typed);
    return QString();
}

}  // namespace tessaly::shell
