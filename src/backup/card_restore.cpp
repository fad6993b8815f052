#include "card_restore.h"

#include "cards/card_change.h"
#include "cards/card_layout.h"
#include "cards/card_store.h"
#include "cards/staged_card_files.h"
#include "profile/cached_profile.h"
#include "profile/profile_document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>

namespace tessaly::store {

namespace {

// Far above any card file (8000 cards of long notes): a larger file is no card file of ours.
constexpr qint64 kMaxCardFileBytes = 256 * 1024 * 1024;

// The backup's files by the card file each restores, in the one spelling the folder uses.
QMap<QString, QString> BackupFiles(const QString& src) {
    static const QRegularExpression lower(QStringLiteral("^tesly(0|[1-9][0-9]*)?\\.old$"));
    static const QRegularExpression upper(QStringLiteral("^TESLY(0|[1-9][0-9]*)?\\.OLD$"));
    QMap<QString, QString> lowerFiles, upperFiles;
    for (const QString& name :
         QDir(src).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (lower.match(name).hasMatch())
            lowerFiles.insert(name.chopped(4) + QStringLiteral(".dat"), name);
        else if (upper.match(name).hasMatch())
            upperFiles.insert(name.chopped(4).toLower() + QStringLiteral(".dat"), name);
    }
    if (!lowerFiles.isEmpty() && !upperFiles.isEmpty())
        throw BackupFailed(
            CopyOutcome::NoValidBackup, src,
            QStringLiteral("the folder holds backup files in both lower and upper case; which belong together "
                           "cannot be told"));
    return lowerFiles.isEmpty() ? upperFiles : lowerFiles;
}

// The bytes of a backup file, never through a link, never a device or a FIFO.
QByteArray ReadBackupFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        throw BackupFailed(error == ELOOP ? CopyOutcome::NoValidBackup : CopyOutcome::NotReady, path,
                           error == ELOOP ? QStringLiteral("it is a link, which a backup never holds")
                                          : QString::fromLocal8Bit(std::strerror(error)));
    }
    QFile file;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxCardFileBytes) {
        ::close(fd);
        throw BackupFailed(CopyOutcome::NoValidBackup, path, QStringLiteral("it is no card file"));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        throw BackupFailed(CopyOutcome::NotReady, path, file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) throw BackupFailed(CopyOutcome::NotReady, path, file.errorString());
    return bytes;
}

// A numbered card file holds only the card sections of its own hundred.
bool HoldsOnlyItsCards(const QByteArray& bytes, const QString& cardFile) {
    static const QRegularExpression record(QStringLiteral("^record\\s*(\\d{1,9})$"),
                                           QRegularExpression::CaseInsensitiveOption);
    for (QByteArray line : bytes.split('\n')) {
        line = line.trimmed();
        while (line.startsWith('\0')) line = line.mid(1).trimmed();
        if (!line.startsWith('[')) continue;
        const qsizetype close = line.indexOf(']');
        const auto m = record.match(QString::fromLatin1(line.mid(1, close < 0 ? -1 : close - 1)).trimmed());
        if (!m.hasMatch() || RecordFile(QString(), QString::number(m.captured(1).toLongLong())) != cardFile)
            return false;
    }
    return true;
}

void CheckCardFile(const QString& path, const QString& cardFile, const QByteArray& bytes) {
    const bool valid = cardFile == kHeaderFileName ? profile::ProfileDocument::parse(bytes)
                                                             .value(header::Section, header::Application)
                                                             .value_or(QString())
                                                             .compare(header::ApplicationName, Qt::CaseInsensitive) == 0
                                                   : HoldsOnlyItsCards(bytes, cardFile);
    if (!valid)
        throw BackupFailed(CopyOutcome::NoValidBackup, path, QStringLiteral("it is not a card file of Tessaly"));
}

// Cards are numbered without gaps: every card file below the header's count must be there.
void RequireEveryCardFile(const QString& src, const QMap<QString, QByteArray>& files) {
    const std::int64_t total = LeadingNumber(profile::ProfileDocument::parse(files.value(kHeaderFileName))
                                                 .value(header::Section, header::TotalNoOfRecords)
                                                 .value_or(QString()));
    for (std::int64_t n = 0; n < total; n += kCardsPerFile) {
        const QString needed = RecordFile(QString(), QString::number(n));
        if (!files.contains(needed))
            throw BackupFailed(CopyOutcome::NoValidBackup, src,
                               QStringLiteral("the backup is incomplete: %1 is missing").arg(BackupName(needed)));
    }
}

bool SameFolder(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath(), cb = QFileInfo(b).canonicalFilePath();
    return !ca.isEmpty() && ca == cb;
}

}  // namespace

void RestoreBackup(const QString& src, CardStore& store, const QString& uses) {
    const QString dataDir = store.DataDir();
    if (!QFileInfo(src).isDir() || !QFileInfo(src).isReadable())
        throw BackupFailed(CopyOutcome::NotReady, src, QStringLiteral("the folder is missing or cannot be read"));
    if (SameFolder(src, dataDir))
        throw BackupFailed(CopyOutcome::NoValidBackup, src,
                           QStringLiteral("the backup folder is the data folder itself"));
    // A backup swap that a crash stopped in that folder is finished first, so one whole backup is read.
    SettleBackupFolder(src);
    // Every file is read and checked before anything changes.
    QMap<QString, QByteArray> restored;  // by card file name
    const QMap<QString, QString> files = BackupFiles(src);
    if (!files.contains(kHeaderFileName))
        throw BackupFailed(CopyOutcome::NoValidBackup, src, QStringLiteral("there is no complete backup here"));
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        QByteArray bytes = ReadBackupFile(src + it.value());
        CheckCardFile(src + it.value(), it.key(), bytes);
        restored.insert(it.key(), std::move(bytes));
    }
    RequireEveryCardFile(src, restored);
    try {
        CardChange change(store, CardChange::Lists::AsTheyAre);
        StagedCardFiles stage(dataDir);
        for (auto it = restored.cbegin(); it != restored.cend(); ++it) stage.put(it.key(), it.value());
        // The copy carries the count of the moment of the backup.
        profile::CachedProfile staged;
        const QString stagedHeader = stage.folder() + kHeaderFileName;
        staged.write(stagedHeader, header::Section, header::NoOfUses, uses);
        // Record numbers are never handed out twice: a card added after the backup keeps its number
        // to itself (the history and the sibling program know cards by it).
        const QString counter = store.ReadHeader(header::TotalNoOfRecords);
        if (LeadingNumber(counter) >
            LeadingNumber(staged.read(stagedHeader, header::Section, header::TotalNoOfRecords)))
            staged.write(stagedHeader, header::Section, header::TotalNoOfRecords, counter.trimmed());
        change.aboutToReplace(stage.filesReplaced());
        if (ChangeRecorder* history = store.Recorder())
            history->describe(QStringLiteral("Restore from backup of %1")
                                  .arg(QFileInfo(src + files.value(kHeaderFileName))
                                           .lastModified()
                                           .toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
        stage.switchIn();
        // The lists follow the files, so that the change ends with the store knowing what they hold; the
        // restore is in, so a failure to read them back only leaves them to the next change.
        try {
            store.LoadLists();
            store.SortLists();
        } catch (const profile::FileError&) {
            change.forgetLists();
        }
        change.commit();
        store.FillList();
    } catch (const SwitchUnfinished& e) {
        throw BackupFailed(CopyOutcome::Failed, QString(), QString::fromUtf8(e.what()), false);
    } catch (
        const std::exception& e) {  // a write failed (the card files are as they were), or the lock was not to be had
        throw BackupFailed(CopyOutcome::Failed, QString(), QString::fromUtf8(e.what()));
    }
}

void RestoreBackup(const QString& src, const QString& dataDir, const QString& uses) {
    profile::CachedProfile profile;
    CardStore store(profile, dataDir);
    RestoreBackup(src, store, uses);
}

}  // namespace tessaly::store
