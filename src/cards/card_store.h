#pragma once
#include "card_layout.h"
#include "card_repair.h"
#include "change_recorder.h"
#include "progress_sink.h"
#include "shown_list_observer.h"

#include <QMap>
#include <QSet>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

namespace tessaly::profile {
class ProfileAccess;
}

namespace tessaly::store {

// A change the store refused before writing anything; the message says why.
class ChangeRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A change refused because another program has the card file open.
class InUseError : public ChangeRefused {
public:
    InUseError() : ChangeRefused("Another program is using the card file; changes are switched off.") {}

protected:
    explicit InUseError(const std::string& message) : ChangeRefused(message) {}
};

// Another process of ours kept the card file's change lock for longer than a change waits.
class CardFileBusy : public InUseError {
public:
    explicit CardFileBusy(const QString& lockFile);
};

// The card a change names is not where the change needs it (gone, or on the other list).
class NoSuchCard : public ChangeRefused {
public:
    using ChangeRefused::ChangeRefused;
};

// The card file cannot take another card (the 16-bit counts or the record numbers are used up).
class CardLimitReached : public ChangeRefused {
public:
    using ChangeRefused::ChangeRefused;
};

// The card was changed (by another program, or another window) after the values a change
// started from were read; nothing was written. 'stored' holds its values now.
class CardChangedMeanwhile : public ChangeRefused {
public:
    explicit CardChangedMeanwhile(Card now)
        : ChangeRefused("The card was changed by another program meanwhile."), stored(std::move(now)) {}
    Card stored;
};

class CardChange;

// The deleted cards as the restore window lists them.
struct DeletedList {
    std::int16_t DeletedCount = 0;  // "DelNoOfRecords" as read
    QStringList DeletedTexts;
    QStringList DeletedRecs;
};

// The card file of one data directory and the in-memory name and company
// lists. Every change writes its keys in a fixed order that the sibling
// program and the start-up check rely on, then updates the lists to match.
// A write the disk refuses throws profile::WriteError and stops the change there.
class CardStore {
public:
    CardStore(profile::ProfileAccess& profile, QString dataDir);

    const QString& DataDir() const { return dataDir_; }
    QString DataFile() const { return dataDir_ + kHeaderFileName; }
    // The file of a card; runs of writes to one file reuse its name.
    QString RecordFile(const QString& recNo) const;
    profile::ProfileAccess& Profile() { return profile_; }

    void SetProgress(ProgressSink* sink) { progress_ = sink ? sink : &silent_; }
    // Told which rows of the shown list changed (the main window's list); one at a time.
    void SetShownListObserver(ShownListObserver* observer) { observer_ = observer; }
    // Told of every change before it writes and when it ends (the change history); null for none.
    void SetRecorder(ChangeRecorder* recorder) { recorder_ = recorder; }
    ChangeRecorder* Recorder() const { return recorder_; }

    // Reading and writing single keys.
    QString ReadHeader(const QString& key);
    void WriteHeader(const QString& key, const QString& value);
    QString ReadCardKey(const QString& recNo, const QString& key);
    void WriteCardKey(const QString& recNo, const QString& key, const QString& value);
    // Keys of one card as one write of its file (a new card's section, whole).
    void WriteCardKeys(const QString& recNo, std::span<const QString> keys, std::span<const QString> values);
    Card ReadCard(const QString& recNo);
    // Every card on the lists loaded last and on the deleted list, with its values.
    CardStates EveryCardState();
    // Card recNo's values and list as the files hold them, given the heads of the name and deleted lists.
    CardState ReadCardState(const QString& recNo, const QString& nameFirst, const QString& delFirst);

    // Lists.
    void LoadLists();
    // The shown list is read afresh: the observer hears that every row may differ.
    void FillList();
    // True when the links in the files were rewritten.
    bool SortLists();
    // The card files the lists loaded last need but could not read. While there
    // are any, the lists show what could be read and nothing is written back.
    const QStringList& MissingFiles() const { return missingFiles_; }
    // What the last SortLists wrote back, or holds back while another program has the file.
    const QList<KeyChange>& Repairs() const { return repairs_; }
    bool RewritePending() const { return rewritePending_; }
    void SortFiltered();

    // NoOfRecords as the header says, until the lists are loaded.
    void ReadRecordCount();

    // The list the main window shows: the cards in the view's order, only
    // those the filter passed while it is on. The windows ask here what a row
    // shows, and keep no counts or positions of their own.
    int ShownCount() const;
    // The card shown at a row, or an empty text outside the list.
    QString ShownRecNo(int row) const;
    // What a row shows (the name or the company text), or an empty text outside the list.
    QString ShownText(int row) const;
    // The row that shows card n, or -1 when the list does not hold it.
    int ListPosition(const QString& n) const;
    // The record numbers of the rows, ShownCount() of them.
    QStringList ShownRecNos() const;
    bool HasCards() const { return NoOfRecords > 0; }
    bool ShowsCompanies() const { return Show != 0; }
    bool IsFiltered() const { return FilterOn; }
    // The list by names (0) or by companies; the list box is filled again.
    void SetView(int show);
    // The list shows only these cards, in the order of the view; cards added
    // later join it when FilterMatch passes them. The list box is filled again.
    void SetFilter(const QStringList& matching);
    // Every card is shown again.
    void ClearFilter();
    // Tests card n against FilterMatch again and adds it to or drops it from
    // the filtered lists to match; the list box is filled again when it changed.
    void RefilterCard(const QString& n, const QString& showName, const QString& showCompany);

    // While another program holds the card file every change is refused with
    // InUseError, whichever window or command asked for it.
    void SetInUse(bool inUse) { inUse_ = inUse; }
    bool InUse() const { return inUse_; }

    // The start-up path under the change lock: LoadLists, then SortLists. True when the links were rewritten.
    bool RefreshLists();
    // Removes the temporary files that runs killed in the middle of a write
    // left in the data folder, while no change of ours is under way there.
    void RemoveLeftoverTemporaries();
    // How long a change waits for another process's change to end before it is refused.
    void SetLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }

    // Changes. Each holds a CardChange: they are serialised with other processes,
    // see the card file as it is on disk, and leave it as it was when they fail.
    void WriteCard(const QString& n, Card& fields);
    void InsertCard(const QString& n, const QString& showName, const QString& showCompany);
    // Card r leaves the lists (and its line the main list) for the deleted list.
    void DeleteCard(const QString& r);
    void RestoreCard(const QString& r);
    bool HasDeletedCards();
    DeletedList LoadDeletedList();

    // A new card from the values typed: its record number.
    QString AddCard(Card fields);
    // Card n changed from 'current' to 'typed'; it moves when its name or company changed.
    // 'current' holds the stored values afterwards. True when the card moved.
    bool ChangeCard(const QString& n, Card& current, Card typed);
    // ChangeCard, refused with CardChangedMeanwhile when the card no longer holds 'opened' (the
    // values an Edit window showed), checked under the change lock.
    bool ChangeCardIfUnchanged(const QString& n, Card& opened, Card typed);
    // Many new cards at once, as an import brings them, on the lists loaded:
    // each card's section is written whole, then every link once, in one bulk
    // (each file written once, the header last). The file is the one that
    // adding each card at the head of both lists and sorting gives (the cards
    // in their order, each before those it compares equal to). 'tick' hears
    // of each card written.
    void AppendCards(QList<Card> cards, const std::function<void(qsizetype done)>& tick = {});

    // Program-wide state kept with the lists it describes. The lists hold
    // exactly NoOfRecords entries (none for an empty file).
    std::int16_t NoOfRecords = 0;
    QStringList AllNames, AllByName, AllCompanies, AllByCompany;
    bool FilterOn = false;
    std::int16_t FilteredCount = 0;
    QStringList FilteredNames, FilteredByName, FilteredCompanies, FilteredByCompany;
    std::function<bool(const QString& recNo)> FilterMatch;
    int Show = 0;                   // view: 0 names, otherwise companies
    std::int16_t DeletedCount = 0;  // deleted cards as last read or changed

private:
    friend class CardChange;
    void RewriteLinks();
    void RewriteListLinks();
    void RemoveFromLists(const QString& r);
    void JoinDeletedNeighbours(const QString& p, const QString& x);
    void LinkAt(const QString& n, const QStringList& recs, qsizetype at, const QString& headKey, const QString& prevKey,
                const QString& nextKey);
    void ResetLists();
    const QStringList& ShownRecs() const;
    std::int64_t FreeRecordNumber(std::int64_t from);
    void RequireEditable() const;
    void RequireWholeView() const;
    void RequireLive(const QString& n) const;
    void UnlinkLive(const QString& r);
    QStringList WalkDeletedList();

    profile::ProfileAccess& profile_;
    QString dataDir_;
    ProgressSink silent_;
    ProgressSink* progress_ = &silent_;
    ShownListObserver* observer_ = nullptr;
    ChangeRecorder* recorder_ = nullptr;
    std::optional<CardFileSurvey> survey_;  // from LoadLists to the SortLists after it
    QStringList deletedPlan_, missingFiles_;
    QList<KeyChange> repairs_;
    bool rewritePending_ = false;
    bool inUse_ = false;
    // The change in progress (the outermost CardChange), and the card files as
    // the lists last saw them: a change reloads the lists when they differ.
    struct FileStamp {
        std::int64_t size = 0, mtimeNs = 0;
        std::uint64_t inode = 0;
        bool operator==(const FileStamp&) const = default;
    };
    CardChange* change_ = nullptr;
    QMap<QString, FileStamp> stamps_;
    bool listsCurrent_ = false;
    std::chrono::milliseconds lockWait_{5000};
    mutable std::vector<QString> recordFiles_;  // by card file number
};

// Whether the card file in a folder is one of ours.
enum class DataFileState { Valid, Missing, Foreign };
DataFileState CheckDataFile(profile::ProfileAccess& profile, const QString& dataFile);
inline const QString kMissingDataFileText = QStringLiteral("I can't find an Tessaly data files.");
inline const QString kForeignDataFileText = QStringLiteral("This is not a valid Tessaly data file.");
void WriteEmptyHeader(profile::ProfileAccess& profile, const QString& dataFile);

// Percent of a gauge for step k of n, as the single-precision arithmetic rounds it.
int GaugePercent(int k, int n);

}  // namespace tessaly::store
