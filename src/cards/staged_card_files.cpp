#include "staged_card_files.h"

#include "card_layout.h"
#include "card_lock.h"
#include "profile/atomic_file.h"
#include "profile/file_faults.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tessaly::store {

namespace {

using profile::Durability;
using profile::FileStep;
using profile::WriteError;

const QString kNew = QStringLiteral("new/");
const QString kOld = QStringLiteral("old/");
const QString kRetired = QStringLiteral("retired/");
const QString kJournal = QStringLiteral("journal");
const QByteArray kJournalTitle = "tessaly card file switch 1\n";

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

[[noreturn]] void Fail(const QString& what, const QString& path, int error) {
    throw WriteError(QStringLiteral("Could not %1 %2: %3")
                         .arg(what, path, QString::fromLocal8Bit(std::strerror(error)))
                         .toStdString());
}

// Whether anything, a link included, has this name.
bool Exists(const QString& path) {
    struct stat st {};
    return ::lstat(Native(path).constData(), &st) == 0;
}

bool IsRealFolder(const QString& path) {
    struct stat st {};
    return ::lstat(Native(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

void Rename(const QString& from, const QString& to) {
    if (profile::InjectedFault(FileStep::Rename, to)) Fail(QStringLiteral("move"), from, EIO);
    if (::rename(Native(from).constData(), Native(to).constData()) != 0) Fail(QStringLiteral("move"), from, errno);
}

void Remove(const QString& path) {
    if (::unlink(Native(path).constData()) != 0 && errno != ENOENT) Fail(QStringLiteral("remove"), path, errno);
}

// The mode of the header file, which every copy of the cards takes.
std::optional<mode_t> CardFileMode(const QString& dataDir) {
    struct stat st {};
    if (::stat(Native(dataDir + kHeaderFileName).constData(), &st) != 0) return std::nullopt;
    return mode_t(st.st_mode & 0777);
}

// A folder as private as the card file: who may not read the card file may not list its copies.
void MakeFolder(const QString& path, const QString& dataDir) {
    const mode_t file = CardFileMode(dataDir).value_or(0644);
    const mode_t mode = 0700 | ((file & 0040) ? 0050 : 0) | ((file & 0004) ? 0005 : 0);
    if (::mkdir(Native(path).constData(), mode) != 0) {
        if (errno != EEXIST || !IsRealFolder(path)) Fail(QStringLiteral("create the folder"), path, errno);
    }
    ::chmod(Native(path).constData(), mode);  // past the umask; a file system without modes refuses, which is no fault
}

// The old file kept under another name: a second link, or a copy where the
// file system has no links.
void Keep(const QString& from, const QString& to) {
    if (profile::InjectedFault(FileStep::Create, to)) Fail(QStringLiteral("keep a copy of"), from, EIO);
    if (::link(Native(from).constData(), Native(to).constData()) == 0) return;
    const int error = errno;
    if (error != EPERM && error != ENOTSUP && error != EXDEV && error != EMLINK)
        Fail(QStringLiteral("keep a copy of"), from, error);
    std::optional<profile::FileContent> content = profile::ReadWholeFile(from);
    if (!content) Fail(QStringLiteral("keep a copy of"), from, ENOENT);
    profile::ReplaceFile(to, content->bytes, Durability::Synced);
    struct stat st {};
    if (::stat(Native(from).constData(), &st) == 0) ::chmod(Native(to).constData(), st.st_mode & 0777);
}

// The card files of a folder: regular files only, never a link.
QStringList CardFilesIn(const QString& folder) {
    QStringList names;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System))
        if (!info.isSymLink() && IsCardFileName(info.fileName())) names << info.fileName();
    return names;
}

// Numbered files in record order, the header last: a reader that sees the new
// header finds every card file it names.
void HeaderLast(QStringList& names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const bool ha = a == kHeaderFileName, hb = b == kHeaderFileName;
        if (ha != hb) return hb;
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
}

bool IsOurFile(const QString& name) {
    static const QRegularExpression backup(QStringLiteral("^tesly(0|[1-9][0-9]*)?\\.old$"),
                                           QRegularExpression::CaseInsensitiveOption);
    return IsCardFileName(name) || backup.match(name).hasMatch() || profile::IsOurTemporaryName(name) ||
           name == QLatin1String("tesly.lock") || name == kJournal;
}

// Removes what we made in a folder of the stage (links themselves, never what
// they point to), then the folder when nothing else is in it.
void RemoveOurFiles(const QString& folder) {
    if (!IsRealFolder(folder)) return;
    for (const QString& name :
         QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        if (IsOurFile(name)) ::unlink(Native(folder + name).constData());
    ::rmdir(Native(folder).constData());
}

void RemoveStage(const QString& stage) {
    for (const QString& sub : {kNew, kOld, kRetired}) RemoveOurFiles(stage + sub);
    RemoveOurFiles(stage);
}

// The new set the journal names, or nothing when no switch was recorded.
std::optional<QStringList> ReadJournal(const QString& stage) {
    std::optional<profile::FileContent> content = profile::ReadWholeFile(stage + kJournal);
    if (!content) return std::nullopt;
    if (!content->bytes.startsWith(kJournalTitle))
        throw profile::ReadError(QStringLiteral("%1 is not a journal of ours").arg(stage + kJournal).toStdString());
    QStringList names;
    for (const QByteArray& line : content->bytes.mid(kJournalTitle.size()).split('\n'))
        if (IsCardFileName(QString::fromUtf8(line))) names << QString::fromUtf8(line);  // never a path
    HeaderLast(names);
    return names;
}

// Every step can be taken again after a crash: what was done is seen in the folders.
void MoveIn(const QString& dataDir, const QStringList& names) {
    const QString stage = StageFolder(dataDir);
    const QStringList current = CardFilesIn(dataDir);
    for (const QString& name : current) {
        const bool alreadyNew = names.contains(name) && !Exists(stage + kNew + name);
        if (!alreadyNew && !Exists(stage + kOld + name)) Keep(dataDir + name, stage + kOld + name);
    }
    for (const QString& name : current)
        if (!names.contains(name)) Remove(dataDir + name);
    for (const QString& name : names)
        if (Exists(stage + kNew + name)) Rename(stage + kNew + name, dataDir + name);
    profile::SyncFolder(dataDir);
}

// Each step can be taken again, and a roll-forward from any point of it is still
// sound: a new file goes back into the stage before the old one comes back.
void RollBack(const QString& dataDir, QStringList names) {
    const QString stage = StageFolder(dataDir);
    std::reverse(names.begin(), names.end());  // the header first
    for (const QString& name : names) {
        if (!Exists(stage + kNew + name) && Exists(dataDir + name)) Rename(dataDir + name, stage + kNew + name);
        if (!Exists(dataDir + name) && Exists(stage + kOld + name)) Keep(stage + kOld + name, dataDir + name);
    }
    for (const QString& name : CardFilesIn(stage + kOld))
        if (!Exists(dataDir + name)) Keep(stage + kOld + name, dataDir + name);
    profile::SyncFolder(dataDir);
    Remove(stage + kJournal);
    profile::SyncFolder(stage);
}

// The old card files become the safety copy, under their backup names, in
// place of the previous one; then the journal and the stage go.
void Tidy(const QString& dataDir) {
    const QString stage = StageFolder(dataDir), safety = SafetyFolder(dataDir);
    if (IsRealFolder(stage + kOld)) {
        for (const QString& name : CardFilesIn(stage + kOld))
            Rename(stage + kOld + name, stage + kOld + name.chopped(4) + QStringLiteral(".old"));
        if (Exists(safety.chopped(1))) {
            if (IsRealFolder(safety))
                Rename(safety.chopped(1), stage + kRetired.chopped(1));
            else
                Remove(safety.chopped(1));  // a link in its place is not followed
        }
        Rename(stage + kOld.chopped(1), safety.chopped(1));
    }
    profile::SyncFolder(dataDir);
    Remove(stage + kJournal);
    RemoveStage(stage);
}

}  // namespace

QString StageFolder(const QString& dataDir) {
    return dataDir + QStringLiteral(".tessaly-stage/");
}

QString SafetyFolder(const QString& dataDir) {
    return dataDir + QStringLiteral("safety-copy/");
}

bool IsCardFileName(const QString& name) {
    static const QRegularExpression form(QStringLiteral("^tesly(0|[1-9][0-9]*)?\\.dat$"));
    return form.match(name).hasMatch();
}

StagedCardFiles::StagedCardFiles(const QString& dataDir) : dataDir_(dataDir) {
    SettleCardFiles(dataDir_);
    const QString stage = StageFolder(dataDir_);
    MakeFolder(stage, dataDir_);
    MakeFolder(stage + kNew, dataDir_);
    MakeFolder(stage + kOld, dataDir_);
}

StagedCardFiles::~StagedCardFiles() {
    const QString stage = StageFolder(dataDir_);
    // An unfinished switch keeps its journal and stage for the next opening.
    if (!switched_ && !Exists(stage + kJournal)) RemoveStage(stage);
}

QString StagedCardFiles::folder() const {
    return StageFolder(dataDir_) + kNew;
}

void StagedCardFiles::copyCurrent() {
    for (const QString& name : CardFilesIn(dataDir_)) {
        std::optional<profile::FileContent> content = profile::ReadWholeFile(dataDir_ + name);
        if (content) put(name, content->bytes);
    }
}

void StagedCardFiles::copyHeader() {
    if (std::optional<profile::FileContent> content = profile::ReadWholeFile(dataDir_ + kHeaderFileName))
        put(kHeaderFileName, content->bytes);
}

void StagedCardFiles::put(const QString& name, const QByteArray& bytes) {
    const QString path = folder() + name;
    profile::ReplaceFile(path, bytes, Durability::Deferred);
    if (const std::optional<mode_t> mode = CardFileMode(dataDir_)) ::chmod(Native(path).constData(), *mode);
}

QStringList StagedCardFiles::filesReplaced() const {
    QStringList names = CardFilesIn(dataDir_);
    for (const QString& name : CardFilesIn(folder()))
        if (!names.contains(name)) names << name;
    for (QString& name : names) name.prepend(dataDir_);
    return names;
}

void StagedCardFiles::switchIn() {
    const QString stage = StageFolder(dataDir_);
    QStringList names = CardFilesIn(folder());
    if (!names.contains(kHeaderFileName))
        throw WriteError(
            QStringLiteral("The new card file in %1 has no %2").arg(folder(), kHeaderFileName).toStdString());
    HeaderLast(names);
    for (const QString& name : names) profile::SyncFile(folder() + name);
    profile::SyncFolder(folder());
    try {
        profile::ReplaceFile(stage + kJournal, kJournalTitle + names.join(u'\n').toUtf8() + '\n', Durability::Synced);
        MoveIn(dataDir_, names);
    } catch (const profile::FileError& failed) {
        try {
            // A journal that reached the disk (only its flush failed) is taken back too.
            if (Exists(stage + kJournal)) RollBack(dataDir_, names);
        } catch (const profile::FileError& stuck) {
            throw SwitchUnfinished(QStringLiteral("%1; the card files could not be put back either (%2). The change is "
                                                  "finished when the card file is next opened.")
                                       .arg(QString::fromUtf8(failed.what()), QString::fromUtf8(stuck.what()))
                                       .toStdString());
        }
        throw;
    }
    switched_ = true;
    try {
        Tidy(dataDir_);
    } catch (const profile::FileError& e) {
        // The cards are switched; the safety copy is moved into place when the card file is next opened.
        qWarning("The safety copy is not in place yet: %s", e.what());
    }
}

bool HasUnsettledChange(const QString& dataDir) {
    return Exists(StageFolder(dataDir).chopped(1));
}

bool SettleCardFiles(const QString& dataDir) {
    const QString stage = StageFolder(dataDir);
    if (!Exists(stage.chopped(1))) return false;
    if (const std::optional<QStringList> names = ReadJournal(stage)) {
        MoveIn(dataDir, *names);
        Tidy(dataDir);
    } else {
        RemoveStage(stage);
    }
    return true;
}

bool SettleBeforeUse(const QString& dataDir, std::chrono::milliseconds wait) {
    if (!HasUnsettledChange(dataDir)) return false;
    const CardFileLock lock(dataDir, wait);
    return SettleCardFiles(dataDir);
}

}  // namespace tessaly::store
