#include "duplicate_resolve.h"

#include "cards/card_store.h"
#include "duplicate_keys.h"
#include "profile/profile_access.h"

#include <numeric>

namespace tessaly::store {

namespace {

// Where an incoming card went: a new card (its index), a fill (its index), or nowhere.
struct Destination {
    qsizetype card = -1, fill = -1;
};

}  // namespace

KnownCards ReadKnownCards(CardStore& store) {
    KnownCards known;
    known.recNos = store.AllByName;
    known.cards.reserve(known.recNos.size());
    // One operation: each card file is checked against the disk once, not once per card.
    profile::ProfileOperation op(store.Profile());
    for (const QString& rec : known.recNos) known.cards << store.ReadCard(rec);
    return known;
}

Card FilledCard(Card card, const Card& from) {
    const bool unnamed = NameKey(from).isEmpty();  // its "NULL NAME" is no name to give
    for (int k = 0; k < kFieldCount; ++k) {
        if (unnamed && k == FirstName) continue;
        if (card[k].trimmed().isEmpty() && !from[k].trimmed().isEmpty()) card[k] = from[k];
    }
    return card;
}

ResolvedImport ResolveDuplicates(const KnownCards& known, const QList<Card>& incoming,
                                 const QList<ImportDuplicate>& duplicates, const QList<DuplicateAction>& actions) {
    ResolvedImport result;
    QHash<int, qsizetype> duplicateOf;
    for (qsizetype d = 0; d < duplicates.size(); ++d) duplicateOf[duplicates[d].incoming] = d;
    QHash<QString, qsizetype> fillOfRec, knownOfRec;
    for (qsizetype k = 0; k < known.recNos.size(); ++k) knownOfRec[known.recNos[k]] = k;
    QList<Destination> went(incoming.size());
    auto fillInto = [&](const QString& rec, const Card& from) -> qsizetype {
        if (!fillOfRec.contains(rec)) {
            fillOfRec[rec] = result.fills.size();
            result.fills << CardFill{rec, known.cards[knownOfRec[rec]]};
        }
        CardFill& fill = result.fills[fillOfRec[rec]];
        fill.fields = FilledCard(fill.fields, from);
        return fillOfRec[rec];
    };
    for (int i = 0; i < incoming.size(); ++i) {
        const qsizetype d = duplicateOf.value(i, -1);
        const DuplicateAction action = d < 0 ? DuplicateAction::Import : actions.value(d, DuplicateAction::Import);
        if (action == DuplicateAction::Import) {
            went[i].card = result.cards.size();
            result.cards << incoming[i];
            result.from << i;
            continue;
        }
        const ImportDuplicate& dup = duplicates[d];
        const Destination target = dup.earlierIncoming >= 0 ? went[dup.earlierIncoming] : Destination{};
        if (action == DuplicateAction::Skip || (dup.recNo.isEmpty() && target.card < 0 && target.fill < 0)) {
            ++result.skipped;
            continue;
        }
        ++result.filled;
        if (!dup.recNo.isEmpty())
            went[i].fill = fillInto(dup.recNo, incoming[i]);
        else if (target.card >= 0)
            result.cards[target.card] = FilledCard(result.cards[target.card], incoming[i]), went[i] = target;
        else
            went[i].fill = fillInto(result.fills[target.fill].recNo, incoming[i]);
    }
    // A fill that changes nothing is no change to write.
    QList<CardFill> changed;
    for (const CardFill& fill : result.fills)
        if (fill.fields != known.cards[knownOfRec[fill.recNo]]) changed << fill;
    result.fills = changed;
    return result;
}

DuplicateAction StartingAction(const ImportDuplicate& duplicate) {
    return duplicate.strength == MatchStrength::Strong ? DuplicateAction::Skip : DuplicateAction::Import;
}

QList<DuplicateAction> StartingActions(const QList<ImportDuplicate>& duplicates) {
    QList<DuplicateAction> actions;
    actions.reserve(duplicates.size());
    for (const ImportDuplicate& d : duplicates) actions << StartingAction(d);
    return actions;
}

QString StartingActionsText() {
    return QStringLiteral(
        "Rows with the same e-mail, phone or whole content start at Skip; the others at Import anyway.");
}

DuplicateChoices ChoicesFrom(const QList<ImportDuplicate>& duplicates, const QList<DuplicateAction>& actions) {
    DuplicateChoices choices{true, {}, DuplicateAction::Import};
    for (qsizetype d = 0; d < duplicates.size(); ++d)
        choices.chosen.insert(duplicates[d].incoming, actions.value(d, DuplicateAction::Import));
    const bool same = !actions.isEmpty() && std::all_of(actions.begin(), actions.end(),
                                                        [&](DuplicateAction a) { return a == actions.front(); });
    if (same) choices.otherwise = actions.front();
    return choices;
}

ResolvedImport ResolveWithChoices(const KnownCards& known, const QList<Card>& incoming,
                                  const DuplicateChoices& choices) {
    if (!choices.check) {
        ResolvedImport all{incoming, QList<int>(incoming.size()), {}, 0, 0};
        std::iota(all.from.begin(), all.from.end(), 0);
        return all;
    }
    const QList<ImportDuplicate> duplicates = FindImportDuplicates(known, incoming);
    QList<DuplicateAction> actions;
    actions.reserve(duplicates.size());
    for (const ImportDuplicate& d : duplicates) actions << choices.chosen.value(d.incoming, choices.otherwise);
    return ResolveDuplicates(known, incoming, duplicates, actions);
}

}  // namespace tessaly::store
