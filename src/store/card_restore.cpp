#include "card_restore.h"

#include "card_layout.h"
#include "card_lock.h"
#include "profile/atomic_file.h"
#include "profile/profile_access.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <optional>

namespace tessaly::store {

namespace {

using profile::Durability;
using profile::FileError;

QStringList FilesEndingIn(const QString& folder, const QString& extension) {
    QStringList names;
    for (const QString& name : QDir(folder).entryList({u'*' + extension}, QDir::Files | QDir::Hidden, QDir::Name))
        if (!profile::IsOurTemporaryName(name)) names << name;
    return names;
}

CopyResult Failure(CopyOutcome outcome, const QString& file, const QString& reason) {
    CopyResult r;
    r.outcome = outcome, r.file = file, r.reason = reason;
    return r;
}

QByteArray ReadBytes(const QString& path) {
    std::optional<profile::FileContent> content = profile::ReadWholeFile(path);
    if (!content) throw profile::ReadError(QStringLiteral("%1 has gone").arg(path).toStdString());
    return content->bytes;
}

bool SameFolder(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath(), cb = QFileInfo(b).canonicalFilePath();
    return !ca.isEmpty() && ca == cb;
}

// The backup file restored to each data file name. A folder holding both an
// upper- and a lower-case copy of one file gives the lower-case one, ours.
QMap<QString, QString> BackupFilesByTarget(const QString& src) {
    QMap<QString, QString> byTarget;
    for (const QString& name : FilesEndingIn(src, QStringLiteral(".old"))) {
        const QString target = RestoredName(name);
        if (!byTarget.contains(target) || name == BackupName(target)) byTarget.insert(target, name);
    }
    return byTarget;
}

}  // namespace

CopyResult RestoreBackup(const QString& src, const QString& dataDir) {
    if (!QFileInfo(src).isDir() || !QFileInfo(src).isReadable())
        return Failure(CopyOutcome::NotReady, src, QStringLiteral("the folder is missing or cannot be read"));
    if (SameFolder(src, dataDir))
        return Failure(CopyOutcome::NoValidBackup, src, QStringLiteral("the backup folder is the data folder itself"));
    if (!HasValidBackup(src)) return Failure(CopyOutcome::NoValidBackup, src, QStringLiteral("there is no complete backup here"));

    CardFileLock lock(dataDir, std::chrono::seconds(5));
    const QMap<QString, QString> sources = BackupFilesByTarget(src);
    // What each target held before (nothing: the restore adds it), for putting back.
    QMap<QString, std::optional<QByteArray>> before;
    try {
        for (auto it = sources.cbegin(); it != sources.cend(); ++it) {
            std::optional<profile::FileContent> content = profile::ReadWholeFile(dataDir + it.key());
            before.insert(it.key(), content ? std::optional<QByteArray>(content->bytes) : std::nullopt);
        }
    } catch (const FileError& e) {
        return Failure(CopyOutcome::Failed, QString(), QString::fromUtf8(e.what()));
    }
    CopyResult safety = CopyDataFiles(dataDir, dataDir);
    if (!safety.ok()) {
        safety.outcome = CopyOutcome::Failed;
        safety.reason = QStringLiteral("the safety copy failed, nothing was restored (%1)").arg(safety.message());
        return safety;
    }

    const QString model = dataDir + kHeaderFileName;
    QStringList touched;
    for (auto it = sources.cbegin(); it != sources.cend(); ++it) {
        try {
            touched << it.key();
            profile::ReplaceFile(dataDir + it.key(), ReadBytes(src + it.value()), Durability::Synced, model);
        } catch (const FileError& e) {
            CopyResult failed = Failure(CopyOutcome::Failed, src + it.value(), QString::fromUtf8(e.what()));
            for (const QString& name : touched) {
                const std::optional<QByteArray>& was = before[name];
                const QString path = dataDir + name;
                try {
                    // Only what differs is written back: the file that failed is usually as it was.
                    const std::optional<profile::FileContent> now = profile::ReadWholeFile(path);
                    if (was && (!now || now->bytes != *was)) profile::ReplaceFile(path, *was, Durability::Synced);
                    else if (!was && now && !QFile::remove(path)) failed.putBack = false;
                } catch (const FileError&) {
                    failed.putBack = false;
                }
            }
            return failed;
        }
    }
    return {};
}

}  // namespace tessaly::store
