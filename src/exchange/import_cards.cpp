#include "import_cards.h"

#include "cards/card_change.h"
#include "cards/card_store.h"
#include "cards/display_text.h"
#include "cards/staged_card_files.h"
#include "duplicate_resolve.h"
#include "profile/cached_profile.h"
#include "profile/profile_access.h"

namespace tessaly::store {

const QStringList kImportChoices = {QStringLiteral("Salute"),
                                    QStringLiteral("1st. Name"),
                                    QStringLiteral("2nd. Name"),
                                    QStringLiteral("1st. Name + 2nd. Name"),
                                    QStringLiteral("2st. Name + 1nd. Name"),
                                    QStringLiteral("Title"),
                                    QStringLiteral("Company"),
                                    QStringLiteral("Address1"),
                                    QStringLiteral("Address2"),
                                    QStringLiteral("Address3"),
                                    QStringLiteral("Address4"),
                                    QStringLiteral("ZIP/Postal Code"),
                                    QStringLiteral("Country"),
                                    QStringLiteral("Phone1"),
                                    QStringLiteral("Phone2"),
                                    QStringLiteral("Fax"),
                                    QStringLiteral("E-Mail"),
                                    QStringLiteral("Notes"),
                                    QStringLiteral("NONE OF THE ABOVE")};

namespace {

void SplitAtBlank(const QString& text, QString& before, QString& after) {
    const qsizetype blank = text.indexOf(u' ');
    before = blank < 0 ? text : text.left(blank);
    after = blank < 0 ? QString() : text.mid(blank + 1);
}

// Replacing starts from the header alone, its counts and heads emptied.
void EmptyCardFile(CardStore& staged) {
    const QString values[][2] = {{header::TotalNoOfRecords, QStringLiteral("0")},
                                 {header::NoOfRecords, QStringLiteral("0")},
                                 {header::NameFirstRecord, QString()},
                                 {header::CompanyFirstRecord, QString()},
                                 {header::DelNoOfRecords, QStringLiteral("0")},
                                 {header::DelFirstRecord, QString()}};
    for (const auto& kv : values) staged.WriteHeader(kv[0], kv[1]);
}

}  // namespace

Card CardFromFields(const QStringList& fields, const QList<int>& choices) {
    Card card;
    for (qsizetype f = 0; f < fields.size() && f < choices.size(); ++f) {
        const int c = choices[f];
        const QString& text = fields[f];
        if (c == 0 || c == 1 || c == 2)
            card[c] = text;
        else if (c == 3)
            SplitAtBlank(text, card[FirstName], card[LastName]);
        else if (c == 4 && !text.contains(u' '))
            card[FirstName] = text, card[LastName].clear();
        else if (c == 4)
            SplitAtBlank(text, card[LastName], card[FirstName]);
        else if (c == 10 && !card[Address4].isEmpty() && !text.isEmpty())
            card[Address4] += QStringLiteral(", ") + text;  // city, region
        else if (c >= 5 && c < kNoneOfTheAbove)
            card[c - 2] = text;
    }
    if (card[FirstName].trimmed().isEmpty() && card[LastName].trimmed().isEmpty() && card[Company].trimmed().isEmpty())
        card[FirstName] = QStringLiteral("NULL NAME");
    return card;
}

bool KeepsLine(const QString& line, const QString& only0, const QString& only1) {
    if (only0.isEmpty() && only1.isEmpty()) return true;
    return (!only0.isEmpty() && line.contains(only0, Qt::CaseInsensitive)) ||
           (!only1.isEmpty() && line.contains(only1, Qt::CaseInsensitive));
}

QStringList KeepLines(const QStringList& lines, const QString& only0, const QString& only1) {
    QStringList kept;
    for (const QString& line : lines)
        if (KeepsLine(line, only0, only1)) kept << line;
    return kept;
}

namespace {

QString Cards(int n) {
    return n == 1 ? QStringLiteral("1 card") : QStringLiteral("%1 cards").arg(n);
}

QString Where(int first, ImportSourceKind source) {
    return source == ImportSourceKind::VCards ? QStringLiteral("vCard %1").arg(first)
                                              : QStringLiteral("line %1").arg(first);
}

}  // namespace

QStringList ImportSummary(const ImportOutcome& o) {
    QStringList text;
    text << (o.imported == 1 ? QStringLiteral("1 card was imported.")
                             : QStringLiteral("%1 cards were imported.").arg(o.imported));
    if (o.filled > 0) text << QStringLiteral("%1 filled the empty fields of cards already there.").arg(o.filled);
    text << QStringLiteral("%1 skipped as duplicates.").arg(Cards(o.skipped));
    if (o.leftOut > 0)
        text << QStringLiteral("%1 left out by the limit of %2 cards, from %3 on.")
                    .arg(Cards(o.leftOut))
                    .arg(kMaxCards)
                    .arg(Where(o.firstLeftOutLine, o.source));
    else
        text << QStringLiteral("No card left out by the limit of %1 cards.").arg(kMaxCards);
    // A vCard file has no empty lines to speak of: lines outside a vCard are no card.
    if (o.source == ImportSourceKind::Lines)
        text << (o.empty == 1 ? QStringLiteral("1 empty line made no card.")
                              : QStringLiteral("%1 empty lines made no card.").arg(o.empty));
    return text;
}

QString TooManyCardsQuestion(int incoming, int room, int firstLeftOut, ImportSourceKind source) {
    const bool vcards = source == ImportSourceKind::VCards;
    QString text = QStringLiteral("Tessaly can have up to %1 records.\r").arg(kMaxCards);
    text += QStringLiteral("The file holds %1 %2 to import; the card file has %3 free.\r")
                .arg(incoming)
                .arg(vcards ? QStringLiteral("vCards") : QStringLiteral("lines"))
                .arg(room == 1 ? QStringLiteral("1 place") : QStringLiteral("%1 places").arg(room));
    const int leftOut = std::max(0, incoming - room);
    // Lines are asked about before the duplicate check, vCards after it.
    const QString fewer = vcards ? QString() : QStringLiteral(" (fewer when duplicates are skipped)");
    if (leftOut > 0)
        text += QStringLiteral("%1 will be left out, from %2 on%3.\r")
                    .arg(Cards(leftOut), Where(firstLeftOut, source), fewer);
    return text + QStringLiteral("Should I import up to %1 records?").arg(kMaxCards);
}

int ImportRoom(bool replace, int cardsInFile) {
    return replace ? kMaxCards : std::max(0, kMaxCards - cardsInFile);
}

QList<Card> CardsFromLines(const QStringList& lines, const ImportPlan& plan) {
    QList<Card> cards;
    cards.reserve(lines.size());
    for (const QString& line : lines)
        cards << CardFromFields(SplitFields(line, plan.delimiter, plan.fieldCount), plan.choices);
    return cards;
}

ImportOutcome ImportCards(CardStore& store, const QStringList& lines, const ImportPlan& plan, ProgressSink& progress) {
    ImportOptions options;
    options.replace = plan.replace;
    return ImportCardList(store, CardsFromLines(lines, plan), options, progress);
}

namespace {

// The cards written into the staged copy of the card file, in one change and
// one bulk: every card file of the copy is written once, the header last, and
// the switch brings in a card file that is whole and in order (the program
// reads it back and checks it right after the switch).
void WriteStaged(StagedCardFiles& stage, const ResolvedImport& resolved, bool replace, ProgressSink& progress) {
    profile::CachedProfile profile;
    CardStore staged(profile, stage.folder());
    CardChange change(staged, CardChange::Lists::AsTheyAre);
    profile::ProfileBulk bulk(profile);
    if (replace) EmptyCardFile(staged);
    staged.LoadLists();
    staged.SortLists();
    if (!staged.MissingFiles().isEmpty())
        throw profile::ReadError(QStringLiteral("The copy of the card file lacks %1")
                                     .arg(staged.MissingFiles().join(QStringLiteral(", ")))
                                     .toStdString());
    for (const CardFill& fill : resolved.fills) {
        Card current = staged.ReadCard(fill.recNo);
        (void)staged.ChangeCard(fill.recNo, current, fill.fields);
    }
    const int count = int(resolved.cards.size());
    staged.AppendCards(resolved.cards, [&](qsizetype done) {
        progress.pumpEvents();
        progress.gauge(GaugePercent(int(done), count));
    });
    bulk.finish();
    change.commit();
}

// What the history calls an import.
QString ImportDescription(const ImportOutcome& outcome, const ImportOptions& options) {
    const QString cards =
        outcome.imported == 1 ? QStringLiteral("1 card") : QStringLiteral("%1 cards").arg(outcome.imported);
    QString text = options.fileName.isEmpty() ? QStringLiteral("Import %1").arg(cards)
                                              : QStringLiteral("Import %1 from %2").arg(cards, options.fileName);
    if (outcome.filled > 0) text += QStringLiteral(", filling %1").arg(outcome.filled);
    if (options.replace) text += QStringLiteral(", replacing the card file");
    return text;
}

}  // namespace

ImportOutcome ImportCardList(CardStore& store, const QList<Card>& incoming, const ImportOptions& options,
                             ProgressSink& progress) {
    if (store.InUse()) throw InUseError();
    ImportOutcome outcome;
    outcome.source = options.source;
    outcome.empty = options.emptyLines;
    try {
        CardChange change(store);
        if (!store.MissingFiles().isEmpty())
            throw ImportFailed(QStringLiteral("Nothing is imported while %1 is missing or cannot be read.")
                                   .arg(store.MissingFiles().join(QStringLiteral(", ")))
                                   .toStdString());
        // Under the lock, on the cards as they are now: another import may have brought the same cards meanwhile.
        ResolvedImport resolved =
            ResolveWithChoices(options.replace ? KnownCards() : ReadKnownCards(store), incoming, options.duplicates);
        const int room = ImportRoom(options.replace, store.NoOfRecords);
        if (resolved.cards.size() > room) {
            if (!options.upToLimit)
                throw CardLimitReached(QStringLiteral("The card file can take %1 more cards, not %2.")
                                           .arg(room)
                                           .arg(resolved.cards.size())
                                           .toStdString());
            const int first = resolved.from.value(room);
            outcome.leftOut = int(resolved.cards.size()) - room;
            outcome.firstLeftOutLine = options.lineOf.value(first, first + 1);
            resolved.cards = resolved.cards.mid(0, room);
        }
        if (options.replace) resolved.fills.clear();
        StagedCardFiles stage(store.DataDir());
        if (options.replace)
            stage.copyHeader();
        else
            stage.copyCurrent();
        WriteStaged(stage, resolved, options.replace, progress);
        change.aboutToReplace(stage.filesReplaced());
        stage.switchIn();
        outcome.imported = int(resolved.cards.size());
        outcome.skipped = resolved.skipped;
        outcome.filled = resolved.filled;
        if (ChangeRecorder* history = store.Recorder()) history->describe(ImportDescription(outcome, options));
        // The new card file is in: a failure from here on is told, never undone.
        try {
            store.LoadLists();
            store.SortLists();
        } catch (const profile::FileError& e) {
            outcome.note = QStringLiteral("The cards were imported, but the card file could not be read back: %1")
                               .arg(QString::fromUtf8(e.what()));
            change.forgetLists();
        }
        change.commit();
    } catch (const SwitchUnfinished&) {
        throw;
    } catch (const profile::FileError& e) {
        throw ImportFailed(QStringLiteral("The import failed; the card file is as it was: %1")
                               .arg(QString::fromUtf8(e.what()))
                               .toStdString());
    }
    store.FillList();
    return outcome;
}

}  // namespace tessaly::store
