#pragma once

namespace tessaly::mainwin {
class MainDialog;
}

namespace tessaly::shell {
struct AppContext;
}

namespace tessaly::app {

// The start-up sequence: splash window, preferences, the card file, the lists,
// the main window, the use count, the in-use warning and the tip of the day.
// False when the program must end at once (another copy runs, or there is no
// card file and the user did not want one). The context lives as long as the
// main window: the caller keeps it.
bool Main(shell::AppContext& context);

// The main window that Main made, or null.
mainwin::MainDialog* TheMainDialog();

}  // namespace tessaly::app
