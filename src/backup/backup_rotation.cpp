#include "backup_rotation.h"

#include "backup_swap.h"
#include "cards/card_layout.h"
#include "cards/card_lock.h"
#include "profile/atomic_file.h"
#include "profile/cached_profile.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QRegularExpression>
#include <cerrno>

namespace tessaly::store {

namespace {

const QString kPrefix = QStringLiteral("auto-");
const QString kStampFormat = QStringLiteral("yyyyMMdd-HHmmss");

// The dated subfolders, oldest first, whether complete or not; links are no backups of ours.
QStringList DatedFolders(const QString& root) {
    static const QRegularExpression form(QStringLiteral("^auto-\\d{8}-\\d{6}$"));
    QStringList names;
    for (const QFileInfo& info :
         QDir(root).entryInfoList({kPrefix + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (!info.isSymLink() && form.match(info.fileName()).hasMatch()) names << info.fileName();
    return names;
}

// Our own files of a backup of ours, file by file: the marker first, so that a
// removal that stops half-way leaves no backup that looks complete, and the
// mark last, so that what stays is still known as ours. False when the folder stays.
bool RemoveBackup(const QString& folder) {
    QStringList ours;
    for (const QString& name : NonFolderEntries(folder))
        if (IsBackupFileName(name) && name != kOwnerMarkName) ours << name;
    std::stable_partition(ours.begin(), ours.end(),
                          [](const QString& f) { return f.compare(kBackupMarker, Qt::CaseInsensitive) == 0; });
    ours << kBackupLockName << kOwnerMarkName;
    try {
        for (const QString& name : ours) RemoveEntry(folder + name);
    } catch (const profile::FileError&) {
        return false;
    }
    return ::rmdir(QFile::encodeName(folder).constData()) == 0;
}

AutoBackupResult Refused(AutoBackupOutcome outcome, const QString& message) {
    AutoBackupResult r;
    r.outcome = outcome, r.message = message;
    return r;
}

// A new dated folder name: a second backup within the same second takes the next free second.
QString FreeDatedFolder(const QString& root, const QDateTime& now) {
    QDateTime stamp = now;
    while (EntryExists(root + kPrefix + stamp.toString(kStampFormat))) stamp = stamp.addSecs(1);
    return root + kPrefix + stamp.toString(kStampFormat) + u'/';
}

// The card files copied into a staging folder that is renamed to its dated name once complete.
QString MakeDatedBackup(const QString& dataDir, const QString& root, const CopyAccess& access, const QDateTime& now) {
    const QString staging = root + kStagingName + u'/';
    const QString folder = FreeDatedFolder(root, now);
    try {
        WriteBackupInto(staging, dataDir, access);
        MoveEntry(staging.chopped(1), folder.chopped(1));
    } catch (const profile::FileError&) {
        ClearFolder(staging);
        throw;
    }
    try {
        profile::SyncFolder(root);
    } catch (const profile::FileError&) {
        RemoveBackup(folder);  // it might not survive a crash: not a backup to count on
        throw;
    }
    return folder;
}

}  // namespace

QList<AutoBackup> AutoBackups(const QString& backupRoot, const QString& ofDataDir) {
    QList<AutoBackup> found;
    const QStringList names = DatedFolders(backupRoot);
    for (auto it = names.crbegin(); it != names.crend(); ++it) {
        const QString folder = backupRoot + *it + u'/';
        if (!ofDataDir.isEmpty() && OwnerOfBackup(folder, ofDataDir) != BackupOwner::Ours) continue;
        if (HasValidBackup(folder))
            found << AutoBackup{folder, QDateTime::fromString(it->mid(kPrefix.size()), kStampFormat)};
    }
    return found;
}

bool DailyBackupDue(const QString& backupRoot, const QString& dataDir, const QDateTime& now) {
    const QList<AutoBackup> made = AutoBackups(backupRoot, dataDir);
    return made.isEmpty() || made.front().made.date() < now.date();
}

AutoBackupResult MakeAutoBackup(const QString& dataDir, const QString& backupRoot, int keep, int ownUses,
                                const QDateTime& now) {
    const QString header = dataDir + kHeaderFileName;
    try {
        const CopyAccess access = AccessOf(header);
        // The default folder does not exist until the first backup. Only its last part is made:
        // a folder on a medium that is not mounted stays "not ready" instead of appearing beneath the mount point.
        if (!QFileInfo::exists(backupRoot)) ::mkdir(QFile::encodeName(backupRoot).constData(), access.folderMode());
        if (!FolderWritable(backupRoot))
            return Refused(AutoBackupOutcome::NotReady,
                           QStringLiteral("The backup folder %1 is missing or not writable").arg(backupRoot));
        if (InDataFolder(dataDir, backupRoot))
            return Refused(AutoBackupOutcome::NotReady,
                           QStringLiteral("The backup folder %1 is the data folder or inside it").arg(backupRoot));
        const CardFileLock lock(dataDir, std::chrono::seconds(5));
        profile::CachedProfile fresh;
        if (Count16(fresh.read(header, header::Section, header::NoOfUses)) > ownUses)
            return Refused(AutoBackupOutcome::InUse,
                           QStringLiteral("Another program has the card file open; no automatic backup was made"));
        const BackupFolderLock folderLock(backupRoot, std::chrono::seconds(5));
        SettleLocked(backupRoot);
        AutoBackupResult r;
        r.folder = MakeDatedBackup(dataDir, backupRoot, access, now);
        // The new one counts first, whatever its name: a clock set back gives it an older one.
        int complete = 1;
        const QStringList names = DatedFolders(backupRoot);
        for (auto it = names.crbegin(); it != names.crend(); ++it) {
            const QString folder = backupRoot + *it + u'/';
            if (folder == r.folder) continue;
            if (OwnerOfBackup(folder, dataDir) != BackupOwner::Ours) continue;
            if (HasValidBackup(folder) && ++complete <= std::max(keep, 1)) continue;
            if (RemoveBackup(folder))
                r.removed << folder;
            else
                r.message = QStringLiteral("Could not remove all of the old backup %1").arg(folder);
        }
        return r;
    } catch (const std::exception& e) {
        return Refused(AutoBackupOutcome::Failed, QString::fromUtf8(e.what()));
    }
}

}  // namespace tessaly::store
