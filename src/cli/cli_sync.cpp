#include "cli_sync.h"

#include "cards/card_layout.h"
#include "cards/card_store.h"
#include "cli_commands.h"
#include "cli_exchange.h"
#include "sync/carddav_book.h"
#include "sync/dav_discovery.h"
#include "sync/dav_session.h"
#include "sync/sync_account.h"
#include "sync/sync_engine.h"

#include <QFile>
#include <QProcessEnvironment>

namespace tessaly::cli {

using namespace tessaly::sync;

namespace {

constexpr qint64 kMaxPasswordBytes = 64 * 1024;

// The options of a command, and the words that are no option.
struct Options {
    QStringList words;
    QMap<QString, QString> values;
    QSet<QString> flags;
};

Options Parse(const QStringList& args, const QStringList& withValue, const QStringList& flags) {
    Options o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (withValue.contains(a)) {
            if (i + 1 >= args.size()) throw CommandFailed(BadInput, QStringLiteral("%1 needs a value").arg(a));
            o.values.insert(a, args[++i]);
        } else if (flags.contains(a)) {
            o.flags.insert(a);
        } else if (a.startsWith(QStringLiteral("--"))) {
            throw CommandFailed(BadInput, QStringLiteral("Unknown option %1").arg(a));
        } else {
            o.words << a;
        }
    }
    return o;
}

QByteArray ReadSmallFile(const QString& name, const QString& what) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        throw CommandFailed(BadInput, QStringLiteral("Cannot read the %1 %2: %3").arg(what, name, f.errorString()));
    const QByteArray bytes = f.read(kMaxPasswordBytes + 1);
    if (bytes.size() > kMaxPasswordBytes)
        throw CommandFailed(BadInput, QStringLiteral("The %1 %2 is too large").arg(what, name));
    return bytes;
}

// The password from --password-file (its first line) or TESSALY_PASSWORD, else none.
std::optional<QString> GivenPassword(const Options& o) {
    if (o.values.contains(QStringLiteral("--password-file"))) {
        const QByteArray bytes =
            ReadSmallFile(o.values.value(QStringLiteral("--password-file")), QStringLiteral("password file"));
        return QString::fromUtf8(bytes.left(bytes.indexOf('\n') < 0 ? bytes.size() : bytes.indexOf('\n')))
            .remove(u'\r');
    }
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (env.contains(QStringLiteral("TESSALY_PASSWORD"))) return env.value(QStringLiteral("TESSALY_PASSWORD"));
    return std::nullopt;
}

QString PasswordFor(const SyncAccount& account, const Options& o) {
    if (std::optional<QString> given = GivenPassword(o)) return *given;
    if (account.user.isEmpty()) return QString();
    const KeyringAnswer answer = ReadKeyringPassword(account.name);
    if (answer.result == KeyringAnswer::Done) return answer.password;
    throw CommandFailed(BadInput, QStringLiteral("No password for the account \"%1\": %2 Give it with --password-file "
                                                 "FILE or the variable TESSALY_PASSWORD.")
                                      .arg(account.name, answer.why));
}

DavAccess AccessOf(const SyncAccount& account, const QUrl& url, const QString& password) {
    DavAccess access;
    access.url = url;
    access.user = account.user;
    access.password = password;
    access.allowPlainHttp = account.allowPlainHttp;
    access.trustedCertificate = account.trustedCertificate;
    return access;
}

int ServerFailed(const RemoteError& e, QTextStream& err) {
    err << QString::fromUtf8(e.what()) << '\n';
    return kServerUnreachable;
}

int AddAccount(const Options& o, QTextStream& out, QTextStream& err) {
    if (o.words.size() != 3) throw CommandFailed(BadInput, QStringLiteral("usage: account add NAME URL --user USER"));
    SyncAccount account;
    account.name = o.words[1];
    // An address without a scheme is taken for https: never the password in clear text by a guess.
    account.serverUrl =
        QUrl(o.words[2].contains(QStringLiteral("://")) ? o.words[2] : QStringLiteral("https://") + o.words[2]);
    account.user = o.values.value(QStringLiteral("--user"));
    account.allowPlainHttp = o.flags.contains(QStringLiteral("--allow-plain-http"));
    if (o.values.contains(QStringLiteral("--trust-certificate")))
        account.trustedCertificate =
            ReadSmallFile(o.values.value(QStringLiteral("--trust-certificate")), QStringLiteral("certificate"));
    if (!account.serverUrl.isValid() || account.serverUrl.host().isEmpty())
        throw CommandFailed(BadInput, QStringLiteral("\"%1\" is no server address").arg(o.words[2]));
    QList<SyncAccount> accounts = LoadAccounts();
    for (const SyncAccount& a : accounts)
        if (a.name == account.name)
            throw CommandFailed(BadInput, QStringLiteral("There is an account \"%1\" already").arg(account.name));
    const std::optional<QString> password = GivenPassword(o);
    if (!password && !account.user.isEmpty())
        throw CommandFailed(BadInput, QStringLiteral("Give the password with --password-file FILE or the variable "
                                                     "TESSALY_PASSWORD; it is then kept in the desktop's keyring"));
    DavSession session(AccessOf(account, account.serverUrl, password.value_or(QString())));
    QList<AddressBookInfo> books;
    try {
        books = discoverAddressBooks(session, account.serverUrl);
    } catch (const RemoteError& e) {
        return ServerFailed(e, err);
    }
    if (books.isEmpty()) throw CommandFailed(kServerUnreachable, QStringLiteral("The server offers no address book"));
    const QUrl wanted = QUrl::fromUserInput(o.values.value(QStringLiteral("--book")));
    account.addressBook = books.first().url;
    for (const AddressBookInfo& book : books) {
        out << "address book: " << book.url.toString() << '\t' << book.displayName << '\n';
        if (o.values.contains(QStringLiteral("--book")) && book.url.matches(wanted, QUrl::StripTrailingSlash))
            account.addressBook = book.url;
    }
    accounts << account;
    SaveAccounts(accounts);
    out << "account " << account.name << " syncs with " << account.addressBook.toString() << '\n';
    if (password && !account.user.isEmpty()) {
        const KeyringAnswer kept = StoreKeyringPassword(account.name, *password);
        if (kept.result == KeyringAnswer::Done)
            out << "the password is kept in the desktop's keyring\n";
        else
            err << kept.why << " Give the password to each sync with --password-file FILE or TESSALY_PASSWORD.\n";
    }
    return Done;
}

int RemoveAccount(const Options& o, QTextStream& out) {
    if (o.words.size() != 2) throw CommandFailed(BadInput, QStringLiteral("usage: account remove NAME"));
    QList<SyncAccount> accounts = LoadAccounts();
    const SyncAccount account = FindAccount(accounts, o.words[1]);
    accounts.removeIf([&](const SyncAccount& a) { return a.name == account.name; });
    SaveAccounts(accounts);
    RemoveSyncStates(account.name);
    (void)ForgetKeyringPassword(account.name);
    out << "account " << account.name << " removed; the cards stay\n";
    return Done;
}

int FieldIndex(const QString& name) {
    for (int f = 0; f < store::kFieldCount; ++f)
        if (store::FieldKeys[f].compare(name, Qt::CaseInsensitive) == 0) return f;
    throw CommandFailed(BadInput, QStringLiteral("\"%1\" is no card field").arg(name));
}

}  // namespace

int AccountCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    const Options o = Parse(args,
                            {QStringLiteral("--user"), QStringLiteral("--password-file"), QStringLiteral("--book"),
                             QStringLiteral("--trust-certificate")},
                            {QStringLiteral("--allow-plain-http")});
    const QString sub = o.words.value(0);
    try {
        if (sub == u"add") return AddAccount(o, out, err);
        if (sub == u"remove") return RemoveAccount(o, out);
        if (sub == u"list") {
            for (const SyncAccount& a : LoadAccounts())
                out << a.name << '\t' << (a.user.isEmpty() ? QString() : a.user + u'@') << a.addressBook.toString()
                    << '\n';
            return Done;
        }
    } catch (const AccountError& e) {
        throw CommandFailed(BadInput, QString::fromUtf8(e.what()));
    } catch (const SyncStateError& e) {
        throw CommandFailed(WriteFailed, QString::fromUtf8(e.what()));
    }
    throw CommandFailed(BadInput, QStringLiteral("usage: account add|list|remove"));
}

bool IsSyncStatus(const QStringList& args) {
    return args.contains(QStringLiteral("--status"));
}

int SyncStatusCommand(const QString& cardFolder, const QStringList& args, QTextStream& out) {
    const Options o = Parse(args, {}, {QStringLiteral("--status")});
    try {
        const SyncAccount account = FindAccount(LoadAccounts(), o.words.value(0));
        QString notice;
        const SyncState state = LoadSyncState(SyncStateFile(account.name, cardFolder), cardFolder, &notice);
        if (!notice.isEmpty()) out << notice << '\n';
        out << "account " << account.name << ": " << account.addressBook.toString() << '\n';
        if (!state.lastSync.isValid()) {
            out << "never synced\n";
            return Done;
        }
        out << "last sync " << state.lastSync.toLocalTime().toString(Qt::ISODate) << '\n' << state.lastReport;
        for (const SyncedCard& c : state.cards)
            for (auto it = c.conflicts.cbegin(); it != c.conflicts.cend(); ++it)
                out << "conflict\t" << c.recNo << '\t' << store::FieldKeys[it.key()]
                    << "\ton the server: " << it.value() << '\n';
        return Done;
    } catch (const AccountError& e) {
        throw CommandFailed(BadInput, QString::fromUtf8(e.what()));
    } catch (const SyncStateError& e) {
        throw CommandFailed(WriteFailed, QString::fromUtf8(e.what()));
    }
}

int SyncCommand(store::CardStore& store, const QStringList& args, QTextStream& out, QTextStream& err) {
    const Options o =
        Parse(args, {QStringLiteral("--password-file"), QStringLiteral("--keep")}, {QStringLiteral("--dry-run")});
    const bool keep = o.values.contains(QStringLiteral("--keep"));
    if (keep && o.words.size() < 2)
        throw CommandFailed(BadInput, QStringLiteral("usage: sync --keep local|server CARD FIELD [NAME]"));
    try {
        const SyncAccount account = FindAccount(LoadAccounts(), o.words.value(keep ? 2 : 0));
        const QString stateFile = SyncStateFile(account.name, store.DataDir());
        if (keep) {
            const QString side = o.values.value(QStringLiteral("--keep"));
            if (side != u"local" && side != u"server")
                throw CommandFailed(BadInput, QStringLiteral("--keep takes local or server"));
            if (!SettleConflict(store, stateFile, o.words[0], FieldIndex(o.words[1]),
                                side == u"local" ? KeepSide::Local : KeepSide::Server))
                throw CommandFailed(BadInput,
                                    QStringLiteral("Card %1 has no conflict in %2").arg(o.words[0], o.words[1]));
        }
        DavSession session(AccessOf(account, account.addressBook, PasswordFor(account, o)));
        CardDavBook book(session, account.addressBook);
        SyncOptions options;
        options.accountName = account.name;
        options.addressBook = account.addressBook;
        options.dryRun = o.flags.contains(QStringLiteral("--dry-run"));
        const SyncReport report = Synchronise(store, book, stateFile, options);
        if (options.dryRun) out << "dry run, nothing written; the sync would do this:\n";
        out << report.details();
        if (!report.complete) return kServerUnreachable;
        return report.failed.isEmpty() ? Done : Faults;
    } catch (const AccountError& e) {
        throw CommandFailed(BadInput, QString::fromUtf8(e.what()));
    } catch (const SyncStateError& e) {
        throw CommandFailed(WriteFailed, QString::fromUtf8(e.what()));
    } catch (const RemoteError& e) {
        return ServerFailed(e, err);
    }
}

}  // namespace tessaly::cli
