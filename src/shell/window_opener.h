#pragma once

#include <Qt>

class QWidget;

namespace tessaly::shell {

// A window of fixed size: a title and a close button, nothing to minimise or maximise.
inline constexpr Qt::WindowFlags kFixedDialogFlags =
    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
    Qt::WindowCloseButtonHint;

enum class Placement { TopRight, Centred, CentredKept };

// The one way a window opens over the main window. It becomes a child window
// of the main window (it stays above it, comes to the front with it and goes
// with it), is placed by the rule given with the frame it will have, is shown
// not modal, and the main window is disabled. When it closes, the first status
// panel is emptied and the main window takes input again.
void OpenOverMain(QWidget* window, Placement placement);

// A window open over the main window, or null.
QWidget* OpenWindowOverMain();

// Brings the main window to the front, when there is one.
void RaiseMain();

}  // namespace tessaly::shell
