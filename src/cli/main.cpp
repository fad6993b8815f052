// tessaly-cli: the card store from the command line, for scripting, checking and repair.
#include "cli_commands.h"
#include "cli_print.h"
#include "profile/app_paths.h"
#include "profile/cached_profile.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

const char kUsage[] =
    "usage: tessaly-cli [--data DIR] [--force] COMMAND [ARGS]\n"
    "       tessaly-cli --help | --version\n"
    "  init                        create an empty card file (header only)\n"
    "  add Key=Value ...           add a card; prints its record number\n"
    "  edit N Key=Value ...        change card N (it moves when FirstName, LastName or Company change)\n"
    "  delete N                    move card N to the deleted list\n"
    "  restore N                   bring deleted card N back\n"
    "  list [--company|--deleted]  one line per card in list order: N, a tab, the display text\n"
    "  filter [--company] Field=Text ...  the cards whose FirstName, LastName, Title, Company and\n"
    "                              Notes contain the texts (any letter case), as list prints them\n"
    "  show N                      the 16 fields as Key=Value lines\n"
    "  sort                        the start-up order check; prints \"in order\" or \"sorted\"\n"
    "  check                       verify the card file; prints \"ok\" or one line per fault\n"
    "  repair                      the start-up repair; prints each key it rewrote or \"nothing to repair\"\n"
    "  backup [--replace-other] [DIR]\n"
    "                              copy the card files to DIR as tesly*.old, swapped in whole, the marker\n"
    "                              tesly.old last (default: BackupPath of the preferences, or ~/TessalyBackup/);\n"
    "                              another card file's backup in DIR is refused (3) unless --replace-other\n"
    "  backup --auto               one automatic backup: a dated folder auto-YYYYMMDD-HHMMSS/ of\n"
    "                              BackupPath, the oldest beyond AutoBackupKeep (default 10) removed;\n"
    "                              refused (3) while another program has the card file open\n"
    "  restore-backup [DIR]        replace the card files with exactly the backup in DIR (today's in safety-copy/)\n"
    "  history [--clear]           the changes that can be undone, newest first: time, done or undone,\n"
    "                              description; --clear removes the history\n"
    "  account add NAME URL [--user USER] [--password-file FILE] [--book URL] [--allow-plain-http]\n"
    "          [--trust-certificate PEM]\n"
    "                              a CardDAV account: finds the address books at URL (a server or an\n"
    "                              address book), syncs with the first (or --book); the password goes to\n"
    "                              the desktop's keyring, never to a file\n"
    "  account list | account remove NAME\n"
    "                              the accounts; removing one forgets its sync state, the cards stay\n"
    "  sync [NAME] [--dry-run] [--password-file FILE]\n"
    "                              two-way sync with the account's address book, as one change (it can be\n"
    "                              undone); --dry-run prints what it would send and receive. The password:\n"
    "                              --password-file, TESSALY_PASSWORD, or the keyring. 7: the server could\n"
    "                              not be reached or refused us\n"
    "  sync --keep local|server CARD FIELD [NAME]\n"
    "                              settle a field changed on both sides, then sync\n"
    "  sync --status [NAME]        the last sync's report and the conflicts waiting\n"
    "  undo [COUNT]                take back the latest COUNT changes (default 1), each only when every card\n"
    "                              it changed is still as it left it (3 when one changed since)\n"
    "  redo [COUNT]                apply again the COUNT changes undone last\n"
    "  print labels --sheet NAME [--start K] [--company] OUT.pdf\n"
    "                              one label a card in list order from label K of the first sheet\n"
    "  print list --kind phone|full [--paper a4|letter] [--company] OUT.pdf\n"
    "                              the phone list or every detail, with headers, page numbers, date\n"
    "  print sheets                the label sheets known (built in, and label_sheets.txt of the\n"
    "                              configuration folder), with any line of that file that is wrong\n"
    "  import FILE --delimiter comma|quotes|tab|csv[=C]|other=TEXT --map auto|F1,F2,...\n"
    "         [--encoding NAME] [--replace] [--only TEXT [--or TEXT]] [--header] [--yes-up-to-limit]\n"
    "         [--duplicates skip|import|fill]\n"
    "                              each line of FILE a card; Fi is the card field of column i (Sal,\n"
    "                              FirstName, ..., Notes; FirstName+LastName, LastName+FirstName; - for\n"
    "                              none; or the wizard's choice 0-18); auto takes the first line's\n"
    "                              column names and fails naming the columns with values it cannot\n"
    "                              place; prints the mapping used. NAME: Automatic, UTF-8, UTF-16,\n"
    "                              Windows-1252, ISO-8859-15, Shift_JIS, EUC-JP, GB18030, Big5,\n"
    "                              KOI8-R, Windows-1251. More than 8000 cards need --yes-up-to-limit\n"
    "  import --vcard FILE [--replace] [--yes-up-to-limit] [--duplicates skip|import|fill]\n"
    "                              each vCard of FILE a card (2.1, 3.0, 4.0); values without a card\n"
    "                              field are added to the notes under their property name; cards\n"
    "                              matching others are imported anyway, skipped, or fill the empty\n"
    "                              fields of the card they match\n"
    "  duplicates                  groups of cards that match one card: same e-mail, phone or content\n"
    "                              (strong), same name, short number or shared placeholder (possible)\n"
    "  export --vcard FILE [--version 3|4]  every card, in name order, as vCards (UTF-8)\n"
    "  dial [--port DEVICE|COMn] [--method DT|DP] [--wait SECONDS] NUMBER\n"
    "  dial ... --card N [--field Phone1|Phone2|Fax]\n"
    "                              dial with the modem (default: the preferences' port and method);\n"
    "                              prints \"pick up\" when the modem reported nothing for SECONDS\n"
    "                              (default 10), \"busy\", \"no dial tone\" or \"cannot open port\"\n"
    "Keys: Sal FirstName LastName Title Company Address1..Address6 Phone1 Phone2 Fax EMail Notes.\n"
    "Values in arguments and in the output of show and list write backslash, line feed, carriage\n"
    "return and tab as \\\\ \\n \\r \\t, and every other control or invisible formatting character\n"
    "as \\xHH or \\u{HHHH}; all of these are read back by add and edit.\n"
    "Key=@FILE takes the value from FILE as it stands (UTF-8, no escapes; up to 64 MiB),\n"
    "Key=@- from standard input (one key only); Key=@@text gives a value that starts with @.\n"
    "Without --data the card file named by the preferences (TeslyDataPath) is used.\n"
    "Changes wait up to 5 seconds for another tessaly-cli or Tessaly to finish its change.\n"
    "Exit status:\n"
    "  0  done\n"
    "  1  check found faults\n"
    "  2  bad usage or input, or a change that cannot be made (no such card, the card is not on\n"
    "     the list the command needs, the card file is full); nothing written\n"
    "  3  refused: another program has the card file open (NoOfUses; --force overrides), or\n"
    "     another change kept the card file locked (tesly.lock), or an undo or redo found a card\n"
    "     changed since; nothing written\n"
    "  4  a file could not be read or written (a card file, a lock file, a @FILE, an export); the\n"
    "     message names the file and the reason; a change that failed is undone, an export that\n"
    "     failed leaves the previous file; a read command on a card file with a part missing or\n"
    "     unreadable prints what it could read; dial: the port could not be opened or failed during\n"
    "     the call\n"
    "  5  dial: the line is busy\n"
    "  6  dial: there is no dial tone\n";

}  // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> app = tessaly::cli::MakeApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tessaly"));
    QTextStream out(stdout), err(stderr);

    tessaly::cli::Invocation call;
    bool dataGiven = false;
    const QStringList args = app->arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--help" || a == u"-h") {
            out << kUsage;
            return tessaly::cli::Done;
        }
        if (a == u"--version" &&
            call.command.isEmpty()) {  // after the command it is the command's own (export --version 4)
            out << "tessaly-cli " TESSALY_VERSION "\n";
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
