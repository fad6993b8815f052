// tessaly-cli: the card store from the command line, for scripting, checking and repair.
#include "cli_commands.h"
#include "profile/cached_profile.h"
#include "store/app_paths.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

const char kUsage[] =
    "usage: tessaly-cli [--data DIR] [--force] COMMAND [ARGS]\n"
    "  init                        create an empty card file (header only)\n"
    "  add Key=Value ...           add a card; prints its record number\n"
    "  edit N Key=Value ...        change card N (it moves when FirstName, LastName or Company change)\n"
    "  delete N                    move card N to the deleted list\n"
    "  restore N                   bring deleted card N back\n"
    "  list [--company|--deleted]  one line per card in list order: N, a tab, the display text\n"
    "  show N                      the 16 fields as Key=Value lines\n"
    "  sort                        the start-up order check; prints \"in order\" or \"sorted\"\n"
    "  check                       verify the card file; prints \"ok\" or one line per fault\n"
    "  repair                      the start-up repair; prints each key it rewrote or \"nothing to repair\"\n"
    "Keys: Sal FirstName LastName Title Company Address1..Address6 Phone1 Phone2 Fax EMail Notes.\n"
    "Values use \\\\ \\n \\r \\t for backslash, line feed, carriage return and tab.\n"
    "Without --data the card file named by the preferences (TeslyDataPath) is used.\n"
    "Exit: 0 done, 1 check found faults, 2 bad usage or input, 3 card file in use, 4 a write failed.\n";

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tessaly"));
    QTextStream out(stdout), err(stderr);

    tessaly::cli::Invocation call;
    bool dataGiven = false;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--help" || a == u"-h") {
            out << kUsage;
            return tessaly::cli::Done;
        }
        if (a == u"--force") {
            call.force = true;
        } else if (a == u"--data" && i + 1 < args.size()) {
            call.dataDir = tessaly::store::WithTrailingSlash(args[++i]);
            dataGiven = true;
        } else if (call.command.isEmpty()) {
            call.command = a;
        } else {
            call.args << a;
        }
    }
    if (call.command.isEmpty()) {
        err << kUsage;
        return tessaly::cli::BadInput;
    }
    if (!dataGiven) {
        tessaly::profile::CachedProfile preferences;
        call.dataDir = tessaly::store::PreferredDataDir(preferences);
    }
    return tessaly::cli::Run(call, out, err);
}
