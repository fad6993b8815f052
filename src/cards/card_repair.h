#pragma once
#include "card_layout.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <memory>
#include <vector>

namespace tessaly::store {

class CardStore;

// The six links of a card as read, in the order of LinkKeys. Nearly every link
// is empty or a card's number as the store writes it ("7"), and those are kept
// as numbers; any other text is kept as read, so that a repair says what it
// replaces.
class SurveyedLinks {
public:
    static constexpr std::int32_t kEmpty = -1, kOtherText = -2;
    // A card's number as the store writes it, kEmpty, or kOtherText.
    static std::int32_t codeOf(QStringView text);
    void set(std::size_t k, QStringView text);
    std::int32_t code(std::size_t k) const { return codes_[k]; }
    QString text(std::size_t k) const;
    bool holds(std::size_t k, QStringView text) const;
    bool isBlank(std::size_t k) const;

private:
    std::array<std::int32_t, 6> codes_{kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty};
    std::unique_ptr<std::array<QString, 6>> otherTexts_;  // only once a link is other text
};

// One card section as the survey read it.
struct SurveyedCard {
    QString rec;  // its record number, as the store writes it
    SurveyedLinks links;
    QString name, company;  // its ShowName and ShowCompany
};

// Everything the three lists are made of, read once: the header's heads and
// counts and the links of every card section in the card files that exist.
// Reading it costs what the files hold, whatever numbers are written in them.
struct CardFileSurvey {
    QHash<QString, QString> header;   // "General Info" keys as read
    std::vector<SurveyedCard> cards;  // every card with a section, by ascending number
    // For each card file read (ascending), the position in cards of each of its
    // numbers, -1 where it holds no card: as large as the files present.
    std::vector<std::int64_t> cardFiles;
    std::vector<std::array<std::int32_t, kCardsPerFile>> positionsInFile;
    // Card files that the lists need but that are absent or cannot be read.
    // While any is, the view is partial: it is shown, never written back.
    QStringList missingFiles;
    std::int64_t highestCard = -1;
    QByteArray headerBytes;  // every change to the lists rewrites the header

    // The position in cards of the card a link or a record number names
    // (surrounding blanks ignored), or -1 when it names no surveyed card.
    std::int32_t positionOf(QStringView link) const;
    std::int32_t positionOf(const SurveyedLinks& links, std::size_t k) const;
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
    std::vector<std::int32_t> names, companies, deleted;  // positions in the survey's cards
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
