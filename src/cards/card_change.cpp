#include "card_change.h"

#include "card_store.h"
#include "profile/atomic_file.h"
#include "profile/profile_access.h"
#include "staged_card_files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <QFile>
#include <QtGlobal>
#include <algorithm>
#include <cctype>
#include <string_view>

namespace tessaly::store {

CardChange::CardChange(CardStore& store, Lists lists) : store_(store), outermost_(store.change_ == nullptr) {
    if (!outermost_) return;
    lock_.emplace(store_.DataDir(), store_.lockWait_);
    // What was written before the change is on disk: the change notes each file's bytes from there.
    store_.profile_.flushPending();
    store_.change_ = this;
    try {
        // A restore or import that a crash stopped is finished (or thrown away) before anything else touches the files.
        if (SettleCardFiles(store_.DataDir())) store_.listsCurrent_ = false;
        if (lists == Lists::Refresh && (!store_.listsCurrent_ || filesChanged())) reloadLists();
    } catch (...) {
        rollBack();
        store_.change_ = nullptr;
        throw;
    }
}

CardChange::~CardChange() {
    if (!outermost_) return;
    if (!committed_) rollBack();
    store_.change_ = nullptr;
}

void CardChange::commit() {
    if (!outermost_) return;
    // The change's last writes reach the disk before it counts as made (and before the stamps).
    store_.profile_.flushPending();
    // A change the history cannot hold is put back, like one whose write failed; but a switch of the
    // whole card file is not undone file by file (on a full disk that would mix the two sets).
    if (ChangeRecorder* r = recorder(); r && !before_.isEmpty()) {
        try {
            r->committed(transitions(), [this] { return store_.EveryCardState(); });
        } catch (const std::exception& e) {
            if (!replacesFiles_) throw;
            qWarning("The history could not record the change: %s", e.what());
        }
    }
    committed_ = true;
    before_.clear();
    takeStamps();
    store_.listsCurrent_ = listsKnown_;
}

void CardChange::forgetLists() {
    listsKnown_ = false;
}

void CardChange::aboutToWrite(const QString& file) {
    if (before_.contains(file)) return;
    std::optional<profile::FileContent> content = profile::ReadWholeFile(file);
    std::optional<QByteArray> bytes = content ? std::optional<QByteArray>(std::move(content->bytes)) : std::nullopt;
    if (ChangeRecorder* r = recorder()) {
        noteHeads();
        r->aboutToWrite(file, bytes, replacesFiles_);
    }
    before_.insert(file, std::move(bytes));
}

void CardChange::aboutToWriteCard(const QString& recNo) {
    ChangeRecorder* r = recorder();
    if (!r || replacesFiles_ || cardsBefore_.contains(recNo)) return;
    noteHeads();
    cardsBefore_.insert(recNo, store_.ReadCardState(recNo, headsBefore_->first, headsBefore_->second));
    touched_.append(recNo);
}

void CardChange::aboutToReplace(const QStringList& files) {
    replacesFiles_ = true;
    for (const QString& file : files) {
        aboutToWrite(file);
        switched_.insert(file);
    }
}

ChangeRecorder* CardChange::recorder() const {
    return store_.change_ ? store_.recorder_ : nullptr;
}

// The heads of the name and deleted lists tell a card at the head of its list: noted before the header changes.
void CardChange::noteHeads() {
    if (headsBefore_) return;
    headsBefore_.emplace(store_.ReadHeader(header::NameFirstRecord).trimmed(),
                         store_.ReadHeader(header::DelFirstRecord).trimmed());
}

QList<CardTransition> CardChange::transitions() {
    QList<CardTransition> changed;
    if (replacesFiles_) return changed;
    const QString nameFirst = store_.ReadHeader(header::NameFirstRecord).trimmed();
    const QString delFirst = store_.ReadHeader(header::DelFirstRecord).trimmed();
    for (const QString& recNo : touched_) {
        CardTransition t{recNo, cardsBefore_.value(recNo), store_.ReadCardState(recNo, nameFirst, delFirst)};
        if (!(t.before == t.after)) changed.append(std::move(t));
    }
    return changed;
}

// Another process changed the cards: the lists are read again, and the
// window's list follows when they came out different.
void CardChange::reloadLists() {
    store_.listsCurrent_ = false;  // until the reload is complete
    const QStringList names = store_.AllNames, byName = store_.AllByName;
    const QStringList companies = store_.AllCompanies, byCompany = store_.AllByCompany;
    store_.LoadLists();
    store_.SortLists();
    store_.listsCurrent_ = true;
    takeStamps();
    if (names == store_.AllNames && byName == store_.AllByName && companies == store_.AllCompanies &&
        byCompany == store_.AllByCompany)
        return;
    if (store_.FilterOn && store_.FilterMatch) {
        store_.FilteredNames.clear(), store_.FilteredByName.clear();
        store_.FilteredCompanies.clear(), store_.FilteredByCompany.clear();
        for (qsizetype i = 0; i < store_.AllByName.size(); ++i) {
            const QString& rec = store_.AllByName[i];
            if (!store_.FilterMatch(rec)) continue;
            store_.FilteredNames.append(store_.AllNames[i]);
            store_.FilteredByName.append(rec);
            store_.FilteredCompanies.append(store_.ReadCardKey(rec, key::ShowCompany));
            store_.FilteredByCompany.append(rec);
        }
        store_.FilteredCount = static_cast<std::int16_t>(store_.FilteredByName.size());
        store_.SortFiltered();
    }
    store_.FillList();
}

void CardChange::rollBack() noexcept {
    store_.profile_.discardPending();                      // writes of the change not yet on disk never get there
    if (!before_.isEmpty()) store_.listsCurrent_ = false;  // the lists may hold part of the change
    ChangeRecorder* r = before_.isEmpty() ? nullptr : recorder();
    bool whole = true;
    for (auto it = before_.cbegin(); it != before_.cend(); ++it) {
        const QString& file = it.key();
        // A switch puts its own files back, or leaves them for the next opening to finish.
        if (switched_.contains(file)) continue;
        QString error;
        if (!it.value()) {
            if (QFile::exists(file) && !QFile::remove(file)) error = QStringLiteral("cannot remove it");
        } else {
            QFile current(file);
            if (current.open(QIODevice::ReadOnly) && current.readAll() == *it.value()) continue;
            try {
                profile::ReplaceFile(file, *it.value(), profile::Durability::Synced);
            } catch (const profile::FileError& e) {
                error = QString::fromUtf8(e.what());
            }
        }
        if (!error.isEmpty()) qWarning("Could not put %s back as it was: %s", qPrintable(file), qPrintable(error));
        whole = whole && error.isEmpty();
    }
    before_.clear();
    if (r) r->rolledBack(whole);
}

void CardChange::takeStamps() {
    QMap<QString, CardStore::FileStamp> stamps;
    const QString dir = store_.DataDir().isEmpty() ? QStringLiteral("./") : store_.DataDir();
    // A plain listing: this runs twice per change, and a name filter compiles a pattern each time.
    // Names match without regard to case, as the folder's name filters did.
    DIR* folder = ::opendir(QFile::encodeName(dir).constData());
    if (!folder) {
        store_.stamps_ = std::move(stamps);
        return;
    }
    const int folderFd = ::dirfd(folder);
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name(entry->d_name);
        auto hasEnd = [&](std::string_view end, std::size_t at) {
            return std::equal(end.begin(), end.end(), name.begin() + at,
                              [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
        };
        if (name.size() < 9 || !hasEnd("tesly", 0) || !hasEnd(".dat", name.size() - 4)) continue;
        struct stat st {};
        if (::fstatat(folderFd, entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
        stamps.insert(QFile::decodeName(entry->d_name),
                      {std::int64_t(st.st_size), std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
                       std::uint64_t(st.st_ino)});
    }
    ::closedir(folder);
    store_.stamps_ = std::move(stamps);
}

bool CardChange::filesChanged() {
    const QMap<QString, CardStore::FileStamp> seen = store_.stamps_;
    takeStamps();
    return !(seen == store_.stamps_);
}

}  // namespace tessaly::store
