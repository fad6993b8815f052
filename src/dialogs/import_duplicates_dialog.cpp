#include "import_duplicates_dialog.h"

#include "shell/modal_seam.h"
#include "shell/shared_data.h"
#include "store/card_store.h"
#include "store/display_text.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tessaly::dialogs {

namespace {

using store::CardFieldList;
using store::DuplicateAction;

// A card as one line of the table: its list text and what identifies it.
QString CardLine(CardFieldList c) {
    QStringList parts = {store::NameText(c[store::FirstName], c[store::LastName], c[store::Company])};
    for (int k : {store::EMail, store::Phone1, store::Phone2, store::Fax})
        if (!c[k].trimmed().isEmpty()) parts << c[k].trimmed();
    return parts.join(QStringLiteral("  ·  "));
}

QTableWidgetItem* Cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

}  // namespace

ImportDuplicatesDialog::ImportDuplicatesDialog(const store::KnownCards& known, const QList<CardFieldList>& incoming,
                                               QList<store::ImportDuplicate> duplicates, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ImportDuplicatesDialog"));
    setWindowTitle(QStringLiteral("Possible Duplicates"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("%1 of the %2 cards to import match other cards. Choose for each what the import does: "
                                            "skip it, import it anyway, or fill the empty fields of the card it matches.")
                                 .arg(duplicates.size())
                                 .arg(incoming.size()),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    QHash<QString, qsizetype> knownOfRec;
    for (qsizetype k = 0; k < known.recNos.size(); ++k) knownOfRec[known.recNos[k]] = k;
    TblMatches = new QTableWidget(int(duplicates.size()), 4, this);
    TblMatches->setObjectName(QStringLiteral("TblMatches"));
    TblMatches->setHorizontalHeaderLabels({QStringLiteral("Card to import"), QStringLiteral("Matches"), QStringLiteral("Match"),
                                           QStringLiteral("Action")});
    TblMatches->verticalHeader()->hide();
    for (int row = 0; row < duplicates.size(); ++row) {
        const store::ImportDuplicate& d = duplicates[row];
        const bool inFile = !d.recNo.isEmpty();
        TblMatches->setItem(row, 0, Cell(CardLine(incoming[d.incoming])));
        TblMatches->setItem(row, 1, Cell(inFile ? CardLine(known.cards[knownOfRec[d.recNo]])
                                                : QStringLiteral("card %1 to import: %2").arg(d.earlierIncoming + 1).arg(CardLine(incoming[d.earlierIncoming]))));
        TblMatches->setItem(row, 2, Cell(d.strength == store::MatchStrength::Strong ? QStringLiteral("same e-mail or phone")
                                                                                    : QStringLiteral("same name")));
        auto* box = new QComboBox(TblMatches);
        box->addItems({QStringLiteral("Skip"), QStringLiteral("Import anyway"), QStringLiteral("Fill empty fields")});
        box->setCurrentIndex(int(DuplicateAction::Import));
        TblMatches->setCellWidget(row, 3, box);
    }
    // The two cards share what room there is; what matched and the choice always show whole.
    QHeaderView* header = TblMatches->horizontalHeader();
    for (int column : {0, 1}) header->setSectionResizeMode(column, QHeaderView::Stretch);
    for (int column : {2, 3}) header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    layout->addWidget(TblMatches);

    auto* buttons = new QDialogButtonBox(this);
    BtnSkipAll = buttons->addButton(QStringLiteral("Skip All"), QDialogButtonBox::ActionRole);
    BtnImportAll = buttons->addButton(QStringLiteral("Import All"), QDialogButtonBox::ActionRole);
    BtnFillAll = buttons->addButton(QStringLiteral("Fill All"), QDialogButtonBox::ActionRole);
    BtnOK = buttons->addButton(QStringLiteral("Import"), QDialogButtonBox::AcceptRole);
    BtnCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    BtnOK->setDefault(true);
    layout->addWidget(buttons);
    connect(BtnSkipAll, &QPushButton::clicked, this, [this] { SetAll(DuplicateAction::Skip); });
    connect(BtnImportAll, &QPushButton::clicked, this, [this] { SetAll(DuplicateAction::Import); });
    connect(BtnFillAll, &QPushButton::clicked, this, [this] { SetAll(DuplicateAction::Fill); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(980, 420);
}

QComboBox* ImportDuplicatesDialog::ActionBox(int row) const { return qobject_cast<QComboBox*>(TblMatches->cellWidget(row, 3)); }

void ImportDuplicatesDialog::SetAll(DuplicateAction action) {
    for (int row = 0; row < TblMatches->rowCount(); ++row) ActionBox(row)->setCurrentIndex(int(action));
}

QList<DuplicateAction> ImportDuplicatesDialog::Actions() const {
    QList<DuplicateAction> actions;
    for (int row = 0; row < TblMatches->rowCount(); ++row) actions << DuplicateAction(ActionBox(row)->currentIndex());
    return actions;
}

std::optional<store::ResolvedImport> ResolveImportDuplicates(store::CardStore& store, const QList<CardFieldList>& incoming, bool replace) {
    const store::KnownCards known = replace ? store::KnownCards() : store::ReadKnownCards(store);
    const QList<store::ImportDuplicate> duplicates = store::FindImportDuplicates(known, incoming);
    QList<DuplicateAction> actions(duplicates.size(), DuplicateAction::Import);
    if (!duplicates.isEmpty()) {
        ImportDuplicatesDialog ask(known, incoming, duplicates, shell::Shared().MainWindow());
        if (shell::RunModal(ask) != QDialog::Accepted) return std::nullopt;
        actions = ask.Actions();
    }
    return store::ResolveDuplicates(known, incoming, duplicates, actions);
}

}  // namespace tessaly::dialogs
