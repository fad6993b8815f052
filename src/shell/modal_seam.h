#pragma once
#include <functional>

class QDialog;
class QMenu;
class QPoint;

namespace tessaly::shell {

// Every modal window of the program is shown through RunModal. Tests install
// an answerer: it is called once the window is up, inside its event loop, and
// answers it as a user would (a click, a key), so no test waits on a clock.
// While the window is up, the main window is disabled (see ModalOverMain).
using ModalAnswerer = std::function<void(QDialog& window)>;
void SetModalAnswerer(ModalAnswerer answerer);
int RunModal(QDialog& window);

// Popup menus likewise: with an answerer installed, it is handed the menu
// instead of the menu being shown, and triggers the entry a user would choose.
using PopupAnswerer = std::function<void(QMenu& menu)>;
void SetPopupAnswerer(PopupAnswerer answerer);
void RunPopup(QMenu& menu, const QPoint& at);

}  // namespace tessaly::shell
