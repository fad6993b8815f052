#include "backup_swap.h"

#include "card_backup.h"
#include "cards/card_layout.h"
#include "profile/atomic_file.h"
#include "profile/profile_access.h"
#include "profile/profile_document.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>

namespace tessaly::store {

namespace {

const QString kMarkSection = QStringLiteral("Tessaly Backup");
const QString kMarkKey = QStringLiteral("CardFile");
const QByteArray kJournalTitle = "[Tessaly Backup Swap]";
constexpr qint64 kMaxSmallFile = 64 * 1024;

// The card files of a data folder, as the program names them.
QStringList CardFileNames(const QString& dataDir) {
    static const QRegularExpression form(QStringLiteral("^tesly\\d*\\.dat$"));
    QStringList names;
    for (const QString& name :
         QDir(dataDir).entryList({QStringLiteral("tesly*.dat")}, QDir::Files | QDir::Hidden, QDir::Name))
        if (form.match(name).hasMatch()) names << name;
    return names;
}

QByteArray ReadCardFile(const QString& path) {
    if (QFileInfo(path).size() > kMaxCardFileBytes)
        throw profile::ReadError(QStringLiteral("%1 is too large for a card file").arg(path).toStdString());
    std::optional<profile::FileContent> content = profile::ReadWholeFile(path);
    if (!content) throw profile::ReadError(QStringLiteral("%1 has gone").arg(path).toStdString());
    return content->bytes;
}

bool IsMarker(const QString& name) {
    return name.compare(kBackupMarker, Qt::CaseInsensitive) == 0;
}

// The marker first: without it the files left cannot pass for a backup.
QStringList MarkerFirst(QStringList names) {
    std::stable_partition(names.begin(), names.end(), IsMarker);
    return names;
}

QStringList BackupEntries(const QString& folder) {
    QStringList names = NonFolderEntries(folder);
    names.removeIf([](const QString& n) { return !IsBackupFileName(n); });
    return names;
}

QByteArray JournalText(const QStringList& names) {
    QByteArray text = kJournalTitle + "\r\n";
    for (const QString& n : names) text += n.toUtf8() + "\r\n";
    return text;
}

QStringList ReadJournal(const QString& path) {
    const std::optional<QByteArray> bytes = ReadSmallFile(path, kMaxSmallFile);
    QStringList lines =
        bytes ? QString::fromUtf8(*bytes).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts) : QStringList();
    const bool whole = !lines.isEmpty() && lines.takeFirst() == QString::fromUtf8(kJournalTitle) &&
                       lines.contains(kBackupMarker) && std::all_of(lines.cbegin(), lines.cend(), IsBackupFileName);
    if (!whole)
        throw profile::ReadError(
            QStringLiteral("%1 is damaged; the backup folder was left as it is").arg(path).toStdString());
    return lines;
}

// The folder the previous backup goes to; a link or file in its place is removed, never followed.
void MakeAside(const QString& aside) {
    if (QFileInfo(aside).isDir() && !QFileInfo(aside).isSymLink()) return;
    ClearFolder(aside);
    MakeFolder(aside, 0700);
}

void RollForward(const QString& folder, const QStringList& names) {
    const QString staging = folder + kStagingName + u'/', aside = folder + kAsideName + u'/';
    MakeAside(aside.chopped(1));
    // A file with a twin still in staging, or not of the new backup at all, is the previous backup's.
    for (const QString& name : MarkerFirst(BackupEntries(folder)))
        if (!names.contains(name) || EntryExists(staging + name)) MoveEntry(folder + name, aside + name);
    for (const QString& name : names)
        if (EntryExists(staging + name)) MoveEntry(staging + name, folder + name);
    profile::SyncFolder(folder);
}

// Puts the previous backup back after a failed swap; false when that failed too,
// and the journal then finishes the new backup the next time.
bool RollBack(const QString& folder, const QStringList& names) {
    const QString staging = folder + kStagingName + u'/', aside = folder + kAsideName + u'/';
    try {
        for (auto it = names.crbegin(); it != names.crend(); ++it)
            if (EntryExists(folder + *it) && !EntryExists(staging + *it)) MoveEntry(folder + *it, staging + *it);
        QStringList previous = MarkerFirst(NonFolderEntries(aside));
        std::reverse(previous.begin(), previous.end());
        for (const QString& name : previous) MoveEntry(aside + name, folder + name);
        profile::SyncFolder(staging);
        profile::SyncFolder(folder);
        RemoveEntry(folder + kJournalName);
        profile::SyncFolder(folder);
    } catch (const profile::FileError&) {
        return false;
    }
    ClearFolder(aside);
    ClearFolder(staging);
    return true;
}

}  // namespace

bool IsBackupFileName(const QString& name) {
    static const QRegularExpression form(QStringLiteral("^tesly\\d*\\.old$"),
                                         QRegularExpression::CaseInsensitiveOption);
    return name == kOwnerMarkName || form.match(name).hasMatch();
}

QString CardFileIdentity(const QString& dataDir) {
    const QFileInfo info(dataDir);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

BackupOwner OwnerOfBackup(const QString& folder, const QString& dataDir, QString* named) {
    std::optional<QByteArray> mark;
    try {
        mark = ReadSmallFile(folder + kOwnerMarkName, kMaxSmallFile);
    } catch (const profile::FileError&) {
        return BackupOwner::Other;  // a mark we cannot read proves nothing is ours
    }
    if (!mark) return BackupOwner::None;
    const std::optional<QString> value = profile::ProfileDocument::parse(*mark).value(kMarkSection, kMarkKey);
    const QString cardFile = value ? QUrl::fromPercentEncoding(value->toUtf8()) : QString();
    if (named) *named = cardFile;
    return !cardFile.isEmpty() && cardFile == CardFileIdentity(dataDir) ? BackupOwner::Ours : BackupOwner::Other;
}

QStringList WriteBackupInto(const QString& folder, const QString& dataDir, const CopyAccess& access) {
    MakeFolder(folder.chopped(1), access.folderMode());
    QStringList names;
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        WriteNewFile(folder + name, bytes, access);
        names << name;
    };
    for (const QString& name : CardFileNames(dataDir))
        if (name != kHeaderFileName) write(BackupName(name), ReadCardFile(dataDir + name));
    // Percent-encoded, so that no folder name can break the line.
    write(kOwnerMarkName, QByteArray("[" + kMarkSection.toUtf8() + "]\r\n" + kMarkKey.toUtf8() + "=" +
                                     QUrl::toPercentEncoding(CardFileIdentity(dataDir), "/") + "\r\n"));
    write(kBackupMarker, ReadCardFile(dataDir + kHeaderFileName));
    profile::SyncFolder(folder);
    return names;
}

void SwapIn(const QString& folder, const QStringList& names, const CopyAccess& access) {
    const QString staging = folder + kStagingName + u'/', journal = folder + kJournalName;
    try {
        WriteNewFile(staging + kJournalName, JournalText(names), access);
        MoveEntry(staging + kJournalName, journal);
    } catch (const profile::FileError& e) {
        ClearFolder(staging);  // not committed: the previous backup was never touched
        throw BackupFailed(CopyOutcome::Failed, QString(), QString::fromUtf8(e.what()));
    }
    try {
        profile::SyncFolder(folder);
        RollForward(folder, names);
    } catch (const profile::FileError& e) {
        const bool previousKept = RollBack(folder, names);
        throw BackupFailed(CopyOutcome::Failed, QString(), QString::fromUtf8(e.what()), previousKept);
    }
    // The new backup stands. A journal that stays finds nothing left to move the next time.
    try {
        RemoveEntry(journal);
    } catch (const profile::FileError&) {
    }
    ClearFolder(folder + kAsideName);
    ClearFolder(staging);
}

bool SettleNeeded(const QString& folder) {
    return EntryExists(folder + kJournalName) || EntryExists(folder + kStagingName) || EntryExists(folder + kAsideName);
}

void SettleLocked(const QString& folder) {
    const QString journal = folder + kJournalName;
    if (EntryExists(journal)) {
        RollForward(folder, ReadJournal(journal));
        RemoveEntry(journal);
    }
    // Without a journal, a staging folder is a backup that never committed and
    // the folder aside one that was replaced.
    ClearFolder(folder + kAsideName);
    ClearFolder(folder + kStagingName);
}

}  // namespace tessaly::store
