#include "cli_vcard.h"

#include "cards/card_store.h"
#include "cli_commands.h"
#include "cli_exchange.h"
#include "cli_import.h"
#include "cli_text.h"
#include "exchange/csv/import_reader.h"
#include "exchange/duplicate_resolve.h"
#include "exchange/import_cards.h"
#include "exchange/vcard/vcard_cards.h"
#include "exchange/vcard/vcard_writer.h"

#include <QFileInfo>

namespace tessaly::cli {

namespace {

using namespace tessaly::store;

struct VCardArgs {
    QString file, version = QStringLiteral("3"), duplicates;
    bool replace = false, upToLimit = false;
};

VCardArgs ParseArgs(const QStringList& args, bool importing) {
    VCardArgs parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&]() -> QString {
            if (i + 1 >= args.size()) throw CommandFailed(BadInput, QStringLiteral("%1 needs a value").arg(a));
            return args[++i];
        };
        if (a == u"--vcard")
            parsed.file = value();
        else if (!importing && a == u"--version")
            parsed.version = value();
        else if (importing && a == u"--replace")
            parsed.replace = true;
        else if (importing && a == u"--yes-up-to-limit")
            parsed.upToLimit = true;
        else if (importing && a == u"--duplicates")
            parsed.duplicates = value();
        else
            throw CommandFailed(BadInput, QStringLiteral("Unknown argument \"%1\"").arg(a));
    }
    if (parsed.file.isEmpty()) throw CommandFailed(BadInput, QStringLiteral("--vcard needs a FILE"));
    if (parsed.version != u"3" && parsed.version != u"4")
        throw CommandFailed(BadInput, QStringLiteral("--version takes 3 or 4"));
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
    if (read.valuesInNotes > 0)
        extra << QStringLiteral("%1 values without a card field of their own were added to the notes.")
                     .arg(read.valuesInNotes);
    if (read.valuesLeftOut > 0)
        extra << QStringLiteral("%1 pictures, sounds or keys were left out.").arg(read.valuesLeftOut);
    ImportOptions options;
    options.replace = a.replace;
    options.upToLimit = a.upToLimit;
    options.source = ImportSourceKind::VCards;
    options.fileName = QFileInfo(a.file).fileName();
    return ImportAndReport(store, read.cards, a.duplicates, options, extra.join(u'\n'), out);
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
