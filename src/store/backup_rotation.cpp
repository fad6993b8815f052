#include "backup_rotation.h"

#include "card_layout.h"
#include "card_lock.h"
#include "profile/cached_profile.h"

#include <QDir>
#include <QRegularExpression>

namespace tessaly::store {

namespace {

const QString kPrefix = QStringLiteral("auto-");
const QString kStampFormat = QStringLiteral("yyyyMMdd-HHmmss");

// The dated subfolders, oldest first, whether complete or not; links are no backups of ours.
QStringList DatedFolders(const QString& root) {
    static const QRegularExpression form(QStringLiteral("^auto-\\d{8}-\\d{6}$"));
    QStringList names;
    for (const QFileInfo& info : QDir(root).entryInfoList({kPrefix + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (!info.isSymLink() && form.match(info.fileName()).hasMatch()) names << info.fileName();
    return names;
}

// Marker first, so a removal that stops half-way leaves no backup that looks complete.
bool RemoveBackup(const QString& folder) {
    QDir dir(folder);
    QStringList files = dir.entryList({QStringLiteral("*.old"), QStringLiteral("*.OLD")}, QDir::Files | QDir::Hidden);
    std::stable_partition(files.begin(), files.end(), [](const QString& f) { return f.compare(kBackupMarker, Qt::CaseInsensitive) == 0; });
    for (const QString& f : files)
        if (!dir.remove(f)) return false;
    return QDir().rmdir(folder);
}

AutoBackupResult Refused(AutoBackupOutcome outcome, const QString& message) {
    AutoBackupResult r;
    r.outcome = outcome, r.message = message;
    return r;
}

}  // namespace

QList<AutoBackup> AutoBackups(const QString& backupRoot) {
    QList<AutoBackup> found;
    const QStringList names = DatedFolders(backupRoot);
    for (auto it = names.crbegin(); it != names.crend(); ++it) {
        const QString folder = backupRoot + *it + u'/';
        if (HasValidBackup(folder)) found << AutoBackup{folder, QDateTime::fromString(it->mid(kPrefix.size()), kStampFormat)};
    }
    return found;
}

bool DailyBackupDue(const QString& backupRoot, const QDateTime& now) {
    const QList<AutoBackup> made = AutoBackups(backupRoot);
    return made.isEmpty() || made.front().made.date() < now.date();
}

AutoBackupResult MakeAutoBackup(const QString& dataDir, const QString& backupRoot, int keep, int ownUses, const QDateTime& now) {
    // The default folder does not exist until the first backup. Only its last part is made:
    // a folder on a medium that is not mounted stays "not ready" instead of appearing beneath the mount point.
    if (!QFileInfo::exists(backupRoot)) QDir().mkdir(backupRoot);
    if (!FolderWritable(backupRoot))
        return Refused(AutoBackupOutcome::NotReady, QStringLiteral("The backup folder %1 is missing or not writable").arg(backupRoot));
    try {
        const CardFileLock lock(dataDir, std::chrono::seconds(5));
        profile::CachedProfile fresh;
        if (Count16(fresh.read(dataDir + kHeaderFileName, header::Section, header::NoOfUses)) > ownUses)
            return Refused(AutoBackupOutcome::InUse, QStringLiteral("Another program has the card file open; no automatic backup was made"));
        AutoBackupResult r;
        // A second backup within the same second takes the next free second, so none is overwritten.
        QDateTime stamp = now;
        do {
            r.folder = backupRoot + kPrefix + stamp.toString(kStampFormat) + u'/';
            stamp = stamp.addSecs(1);
        } while (QFileInfo::exists(r.folder.chopped(1)));
        if (!QDir().mkpath(r.folder)) return Refused(AutoBackupOutcome::Failed, QStringLiteral("Cannot create the folder %1").arg(r.folder));
        const CopyResult copy = CopyDataFiles(dataDir, r.folder);
        if (!copy.ok()) {
            RemoveBackup(r.folder);
            return Refused(copy.outcome == CopyOutcome::NotReady ? AutoBackupOutcome::NotReady : AutoBackupOutcome::Failed, copy.message());
        }
        int complete = 0;
        const QStringList names = DatedFolders(backupRoot);
        for (auto it = names.crbegin(); it != names.crend(); ++it) {
            const QString folder = backupRoot + *it + u'/';
            if (folder == r.folder) {
                ++complete;
                continue;
            }
            const bool valid = HasValidBackup(folder);
            if (valid && ++complete <= std::max(keep, 1)) continue;
            if (RemoveBackup(folder)) r.removed << folder;
            else r.message = QStringLiteral("Could not remove all of the old backup %1").arg(folder);
        }
        return r;
    } catch (const std::exception& e) {
        return Refused(AutoBackupOutcome::Failed, QString::fromUtf8(e.what()));
    }
}

}  // namespace tessaly::store
