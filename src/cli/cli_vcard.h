#pragma once
#include "exchange/duplicate_resolve.h"

#include <QStringList>
#include <QTextStream>

namespace tessaly::store {
class CardStore;
}

namespace tessaly::cli {

// export --vcard FILE [--version 3|4]: every card, in name order.
int VCardExportCommand(store::CardStore& store, const QStringList& args, QTextStream& out);
// import --vcard FILE [--replace] [--yes-up-to-limit] [--duplicates skip|import|fill]
int VCardImportCommand(store::CardStore& store, const QStringList& args, QTextStream& out);
// duplicates: the groups of cards that match one another, strong ones first.
int DuplicatesCommand(store::CardStore& store, const QStringList& args, QTextStream& out);

// Imports the incoming cards, each match treated as --duplicates says ("skip",
// "import" or "fill"; empty is "import"): the match is counted and told first,
// then made again under the change lock by the import itself. More cards than
// the card file takes are refused (exit 2) unless options.upToLimit. Prints
// the import's summary, a sentence a line, with 'extra' after it; a failed
// write is exit 4. The options' duplicate choices are made from 'policy'.
int ImportAndReport(store::CardStore& store, const QList<store::Card>& incoming, const QString& policy,
                    store::ImportOptions options, const QString& extra, QTextStream& out);

}  // namespace tessaly::cli
