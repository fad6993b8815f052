#pragma once
#include "exchange/import_cards.h"

#include <QStringList>
#include <QTextStream>

namespace tessaly::cli {

// The closing steps of every import from the command line (delimited and vCards).

// Imports the incoming cards, each match treated as --duplicates says ("skip",
// "import" or "fill"; empty is "import"): the match is counted and told first,
// then made again under the change lock by the import itself. More cards than
// the card file takes are refused (exit 2) unless options.upToLimit. Prints
// the import's summary, a sentence a line, with 'extra' after it; a failed
// write is exit 4. The options' duplicate choices are made from 'policy'.
int ImportAndReport(store::CardStore& store, const QList<store::Card>& incoming, const QString& policy,
                    store::ImportOptions options, const QString& extra, QTextStream& out);

}  // namespace tessaly::cli
