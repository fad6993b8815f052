#pragma once
#include "store/duplicate_resolve.h"

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

// The incoming cards against the card file (the lists loaded; replacing:
// against one another only), each match treated as --duplicates says
// ("skip", "import" or "fill"; empty is "import"). Says how many matched.
store::ResolvedImport ResolveForImport(store::CardStore& store, const QList<store::CardFieldList>& incoming, const QString& policy,
                                       bool replace, QTextStream& out);

}  // namespace tessaly::cli
