#pragma once
#include <QStringList>
#include <QTextStream>

namespace tessaly::store {
class CardStore;
}

namespace tessaly::cli {

// export --vcard FILE [--version 3|4]: every card, in name order.
int VCardExportCommand(store::CardStore& store, const QStringList& args, QTextStream& out);
// import --vcard FILE [--replace] [--yes-up-to-limit]
int VCardImportCommand(store::CardStore& store, const QStringList& args, QTextStream& out);

}  // namespace tessaly::cli
