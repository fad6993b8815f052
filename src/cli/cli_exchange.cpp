#include "cli_exchange.h"

#include "backup/backup_rotation.h"
#include "backup/card_restore.h"
#include "cards/card_lock.h"
#include "cards/card_store.h"
#include "cli_commands.h"
#include "cli_import.h"
#include "cli_import_args.h"
#include "cli_vcard.h"
#include "exchange/csv/import_source.h"
#include "exchange/import_cards.h"
#include "profile/app_paths.h"
#include "profile/cached_profile.h"
#include "shell/preferences.h"

#include <QFileInfo>

namespace tessaly::cli {

namespace {

using namespace tessaly::store;

QString FolderArg(const QStringList& args) {
    if (args.size() > 1) throw CommandFailed(BadInput, QStringLiteral("Give one folder at most"));
    if (!args.isEmpty() && args.front().startsWith(u"--"))
        throw CommandFailed(BadInput, QStringLiteral("Unknown argument \"%1\"").arg(args.front()));
    if (!args.isEmpty()) return WithTrailingSlash(ExpandHome(args.front()));
    profile::CachedProfile preferences;
    return shell::BackupFolder(preferences, PreferencesFile());
}

// The exit code and message of a backup that was not made.
CommandFailed BackupRefused(const BackupFailed& r) {
    switch (r.outcome) {
        case CopyOutcome::OtherCardFile:
            return CommandFailed(InUse, r.message() + QStringLiteral("; --replace-other replaces it"));
        case CopyOutcome::Failed:
            return CommandFailed(
                WriteFailed,
                r.message() + (r.putBack ? QStringLiteral("; the previous backup is kept")
                                         : QStringLiteral("; the new backup is complete and is put in place "
                                                          "the next time the folder is used")));
        default:
            return CommandFailed(BadInput, r.message());
    }
}

Delimiter DelimiterArg(const QString& given) {
    const QString kind = given.section(u'=', 0, 0), text = given.section(u'=', 1);
    if (kind == u"comma") return {DelimiterKind::Comma, {}};
    if (kind == u"quotes") return {DelimiterKind::CommaQuotes, {}};
    if (kind == u"tab") return {DelimiterKind::Tab, {}};
    if (kind == u"csv") return {DelimiterKind::QuotedCsv, text};
    if (kind == u"other" && !text.isEmpty()) return {DelimiterKind::Other, text};
    throw CommandFailed(BadInput, QStringLiteral("--delimiter takes comma, quotes, tab, csv[=C] or other=TEXT"));
}

}  // namespace

// One step of the automatic backups, with the keep count of the preferences.
int AutoBackupCommand(CardStore& store, QTextStream& out) {
    profile::CachedProfile preferences;
    const shell::AutoBackupSettings settings = shell::ReadAutoBackup(preferences, PreferencesFile());
    const QString root = shell::BackupFolder(preferences, PreferencesFile());
    const AutoBackupResult r = MakeAutoBackup(store.DataDir(), root, settings.Keep, 0, QDateTime::currentDateTime());
    switch (r.outcome) {
        case AutoBackupOutcome::Made:
            break;
        case AutoBackupOutcome::InUse:
            throw CommandFailed(InUse, r.message);
        case AutoBackupOutcome::NotReady:
            throw CommandFailed(BadInput, r.message);
        case AutoBackupOutcome::Failed:
            throw CommandFailed(WriteFailed, r.message);
    }
    out << "backed up to " << r.folder << '\n';
    for (const QString& old : r.removed) out << "removed " << old << '\n';
    if (!r.message.isEmpty()) out << r.message << '\n';
    return Done;
}

int BackupCommand(CardStore& store, const QStringList& args, QTextStream& out) {
    if (args == QStringList{QStringLiteral("--auto")}) return AutoBackupCommand(store, out);
    QStringList rest = args;
    const OtherBackup other =
        rest.removeAll(QStringLiteral("--replace-other")) > 0 ? OtherBackup::Replace : OtherBackup::Refuse;
    const QString folder = FolderArg(rest);
    const CardFileLock lock(store.DataDir(), std::chrono::seconds(5));
    try {
        MakeBackup(store.DataDir(), folder, other);
    } catch (const BackupFailed& r) {
        throw BackupRefused(r);
    }
    out << "backed up to " << folder << '\n';
    return Done;
}

int RestoreBackupCommand(CardStore& store, const QStringList& args, QTextStream& out) {
    const QString folder = FolderArg(args);
    // The copy carries the count of the moment of the backup; nobody has the file open now.
    try {
        RestoreBackup(folder, store, QStringLiteral("0"));
    } catch (const BackupFailed& r) {
        throw CommandFailed(r.outcome == CopyOutcome::Failed ? WriteFailed : BadInput, r.message());
    }
    out << "restored from " << folder << '\n';
    return Done;
}

int ImportCommand(CardStore& store, const QStringList& args, QTextStream& out) {
    if (args.contains(QStringLiteral("--vcard"))) return VCardImportCommand(store, args, out);
    QString file, delimiter, map, only0, only1, duplicates, encoding;
    bool replace = false, header = false, upToLimit = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&]() -> QString {
            if (i + 1 >= args.size()) throw CommandFailed(BadInput, QStringLiteral("%1 needs a value").arg(a));
            return args[++i];
        };
        if (a == u"--delimiter")
            delimiter = value();
        else if (a == u"--map")
            map = value();
        else if (a == u"--encoding")
            encoding = value();
        else if (a == u"--only")
            only0 = value();
        else if (a == u"--or")
            only1 = value();
        else if (a == u"--replace")
            replace = true;
        else if (a == u"--header")
            header = true;
        else if (a == u"--yes-up-to-limit")
            upToLimit = true;
        else if (a == u"--duplicates")
            duplicates = value();
        else if (file.isEmpty() && !a.startsWith(u"--"))
            file = a;
        else
            throw CommandFailed(BadInput, QStringLiteral("Unknown argument \"%1\"").arg(a));
    }
    if (file.isEmpty() || delimiter.isEmpty() || map.isEmpty())
        throw CommandFailed(BadInput, QStringLiteral("import needs FILE, --delimiter and --map"));
    if (!only1.isEmpty() && only0.isEmpty()) throw CommandFailed(BadInput, QStringLiteral("--or goes with --only"));

    ImportPlan plan;
    plan.delimiter = DelimiterArg(delimiter);
    plan.replace = replace;
    ImportSource source;
    try {
        source = ReadImportSource(file, plan.delimiter, EncodingArg(encoding));
    } catch (const ImportFileError& e) {
        throw CommandFailed(BadInput, QString::fromUtf8(e.what()));
    }
    plan.fieldCount = source.fieldCount;
    ImportMapping mapping = MapArg(map, source, plan.delimiter);
    mapping.firstIsHeader = mapping.firstIsHeader || header;
    plan.choices = mapping.choices;
    out << MappingText(mapping, source, plan.delimiter) << '\n';
    if (mapping.firstIsHeader) source.dropFirst();
    source.keepLines(only0, only1);
    ImportOptions options;
    options.replace = replace;
    options.upToLimit = upToLimit;
    options.lineOf = source.lineNumbers;
    options.emptyLines = source.emptyLines;
    options.fileName = QFileInfo(file).fileName();
    return ImportAndReport(store, CardsFromLines(source.lines, plan), duplicates, options, QString(), out);
}

}  // namespace tessaly::cli
