#pragma once

#include <QPointer>
#include <Qt>

class QWidget;

namespace tessaly::shell {

// A window of fixed size: a title and a close button, nothing to minimise or maximise.
inline constexpr Qt::WindowFlags kFixedDialogFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                                     Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                     Qt::WindowCloseButtonHint;

enum class Placement { TopRight, Centred, CentredKept };

// The one way a window opens over the main window. It becomes a child window
// of the main window (it stays above it, comes to the front with it and goes
// with it), is placed by the rule given with the frame it will have, is shown
// not modal, and the main window is disabled. A window of kFixedDialogFlags
// keeps the size it has. The window manager knows it as a
// modal dialog of the main window, so a click on the greyed main window leaves
// it active. When it closes, the first status panel is emptied and the main
// window takes input again, unless another window is still over it.
void OpenOverMain(QWidget* window, Placement placement);

// The window in front of the main window: the latest modal window shown
// through RunModal, else one opened with OpenOverMain; null when none is open.
QWidget* OpenWindowOverMain();

// Brings the main window to the front, when there is one.
void RaiseMain();

// Tells the window manager, before 'window' is shown, that it is a modal
// dialog of 'below': transient for it and in the modal state. Off X11, and for
// a window already shown, nothing is done.
void MarkModalOver(QWidget* window, QWidget* below);

// A modal window in front of the main window for as long as this lives: the
// main window is disabled meanwhile. At the end the main window takes input
// again when nothing else is left over it, unless something other than these
// windows (a progress window) had disabled it before.
class ModalOverMain {
public:
    explicit ModalOverMain(QWidget& window);
    ~ModalOverMain();
    ModalOverMain(const ModalOverMain&) = delete;
    ModalOverMain& operator=(const ModalOverMain&) = delete;

private:
    QPointer<QWidget> window_;
    QPointer<QWidget> focus_;
    bool tracked_ = false;
    bool releases_ = false;
};

// The one open window of a kind, for the code that needs to reach it (the
// in-use check greying its OK button, a second opening bringing it forward):
// the window derives from OnlyOne<itself> and claims the slot once it is
// built. Current() is that window until it gives the slot up on closing, or
// is destroyed.
template <class Window>
class OnlyOne {
public:
    static Window* Current() { return Slot(); }

protected:
    void ClaimSlot() { Slot() = static_cast<Window*>(this); }
    void ReleaseSlot() {
        if (Slot() == static_cast<Window*>(this)) Slot() = nullptr;
    }

private:
    static QPointer<Window>& Slot() {
        static QPointer<Window> current;
        return current;
    }
};

}  // namespace tessaly::shell
