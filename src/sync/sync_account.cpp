#include "sync_account.h"

#include "profile/atomic_file.h"

#include <qt6keychain/keychain.h>
#include <sys/stat.h>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace tessaly::sync {

namespace {

constexpr qint64 kMaxAccountsBytes = 4 << 20;
const QString kKeyringService = QStringLiteral("Tessaly CardDAV");

QJsonObject AccountJson(const SyncAccount& a) {
    QJsonObject o{{QStringLiteral("name"), a.name},
                  {QStringLiteral("server"), a.serverUrl.toString()},
                  {QStringLiteral("addressBook"), a.addressBook.toString()},
                  {QStringLiteral("user"), a.user}};
    if (a.allowPlainHttp) o.insert(QStringLiteral("allowPlainHttp"), true);
    if (!a.trustedCertificate.isEmpty())
        o.insert(QStringLiteral("trustedCertificate"), QString::fromLatin1(a.trustedCertificate));
    return o;
}

SyncAccount AccountOf(const QJsonObject& o) {
    SyncAccount a;
    a.name = o.value(QStringLiteral("name")).toString();
    a.serverUrl = QUrl(o.value(QStringLiteral("server")).toString());
    a.addressBook = QUrl(o.value(QStringLiteral("addressBook")).toString());
    a.user = o.value(QStringLiteral("user")).toString();
    a.allowPlainHttp = o.value(QStringLiteral("allowPlainHttp")).toBool();
    a.trustedCertificate = o.value(QStringLiteral("trustedCertificate")).toString().toLatin1();
    if (a.name.isEmpty() || !a.addressBook.isValid()) throw AccountError("an account without a name or address book");
    return a;
}

// Runs a keyring job to its end on a local event loop.
KeyringAnswer Run(QKeychain::Job& job) {
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    KeyringAnswer answer;
    switch (job.error()) {
        case QKeychain::NoError:
            answer.result = KeyringAnswer::Done;
            break;
        case QKeychain::EntryNotFound:
            answer.result = KeyringAnswer::NotFound;
            answer.why = QStringLiteral("The keyring holds no password for this account.");
            break;
        default:
            answer.result = KeyringAnswer::Unavailable;
            answer.why = QStringLiteral("No keyring could be used: %1").arg(job.errorString());
    }
    return answer;
}

}  // namespace

QString AccountsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tessaly/sync-accounts.json");
}

QList<SyncAccount> LoadAccounts() {
    QFile in(AccountsFile());
    if (!in.exists()) return {};
    if (in.size() > kMaxAccountsBytes || !in.open(QIODevice::ReadOnly))
        throw AccountError(QStringLiteral("The accounts file %1 cannot be read.").arg(in.fileName()).toStdString());
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(in.readAll(), &error);
    QList<SyncAccount> accounts;
    try {
        if (!doc.isArray()) throw AccountError(error.errorString().toStdString());
        for (const QJsonValue& v : doc.array()) accounts << AccountOf(v.toObject());
    } catch (const AccountError& e) {
        throw AccountError(QStringLiteral("The accounts file %1 is damaged (%2).")
                               .arg(in.fileName(), QString::fromUtf8(e.what()))
                               .toStdString());
    }
    return accounts;
}

void SaveAccounts(const QList<SyncAccount>& accounts) {
    QJsonArray array;
    for (const SyncAccount& a : accounts) array.append(AccountJson(a));
    const QString file = AccountsFile();
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        throw AccountError(QStringLiteral("Cannot make the folder of %1").arg(file).toStdString());
    const bool existed = QFile::exists(file);
    try {
        profile::ReplaceFile(file, QJsonDocument(array).toJson(), profile::Durability::Synced);
    } catch (const std::exception& e) {
        throw AccountError(e.what());
    }
    if (!existed) ::chmod(QFile::encodeName(file).constData(), 0600);
}

SyncAccount FindAccount(const QList<SyncAccount>& accounts, const QString& name) {
    if (name.isEmpty()) {
        if (accounts.size() == 1) return accounts.first();
        throw AccountError(accounts.isEmpty()
                               ? "No sync account is set up; add one with: account add NAME URL --user USER"
                               : "There are several sync accounts; name the one to use.");
    }
    for (const SyncAccount& a : accounts)
        if (a.name == name) return a;
    throw AccountError(QStringLiteral("There is no sync account \"%1\".").arg(name).toStdString());
}

KeyringAnswer ReadKeyringPassword(const QString& accountName) {
    QKeychain::ReadPasswordJob job(kKeyringService);
    job.setKey(accountName);
    KeyringAnswer answer = Run(job);
    if (answer.result == KeyringAnswer::Done) answer.password = job.textData();
    return answer;
}

KeyringAnswer StoreKeyringPassword(const QString& accountName, const QString& password) {
    QKeychain::WritePasswordJob job(kKeyringService);
    job.setKey(accountName);
    job.setTextData(password);
    return Run(job);
}

KeyringAnswer ForgetKeyringPassword(const QString& accountName) {
    QKeychain::DeletePasswordJob job(kKeyringService);
    job.setKey(accountName);
    return Run(job);
}

}  // namespace tessaly::sync
