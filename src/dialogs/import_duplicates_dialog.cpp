#include "import_duplicates_dialog.h"

#include "cards/card_store.h"
#include "cards/display_text.h"
#include "shell/main_window_link.h"
#include "shell/modal_seam.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tessaly::dialogs {

namespace {

using store::Card;
using store::DuplicateAction;

// A card as one line of the table: its list text and what identifies it.
QString CardLine(Card c) {
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

constexpr int ActionColumn = 3;

// In the order of DuplicateAction; the first letters differ, so typing one picks it.
const QStringList& ActionLabels() {
    static const QStringList labels = {QStringLiteral("Skip"), QStringLiteral("Import anyway"),
                                       QStringLiteral("Fill empty fields")};
    return labels;
}

// The action is the cell's UserRole, its label the text shown.
void SetAction(QAbstractItemModel& model, const QModelIndex& index, int action) {
    model.setData(index, action, Qt::UserRole);
    model.setData(index, ActionLabels()[action], Qt::DisplayRole);
}

// The action cells are plain text; a combo box exists only while one is being
// changed, since thousands of them made the window slow to open. A choice
// made in the box is kept at once and the box closes, so that a letter typed
// on the cell, or one arrow key after F2, changes the action and the next
// arrow key moves on to the next row.
class ActionDelegate : public QStyledItemDelegate {
public:
    explicit ActionDelegate(QObject* parent) : QStyledItemDelegate(parent) {
        QComboBox probe;
        probe.addItems(ActionLabels());
        width = probe.sizeHint().width();
    }

    // As wide as the combo box, whichever action shows, so the column never
    // cuts off "Fill empty fields" and changing an action never resizes it.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index).expandedTo(QSize(width, 0));
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* box = new QComboBox(parent);
        box->addItems(ActionLabels());
        auto* self = const_cast<ActionDelegate*>(this);
        connect(box, &QComboBox::activated, self, [self, box] {
            emit self->commitData(box);
            emit self->closeEditor(box);
        });
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<QComboBox*>(editor)->setCurrentIndex(index.data(Qt::UserRole).toInt());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        SetAction(*model, index, static_cast<QComboBox*>(editor)->currentIndex());
    }

private:
    int width = 0;
};

}  // namespace

ImportDuplicatesDialog::ImportDuplicatesDialog(const store::KnownCards& known, const QList<Card>& incoming,
                                               QList<store::ImportDuplicate> duplicates, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ImportDuplicatesDialog"));
    setWindowTitle(QStringLiteral("Possible Duplicates"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        QStringLiteral("%1 of the %2 cards to import match other cards. Choose for each what the import does: "
                       "skip it, import it anyway, or fill the empty fields of the card it matches.")
            .arg(duplicates.size())
            .arg(incoming.size()),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    // What the rows start at, so that Enter (which applies them) holds no surprise; Alt+R reaches the rows.
    LblStarting = new QLabel(u'&' + store::StartingActionsText(), this);
    LblStarting->setObjectName(QStringLiteral("LblStarting"));
    LblStarting->setWordWrap(true);
    layout->addWidget(LblStarting);
    QHash<QString, qsizetype> knownOfRec;
    for (qsizetype k = 0; k < known.recNos.size(); ++k) knownOfRec[known.recNos[k]] = k;
    TblMatches = new QTableWidget(int(duplicates.size()), 4, this);
    TblMatches->setObjectName(QStringLiteral("TblMatches"));
    LblStarting->setBuddy(TblMatches);
    TblMatches->setHorizontalHeaderLabels({QStringLiteral("Card to import"), QStringLiteral("Matches"),
                                           QStringLiteral("Match"), QStringLiteral("Action")});
    TblMatches->verticalHeader()->hide();
    TblMatches->setItemDelegateForColumn(ActionColumn, new ActionDelegate(TblMatches));
    // From the keyboard: S, I or F on an action cell picks that action; F2 or Space opens its list.
    TblMatches->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    for (int row = 0; row < duplicates.size(); ++row) {
        const store::ImportDuplicate& d = duplicates[row];
        const bool inFile = !d.recNo.isEmpty();
        const Card& card = incoming[d.incoming];
        const Card& other = inFile ? known.cards[knownOfRec[d.recNo]] : incoming[d.earlierIncoming];
        TblMatches->setItem(row, 0, Cell(CardLine(card)));
        TblMatches->setItem(
            row, 1,
            Cell(inFile ? CardLine(other)
                        : QStringLiteral("card %1 to import: %2").arg(d.earlierIncoming + 1).arg(CardLine(other))));
        TblMatches->setItem(row, 2, Cell(store::MatchText(d.key, d.strength, store::MatchedValue(card, other, d.key))));
        const int start = int(store::StartingAction(d));
        auto* action = new QTableWidgetItem(ActionLabels()[start]);
        action->setData(Qt::UserRole, start);
        action->setFlags(Qt::ItemIsEnabled | Qt::ItemIsEditable);
        TblMatches->setItem(row, ActionColumn, action);
    }
    // The two cards share what room there is; what matched and the choice always show whole.
    QHeaderView* header = TblMatches->horizontalHeader();
    for (int column : {0, 1}) header->setSectionResizeMode(column, QHeaderView::Stretch);
    for (int column : {2, 3}) header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    layout->addWidget(TblMatches);
    // The window opens on the first row's action, so that typing chooses it at once.
    TblMatches->setCurrentCell(0, ActionColumn);
    TblMatches->setFocus();
    // One click on an action shows its list, as a combo box in the cell would.
    connect(TblMatches, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.column() != ActionColumn) return;
        TblMatches->edit(index);
        if (auto* box = qobject_cast<QComboBox*>(TblMatches->indexWidget(index))) box->showPopup();
    });

    // In a row of their own, in the order they are made, so that Tab follows them left to right.
    auto* buttons = new QHBoxLayout;
    auto button = [&](const QString& name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        buttons->addWidget(b);
        return b;
    };
    BtnSkipAll = button(QStringLiteral("BtnSkipAll"), QStringLiteral("&Skip All"));
    BtnImportAll = button(QStringLiteral("BtnImportAll"), QStringLiteral("Import &All"));
    BtnFillAll = button(QStringLiteral("BtnFillAll"), QStringLiteral("&Fill All"));
    buttons->addStretch();
    // The default button does what the rows show.
    BtnOK = button(QStringLiteral("BtnOK"), QStringLiteral("&Import as Shown"));
    BtnCancel = button(QStringLiteral("BtnCancel"), QStringLiteral("&Cancel"));
    BtnOK->setDefault(true);
    layout->addLayout(buttons);
    connect(BtnSkipAll, &QPushButton::clicked, this, [this] { SetAll(DuplicateAction::Skip); });
    connect(BtnImportAll, &QPushButton::clicked, this, [this] { SetAll(DuplicateAction::Import); });
    connect(BtnFillAll, &QPushButton::clicked, this, [this] { SetAll(DuplicateAction::Fill); });
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(980, 420);
}

void ImportDuplicatesDialog::SetAll(DuplicateAction action) {
    // A change signal per cell costs the view milliseconds each: minutes over
    // thousands of rows. The widths stay (every action cell is as wide as the
    // widest label), so one repaint shows them all.
    QAbstractItemModel& model = *TblMatches->model();
    {
        const QSignalBlocker quiet(model);
        for (int row = 0; row < TblMatches->rowCount(); ++row)
            SetAction(model, model.index(row, ActionColumn), int(action));
    }
    TblMatches->viewport()->update();
}

QList<DuplicateAction> ImportDuplicatesDialog::Actions() const {
    QList<DuplicateAction> actions;
    for (int row = 0; row < TblMatches->rowCount(); ++row)
        actions << DuplicateAction(TblMatches->item(row, ActionColumn)->data(Qt::UserRole).toInt());
    return actions;
}

std::optional<DuplicateAnswer> ResolveImportDuplicates(store::CardStore& store, const QList<Card>& incoming,
                                                       bool replace) {
    const store::KnownCards known = replace ? store::KnownCards() : store::ReadKnownCards(store);
    const QList<store::ImportDuplicate> duplicates = store::FindImportDuplicates(known, incoming);
    QList<DuplicateAction> actions = store::StartingActions(duplicates);
    if (!duplicates.isEmpty()) {
        ImportDuplicatesDialog ask(known, incoming, duplicates, shell::MainWindow());
        if (shell::RunModal(ask) != QDialog::Accepted) return std::nullopt;
        actions = ask.Actions();
    }
    return DuplicateAnswer{store::ChoicesFrom(duplicates, actions),
                           store::ResolveDuplicates(known, incoming, duplicates, actions)};
}

}  // namespace tessaly::dialogs
