#include "cli_vcard.h"

#include "cli_commands.h"
#include "cli_exchange.h"
#include "cli_text.h"
#include "cards/card_store.h"
#include "cards/staged_card_files.h"
#include "exchange/import_cards.h"
#include "exchange/csv/import_reader.h"
#include "exchange/vcard/vcard_cards.h"
#include "exchange/vcard/vcard_writer.h"

#include <algorithm>

namespace tessaly::cli {

namespace {

using namespace tessaly::store;

struct VCardArgs {
    QString file, version = QStringLiteral("3"), duplicates;
    bool replace = false, upToLimit = false;
};

DuplicateAction ActionArg(const QString& policy) {
    if (policy.isEmpty() || policy == u"import") return DuplicateAction::Import;
    if (policy == u"skip") return DuplicateAction::Skip;
    if (policy == u"fill") return DuplicateAction::Fill;
    throw CommandFailed(BadInput, QStringLiteral("--duplicates takes skip, import or fill"));
}

VCardArgs ParseArgs(const QStringList& args, bool importing) {
    VCardArgs parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&]() -> QString {
            if (i + 1 >= args.size()) throw CommandFailed(BadInput, QStringLiteral("%1 needs a value").arg(a));
            return args[++i];
        };
        if (a == u"--vcard") parsed.file = value();
        else if (!importing && a == u"--version") parsed.version = value();
        else if (importing && a == u"--replace") parsed.replace = true;
        else if (importing && a == u"--yes-up-to-limit") parsed.upToLimit = true;
        else if (importing && a == u"--duplicates") parsed.duplicates = value();
        else throw CommandFailed(BadInput, QStringLiteral("Unknown argument \"%1\"").arg(a));
    }
    if (parsed.file.isEmpty()) throw CommandFailed(BadInput, QStringLiteral("--vcard needs a FILE"));
    if (parsed.version != u"3" && parsed.version != u"4") throw CommandFailed(BadInput, QStringLiteral("--version takes 3 or 4"));
    return parsed;
}

}  // namespace

int VCardExportCommand(CardStore& store, const QStringList& args, QTextStream& out) {
    const VCardArgs a = ParseArgs(args, false);
    store.LoadLists();
    QList<Card> cards;
    cards.reserve(store.AllByName.size());
    for (const QString& rec : store.AllByName) cards << store.ReadCard(rec);
    try {
        WriteVCardFile(a.file, cards, a.version == u"4" ? VCardVersion::V4 : VCardVersion::V3, store.DataFile());
    } catch (const ExportFailed& e) {
        throw CommandFailed(WriteFailed, QString::fromUtf8(e.what()));
    }
    out << "exported " << cards.size() << " cards\n";
    return Done;
}

int VCardImportCommand(CardStore& store, const QStringList& args, QTextStream& out) {
    const VCardArgs a = ParseArgs(args, true);
    VCardCards read;
    try {
        read = ReadVCardFile(a.file);
    } catch (const ImportFileError& e) {
        throw CommandFailed(BadInput, QString::fromUtf8(e.what()));
    }
    QStringList extra;
    if (read.valuesInNotes > 0) extra << QStringLiteral("%1 values without a card field of their own were added to the notes.").arg(read.valuesInNotes);
    if (read.valuesLeftOut > 0) extra << QStringLiteral("%1 pictures, sounds or keys were left out.").arg(read.valuesLeftOut);
    ImportOptions options;
    options.replace = a.replace;
    options.upToLimit = a.upToLimit;
    options.source = ImportSourceKind::VCards;
    return ImportAndReport(store, read.cards, a.duplicates, options, extra.join(u'\n'), out);
}

int ImportAndReport(CardStore& store, const QList<Card>& incoming, const QString& policy, ImportOptions options,
                    const QString& extra, QTextStream& out) {
    const bool replace = options.replace;
    const QString what = options.source == ImportSourceKind::VCards ? QStringLiteral("vCards") : QStringLiteral("lines");
    const DuplicateAction action = ActionArg(policy);
    store.RefreshLists();
    const KnownCards known = replace ? KnownCards() : ReadKnownCards(store);
    const QList<ImportDuplicate> duplicates = FindImportDuplicates(known, incoming);
    if (!duplicates.isEmpty()) {
        const auto strong = std::count_if(duplicates.begin(), duplicates.end(), [](const ImportDuplicate& d) { return d.strength == MatchStrength::Strong; });
        out << duplicates.size() << " incoming cards match other cards (" << strong << " strongly); ";
        out << (action == DuplicateAction::Skip ? "skipped" : action == DuplicateAction::Fill ? "they fill empty fields" : "imported anyway") << '\n';
    }
    const qsizetype count = ResolveDuplicates(known, incoming, duplicates, QList<DuplicateAction>(duplicates.size(), action)).cards.size();
    const int room = ImportRoom(replace, store.NoOfRecords);
    if (count >= room && count > 0 && !options.upToLimit)
        throw CommandFailed(BadInput, QStringLiteral("Tessaly can have up to %1 records; %2 %3 would make %4. "
                                                     "--yes-up-to-limit imports the first %5")
                                          .arg(kMaxCards).arg(count).arg(what).arg(count + (replace ? 0 : store.NoOfRecords)).arg(room));
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

int DuplicatesCommand(CardStore& store, const QStringList& args, QTextStream& out) {
    if (!args.isEmpty()) throw CommandFailed(BadInput, QStringLiteral("duplicates takes no arguments"));
    store.LoadLists();
    QHash<QString, QString> shown;
    for (qsizetype i = 0; i < store.AllByName.size(); ++i) shown[store.AllByName[i]] = store.AllNames.value(i);
    const QList<DuplicateGroup> groups = FindDuplicateGroups(ReadKnownCards(store));
    for (const DuplicateGroup& g : groups) {
        out << (g.strength == MatchStrength::Strong ? "strong" : "possible");
        for (const QString& rec : g.recNos) out << '\t' << rec << '\t' << EscapeValue(shown.value(rec));
        out << '\n';
    }
    if (groups.isEmpty()) out << "no duplicates\n";
    return Done;
}

}  // namespace tessaly::cli
