#pragma once
#include "cards/card_layout.h"
#include "cards/progress_sink.h"
#include "exchange/csv/import_fields.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <stdexcept>

namespace tessaly::store {

class CardStore;

// The wizard's choices for a field: 0 "Salute" ... 17 "Notes", 18 "NONE OF THE ABOVE".
inline constexpr int kNoneOfTheAbove = 18;
extern const QStringList kImportChoices;

// The card that a line's fields make: each field fills the card field its
// choice names (a later field wins, but two fields for Address4, a city and
// its region, are joined with ", "); choices 3 and 4 split at the first blank.
// A card without first name, last name and company is named "NULL NAME".
Card CardFromFields(const QStringList& fields, const QList<int>& choices);

// The lines an import keeps: all, or (when either text is given) those that
// contain one of the texts, letter case ignored.
QStringList KeepLines(const QStringList& lines, const QString& only0, const QString& only1);
bool KeepsLine(const QString& line, const QString& only0, const QString& only1);

// How many more cards the card file can take: replacing, all of them.
int ImportRoom(bool replace, int cardsInFile);

// An import that did not complete; the card file is as it was before.
class ImportFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ImportPlan {
    Delimiter delimiter;
    int fieldCount = 0;
    QList<int> choices;  // one per field
    bool replace = false;
};

// The cards the lines make with the plan's delimiter and choices.
QList<Card> CardsFromLines(const QStringList& lines, const ImportPlan& plan);

// An existing card whose empty fields an import fills: the values it will hold.
struct CardFill {
    QString recNo;
    Card fields;
};

// What an import does with an incoming card that matches another card.
enum class DuplicateAction { Skip, Import, Fill };

// The person's answer to the duplicate check. The import makes the check
// again under the change lock, on the card file as it then is, and applies
// these choices: the action chosen for each incoming card that matched (by its
// index), and 'otherwise' for a match first seen under the lock.
struct DuplicateChoices {
    bool check = false;  // false: every card is imported as it stands
    QHash<int, DuplicateAction> chosen;
    DuplicateAction otherwise = DuplicateAction::Import;
    static DuplicateChoices All(DuplicateAction action) { return {true, {}, action}; }
};

// Where the incoming cards come from, for what the summary calls them.
enum class ImportSourceKind { Lines, VCards };

struct ImportOptions {
    bool replace = false;
    DuplicateChoices duplicates;
    // More cards than the card file can take: the first ones up to its limit
    // (the person agreed), or CardLimitReached and nothing written.
    bool upToLimit = false;
    ImportSourceKind source = ImportSourceKind::Lines;
    // The line of the file each incoming card begins on; empty: its place in the file (1 for the first).
    QList<int> lineOf;
    // The file's lines that held nothing and made no card, counted by the reader.
    int emptyLines = 0;
    // The file's name, for the history of changes.
    QString fileName;

    // Appending, every match given the same action.
    static ImportOptions AllMatches(DuplicateAction action) {
        ImportOptions options;
        options.duplicates = DuplicateChoices::All(action);
        return options;
    }
};

struct ImportOutcome {
    int imported = 0, skipped = 0, filled = 0;
    int leftOut = 0;           // by the card limit
    int firstLeftOutLine = 0;  // where the cards left out begin (0: none left out)
    int empty = 0;             // empty lines, which made no card
    ImportSourceKind source = ImportSourceKind::Lines;
    // Empty, or why the cards, imported, could not be read back afterwards.
    QString note;
};

// What an import did, a sentence each: the cards that came in, those that
// filled cards already there, skipped as duplicates, left out by the limit
// (from which line or vCard on) and the empty lines. The windows and the
// command line say the same.
QStringList ImportSummary(const ImportOutcome& outcome);

// The question before an import of more cards than there is room for: how
// many the file gives, how many places are free, and how many will be left
// out from where on (firstLeftOut: a line, or for vCards a place in the file).
// Lines are counted before the duplicate check, vCards after it.
QString TooManyCardsQuestion(int incoming, int room, int firstLeftOut, ImportSourceKind source);

// Imports the cards under one change of the card file: the duplicate check
// made again under the lock, then the new card file prepared beside the old
// one (a copy of it, or an empty one when replacing; fills for appending
// only), the cards merged into its sorted lists in one bulk (AppendCards), and
// the whole switched in (StagedCardFiles): the old card files become the
// safety copy. A write that fails leaves the card file as it was and throws
// ImportFailed; SwitchUnfinished when it could not be put back either.
// Afterwards the store's lists are loaded again.
[[nodiscard]] ImportOutcome ImportCardList(CardStore& store, const QList<Card>& incoming, const ImportOptions& options,
                                           ProgressSink& progress);

// Every line as a card: CardsFromLines, then ImportCardList.
[[nodiscard]] ImportOutcome ImportCards(CardStore& store, const QStringList& lines, const ImportPlan& plan,
                                        ProgressSink& progress);

}  // namespace tessaly::store
