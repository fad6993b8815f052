#include "vcard_exchange.h"

#include "import_duplicates_dialog.h"
#include "import_run.h"

#include "cards/card_store.h"
#include "exchange/csv/import_reader.h"
#include "exchange/vcard/vcard_cards.h"
#include "exchange/vcard/vcard_writer.h"
#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/modal_seam.h"
#include "shell/msg_box.h"
#include "shell/progress_windows.h"
#include "shell/run_change.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace tessaly::dialogs {

namespace {

const QString kVCard3Filter = QStringLiteral("vCard 3.0 (*.vcf *.vcard)");
const QString kVCard4Filter = QStringLiteral("vCard 4.0 (*.vcf *.vcard)");

void Tell(const QString& text, std::int16_t icon, const QString& title) {
    shell::SingleTextBox().ShowMsg(text, 0, QStringLiteral("OK"), QString(), icon, title);
}

// A file chosen in Qt's own file window (so that it is answered like every modal window); empty when cancelled.
QString ChooseFile(bool save, QString* nameFilter = nullptr) {
    QFileDialog chooser(shell::MainWindow(), save ? QStringLiteral("Export vCard") : QStringLiteral("Import vCard"),
                        QDir::homePath());
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    chooser.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save) {
        chooser.setNameFilters({kVCard3Filter, kVCard4Filter});
        chooser.setDefaultSuffix(QStringLiteral("vcf"));
    } else {
        chooser.setNameFilters({QStringLiteral("vCards (*.vcf *.vcard)"), QStringLiteral("All files (*)")});
    }
    if (shell::RunModal(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return QString();
    if (nameFilter) *nameFilter = chooser.selectedNameFilter();
    return chooser.selectedFiles().front();
}

// What the vCards held that no card field takes, a sentence a line.
QStringList ValuesMovedText(const store::VCardCards& read) {
    QStringList text;
    if (read.valuesInNotes > 0)
        text << QStringLiteral("%1 values without a card field of their own were added to the notes.")
                    .arg(read.valuesInNotes);
    if (read.valuesLeftOut > 0)
        text << QStringLiteral("%1 pictures, sounds or keys were left out.").arg(read.valuesLeftOut);
    return text;
}

}  // namespace

void ImportVCard(shell::AppContext& context) {
    if (context.InUse || !context.Store) return;
    const QString path = ChooseFile(false);
    if (path.isEmpty()) return;
    store::VCardCards read;
    try {
        read = store::ReadVCardFile(path);
    } catch (const store::ImportFileError& e) {
        Tell(QString::fromUtf8(e.what()), 3, QStringLiteral("Import vCard"));
        return;
    }
    store::CardStore& cards = *context.Store;
    const std::optional<DuplicateAnswer> answer = ResolveImportDuplicates(cards, read.cards, false);
    if (!answer) return;
    store::ImportOptions options;
    options.duplicates = answer->choices;
    options.source = store::ImportSourceKind::VCards;
    options.fileName = QFileInfo(path).fileName();
    const int room = store::ImportRoom(false, cards.NoOfRecords);
    const QList<int>& from = answer->preview.from;  // the vCards that make new cards, after the duplicates chosen
    if (from.size() >= room && !from.isEmpty()) {
        const QString question = store::TooManyCardsQuestion(int(from.size()), room, from.value(room, -1) + 1,
                                                             store::ImportSourceKind::VCards);
        if (shell::SingleTextBox().ShowMsg(question, 2, QStringLiteral("Yes"), QStringLiteral("No"), 2,
                                           QStringLiteral("Too many records")) != shell::MessageButton::First)
            return;
        options.upToLimit = true;
    }
    if (const std::optional<store::ImportOutcome> done = RunImport(context, nullptr, read.cards, options))
        TellImported(*done, ValuesMovedText(read), QStringLiteral("Import vCard"));
}

void ExportVCard(shell::AppContext& context) {
    if (!context.Store) return;
    QString filter;
    const QString path = ChooseFile(true, &filter);
    if (path.isEmpty()) return;
    store::CardStore& store = *context.Store;
    QList<store::Card> cards;
    try {
        for (const QString& rec : store.ShownRecNos()) cards << store.ReadCard(rec);
        // A copy of the cards is as private as the card file.
        store::WriteVCardFile(path, cards, filter == kVCard4Filter ? store::VCardVersion::V4 : store::VCardVersion::V3,
                              context.DataFile);
    } catch (const std::exception& e) {
        Tell(QStringLiteral("The cards could not be exported; %1 is as it was.\r%2")
                 .arg(path, QString::fromUtf8(e.what())),
             3, QStringLiteral("Export vCard"));
        return;
    }
    Tell(QStringLiteral("%1 cards were exported to %2.").arg(cards.size()).arg(path), 4,
         QStringLiteral("Export vCard"));
}

}  // namespace tessaly::dialogs
