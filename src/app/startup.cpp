#include "startup.h"

#include "single_instance.h"

#include "mainwin/card_list_model.h"
#include "mainwin/detail_label.h"
#include "mainwin/main_dialog.h"
#include "profile/app_paths.h"
#include "shell/app_context.h"
#include "shell/auto_backup.h"
#include "shell/card_file_guard.h"
#include "shell/file_in_use.h"
#include "shell/modal_seam.h"
#include "shell/msg_box.h"
#include "shell/open_data_file.h"
#include "shell/placement.h"
#include "shell/preferences.h"
#include "shell/progress_windows.h"
#include "shell/run_change.h"
#include "shell/tip_of_day.h"
#include "shell/twips.h"
#include "shell/window_opener.h"

#include "lumetctrl.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QStyle>

namespace tessaly::app {

namespace {

QPointer<mainwin::MainDialog>& MainSlot() {
    static QPointer<mainwin::MainDialog> main;
    return main;
}

// Start-up's outer height of the main window; the status bar stays at the bottom.
void SetOuterHeight(QWidget* window, int twips) {
    const int frameExtra = window->frameGeometry().height() - window->geometry().height();
    const int titleBar = frameExtra > 0 ? frameExtra : window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    window->resize(window->width(), shell::ToPixels(twips) - titleBar);
}

// Loading and sorting write the repaired or sorted links; a file that refuses
// them is reported, and the program carries on with what it could read. The
// chains are walked whatever the header's count says, so a count of 0 or
// garbage hides no card. While another program holds the card file the lists
// are put in order in memory only.
void LoadCards(store::CardStore& store, CLumetCtrl* gauge) {
    store.SetInUse(store::Count16(store.ReadHeader(store::header::NoOfUses)) >= 1);
    if (store.HasCards()) {
        gauge->show();
        shell::SetGaugePercent(gauge, 0);
    }
    shell::RefreshCardLists(store, QStringLiteral("The card list could not be brought in order."));
    if (!store.MissingFiles().isEmpty())
        shell::SingleTextBox().ShowMsg(
            store.MissingFiles().join(QStringLiteral(", ")) +
                QStringLiteral(" is missing or cannot be read; the cards it holds are not shown.") + u'\r' +
                QStringLiteral("Tessaly changes nothing until the file is back."),
            0, QStringLiteral("OK"), QString(), 3, QStringLiteral("Data file incomplete"));
    store.FillList();
}

}  // namespace

mainwin::MainDialog* TheMainDialog() {
    return MainSlot();
}

bool Main(shell::AppContext& s) {
    if (s.PreferencesFile.isEmpty()) s.PreferencesFile = store::PreferencesFile();

    auto* welcome = new shell::Welcome;
    welcome->setAttribute(Qt::WA_DeleteOnClose);
    shell::CentreOnScreen(welcome);
    welcome->Lbl->setText(QStringLiteral("Loading preferences..."));
    welcome->Lumet->hide();
    welcome->show();
    welcome->repaint();
    QApplication::processEvents();

    auto* main = new mainwin::MainDialog(s);
    main->setAttribute(Qt::WA_DeleteOnClose);
    MainSlot() = main;
    shell::CentreOnScreen(main);
    main->Menus().InUseTimer.stop();

    auto* instance = new SingleInstance(s.PreferencesFile, main);
    auto endNow = [&] {
        delete welcome;
        delete main;
        return false;
    };
    if (instance->ActivateRunningCopy()) return endNow();
    instance->Listen(main);

    QDir().mkpath(QFileInfo(s.PreferencesFile).absolutePath());
    s.Prefs = shell::LoadPreferences(s.Profile, s.PreferencesFile);
    if (!shell::OpenDataFile(s)) return endNow();

    main->setWindowTitle(QStringLiteral("Tessaly, Version ") + s.Prefs.AppVersion.trimmed());
    SetOuterHeight(main, 6000);
    // The layout has one size: maximised it showed an empty area, shrunk it hid the status bar.
    main->setFixedSize(main->size());
    // Window managers offer maximising unless the buttons are named one by one.
    main->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    for (mainwin::DetailLabel* label : main->Label) {
        label->clear();
        label->SetColour(s.TextColor);
    }
    welcome->Lbl->setText(QStringLiteral("Loading Names..."));

    s.Progress = std::make_unique<shell::WindowProgress>(welcome, &main->Link());
    s.Store->SetProgress(s.Progress.get());
    main->ListModel().SetStore(s.Store.get());
    s.Store->SetView(s.Prefs.Show);
    // Before the count is read: a run of ours that was killed no longer counts as another program.
    try {
        shell::TakeBackEndedUses(s.Profile, s.DataFile);
    } catch (const profile::WriteError& error) {
        shell::ReportWriteFailure(error, QStringLiteral("A use count left by an earlier run of Tessaly stays."));
    }
    LoadCards(*s.Store, welcome->Lumet);

    main->SetStatusText(0, QString());
    main->show();
    if (!s.HistoryNotice.isEmpty())
        shell::SingleTextBox().ShowMsg(s.HistoryNotice, 0, QStringLiteral("OK"), QString(), shell::icon::Exclamation,
                                       QStringLiteral("History of changes"));
    main->SetData();
    // Typing a letter jumps in the list from the start.
    main->LstNames->setFocus();
    delete welcome;

    try {
        shell::RegisterUse(s.Profile, s.DataFile);
    } catch (const profile::WriteError& error) {
        shell::ReportWriteFailure(error,
                                  QStringLiteral("Other programs will not see that Tessaly uses the data file."));
    }
    s.InUse = shell::CheckInUse(s.Profile, s.DataFile);
    if (s.InUse) {
        shell::FileInUse inUse(s, main);
        inUse.adjustSize();
        shell::CentreOver(&inUse, main);
        shell::RunModal(inUse);
    }
    main->SetEditState();

    if (shell::TipsWanted(s.Profile, s.PreferencesFile)) {
        auto* tip = new shell::TipOfDay(s);
        tip->adjustSize();
        shell::OpenOverMain(tip, shell::Placement::Centred);
    }
    main->Menus().InUseTimer.start();
    shell::StartDailyBackups(s, main);
    return true;
}

}  // namespace tessaly::app
