#pragma once

namespace tessaly::app {

// SIGTERM, SIGHUP and SIGINT (a kill, a logout or shutdown, a closed terminal,
// Ctrl+C) and the end of the desktop session end the program as its Exit
// button does: the on-exit backup, the card file counted off, the windows
// closed. Nothing may hold up a logout, so from then on every question or
// message is closed as its close box closes it, and a card dialog loses what
// was typed in it. A change that is running finishes first. Call once the
// QApplication exists, before Main.
void EndOnRequest();

// Start-up is over. True when an end was asked for meanwhile: the program has
// then ended as Exit ends it, and main returns without its event loop.
bool StartUpDone();

}  // namespace tessaly::app
