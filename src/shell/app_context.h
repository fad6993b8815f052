#pragma once
#include "cards/card_layout.h"
#include "cards/card_store.h"
#include "history/change_journal.h"
#include "preferences.h"
#include "profile/cached_profile.h"

#include <QColor>
#include <QHash>
#include <QString>
#include <memory>

namespace tessaly::shell {

// What the windows of one run work on: the preferences and their file, the
// data folder, the card store and where its long operations report, and
// whether another program uses the card file. The start-up makes one and
// hands it to the main window, which hands it on to each window it opens;
// tests make their own. The selection is the main window's.
struct AppContext {
    AppContext() = default;
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    profile::CachedProfile Profile;
    QString PreferencesFile;  // ostrel.ini
    Preferences Prefs;
    QString DataDir;   // ends in '/'
    QString DataFile;  // DataDir + "tesly.dat"
    std::unique_ptr<store::CardStore> Store;
    // The history of changes to the card file; null when it could not be opened (HistoryNotice says why).
    std::unique_ptr<history::ChangeJournal> History;
    QString HistoryNotice;
    // Where the store's long operations report (the windows' progress sink).
    std::unique_ptr<store::ProgressSink> Progress;

    bool InUse = false;

    // Sync passwords typed in this run where no keyring could keep them, by account: never written anywhere.
    QHash<QString, QString> SessionPasswords;

    QColor TextColor{0x00, 0x00, 0x00};
    QColor HoverColor{0x00, 0x00, 0xC0};
    QColor FoundColor{0xFF, 0x00, 0x00};

    // Opens the card store on DataDir.
    void OpenStore();
    // Opens the history of the card file and has the store record every change in it.
    void OpenHistory();
};

}  // namespace tessaly::shell
