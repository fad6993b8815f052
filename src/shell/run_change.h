#pragma once
#include <QPointer>
#include <QString>
#include <exception>
#include <functional>

class QTimer;
class QWidget;

namespace tessaly::store {
class CardStore;
}

namespace tessaly::shell {

// The in-use check paused for a scope (a change of the lists, a search, a menu),
// and running again afterwards on every path out, when it ran before.
class InUseCheckPause {
public:
    InUseCheckPause();
    ~InUseCheckPause();
    InUseCheckPause(const InUseCheckPause&) = delete;
    InUseCheckPause& operator=(const InUseCheckPause&) = delete;

private:
    QPointer<QTimer> timer_;
    bool wasActive_ = false;
};

// A command that changes cards, as a window hands it to RunChange.
struct ChangeCommand {
    // The dialog that asked for the change, or null: hidden while the change runs, closed after it.
    QWidget* asking = nullptr;
    // The wait window's first line, shown in the main window's first status panel too.
    QString waitText;
    // The store's change. It throws what the store throws when it refuses or a write fails.
    std::function<void()> change;
    // What a failed change means for the user, said below the error.
    QString consequence;
    // The row of the main window's list to select afterwards, told whether the
    // change went through; without it the selection stays where it was.
    std::function<int(bool done)> rowAfter;
    // Says a failure in the change's own words instead of the error and the
    // consequence (the restore's own messages); the lists are read again all the same.
    std::function<void(const std::exception&)> reportFailure = {};
};

// The one way a window changes cards: the in-use check paused throughout, the
// asking dialog hidden and the wait window over the main window while the
// change runs; then the dialog closed, the wait window hidden and the main
// window told to show the lists on the row asked for. A change that fails (refused, a file
// that failed, anything else the store throws) is reported with the
// consequence, and the lists are read again from the files so that the main
// window shows what they hold. True when the change went through. What is no
// std::exception goes on to the caller, after the windows and the in-use check
// are back as they were.
bool RunChange(store::CardStore& store, const ChangeCommand& command);

// Loads and repairs the card lists under the change lock, with the in-use
// check paused (loading lets the windows repaint, and so the timers run); a
// refusal or a file that cannot be read or written is reported with the
// consequence given.
void RefreshCardLists(store::CardStore& store, const QString& consequence);

}  // namespace tessaly::shell
