#pragma once
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

}  // namespace tessaly::cli
