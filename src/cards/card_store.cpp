#include "card_store.h"

#include "card_lock.h"

#include "card_change.h"
#include "display_text.h"
#include "profile/atomic_file.h"
#include "profile/profile_access.h"

#include <QSet>
#include <cmath>

namespace tessaly::store {

using profile::ProfileOperation;

int GaugePercent(int k, int n) {
    if (n <= 0) return 100;
    return std::clamp(static_cast<int>(std::lrint(static_cast<float>(k) * 100.0f / static_cast<float>(n))), 0, 100);
}

CardStore::CardStore(profile::ProfileAccess& profile, QString dataDir)
    : profile_(profile), dataDir_(std::move(dataDir)) {
    // The header is written last, so a card file it names is always complete;
    // new card files take the header's owner and mode.
    profile_.setFlushedLast(DataFile());
    profile_.setNewFileModel(DataFile());
}

QString CardStore::ReadHeader(const QString& key) {
    return profile_.read(DataFile(), header::Section, key);
}

void CardStore::WriteHeader(const QString& key, const QString& value) {
    if (change_) change_->aboutToWrite(DataFile());
    profile_.write(DataFile(), header::Section, key, value);
}

QString CardStore::ReadCardKey(const QString& recNo, const QString& key) {
    return profile_.read(RecordFile(recNo), RecordSection(recNo), key);
}

QString CardStore::RecordFile(const QString& recNo) const {
    const std::int64_t number = LeadingNumber(recNo) / kCardsPerFile;
    // A sort writes to the cards of many files in turn: each name is made once.
    constexpr std::int64_t kNamesKept = 1024;
    if (number < 0 || number >= kNamesKept) return store::RecordFile(dataDir_, recNo);
    if (recordFiles_.size() <= std::size_t(number)) recordFiles_.resize(std::size_t(number) + 1);
    QString& name = recordFiles_[std::size_t(number)];
    if (name.isNull()) name = store::RecordFile(dataDir_, recNo);
    return name;
}

void CardStore::WriteCardKeys(const QString& recNo, std::span<const QString> keys, std::span<const QString> values) {
    const QString file = RecordFile(recNo);
    if (change_) {
        change_->aboutToWrite(file);
        change_->aboutToWriteCard(recNo);
    }
    profile_.writeSection(file, RecordSection(recNo), keys, values);
}

void CardStore::WriteCardKey(const QString& recNo, const QString& key, const QString& value) {
    const QString file = RecordFile(recNo);
    if (change_) {
        change_->aboutToWrite(file);
        change_->aboutToWriteCard(recNo);
    }
    profile_.write(file, RecordSection(recNo), key, value);
}

CardStates CardStore::EveryCardState() {
    ProfileOperation op(profile_);
    CardStates cards;
    for (const QString& n : AllByName) cards.insert(n, {CardPlace::Live, ReadCard(n)});
    for (const QString& n : WalkDeletedList()) cards.insert(n, {CardPlace::Deleted, ReadCard(n)});
    return cards;
}

CardState CardStore::ReadCardState(const QString& recNo, const QString& nameFirst, const QString& delFirst) {
    ProfileOperation op(profile_);
    CardState state;
    if (!profile_.hasSection(RecordFile(recNo), RecordSection(recNo))) return state;
    state.fields = ReadCard(recNo);
    if (recNo == nameFirst || !ReadCardKey(recNo, key::PrevName).trimmed().isEmpty())
        state.place = CardPlace::Live;
    else if (recNo == delFirst || !ReadCardKey(recNo, key::PrevDel).trimmed().isEmpty())
        state.place = CardPlace::Deleted;
    return state;
}

Card CardStore::ReadCard(const QString& recNo) {
    ProfileOperation op(profile_);
    Card fields;
    for (int i = 0; i < kFieldCount; ++i) fields[i] = ReadCardKey(recNo, FieldKeys[i]);
    return fields;
}

void CardStore::ReadRecordCount() {
    NoOfRecords = Count16(ReadHeader(header::NoOfRecords));
}

void CardStore::FillList() {
    if (observer_) observer_->shownListReset();
}

const QStringList& CardStore::ShownRecs() const {
    const bool names = Show == 0;
    return FilterOn ? (names ? FilteredByName : FilteredByCompany) : (names ? AllByName : AllByCompany);
}

// The counts are 16-bit, the lists may be longer; the list box shows no more than the lists hold.
int CardStore::ShownCount() const {
    const int count = FilterOn ? FilteredCount : NoOfRecords;
    return std::clamp(count, 0, static_cast<int>(ShownRecs().size()));
}

QString CardStore::ShownRecNo(int row) const {
    return row >= 0 && row < ShownCount() ? ShownRecs().at(row) : QString();
}

int CardStore::ListPosition(const QString& n) const {
    const int row = static_cast<int>(ShownRecs().indexOf(n.trimmed()));
    return row < ShownCount() ? row : -1;
}

QString CardStore::ShownText(int row) const {
    if (row < 0 || row >= ShownCount()) return QString();
    const bool names = Show == 0;
    const QStringList& texts =
        FilterOn ? (names ? FilteredNames : FilteredCompanies) : (names ? AllNames : AllCompanies);
    return texts.value(row);
}

QStringList CardStore::ShownRecNos() const {
    return ShownRecs().first(ShownCount());
}

void CardStore::SetView(int show) {
    Show = show;
    FillList();
}

void CardStore::SetFilter(const QStringList& matching) {
    const QSet<QString> pass(matching.cbegin(), matching.cend());
    FilteredNames.clear(), FilteredByName.clear(), FilteredCompanies.clear(), FilteredByCompany.clear();
    // The full lists are in order already, so the filtered ones need no sort.
    for (qsizetype i = 0; i < AllByName.size() && i < AllNames.size(); ++i)
        if (pass.contains(AllByName[i])) FilteredNames << AllNames[i], FilteredByName << AllByName[i];
    for (qsizetype i = 0; i < AllByCompany.size() && i < AllCompanies.size(); ++i)
        if (pass.contains(AllByCompany[i])) FilteredCompanies << AllCompanies[i], FilteredByCompany << AllByCompany[i];
    FilteredCount = static_cast<std::int16_t>(std::min<qsizetype>(FilteredByName.size(), 32767));
    FilterOn = true;
    FillList();
}

void CardStore::ClearFilter() {
    FilterOn = false;
    FillList();
}

void CardStore::RefilterCard(const QString& n, const QString& showName, const QString& showCompany) {
    if (!FilterOn || !FilterMatch) return;
    const qsizetype byName = FilteredByName.indexOf(n), byCompany = FilteredByCompany.indexOf(n);
    const bool passes = FilterMatch(n);
    if (passes == (byName >= 0)) return;
    if (passes) {
        FilteredNames << showName, FilteredByName << n, FilteredCompanies << showCompany, FilteredByCompany << n;
        FilteredCount = static_cast<std::int16_t>(FilteredCount + 1);
        SortFiltered();
    } else {
        FilteredByName.removeAt(byName), FilteredNames.removeAt(byName);
        if (byCompany >= 0) FilteredByCompany.removeAt(byCompany), FilteredCompanies.removeAt(byCompany);
        FilteredCount = static_cast<std::int16_t>(FilteredByName.size());
    }
    FillList();
}

void CardStore::ResetLists() {
    AllNames.clear();
    AllByName.clear();
    AllCompanies.clear();
    AllByCompany.clear();
}

void CardStore::RequireEditable() const {
    if (inUse_) throw InUseError();
}

// A change on a partial view would write counts and links from what could be
// read: nothing is changed while a card file the lists need is away.
void CardStore::RequireWholeView() const {
    if (!missingFiles_.isEmpty())
        throw profile::ReadError(QStringLiteral("Nothing is changed while %1 is missing or cannot be read.")
                                     .arg(missingFiles_.join(QStringLiteral(", ")))
                                     .toStdString());
}

// Checked under the change lock, after the lists were brought up to date.
void CardStore::RequireLive(const QString& n) const {
    if (!AllByName.contains(n) || !AllByCompany.contains(n))
        throw NoSuchCard(QStringLiteral("Card %1 is not on the name and company lists").arg(n).toStdString());
}

void CardStore::RemoveLeftoverTemporaries() {
    try {
        const CardFileLock lock(dataDir_, std::chrono::milliseconds(0));
        profile::RemoveLeftoverTemporaries(dataDir_.isEmpty() ? QStringLiteral(".") : dataDir_);
    } catch (const std::exception&) {
        // A change of another process is under way, or the folder is read-only: the next opening tries again.
    }
}

bool CardStore::RefreshLists() {
    CardChange change(*this, CardChange::Lists::AsTheyAre);
    LoadLists();
    const bool rewritten = SortLists();
    change.commit();
    return rewritten;
}

bool CardStore::HasDeletedCards() {
    return Count16(ReadHeader(header::DelNoOfRecords)) != 0;
}

DataFileState CheckDataFile(profile::ProfileAccess& profile, const QString& dataFile) {
    ProfileOperation op(profile);
    const QString application = profile.read(dataFile, header::Section, header::Application);
    const QString total = profile.read(dataFile, header::Section, header::TotalNoOfRecords);
    const QString count = profile.read(dataFile, header::Section, header::NoOfRecords);
    if (application.compare(header::ApplicationName, Qt::CaseInsensitive) == 0 && !total.isEmpty() && !count.isEmpty())
        return DataFileState::Valid;
    if (application.isEmpty() || application.compare(header::ApplicationName, Qt::CaseInsensitive) == 0)
        return DataFileState::Missing;
    return DataFileState::Foreign;
}

void WriteEmptyHeader(profile::ProfileAccess& profile, const QString& dataFile) {
    ProfileOperation op(profile);
    const QString values[][2] = {{header::Application, header::ApplicationName},
                                 {header::TotalNoOfRecords, QStringLiteral("0")},
                                 {header::NoOfRecords, QStringLiteral("0")},
                                 {header::NameFirstRecord, QString()},
                                 {header::CompanyFirstRecord, QString()},
                                 {header::DelNoOfRecords, QStringLiteral("0")},
                                 {header::DelFirstRecord, QString()}};
    for (const auto& kv : values) profile.write(dataFile, header::Section, kv[0], kv[1]);
    op.finish();
}

}  // namespace tessaly::store
