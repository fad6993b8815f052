#pragma once
#include "card_layout.h"

#include <QHash>
#include <QList>
#include <QStringList>

namespace tessaly::store {

class CardStore;

// Everything the three lists are made of, read once: the header's heads and
// counts and the links of every card section in the card files that exist.
// Reading it costs what the files hold, whatever numbers are written in them.
struct CardFileSurvey {
    QHash<QString, QString> header;               // "General Info" keys as read
    QStringList cards;                            // record numbers with a section, ascending
    QHash<QString, std::array<QString, 6>> links;  // per card, in the order of LinkKeys
    QHash<QString, std::array<QString, 2>> shown;  // per card, its ShowName and ShowCompany
    // Card files that the lists need but that are absent or cannot be read.
    // While any is, the view is partial: it is shown, never written back.
    QStringList missingFiles;
    std::int64_t highestCard = -1;
    QByteArray headerBytes;  // every change to the lists rewrites the header
};

// A card file counts as missing when a head or a link names a card in it, when
// a later card file exists beside it, or when it is there but cannot be read.
// The last card file alone may be absent when nothing names it: an add stopped
// after handing out its number leaves exactly that, and no card is lost by it.
CardFileSurvey SurveyCardFile(CardStore& store);

// The lists as the survey holds them, before sorting. Each card with a section
// ends on exactly one side: the live cards on both the name and the company
// list, the deleted ones on the deleted list.
struct PlannedLists {
    QStringList names, companies, deleted;
};
PlannedLists PlanLists(const CardFileSurvey& survey);

// One key whose value the lists call for and the file does not hold; an empty
// card means the header.
struct KeyChange {
    QString card, key, before, after;
};
// What must be written for the file to hold the lists exactly: links of every
// card, the three heads, both counts, and a TotalNoOfRecords that no card
// section lies beyond (it is raised, never lowered).
QList<KeyChange> PlannedChanges(const CardFileSurvey& survey, const QStringList& names, const QStringList& companies,
                                const QStringList& deleted);

}  // namespace tessaly::store
