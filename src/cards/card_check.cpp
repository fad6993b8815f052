#include "card_check.h"

#include "card_repair.h"
#include "card_store.h"
#include "profile/profile_access.h"

#include <QHash>
#include <QSet>

namespace tessaly::store {
namespace {

struct ListKeys {
    QString name, head, count, prev, next;
};

// Walks one list from its head; records the faults of the links on the way.
QStringList WalkList(CardStore& store, const ListKeys& keys, std::int64_t limit, QStringList& faults) {
    QStringList members;
    QSet<QString> seen;
    QString prev;
    QString rec = store.ReadHeader(keys.head);
    while (!rec.isEmpty()) {
        if (!IsRecordNumber(rec)) {
            faults << QStringLiteral("%1 list: \"%2\" is not a record number").arg(keys.name, rec);
            break;
        }
        if (seen.contains(rec)) {
            faults << QStringLiteral("%1 list: runs back into itself at card %2").arg(keys.name, rec);
            break;
        }
        if (members.size() > limit) {
            faults << QStringLiteral("%1 list: longer than the cards handed out").arg(keys.name);
            break;
        }
        bool exists = false;
        try {
            exists = store.Profile().hasSection(store.RecordFile(rec), RecordSection(rec));
        } catch (const profile::ReadError& error) {
            faults << QStringLiteral("%1 list: card %2 cannot be read: %3")
                          .arg(keys.name, rec, QString::fromUtf8(error.what()));
            break;
        }
        if (!exists) {
            faults << QStringLiteral("%1 list: card %2 does not exist").arg(keys.name, rec);
            break;
        }
        const QString back = store.ReadCardKey(rec, keys.prev);
        if (back != prev)
            faults << QStringLiteral("%1 list: card %2 links back to \"%3\" instead of \"%4\"")
                          .arg(keys.name, rec, back, prev);
        seen.insert(rec);
        members << rec;
        prev = rec;
        rec = store.ReadCardKey(rec, keys.next);
    }
    const QString count = store.ReadHeader(keys.count);
    if (LeadingNumber(count) != members.size())
        faults << QStringLiteral("%1 list: %2 cards, but the count says \"%3\"")
                      .arg(keys.name)
                      .arg(members.size())
                      .arg(count);
    return members;
}

}  // namespace

QStringList CheckCardFile(CardStore& store) {
    profile::ProfileOperation op(store.Profile());
    QStringList faults;
    const CardFileSurvey survey = SurveyCardFile(store);
    for (const QString& file : survey.missingFiles)
        faults << QStringLiteral("Card file %1 is missing or cannot be read").arg(file);
    const std::int64_t total = LeadingNumber(store.ReadHeader(header::TotalNoOfRecords));
    const QStringList names = WalkList(
        store, {QStringLiteral("Name"), header::NameFirstRecord, header::NoOfRecords, key::PrevName, key::NextName},
        total, faults);
    const QStringList companies = WalkList(store,
                                           {QStringLiteral("Company"), header::CompanyFirstRecord, header::NoOfRecords,
                                            key::PrevCompany, key::NextCompany},
                                           total, faults);
    const QStringList deleted = WalkList(
        store, {QStringLiteral("Deleted"), header::DelFirstRecord, header::DelNoOfRecords, key::PrevDel, key::NextDel},
        total, faults);

    const QSet<QString> live(names.begin(), names.end());
    const QSet<QString> liveByCompany(companies.begin(), companies.end());
    const QSet<QString> gone(deleted.begin(), deleted.end());
    if (live != liveByCompany) faults << QStringLiteral("The name and company lists hold different cards");
    for (const QString& rec : names) {
        if (gone.contains(rec)) faults << QStringLiteral("Card %1 is both live and deleted").arg(rec);
        if (!store.ReadCardKey(rec, key::PrevDel).isEmpty() || !store.ReadCardKey(rec, key::NextDel).isEmpty())
            faults << QStringLiteral("Live card %1 has deleted-list links").arg(rec);
    }
    for (const QString& rec : deleted) {
        for (const QString* k : {&key::PrevName, &key::NextName, &key::PrevCompany, &key::NextCompany})
            if (!store.ReadCardKey(rec, *k).isEmpty())
                faults << QStringLiteral("Deleted card %1 still has the link %2").arg(rec, *k);
    }
    // A number handed out by an add that was stopped before it wrote the card
    // names no card; nothing is lost by it, so only cards are looked at.
    for (const SurveyedCard& card : survey.cards) {
        const QString& rec = card.rec;
        if (!live.contains(rec) && !liveByCompany.contains(rec) && !gone.contains(rec))
            faults << QStringLiteral("Card %1 is on no list").arg(rec);
        if (LeadingNumber(rec) >= total) faults << QStringLiteral("Card %1 lies beyond TotalNoOfRecords").arg(rec);
    }
    // A badly damaged file has a fault at every card; the first ones tell enough.
    constexpr qsizetype kShown = 100;
    if (faults.size() > kShown) {
        const qsizetype more = faults.size() - kShown;
        faults.resize(kShown);
        faults << QStringLiteral("... and %1 more faults").arg(more);
    }
    return faults;
}

}  // namespace tessaly::store
