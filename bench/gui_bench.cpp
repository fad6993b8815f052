// tessaly-gui-bench: the program's windows on a large card file, offscreen.
//   tessaly-gui-bench [--cards N] [--runs K]
// W7: Find over every card with "All fields" and a text that is nowhere,
//     from the press of Find to the not-found notice (progress window included).
// W8: opening the deleted-cards window with every card deleted.
// W9, W10: the Filter dialog's OK with a text on one field, and on all five,
//     until the filtered list is shown (progress window included).
// W11: the Setup dialog's OK that switches the list to company order.
// Prints "RESULT <name> <median_ms>" per workload.
#include "card_generator.h"

#include "app/startup.h"
#include "cards/card_store.h"
#include "dialogs/dialog_openers.h"
#include "dialogs/filter_dialog.h"
#include "dialogs/restore_dialog.h"
#include "mainwin/main_dialog.h"
#include "profile/cached_profile.h"
#include "shell/app_context.h"
#include "shell/card_file_guard.h"
#include "shell/modal_seam.h"
#include "shell/msg_box.h"
#include "shell/setup_dialog.h"

#include <time.h>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <vector>

using namespace tessaly;

namespace {

QTextStream out(stdout);

// --cpu: the thread's CPU clock instead of the wall clock, on a machine busy with other work.
bool gCpuClock = false;

struct Clock {
    double startMs = 0;
    static double nowMs() {
        timespec ts{};
        clock_gettime(gCpuClock ? CLOCK_THREAD_CPUTIME_ID : CLOCK_MONOTONIC, &ts);
        return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
    }
    void start() { startMs = nowMs(); }
    double elapsedMs() const { return nowMs() - startMs; }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Preferences that name the card folder and keep the tip of the day closed.
void WritePreferences(const QString& config, const QString& cards) {
    QDir().mkpath(config + "Tessaly");
    QFile prefs(config + "Tessaly/ostrel.ini");
    if (prefs.open(QIODevice::WriteOnly))
        prefs.write("[Data Files]\nTeslyDataPath=" + cards.toUtf8() + "\n[TS32]\nTips=0\nVersion=2.0\n");
}

// The context of the run under measure; each start gets a fresh one, as a new run of the program does.
std::unique_ptr<shell::AppContext>& Context() {
    static std::unique_ptr<shell::AppContext> context;
    return context;
}

void Start(const QString& base, const QString& cards) {
    Context() = std::make_unique<shell::AppContext>();
    WritePreferences(base + "config/", cards);
    qputenv("XDG_CONFIG_HOME", (base + "config/").toUtf8());
    qputenv("XDG_DATA_HOME", (base + "data/").toUtf8());
    if (!app::Main(*Context())) qFatal("the program did not start");
}

// The program's use of the card file is counted off, as its exit does, so the next start finds it free.
void Stop() {
    shell::CountOff(Context()->Profile, Context()->DataFile);
    delete app::TheMainDialog();
    Context().reset();
}

double FindNothing(const QString& base, const QString& cards, int runs) {
    Start(base, cards);
    mainwin::MainDialog& main = *app::TheMainDialog();
    main.TxtFind->setText(QStringLiteral("no card holds this text"));
    main.CboSrchIn->setCurrentIndex(3);  // "All fields"
    std::vector<double> times;
    Clock clock;
    shell::SetModalAnswerer([&](QDialog& window) {
        times.push_back(clock.elapsedMs());
        window.reject();
    });
    for (int i = 0; i < runs; ++i) {
        clock.start();
        main.BtnFind->click();
    }
    shell::SetModalAnswerer({});
    Stop();
    return Median(times);
}

double OpenRestoreWindow(const QString& base, const QString& cards, int runs) {
    Start(base, cards);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        Clock clock;
        clock.start();
        dialogs::LoadDeletedList(*Context());
        QApplication::processEvents();
        times.push_back(clock.elapsedMs());
        delete dialogs::RestoreDialog::Current();
    }
    Stop();
    return Median(times);
}

// The texts typed into the Filter dialog, then OK; the filter goes off again between runs, untimed.
double Filter(const QString& base, const QString& cards, int runs, const store::FilterTexts& texts) {
    Start(base, cards);
    mainwin::MainDialog& main = *app::TheMainDialog();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        main.BtnFilter->click();
        dialogs::FilterDialog& dialog = *dialogs::FilterDialog::Current();
        dialog.TxtFirstName->setText(texts[0]);
        dialog.TxtLastName->setText(texts[1]);
        dialog.TxtTitle->setText(texts[2]);
        dialog.TxtCompany->setText(texts[3]);
        dialog.TxtNotes->setPlainText(texts[4]);
        Clock clock;
        clock.start();
        dialog.BtnOK->click();
        QApplication::processEvents();
        times.push_back(clock.elapsedMs());
        if (main.LstNames->model()->rowCount() == 0) qFatal("the filter matched no card");
        main.TurnFilterOff();
    }
    Stop();
    return Median(times);
}

double SetupToCompanyOrder(const QString& base, const QString& cards, int runs) {
    Start(base, cards);
    mainwin::MainDialog& main = *app::TheMainDialog();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (Context()->Store->ShowsCompanies()) main.ToggleView();
        main.BtnSetup->click();
        shell::SetupDialog& dialog = *shell::SetupDialog::Current();
        dialog.OptShowCompany->setChecked(true);
        Clock clock;
        clock.start();
        dialog.BtnOK->click();
        QApplication::processEvents();
        times.push_back(clock.elapsedMs());
    }
    Stop();
    return Median(times);
}

// Every card of the folder moved to the deleted list, as deleting them one by one would.
void DeleteAll(const QString& cards) {
    profile::CachedProfile p;
    store::CardStore s(p, cards);
    s.LoadLists();
    profile::ProfileBulk bulk(p);
    while (s.NoOfRecords > 0) s.DeleteCard(s.AllByName.first());
    bulk.finish();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    QApplication::setQuitOnLastWindowClosed(false);
    int cards = 8000, runs = 5;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == u"--cards" && i + 1 < args.size())
            cards = args[++i].toInt();
        else if (args[i] == u"--runs" && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == u"--cpu")
            gCpuClock = true;
        else if (args[i] == u"--version") {
            QTextStream(stdout) << "tessaly-gui-bench " TESSALY_VERSION "\n";
            return 0;
        } else {
            // --help, or anything not understood: say how to call us and run nothing.
            QTextStream(args[i] == u"--help" ? stdout : stderr)
                << "usage: tessaly-gui-bench [--cards N] [--runs K] [--cpu]\n"
                   "Times Find over N generated cards (W7), opening the deleted-cards window (W8), the\n"
                   "filter on one field and on five (W9, W10) and Setup switching to company order (W11),\n"
                   "offscreen; prints the median of K runs in milliseconds (--cpu: of the thread's CPU time).\n";
            return args[i] == u"--help" ? 0 : 2;
        }
    }
    QTemporaryDir tmp;
    const QString base = tmp.path() + u'/';
    const QString live = base + "live/", deleted = base + "deleted/";
    out << "Generating " << cards << " cards..." << Qt::endl;
    QDir().mkpath(live);
    QDir().mkpath(deleted);
    MakeCardFile(live, cards);
    MakeCardFile(deleted, cards);
    DeleteAll(deleted);

    out << "RESULT W7_find_all_fields_no_match " << QString::number(FindNothing(base, live, runs), 'f', 1) << Qt::endl;
    out << "RESULT W8_open_restore_window " << QString::number(OpenRestoreWindow(base, deleted, runs), 'f', 1)
        << Qt::endl;
    const double one = Filter(base, live, runs, {"", "a", "", "", ""});
    out << "RESULT W9_filter_one_field " << QString::number(one, 'f', 1) << Qt::endl;
    const double five = Filter(base, live, runs, {"e", "a", "e", "e", "fair"});
    out << "RESULT W10_filter_five_fields " << QString::number(five, 'f', 1) << Qt::endl;
    out << "RESULT W11_setup_to_company_order " << QString::number(SetupToCompanyOrder(base, live, runs), 'f', 1)
        << Qt::endl;
    return 0;
}
