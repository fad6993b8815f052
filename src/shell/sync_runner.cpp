#include "sync_runner.h"

#include "app_context.h"
#include "modal_seam.h"
#include "msg_box.h"
#include "run_change.h"
#include "sync/carddav_book.h"
#include "sync/dav_session.h"
#include "sync/sync_account.h"
#include "sync/sync_engine.h"

#include <QDateTime>
#include <QInputDialog>
#include <QLineEdit>

namespace tessaly::shell {

namespace {

// The card file's part of a sync did not complete; RunChange has told the person why.
class LocalPartFailed : public std::runtime_error {
public:
    LocalPartFailed() : std::runtime_error("The card file refused the sync's changes.") {}
};

QString StatusOf(const sync::SyncReport& report) {
    if (!report.complete) return QStringLiteral("Not synced: %1").arg(report.stopped);
    if (!report.conflicts.isEmpty())
        return report.conflicts.size() == 1 ? QStringLiteral("1 conflict")
                                            : QStringLiteral("%1 conflicts").arg(report.conflicts.size());
    return QStringLiteral("Synced %1").arg(QTime::currentTime().toString(QStringLiteral("HH:mm")));
}

}  // namespace

SyncRunner::SyncRunner(AppContext& context, QWidget* mainWindow) : context_(context), main_(mainWindow) {}

void SyncRunner::SetStatus(const QString& text) {
    status_ = text;
    emit StatusChanged(text);
}

void SyncRunner::Cancel() {
    cancelled_ = true;
    if (session_) session_->cancel();
}

std::optional<QString> SyncRunner::PasswordFor(const sync::SyncAccount& account, Trigger trigger) {
    if (account.user.isEmpty()) return QString();
    if (const auto kept = context_.SessionPasswords.constFind(account.name); kept != context_.SessionPasswords.cend())
        return *kept;
    const sync::KeyringAnswer answer = sync::ReadKeyringPassword(account.name);
    if (answer.result == sync::KeyringAnswer::Done) return answer.password;
    // Asked once a run, only when the person asked for the sync; never written anywhere.
    if (trigger != Trigger::Now) return std::nullopt;
    QInputDialog ask(main_);
    ask.setWindowTitle(QStringLiteral("Tessaly"));
    ask.setLabelText(QStringLiteral("The password of %1 for the sync account \"%2\":").arg(account.user, account.name));
    ask.setTextEchoMode(QLineEdit::Password);
    if (RunModal(ask) != QDialog::Accepted) return std::nullopt;
    context_.SessionPasswords.insert(account.name, ask.textValue());
    return ask.textValue();
}

bool SyncRunner::SyncOne(const sync::SyncAccount& account, Trigger trigger) {
    const std::optional<QString> password = PasswordFor(account, trigger);
    if (!password) {
        SetStatus(QStringLiteral("Not synced: no password for %1").arg(account.name));
        return false;
    }
    sync::DavAccess access;
    access.url = account.addressBook;
    access.user = account.user;
    access.password = *password;
    access.allowPlainHttp = account.allowPlainHttp;
    access.trustedCertificate = account.trustedCertificate;
    sync::DavSession session(access);
    session_ = &session;
    if (cancelled_) session.cancel();
    sync::CardDavBook book(session, account.addressBook);
    sync::SyncOptions options;
    options.accountName = account.name;
    options.addressBook = account.addressBook;
    options.progress = [this](int done, int total) { emit Progress(total > 0 ? done * 100 / total : 0); };
    options.asChange = [this](const std::function<void()>& local) {
        ChangeCommand command;
        command.waitText = QStringLiteral("Syncing the cards");
        command.change = local;
        command.consequence = QStringLiteral("Nothing of this sync was kept; the next sync tries again.");
        if (!RunChange(*context_.Store, command)) throw LocalPartFailed();
    };
    sync::SyncReport report;
    try {
        report = sync::Synchronise(*context_.Store, book, sync::SyncStateFile(account.name, context_.DataDir), options);
    } catch (const LocalPartFailed&) {
        SetStatus(QStringLiteral("Not synced: the card file refused the changes"));
        return false;
    } catch (const std::exception& e) {
        report.complete = false;
        report.stopped = QString::fromUtf8(e.what());
    }
    session_ = nullptr;
    report_ += QStringLiteral("%1 (%2)\n%3\n").arg(account.name, account.addressBook.toString(), report.details());
    SetStatus(StatusOf(report));
    if (!report.complete && trigger == Trigger::Now && !cancelled_)
        SingleTextBox().ShowMsg(QStringLiteral("The sync with %1 stopped: %2").arg(account.name, report.stopped), 0,
                                QStringLiteral("OK"), QString(), icon::Exclamation, QStringLiteral("Tessaly"));
    return report.complete;
}

void SyncRunner::Run(Trigger trigger) {
    if (running_) return;
    QList<sync::SyncAccount> accounts;
    try {
        accounts = sync::LoadAccounts();
    } catch (const sync::AccountError& e) {
        SetStatus(QStringLiteral("Not synced: %1").arg(QString::fromUtf8(e.what())));
        return;
    }
    if (accounts.isEmpty()) {
        if (trigger == Trigger::Now)
            SingleTextBox().ShowMsg(QStringLiteral("There is no sync account yet: add one with Sync Accounts…"), 0,
                                    QStringLiteral("OK"), QString(), icon::Information, QStringLiteral("Tessaly"));
        return;
    }
    if (context_.InUse) {
        SetStatus(QStringLiteral("Not synced: another program has the card file open"));
        return;
    }
    running_ = true;
    cancelled_ = false;
    report_.clear();
    emit RunningChanged(true);
    SetStatus(QStringLiteral("Syncing…"));
    for (const sync::SyncAccount& account : accounts)
        if (cancelled_ || !SyncOne(account, trigger)) break;
    if (cancelled_) SetStatus(QStringLiteral("Not synced: cancelled"));
    running_ = false;
    emit RunningChanged(false);
}

}  // namespace tessaly::shell
