#pragma once
#include "exchange/import_cards.h"

#include <QStringList>
#include <optional>

class QWidget;

namespace tessaly::shell {
struct AppContext;
}

namespace tessaly::dialogs {

// The closing steps of every import from the windows (the wizard and vCards).

// Imports the cards through the change path: the asking window hidden, the
// progress window over the main window, the filter off, the first card
// selected afterwards. Nothing when the import failed (the failure was said).
std::optional<store::ImportOutcome> RunImport(shell::AppContext& context, QWidget* asking,
                                              const QList<store::Card>& incoming, const store::ImportOptions& options);

// Says how the import went, a sentence a line, with 'extra' after the counts;
// a note that the import left (the safety copy) turns it into a warning.
void TellImported(const store::ImportOutcome& done, const QStringList& extra, const QString& title);

}  // namespace tessaly::dialogs
