#include "import_run.h"

#include "cards/card_store.h"
#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/msg_box.h"
#include "shell/progress_windows.h"
#include "shell/run_change.h"

#include <QScopeGuard>

namespace tessaly::dialogs {

std::optional<store::ImportOutcome> RunImport(shell::AppContext& context, QWidget* asking,
                                              const QList<store::Card>& incoming, const store::ImportOptions& options) {
    store::ProgressSink silent;
    store::ProgressSink& progress = context.Progress ? *context.Progress : silent;
    store::ImportOutcome done;
    const bool ran = shell::RunChange(
        *context.Store,
        {.asking = asking,
         .waitText = QStringLiteral("Please wait. Backing up old data"),
         .change =
             [&] {
                 store::CardStore& cards = *context.Store;
                 shell::ShowProgressWindow();
                 const auto hide = qScopeGuard([] { shell::PercentWindow().hide(); });
                 progress.percentText(QStringLiteral("Please be patient while getting records into the data file..."));
                 progress.gauge(0);
                 shell::PleaseWaitWindow().hide();
                 done = store::ImportCardList(cards, incoming, options, progress);
                 cards.ClearFilter();
                 shell::SetMainStatusText(0, QString());
                 shell::SetMainStatusText(1, QString());  // the refresh after writes it again
             },
         .consequence = QStringLiteral("The card file is as it was before the import."),
         .rowAfter = [](bool) { return 0; }});
    if (!ran) return std::nullopt;
    return done;
}

void TellImported(const store::ImportOutcome& done, const QStringList& extra, const QString& title) {
    QStringList text = store::ImportSummary(done) + extra;
    if (!done.note.isEmpty()) text << done.note;
    shell::SingleTextBox().ShowMsg(text.join(u'\r'), 0, QStringLiteral("OK"), QString(), done.note.isEmpty() ? 4 : 3,
                                   title);
}

}  // namespace tessaly::dialogs
