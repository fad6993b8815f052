#pragma once
#include "main_window_link.h"
#include "preferences.h"
#include "profile/cached_profile.h"
#include "cards/card_layout.h"
#include "cards/card_store.h"

#include <QColor>
#include <QPointer>
#include <QString>
#include <memory>

class QWidget;

namespace tessaly::shell {

// The program-wide state that the windows share. The card store owns the
// lists and what the main window's list shows (the view, the filter, the
// counts); the preferences hold what was read at start-up.
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
    store::Card CardFields{};

    QColor TextColor{0x00, 0x00, 0x00};
    QColor HoverColor{0x00, 0x00, 0xC0};
    QColor FoundColor{0xFF, 0x00, 0x00};

    // The main window: windows are placed over it and tell it what to show.
    QPointer<MainWindowLink> Main;

    // Opens the card store on DataDir.
    void OpenStore();
    QWidget* MainWindow() const { return Main ? Main->window() : nullptr; }
    // A status panel of the main window, when there is one.
    void SetStatusText(int panel, const QString& text) const {
        if (Main) emit Main->statusTextChanged(panel, text);
    }
    // The lists or the selection changed: the main window shows them again.
    void RefreshMain() const {
        if (Main) emit Main->listsChanged();
    }
    // The list the main window shows has a card selected (a filter may show none).
    bool HasSelectedCard() const { return Store && Store->ShownCount() > 0 && !CurrentRecNo.isEmpty(); }
};

SharedData& Shared();
// A fresh state (tests start each case with one).
void ResetShared();

}  // namespace tessaly::shell
