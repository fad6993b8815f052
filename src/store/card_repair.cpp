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

QString CardFileName(std::int64_t k) { return QStringLiteral("tesly%1.dat").arg(k); }

// A list from its head along its Next links, as far as they lead to cards
// that exist and do not lead back into the list.
QStringList Walk(const CardFileSurvey& s, const QString& headKey, int next) {
    QStringList recs;
    QSet<QString> seen;
    QString rec = s.header.value(headKey).trimmed();
    while (s.links.contains(rec) && !seen.contains(rec)) {
        seen.insert(rec);
        recs << rec;
        rec = s.links[rec][next].trimmed();
    }
    return recs;
}

// A count reads as 0 when absent, so an absent count of an empty list stands.
bool SameCount(const QString& before, const QString& after) {
    return before == after || (before.isEmpty() && after == u"0");
}

}  // namespace

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
    std::sort(files.begin(), files.end());

    profile::ProfileAccess& profile = store.Profile();
    // The texts the lists show are read with the links: one look at each section.
    const std::array<QString, 8> keys = {LinkKeys[0], LinkKeys[1], LinkKeys[2],  LinkKeys[3],
                                         LinkKeys[4], LinkKeys[5], key::ShowName, key::ShowCompany};
    for (std::size_t f = 0; f < files.size(); ++f) {
        const QString file = store.RecordFile(QString::number(files[f] * kCardsPerFile));
        for (std::int64_t n = files[f] * kCardsPerFile; n < (files[f] + 1) * kCardsPerFile; ++n) {
            const QString rec = QString::number(n);
            const QString section = RecordSection(rec);
            const std::optional<QStringList> values = profile.readSection(file, section, keys);
            if (!values) continue;
            std::array<QString, 6> links;
            std::copy_n(values->begin(), links.size(), links.begin());
            s.links.insert(rec, links);
            s.shown.insert(rec, {values->at(6), values->at(7)});
            s.cards << rec;
            s.highestCard = n;
        }
    }

    const QSet<std::int64_t> present(files.begin(), files.end());
    auto need = [&](const QString& link) {
        const QString rec = link.trimmed();
        if (!IsRecordNumber(rec)) return;
        const std::int64_t k = LeadingNumber(rec) / kCardsPerFile;
        if (!present.contains(k)) missing.emplace(k, CardFileName(k));
    };
    for (const QString* head : {&header::NameFirstRecord, &header::CompanyFirstRecord, &header::DelFirstRecord})
        need(s.header.value(*head));
    for (const auto& links : std::as_const(s.links))
        for (const QString& link : links) need(link);
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
    PlannedLists p;
    p.names = Walk(s, header::NameFirstRecord, NextName);
    p.companies = Walk(s, header::CompanyFirstRecord, NextCompany);
    QSet<QString> live(p.names.begin(), p.names.end());
    live.unite(QSet<QString>(p.companies.begin(), p.companies.end()));
    // A card on a live list and the deleted list stays in sight: live.
    QSet<QString> deleted;
    for (const QString& rec : Walk(s, header::DelFirstRecord, NextDel)) {
        if (live.contains(rec)) continue;
        p.deleted << rec;
        deleted.insert(rec);
    }
    // Cards on no list, left so by a change that was stopped: one that carries
    // deleted-list links was on its way to or from the deleted list and stays
    // restorable there; any other was live.
    for (const QString& rec : s.cards) {
        if (live.contains(rec) || deleted.contains(rec)) continue;
        const auto& links = s.links[rec];
        if (!links[PrevDel].trimmed().isEmpty() || !links[NextDel].trimmed().isEmpty()) {
            p.deleted << rec;
        } else {
            p.names << rec;
            p.companies << rec;
        }
    }
    const QSet<QString> byName(p.names.begin(), p.names.end());
    const QSet<QString> byCompany(p.companies.begin(), p.companies.end());
    const QStringList names = p.names;
    for (const QString& rec : std::as_const(p.companies))
        if (!byName.contains(rec)) p.names << rec;
    for (const QString& rec : names)
        if (!byCompany.contains(rec)) p.companies << rec;
    return p;
}

QList<KeyChange> PlannedChanges(const CardFileSurvey& s, const QStringList& names, const QStringList& companies,
                                const QStringList& deleted) {
    QHash<QString, std::array<QString, 6>> want;
    auto chain = [&](const QStringList& recs, int prev, int next) {
        for (qsizetype i = 0; i < recs.size(); ++i) {
            want[recs[i]][prev] = i > 0 ? recs[i - 1] : QString();
            want[recs[i]][next] = i + 1 < recs.size() ? recs[i + 1] : QString();
        }
    };
    chain(names, PrevName, NextName);
    chain(companies, PrevCompany, NextCompany);
    chain(deleted, PrevDel, NextDel);

    QList<KeyChange> changes;
    for (const QString& rec : s.cards) {
        const auto& have = s.links[rec];
        const auto wanted = want.value(rec);
        for (std::size_t k = 0; k < LinkKeys.size(); ++k)
            if (have[k] != wanted[k]) changes.append({rec, LinkKeys[k], have[k], wanted[k]});
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
