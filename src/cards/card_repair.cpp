#include "card_repair.h"

#include "card_store.h"
#include "profile/profile_access.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <map>

namespace tessaly::store {
namespace {

enum LinkIndex { PrevName, NextName, PrevCompany, NextCompany, PrevDel, NextDel };

// K of a folder entry "tesly" + K + ".dat" as RecordFile forms it, or -1.
std::int64_t CardFileNumber(const QString& name) {
    if (!name.startsWith(u"tesly") || !name.endsWith(u".dat")) return -1;
    const QString k = name.mid(5, name.size() - 9);
    if (!IsRecordNumber(k) || k != QString::number(LeadingNumber(k))) return -1;
    return LeadingNumber(k);
}

QString CardFileName(std::int64_t k) {
    return QStringLiteral("tesly%1.dat").arg(k);
}

// The number of a link as IsRecordNumber reads it (blanks around it, leading
// zeros allowed), or -1 when the text is no record number.
std::int64_t LinkNumber(QStringView link) {
    const QStringView t = link.trimmed();
    if (t.isEmpty() || t.size() > 9) return -1;
    std::int64_t n = 0;
    for (QChar c : t) {
        if (c < u'0' || c > u'9') return -1;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

// n when the text is the number n as the store writes it: digits only, no
// leading zero, at most nine of them; otherwise -1.
std::int32_t StoreNumber(QStringView text) {
    if (text.isEmpty() || text.size() > 9 || (text.size() > 1 && text.front() == u'0')) return -1;
    std::int32_t n = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') return -1;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

std::int32_t PositionOfNumber(const CardFileSurvey& s, std::int64_t n) {
    const auto file = std::lower_bound(s.cardFiles.begin(), s.cardFiles.end(), n / kCardsPerFile);
    if (file == s.cardFiles.end() || *file != n / kCardsPerFile) return -1;
    return s.positionsInFile[file - s.cardFiles.begin()][n % kCardsPerFile];
}

// A list from its head along its Next links, as far as they lead to cards
// that exist and do not lead back into the list.
std::vector<std::int32_t> Walk(const CardFileSurvey& s, const QString& headKey, int next) {
    std::vector<std::int32_t> list;
    std::vector<bool> seen(s.cards.size());
    for (std::int32_t at = s.positionOf(s.header.value(headKey)); at >= 0 && !seen[at];
         at = s.positionOf(s.cards[at].links, next)) {
        seen[at] = true;
        list.push_back(at);
    }
    return list;
}

// A count reads as 0 when absent, so an absent count of an empty list stands.
bool SameCount(const QString& before, const QString& after) {
    return before == after || (before.isEmpty() && after == u"0");
}

}  // namespace

std::int32_t SurveyedLinks::codeOf(QStringView text) {
    const std::int32_t n = StoreNumber(text);
    return n >= 0 ? n : text.isEmpty() ? kEmpty : kOtherText;
}

void SurveyedLinks::set(std::size_t k, QStringView text) {
    codes_[k] = codeOf(text);
    if (codes_[k] != kOtherText) return;
    if (!otherTexts_) otherTexts_ = std::make_unique<std::array<QString, 6>>();
    (*otherTexts_)[k] = text.toString();
}

QString SurveyedLinks::text(std::size_t k) const {
    if (codes_[k] >= 0) return QString::number(codes_[k]);
    return codes_[k] == kOtherText ? (*otherTexts_)[k] : QString();
}

bool SurveyedLinks::holds(std::size_t k, QStringView text) const {
    if (codes_[k] >= 0) return StoreNumber(text) == codes_[k];
    return codes_[k] == kOtherText ? (*otherTexts_)[k] == text : text.isEmpty();
}

bool SurveyedLinks::isBlank(std::size_t k) const {
    return codes_[k] == kEmpty || (codes_[k] == kOtherText && (*otherTexts_)[k].trimmed().isEmpty());
}

std::int32_t CardFileSurvey::positionOf(QStringView link) const {
    // Only the text the store writes names a card: "7", never "07".
    const std::int32_t n = StoreNumber(link.trimmed());
    return n < 0 ? -1 : PositionOfNumber(*this, n);
}

std::int32_t CardFileSurvey::positionOf(const SurveyedLinks& links, std::size_t k) const {
    if (links.code(k) >= 0) return PositionOfNumber(*this, links.code(k));
    return links.code(k) == SurveyedLinks::kEmpty ? -1 : positionOf(links.text(k));
}

CardFileSurvey SurveyCardFile(CardStore& store) {
    CardFileSurvey s;
    QFile headerFile(store.DataFile());
    if (headerFile.open(QIODevice::ReadOnly)) s.headerBytes = headerFile.readAll();
    for (const QString* k : {&header::TotalNoOfRecords, &header::NoOfRecords, &header::NameFirstRecord,
                             &header::CompanyFirstRecord, &header::DelNoOfRecords, &header::DelFirstRecord})
        s.header.insert(*k, store.ReadHeader(*k));

    std::map<std::int64_t, QString> missing;
    std::vector<std::int64_t> files;
    const QDir dir(store.DataDir().isEmpty() ? QStringLiteral(".") : store.DataDir());
    const auto filter = QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot | QDir::CaseSensitive;
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("tesly*.dat")}, filter)) {
        const std::int64_t k = CardFileNumber(info.fileName());
        if (k < 0) continue;
        if (info.isFile() && info.isReadable())
            files.push_back(k);
        else
            missing.emplace(k, info.fileName());
    }
    profile::ProfileAccess& profile = store.Profile();
    std::sort(files.begin(), files.end());

    // The texts the lists show are read with the links: one look at each section.
    const std::array<QString, 8> keys = {LinkKeys[0], LinkKeys[1], LinkKeys[2],   LinkKeys[3],
                                         LinkKeys[4], LinkKeys[5], key::ShowName, key::ShowCompany};
    s.cardFiles = files;
    s.positionsInFile.resize(files.size());
    s.cards.reserve(files.size() * kCardsPerFile);
    for (std::size_t f = 0; f < files.size(); ++f) {
        const std::int64_t k = files[f];
        s.positionsInFile[f].fill(-1);
        const QString file = store.RecordFile(QString::number(k * kCardsPerFile));
        for (std::int64_t n = k * kCardsPerFile; n < (k + 1) * kCardsPerFile; ++n) {
            SurveyedCard card{QString::number(n), {}, {}, {}};
            auto take = [&card](std::size_t i, QStringView value) {
                if (i < LinkKeys.size())
                    card.links.set(i, value);
                else
                    (i == LinkKeys.size() ? card.name : card.company) = value.toString();
            };
            if (!profile.visitSection(file, RecordSection(card.rec), keys, take)) continue;
            s.positionsInFile[f][n % kCardsPerFile] = std::int32_t(s.cards.size());
            s.cards.push_back(std::move(card));
            s.highestCard = n;
        }
    }

    const QSet<std::int64_t> present(files.begin(), files.end());
    std::int64_t lastNeeded = -1;  // links mostly stay within one card file
    auto need = [&](std::int64_t n) {
        if (n < 0 || n / kCardsPerFile == lastNeeded) return;
        lastNeeded = n / kCardsPerFile;
        if (!present.contains(lastNeeded)) missing.emplace(lastNeeded, CardFileName(lastNeeded));
    };
    for (const QString* head : {&header::NameFirstRecord, &header::CompanyFirstRecord, &header::DelFirstRecord})
        need(LinkNumber(s.header.value(*head)));
    for (const SurveyedCard& card : s.cards)
        for (std::size_t k = 0; k < LinkKeys.size(); ++k) {
            const std::int32_t code = card.links.code(k);
            need(code >= 0 ? code : code == SurveyedLinks::kEmpty ? -1 : LinkNumber(card.links.text(k)));
        }
    // Gaps below a card file that exists, within the numbers handed out; a few
    // name the fault well enough.
    const std::int64_t total = LeadingNumber(s.header.value(header::TotalNoOfRecords));
    std::int64_t expected = 0;
    for (std::int64_t k : files) {
        for (; expected < k && expected * kCardsPerFile < total && missing.size() < 10; ++expected)
            missing.emplace(expected, CardFileName(expected));
        expected = k + 1;
    }
    for (const auto& [k, name] : missing) s.missingFiles << name;
    return s;
}

PlannedLists PlanLists(const CardFileSurvey& s) {
    enum : std::uint8_t { ByName = 1, ByCompany = 2, Deleted = 4 };
    std::vector<std::uint8_t> on(s.cards.size());
    PlannedLists p;
    p.names = Walk(s, header::NameFirstRecord, NextName);
    p.companies = Walk(s, header::CompanyFirstRecord, NextCompany);
    for (std::int32_t at : p.names) on[at] |= ByName;
    for (std::int32_t at : p.companies) on[at] |= ByCompany;
    // A card on a live list and the deleted list stays in sight: live.
    for (std::int32_t at : Walk(s, header::DelFirstRecord, NextDel)) {
        if (on[at]) continue;
        p.deleted.push_back(at);
        on[at] = Deleted;
    }
    // Cards on no list, left so by a change that was stopped: one that carries
    // deleted-list links was on its way to or from the deleted list and stays
    // restorable there; any other was live.
    for (std::int32_t at = 0; at < std::int32_t(s.cards.size()); ++at) {
        if (on[at]) continue;
        const SurveyedLinks& links = s.cards[at].links;
        if (!links.isBlank(PrevDel) || !links.isBlank(NextDel)) {
            p.deleted.push_back(at);
            on[at] = Deleted;
        } else {
            p.names.push_back(at);
            p.companies.push_back(at);
            on[at] = ByName | ByCompany;
        }
    }
    // A live card on one list only joins the other at its end.
    const std::size_t names = p.names.size();
    for (std::int32_t at : p.companies)
        if (!(on[at] & ByName)) p.names.push_back(at);
    for (std::size_t i = 0; i < names; ++i)
        if (!(on[p.names[i]] & ByCompany)) p.companies.push_back(p.names[i]);
    return p;
}

QList<KeyChange> PlannedChanges(const CardFileSurvey& s, const QStringList& names, const QStringList& companies,
                                const QStringList& deleted) {
    // What each surveyed card's links should say: a neighbour's number, or
    // empty; as SurveyedLinks keeps a link, with the text beside it.
    struct Wanted {
        std::int32_t code = SurveyedLinks::kEmpty;
        const QString* text = nullptr;
    };
    std::vector<std::array<Wanted, 6>> want(s.cards.size());
    auto chain = [&](const QStringList& recs, int prev, int next) {
        std::vector<Wanted> of(std::size_t(recs.size()));
        for (qsizetype i = 0; i < recs.size(); ++i) of[i] = {SurveyedLinks::codeOf(recs[i]), &recs[i]};
        for (qsizetype i = 0; i < recs.size(); ++i) {
            const std::int32_t at = s.positionOf(recs[i]);
            if (at < 0) continue;
            want[at][prev] = i > 0 ? of[i - 1] : Wanted();
            want[at][next] = i + 1 < recs.size() ? of[i + 1] : Wanted();
        }
    };
    chain(names, PrevName, NextName);
    chain(companies, PrevCompany, NextCompany);
    chain(deleted, PrevDel, NextDel);

    QList<KeyChange> changes;
    for (std::size_t at = 0; at < s.cards.size(); ++at) {
        const SurveyedCard& card = s.cards[at];
        for (std::size_t k = 0; k < LinkKeys.size(); ++k) {
            const Wanted& w = want[at][k];
            const bool holds =
                w.code == SurveyedLinks::kOtherText ? card.links.holds(k, *w.text) : card.links.code(k) == w.code;
            if (!holds) changes.append({card.rec, LinkKeys[k], card.links.text(k), w.text ? *w.text : QString()});
        }
    }
    auto head = [&](const QString& key, const QString& value, bool count) {
        const QString before = s.header.value(key);
        if (count ? !SameCount(before, value) : before != value) changes.append({QString(), key, before, value});
    };
    head(header::NameFirstRecord, names.value(0), false);
    head(header::CompanyFirstRecord, companies.value(0), false);
    head(header::DelFirstRecord, deleted.value(0), false);
    head(header::NoOfRecords, QString::number(names.size()), true);
    head(header::DelNoOfRecords, QString::number(deleted.size()), true);
    // A new card must never get the number of one that exists.
    if (LeadingNumber(s.header.value(header::TotalNoOfRecords)) <= s.highestCard)
        head(header::TotalNoOfRecords, QString::number(s.highestCard + 1), true);
    return changes;
}

}  // namespace tessaly::store
