#pragma once

namespace tessaly::shell {

struct AppContext;

// "Create BackUp": copies the card files to the backup folder of the
// preferences; a folder that is not ready is offered again until the user
// cancels.
void BackUp(AppContext& context);

// "Restore from BackUp": after two questions, the backup replaces the card
// files (safety copies first), and the lists are read again. A restore that
// fails says which file failed and that the card files were put back.
void Restore(AppContext& context);

}  // namespace tessaly::shell
