#include "card_backup.h"

#include "backup_swap.h"
#include "cards/card_layout.h"
#include "profile/profile_access.h"
#include "profile/profile_document.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace tessaly::store {

namespace {

constexpr std::chrono::seconds kFolderWait(5);

// The part of a name before its first '.', as the backup names are formed.
QString Stem(const QString& name) {
    return name.left(name.indexOf(u'.')).trimmed();
}

// The marker in 'folder', in whatever case the program that wrote it used.
QString FindMarker(const QString& folder) {
    QString found;
    for (const QString& name : NonFolderEntries(folder)) {
        if (name == kBackupMarker) return name;
        if (name.compare(kBackupMarker, Qt::CaseInsensitive) == 0) found = name;
    }
    return found;
}

QString Message(const QString& file, const QString& reason) {
    if (file.isEmpty() || reason.contains(file)) return reason;
    return QStringLiteral("%1: %2").arg(file, reason);
}

}  // namespace

QString BackupName(const QString& dataName) {
    return Stem(dataName) + QStringLiteral(".old");
}

QString RestoredName(const QString& backupName) {
    const QString stem = Stem(backupName);
    return (stem == stem.toUpper() ? stem.toLower() : stem) + QStringLiteral(".dat");
}

BackupFailed::BackupFailed(CopyOutcome outcome, const QString& file, const QString& reason, bool putBack)
    : std::runtime_error(Message(file, reason).toStdString()), outcome(outcome), putBack(putBack) {}

bool FolderWritable(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable() && info.isExecutable();
}

bool InDataFolder(const QString& dataDir, const QString& folder) {
    const QString data = QFileInfo(dataDir).canonicalFilePath(), inner = QFileInfo(folder).canonicalFilePath();
    return !data.isEmpty() && !inner.isEmpty() && (inner == data || inner.startsWith(data + u'/'));
}

void CopyDataFiles(const QString& dataDir, const QString& dest, OtherBackup other) {
    if (!FolderWritable(dest))
        throw BackupFailed(CopyOutcome::NotReady, dest, QStringLiteral("the folder is missing or not writable"));
    const QString header = dataDir + kHeaderFileName;
    if (!QFileInfo::exists(header))
        throw BackupFailed(CopyOutcome::Failed, header, QStringLiteral("there is no card file to back up"));
    try {
        const CopyAccess access = AccessOf(header);
        const BackupFolderLock lock(dest, kFolderWait);
        SettleLocked(dest);
        QString named;
        if (other == OtherBackup::Refuse && OwnerOfBackup(dest, dataDir, &named) == BackupOwner::Other)
            throw BackupFailed(CopyOutcome::OtherCardFile, dest,
                               QStringLiteral("the folder holds the backup of another card file (%1)")
                                   .arg(named.isEmpty() ? QStringLiteral("unknown") : named));
        const QString staging = dest + kStagingName + u'/';
        QStringList names;
        try {
            names = WriteBackupInto(staging, dataDir, access);
        } catch (const profile::FileError&) {
            ClearFolder(staging);
            throw;
        }
        SwapIn(dest, names, access);
    } catch (const BackupFailed&) {
        throw;
    } catch (const std::exception& e) {  // a file error, or another backup into the folder kept it locked
        throw BackupFailed(CopyOutcome::Failed, QString(), QString::fromUtf8(e.what()));
    }
}

void MakeBackup(const QString& dataDir, const QString& dest, OtherBackup other) {
    if (InDataFolder(dataDir, dest))
        throw BackupFailed(CopyOutcome::DataFolder, dest,
                           QStringLiteral("a backup cannot go into the data folder or a folder inside it"));
    CopyDataFiles(dataDir, dest, other);
}

void SettleBackupFolder(const QString& folder) {
    if (!SettleNeeded(folder)) return;
    try {
        const BackupFolderLock lock(folder, kFolderWait);
        SettleLocked(folder);
    } catch (const std::exception& e) {
        throw BackupFailed(CopyOutcome::Failed, folder, QString::fromUtf8(e.what()));
    }
}

bool HasValidBackup(const QString& src) {
    try {
        SettleBackupFolder(src);
    } catch (const BackupFailed&) {
        return false;
    }
    const QString marker = FindMarker(src);
    if (marker.isEmpty()) return false;
    try {
        const std::optional<QByteArray> bytes = ReadSmallFile(src + marker, kMaxCardFileBytes);
        const std::optional<QString> application =
            bytes ? profile::ProfileDocument::parse(*bytes).value(header::Section, header::Application) : std::nullopt;
        return application && application->compare(header::ApplicationName, Qt::CaseInsensitive) == 0;
    } catch (const profile::FileError&) {
        return false;
    }
}

}  // namespace tessaly::store
