#include "cli_import.h"

#include "cards/card_store.h"
#include "cards/staged_card_files.h"
#include "cli_commands.h"
#include "cli_exchange.h"
#include "exchange/duplicate_resolve.h"

#include <algorithm>

namespace tessaly::cli {

namespace {

using namespace tessaly::store;

DuplicateAction ActionArg(const QString& policy) {
    if (policy.isEmpty() || policy == u"import") return DuplicateAction::Import;
    if (policy == u"skip") return DuplicateAction::Skip;
    if (policy == u"fill") return DuplicateAction::Fill;
    throw CommandFailed(BadInput, QStringLiteral("--duplicates takes skip, import or fill"));
}

}  // namespace

int ImportAndReport(CardStore& store, const QList<Card>& incoming, const QString& policy, ImportOptions options,
                    const QString& extra, QTextStream& out) {
    const bool replace = options.replace;
    const QString what =
        options.source == ImportSourceKind::VCards ? QStringLiteral("vCards") : QStringLiteral("lines");
    const DuplicateAction action = ActionArg(policy);
    store.RefreshLists();
    const KnownCards known = replace ? KnownCards() : ReadKnownCards(store);
    const QList<ImportDuplicate> duplicates = FindImportDuplicates(known, incoming);
    if (!duplicates.isEmpty()) {
        const auto strong = std::count_if(duplicates.begin(), duplicates.end(),
                                          [](const ImportDuplicate& d) { return d.strength == MatchStrength::Strong; });
        out << duplicates.size() << " incoming cards match other cards (" << strong << " strongly); ";
        out << (action == DuplicateAction::Skip   ? "skipped"
                : action == DuplicateAction::Fill ? "they fill empty fields"
                                                  : "imported anyway")
            << '\n';
    }
    const qsizetype count =
        ResolveDuplicates(known, incoming, duplicates, QList<DuplicateAction>(duplicates.size(), action)).cards.size();
    const int room = ImportRoom(replace, store.NoOfRecords);
    if (count >= room && count > 0 && !options.upToLimit)
        throw CommandFailed(BadInput, QStringLiteral("Tessaly can have up to %1 records; %2 %3 would make %4. "
                                                     "--yes-up-to-limit imports the first %5")
                                          .arg(kMaxCards)
                                          .arg(count)
                                          .arg(what)
                                          .arg(count + (replace ? 0 : store.NoOfRecords))
                                          .arg(room));
    // Importing every card anyway needs no second look.
    if (action != DuplicateAction::Import) options.duplicates = DuplicateChoices::All(action);
    ProgressSink silent;
    ImportOutcome done;
    try {
        done = ImportCardList(store, incoming, options, silent);
    } catch (const ImportFailed& e) {
        throw CommandFailed(WriteFailed, QString::fromUtf8(e.what()));
    } catch (const SwitchUnfinished& e) {
        throw CommandFailed(WriteFailed, QString::fromUtf8(e.what()));
    }
    for (const QString& sentence : ImportSummary(done)) out << sentence << '\n';
    if (!extra.isEmpty()) out << extra << '\n';
    if (!done.note.isEmpty()) throw CommandFailed(WriteFailed, done.note);
    return Done;
}

}  // namespace tessaly::cli
