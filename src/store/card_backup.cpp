#include "card_backup.h"

#include "card_layout.h"
#include "card_lock.h"
#include "card_store.h"
#include "profile/atomic_file.h"
#include "profile/cached_profile.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <optional>

namespace tessaly::store {

namespace {

using profile::Durability;
using profile::FileError;

// The part of a name before its first '.', as the backup names are formed.
QString Stem(const QString& name) { return name.left(name.indexOf(u'.')).trimmed(); }

QStringList FilesEndingIn(const QString& folder, const QString& extension) {
    QStringList names;
    for (const QString& name : QDir(folder).entryList({u'*' + extension}, QDir::Files | QDir::Hidden, QDir::Name))
        if (!profile::IsOurTemporaryName(name)) names << name;
    return names;
}

// The marker in 'folder', in whatever case the program that wrote it used.
QString FindMarker(const QString& folder) {
    QString found;
    for (const QString& name : FilesEndingIn(folder, QStringLiteral(".old"))) {
        if (name == kBackupMarker) return name;
        if (name.compare(kBackupMarker, Qt::CaseInsensitive) == 0) found = name;
    }
    return found;
}

CopyResult Failure(CopyOutcome outcome, const QString& file, const QString& reason) {
    CopyResult r;
    r.outcome = outcome, r.file = file, r.reason = reason;
    return r;
}

// Far above any card file (8000 cards of long notes): a larger file is no card file of ours,
// and is not read into memory.
constexpr qint64 kMaxCardFileBytes = 256 * 1024 * 1024;

QByteArray ReadBytes(const QString& path) {
    if (QFileInfo(path).size() > kMaxCardFileBytes)
        throw profile::ReadError(QStringLiteral("%1 is too large for a card file").arg(path).toStdString());
    std::optional<profile::FileContent> content = profile::ReadWholeFile(path);
    if (!content) throw profile::ReadError(QStringLiteral("%1 has gone").arg(path).toStdString());
    return content->bytes;
}

}  // namespace

QString BackupName(const QString& dataName) { return Stem(dataName) + QStringLiteral(".old"); }

QString RestoredName(const QString& backupName) {
    const QString stem = Stem(backupName);
    return (stem == stem.toUpper() ? stem.toLower() : stem) + QStringLiteral(".dat");
}

QString CopyResult::message() const {
    if (file.isEmpty()) return reason;
    return reason.contains(file) ? reason : QStringLiteral("%1: %2").arg(file, reason);
}

bool FolderWritable(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable() && info.isExecutable();
}

CopyResult CopyDataFiles(const QString& dataDir, const QString& dest) {
    if (!FolderWritable(dest)) return Failure(CopyOutcome::NotReady, dest, QStringLiteral("the folder is missing or not writable"));
    const QStringList names = FilesEndingIn(dataDir, QStringLiteral(".dat"));
    QString markerSource;
    try {
        // Without the marker a half-made copy cannot pass for a backup.
        for (QString marker = FindMarker(dest); !marker.isEmpty(); marker = FindMarker(dest))
            if (!QFile::remove(dest + marker)) return Failure(CopyOutcome::Failed, dest + marker, QStringLiteral("cannot remove it"));
        for (const QString& name : names) {
            if (BackupName(name) == kBackupMarker) {
                markerSource = name;
                continue;
            }
            profile::ReplaceFile(dest + BackupName(name), ReadBytes(dataDir + name), Durability::Synced);
        }
        if (!markerSource.isEmpty())
            profile::ReplaceFile(dest + kBackupMarker, ReadBytes(dataDir + markerSource), Durability::Synced);
    } catch (const FileError& e) {
        // The marker may stand when only the folder's flush after it failed.
        QFile::remove(dest + kBackupMarker);
        return Failure(CopyOutcome::Failed, QString(), QString::fromUtf8(e.what()));
    }
    if (markerSource.isEmpty()) return Failure(CopyOutcome::Failed, dataDir + kHeaderFileName, QStringLiteral("there is no card file to back up"));
    return {};
}

bool HasValidBackup(const QString& src) {
    const QString marker = FindMarker(src);
    if (marker.isEmpty() || QFileInfo(src + marker).size() > kMaxCardFileBytes) return false;
    profile::CachedProfile fresh;
    try {
        return fresh.read(src + marker, header::Section, header::Application).compare(header::ApplicationName, Qt::CaseInsensitive) == 0;
    } catch (const FileError&) {
        return false;
    }
}

}  // namespace tessaly::store
