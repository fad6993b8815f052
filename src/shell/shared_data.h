#pragma once
#include "preferences.h"
#include "profile/cached_profile.h"
#include "store/card_layout.h"
#include "store/card_store.h"

#include <QColor>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QTimer;
class QWidget;

namespace tessaly::shell {

// The program-wide state that the windows share. The card store owns the
// lists, NoOfRecords, FilterOn and the live view (Show); the preferences hold
// what was read at start-up.
struct SharedData {
    profile::CachedProfile Profile;
    QString PreferencesFile;  // ostrel.ini
    Preferences Prefs;
    QString DataDir;   // ends in '/'
    QString DataFile;  // DataDir + "tesly.dat"
    std::unique_ptr<store::CardStore> Store;
    // Where the store's long operations report (the windows' progress sink).
    std::unique_ptr<store::ProgressSink> Progress;

    bool InUse = false;
    std::int16_t DialogResult = 1;
    int CurrentIndex = 0;
    QString CurrentRecNo;
    store::CardFieldList CardFields{};

    QColor TextColor{0x00, 0x00, 0x00};
    QColor HoverColor{0x00, 0x00, 0xC0};
    QColor FoundColor{0xFF, 0x00, 0x00};

    // The main window, over which dialogs and message windows are placed,
    // and its status bar's text panels (0 to 3).
    QPointer<QWidget> MainWindow;
    std::function<void(int panel, const QString& text)> StatusText;
    // The main window's refresh (SetData) and the in-use timer that changes pause.
    std::function<void()> RefreshMain;
    QPointer<QTimer> InUseTimer;

    // Opens the card store on DataDir.
    void OpenStore();
    // A status panel of the main window, when there is one.
    void SetStatusText(int panel, const QString& text) const {
        if (StatusText) StatusText(panel, text);
    }
};

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

SharedData& Shared();
// A fresh state (tests start each case with one).
void ResetShared();

}  // namespace tessaly::shell
