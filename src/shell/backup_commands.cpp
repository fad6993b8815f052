#include "backup_commands.h"

#include "app_context.h"
#include "card_file_guard.h"
#include "main_window_link.h"
#include "msg_box.h"
#include "progress_windows.h"
#include "run_change.h"
#include "window_opener.h"

#include "backup/backup_rotation.h"
#include "backup/card_restore.h"
#include "cards/card_lock.h"
#include "modal_seam.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QScopeGuard>
#include <QVBoxLayout>
#include <QWidget>

namespace tessaly::shell {

namespace {

using store::BackupFailed;
using store::CopyOutcome;

constexpr std::int16_t kOkCancel = 2, kSecondDefault = 3;

QString Folder(AppContext& context) {
    return BackupFolder(context.Profile, context.PreferencesFile);
}

bool Ask(const QString& text, std::int16_t buttons, const QString& yes, const QString& no, std::int16_t icon,
         const QString& title) {
    return SingleTextBox().ShowMsg(text, buttons, yes, no, icon, title) == MessageButton::First;
}

// The copy runs under the change lock, so no change of ours is half-way through the files.
void CopyUnderLock(AppContext& context, const QString& folder, store::OtherBackup other) {
    try {
        const store::CardFileLock lock(context.DataDir, std::chrono::seconds(5));
        store::MakeBackup(context.DataDir, folder, other);
    } catch (const BackupFailed&) {
        throw;
    } catch (const std::exception& e) {  // the change lock was not to be had: nothing was copied
        throw BackupFailed(CopyOutcome::Failed, QString(), QString::fromUtf8(e.what()));
    }
}

// The backup to restore when the backup folder holds automatic ones besides
// the plain backup: the folder chosen, or an empty text when the user cancels.
QString ChooseBackup(const QString& folder, const QList<store::AutoBackup>& automatic) {
    QDialog chooser(MainWindow());
    chooser.setObjectName(QStringLiteral("BackupChooser"));
    chooser.setWindowTitle(QStringLiteral("Restore data from Back Up"));
    auto* layout = new QVBoxLayout(&chooser);
    layout->addWidget(new QLabel(QStringLiteral("Restore the card files from:"), &chooser));
    auto* list = new QListWidget(&chooser);
    list->setObjectName(QStringLiteral("LstBackups"));
    if (store::HasValidBackup(folder)) {
        auto* plain = new QListWidgetItem(QStringLiteral("The backup in %1").arg(folder), list);
        plain->setData(Qt::UserRole, folder);
    }
    for (const store::AutoBackup& b : automatic) {
        auto* item = new QListWidgetItem(
            QStringLiteral("Automatic backup of %1").arg(QLocale().toString(b.made, QLocale::LongFormat)), list);
        item->setData(Qt::UserRole, b.folder);
    }
    list->setCurrentRow(0);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &chooser);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &chooser, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &chooser, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &chooser, &QDialog::accept);
    layout->addWidget(buttons);
    if (RunModal(chooser) != QDialog::Accepted || !list->currentItem()) return QString();
    return list->currentItem()->data(Qt::UserRole).toString();
}

// The restored card file read as at start-up, counted as ours alone, the filter off, the first card selected.
void LoadRestoredFile(AppContext& context) {
    store::CardStore& cards = *context.Store;
    ShowProgressWindow();
    SetMainStatusText(0, QString());
    if (context.Progress) context.Progress->percentText(QStringLiteral("Loading Names..."));
    const auto hide = qScopeGuard([] {
        PercentWindow().hide();
        if (QWidget* main = MainWindow(); main && !OpenWindowOverMain()) main->setEnabled(true);
    });
    RefreshCardLists(cards, QStringLiteral("The lists show what could be read."));
    context.InUse = CheckInUse(context.Profile, context.DataFile);
    cards.SetInUse(context.InUse);
    cards.ClearFilter();
    SetMainStatusText(0, QString());
}

// The restore as a change of the card file.
void RestoreAndLoad(AppContext& context, const QString& source) {
    // The sibling program may have opened the file since the menu was enabled.
    if (CheckInUse(context.Profile, context.DataFile)) throw store::InUseError();
    // The restored card file counts this program as its one user.
    store::RestoreBackup(source, *context.Store, QStringLiteral("1"));
    PleaseWaitWindow().hide();  // the progress window takes over
    LoadRestoredFile(context);
}

// Says why the restore was not made; true when the user asks to try the folder again.
bool TellRestoreFailed(AppContext& context, const std::exception& error, const QString& source) {
    const auto* refused = dynamic_cast<const BackupFailed*>(&error);
    const CopyOutcome outcome = refused ? refused->outcome : CopyOutcome::Failed;
    if (outcome == CopyOutcome::Failed) {
        // Not put back: the message says that the next opening of the card file finishes the restore.
        const bool putBack = !refused || refused->putBack;
        const QString after = putBack ? QStringLiteral("The card files are as they were before.") : QString();
        Ask(QStringLiteral("The restore failed: %1\r%2").arg(QString::fromUtf8(error.what()), after), 0,
            QStringLiteral("OK"), QString(), icon::Exclamation, QStringLiteral("Restore failed"));
        if (!putBack) {
            LoadRestoredFile(context);
            RefreshMain(0);
        }
        return false;
    }
    const bool notReady = outcome == CopyOutcome::NotReady;
    const QString text =
        notReady ? QStringLiteral("The backup folder %1 is not ready.\rPlease make the folder with the data ready.")
                 : QStringLiteral(
                       "There is no valid Tessaly data in the folder %1.\rPlease choose the folder "
                       "with the backup (BackupPath in the preferences).");
    return Ask(text.arg(source), kOkCancel, QStringLiteral("OK"), QStringLiteral("Cancel"), icon::Exclamation,
               notReady ? QStringLiteral("Drive not ready") : QStringLiteral("No valid data"));
}

}  // namespace

void BackUp(AppContext& context) {
    const QString folder = Folder(context);
    if (!Ask(QStringLiteral("\rThe card files will be backed up to the folder %1").arg(folder), kOkCancel,
             QStringLiteral("OK"), QStringLiteral("Cancel"), icon::Information, QStringLiteral("Back Up")))
        return;
    store::OtherBackup other = store::OtherBackup::Refuse;
    for (;;) {
        try {
            CopyUnderLock(context, folder, other);
            return;
        } catch (const BackupFailed& r) {
            if (r.outcome == CopyOutcome::OtherCardFile) {
                // Another card file's backup is replaced only when the user says so.
                if (!Ask(QStringLiteral("The backup folder %1 holds the backup of another card file.\r%2\rReplace it "
                                        "with the backup of "
                                        "this card file?")
                             .arg(folder, r.message()),
                         kSecondDefault, QStringLiteral("Replace"), QStringLiteral("Cancel"), icon::Exclamation,
                         QStringLiteral("Back Up")))
                    return;
                other = store::OtherBackup::Replace;
                continue;
            }
            if (r.outcome == CopyOutcome::DataFolder) {
                Ask(QStringLiteral(
                        "The backup folder %1 is the data folder or a folder inside it.\rPlease choose another folder "
                        "(BackupPath in the preferences).")
                        .arg(folder),
                    0, QStringLiteral("OK"), QString(), icon::Exclamation, QStringLiteral("Back Up"));
                return;
            }
            const QString why =
                r.outcome == CopyOutcome::NotReady ? QStringLiteral("Please create it, or make it writable.")
                : r.putBack                        ? QStringLiteral("%1\rThe previous backup is kept.").arg(r.message())
                                                   : QStringLiteral(
                                                         "%1\rThe new backup is complete and is put in place the next time the "
                                                                                "folder is used.")
                                  .arg(r.message());
            if (!Ask(QStringLiteral("The backup folder %1 is not ready.\r%2").arg(folder, why), kOkCancel,
                     QStringLiteral("OK"), QStringLiteral("Cancel"), icon::Exclamation,
                     QStringLiteral("Drive not ready")))
                return;
        }
    }
}

void Restore(AppContext& context) {
    const QString folder = Folder(context);
    const QString title = QStringLiteral("Restore data from Back Up");
    if (!Ask(QStringLiteral(
                 "You choosed to restore data from old BackUp.\rIf you continue all existing data will be lost!"),
             kSecondDefault, QStringLiteral("Continue"), QStringLiteral("Cancel"), icon::Exclamation, title))
        return;
    const QList<store::AutoBackup> automatic = store::AutoBackups(folder);
    const QString source = automatic.isEmpty() ? folder : ChooseBackup(folder, automatic);
    if (source.isEmpty()) return;
    if (automatic.isEmpty() &&
        !Ask(QStringLiteral("The data will be restored from the folder %1").arg(folder), kOkCancel,
             QStringLiteral("OK"), QStringLiteral("Cancel"), icon::Information, title))
        return;
    for (bool again = true; again;) {
        again = false;
        RunChange(
            *context.Store,
            {.waitText = QStringLiteral("Please wait. Restoring data from BackUp"),
             .change = [&] { RestoreAndLoad(context, source); },
             .consequence = {},  // said by the restore's own failure message
             .rowAfter = [](bool done) { return done ? 0 : MainWindowLink::kSameRow; },
             .reportFailure = [&](const std::exception& error) { again = TellRestoreFailed(context, error, source); }});
    }
}

}  // namespace tessaly::shell
