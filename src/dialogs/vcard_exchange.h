#pragma once

namespace tessaly::shell {
struct AppContext;
}

namespace tessaly::dialogs {

// Exchange's "Import vCard…": a file chosen, its cards checked for duplicates,
// the 8000-card question, then the import (safety copy first, sorted at the
// end); a message says how many cards came in and how many values went to
// the notes.
void ImportVCard(shell::AppContext& context);
// Exchange's "Export vCard…": every card, or the filtered ones while the
// filter is on, in the list's order, to a file chosen (vCard 3.0 or 4.0).
void ExportVCard(shell::AppContext& context);

}  // namespace tessaly::dialogs
