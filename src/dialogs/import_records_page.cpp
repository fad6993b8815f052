#include "import_records_page.h"

#include "import_duplicates_dialog.h"
#include "import_file_page.h"
#include "import_run.h"

#include "cards/card_store.h"
#include "exchange/import_cards.h"
#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/msg_box.h"
#include "shell/progress_windows.h"
#include "shell/run_change.h"
#include "shell/twips.h"
#include "shell/window_opener.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardItemModel>

namespace tessaly::dialogs {

using shell::SetTwipsGeometry;

namespace {

QPushButton* Button(QWidget* parent, const QString& name, const QString& caption, int left, int top) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    SetTwipsGeometry(b, left, top, 1455, 375);
    return b;
}

}  // namespace

void OpenRecordsPage(shell::AppContext& context, FileToImportDialog* first, store::ImportSession session) {
    shell::OpenOverMain(new RecordsToImportDialog(context, first, std::move(session)), shell::Placement::TopRight);
}

RecordsToImportDialog::RecordsToImportDialog(shell::AppContext& context, FileToImportDialog* first,
                                             store::ImportSession session, QWidget* parent)
    : QDialog(parent, shell::kFixedDialogFlags), context_(context), first_(first), session_(std::move(session)) {
    setObjectName(QStringLiteral("RecordsToImportDialog"));
    setWindowTitle(QStringLiteral("Records to Import"));
    setAttribute(Qt::WA_DeleteOnClose);
    QFont small = font();
    small.setPixelSize(shell::ToPixels(165));
    setFont(small);
    // Wider than the page was first drawn: a column's value ("Prefix Firstname Middle Lastname Suffix",
    // a whole name in one column) was cut off after a few words.
    constexpr int kWider = 2400;
    shell::SetTwipsClientSize(this, 8610 + 2 * kWider, 7020);

    const QString notes[] = {
        QStringLiteral("Select an item from the drop down list to set what each filed in your data represents."),
        QStringLiteral("Field left empty, or selected as 'NONE OF THE ABOVE' will not be imported into Tessaly."),
        QStringLiteral("Make sure not to have two fields with the same data (Except for NONE OF THE ABOVE)"),
        QStringLiteral(
            "If your data doesn't look as you expect it to, then try to go Back and choose another delimiter.")};
    QLabel* firstNote = nullptr;  // it names the drop-down lists: Alt+S goes to the first of them
    for (int i = 0; i < 4; ++i) {
        auto* note = new QLabel(i == 0 ? u'&' + notes[i] : notes[i], this);
        SetTwipsGeometry(note, 150, 120 + 270 * i, 8310 + 2 * kWider, 255);
        if (i == 0) firstNote = note;
    }
    for (int f = 0; f < 2; ++f) {
        auto* frame = new QGroupBox(this);
        frame->setObjectName(QStringLiteral("ImportFrame(%1)").arg(f));
        SetTwipsGeometry(frame, 150 + (4185 + kWider) * f, 1260, 4125 + kWider, 4110);
        for (int r = 0; r < 10; ++r) {
            const int i = 10 * f + r;
            LblFieldData[i] = new QLabel(frame);
            LblFieldData[i]->setObjectName(QStringLiteral("LblFieldData(%1)").arg(i));
            LblFieldData[i]->setTextFormat(Qt::PlainText);
            SetTwipsGeometry(LblFieldData[i], 150, 240 + 375 * r, 1515 + kWider, 315);
            CboFieldName[i] = new QComboBox(frame);
            CboFieldName[i]->setObjectName(QStringLiteral("CboFieldName(%1)").arg(i));
            SetTwipsGeometry(CboFieldName[i], 1740 + kWider, 210 + 375 * r, 2175, 315);
            connect(CboFieldName[i], &QComboBox::currentIndexChanged, this, [this, i](int choice) {
                if (FirstColumn + i < choices_.size()) choices_[FirstColumn + i] = choice;
            });
        }
    }
    ChkHeader = new QCheckBox(QStringLiteral("&First line holds column names"), this);
    ChkHeader->setObjectName(QStringLiteral("ChkHeader"));
    SetTwipsGeometry(ChkHeader, 150, 5490, 4000, 285);
    ChkHeader->setChecked(session_.firstIsHeader);
    // The buttons on the right keep to the right edge.
    const int right = 2 * kWider;
    BtnPrev = Button(this, QStringLiteral("BtnPrev"), QStringLiteral("&Prev Record   >>"), 150, 5940);
    BtnNext = Button(this, QStringLiteral("BtnNext"), QStringLiteral("<<   &Next Record"), 1695, 5940);
    BtnPrevColumns =
        Button(this, QStringLiteral("BtnPrevColumns"), QStringLiteral("<<   Co&lumns"), 5460 + right, 5940);
    BtnNextColumns =
        Button(this, QStringLiteral("BtnNextColumns"), QStringLiteral("Col&umns   >>"), 7005 + right, 5940);
    BtnBack = Button(this, QStringLiteral("BtnBack"), QStringLiteral("&Back"), 3240 + right, 6480);
    BtnOK = Button(this, QStringLiteral("BtnOK"), QStringLiteral("&OK"), 5460 + right, 6480);
    BtnCancel = Button(this, QStringLiteral("BtnCancel"), QStringLiteral("&Cancel"), 7005 + right, 6480);
    BtnOK->setDefault(true);
    LblColumns = new QLabel(this);
    LblColumns->setObjectName(QStringLiteral("LblColumns"));
    LblColumns->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetTwipsGeometry(LblColumns, 4335 + right, 5490, 4125, 285);
    firstNote->setBuddy(CboFieldName[0]);
    // Tab goes down the left frame, then down the right one, then along the rows of buttons.
    QList<QWidget*> order(CboFieldName.begin(), CboFieldName.end());
    order << ChkHeader << BtnPrev << BtnNext << BtnPrevColumns << BtnNextColumns << BtnBack << BtnOK << BtnCancel;
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    connect(BtnPrevColumns, &QPushButton::clicked, this, [this] { MoveColumns(-kRows); });
    connect(BtnNextColumns, &QPushButton::clicked, this, [this] { MoveColumns(kRows); });

    connect(BtnNext, &QPushButton::clicked, this, &RecordsToImportDialog::BtnNext_Click);
    connect(BtnPrev, &QPushButton::clicked, this, &RecordsToImportDialog::BtnPrev_Click);
    connect(BtnBack, &QPushButton::clicked, this, &RecordsToImportDialog::BtnBack_Click);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    // Cancel, Esc and the close box end the whole wizard.
    connect(this, &QDialog::rejected, this, [this] {
        if (first_) first_->close();
    });
    connect(this, &QDialog::finished, this, &QWidget::close);
    connect(BtnOK, &QPushButton::clicked, this, &RecordsToImportDialog::BtnOK_Click);
    connect(ChkHeader, &QCheckBox::clicked, this, &RecordsToImportDialog::ChkHeader_Click);
    shell::SetMainStatusText(0, windowTitle());
    SetDropList();
    ClaimSlot();
}

int RecordsToImportDialog::LastSample() const {
    return int(std::clamp<qsizetype>(session_.cardLines().size() - 1, 0, kRows - 1));
}

void RecordsToImportDialog::SetDropList() {
    const QList<int> suggested = session_.firstIsHeader ? session_.headerChoices() : QList<int>();
    choices_.clear();
    for (int c = 0; c < session_.plan.fieldCount; ++c) choices_ << suggested.value(c, -1);
    FirstColumn = 0;
    SampleLine = 0;
    BtnPrev->setEnabled(false);
    BtnNext->setEnabled(LastSample() > 0);
    ShowColumns();
}

// The twenty rows show the columns from FirstColumn on, each with its choice.
void RecordsToImportDialog::ShowColumns() {
    const int fields = session_.plan.fieldCount;
    for (int i = 0; i < kRows; ++i) {
        QComboBox* box = CboFieldName[i];
        const QSignalBlocker quiet(box);  // filling the box is not a choice
        const int column = FirstColumn + i;
        box->clear();
        box->setEnabled(column < fields);
        if (column < fields) {
            box->addItems(store::kImportChoices);
            box->setCurrentIndex(choices_.value(column, -1));
        } else {
            box->addItem(QStringLiteral("Not Available"));
        }
    }
    const bool paged = fields > kRows;
    for (QWidget* w : std::initializer_list<QWidget*>{BtnPrevColumns, BtnNextColumns, LblColumns}) w->setVisible(paged);
    BtnPrevColumns->setEnabled(FirstColumn > 0);
    BtnNextColumns->setEnabled(FirstColumn + kRows < fields);
    LblColumns->setText(QStringLiteral("Columns %1 to %2 of %3")
                            .arg(FirstColumn + 1)
                            .arg(std::min(FirstColumn + kRows, fields))
                            .arg(fields));
    ShowSample();
}

void RecordsToImportDialog::MoveColumns(int by) {
    const int first = std::clamp(FirstColumn + by, 0, std::max(0, session_.plan.fieldCount - 1));
    if (first == FirstColumn || first % kRows != 0) return;
    FirstColumn = first;
    ShowColumns();
}

void RecordsToImportDialog::ShowSample() {
    const QStringList fields = session_.fieldsOf(SampleLine);
    for (int i = 0; i < kRows; ++i) LblFieldData[i]->setText(fields.value(FirstColumn + i));
}

void RecordsToImportDialog::BtnNext_Click() {
    if (SampleLine >= LastSample()) return;
    ++SampleLine;
    BtnPrev->setEnabled(true);
    ShowSample();
    if (SampleLine == LastSample()) {
        BtnPrev->setFocus();
        BtnNext->setEnabled(false);
    }
}

void RecordsToImportDialog::BtnPrev_Click() {
    if (SampleLine <= 0) return;
    --SampleLine;
    BtnNext->setEnabled(LastSample() > 0);
    ShowSample();
    if (SampleLine == 0) {
        BtnNext->setFocus();
        BtnPrev->setEnabled(false);
    }
}

// Ticked, the first line names the columns: it is skipped and its names suggest the choices.
void RecordsToImportDialog::ChkHeader_Click() {
    if (session_.lines.size() < 2 && ChkHeader->isChecked()) {
        ChkHeader->setChecked(false);
        return;
    }
    session_.firstIsHeader = ChkHeader->isChecked();
    if (!session_.firstIsHeader) {
        SampleLine = 0;
        BtnPrev->setEnabled(false);
        BtnNext->setEnabled(LastSample() > 0);
        ShowSample();
        return;
    }
    SetDropList();
}

void RecordsToImportDialog::BtnBack_Click() {
    hide();  // not closed: closing ends the whole wizard
    deleteLater();
    if (first_) shell::OpenOverMain(first_, shell::Placement::TopRight);
}

void RecordsToImportDialog::BtnOK_Click() {
    if (shell::SingleTextBox().ShowMsg(
            QStringLiteral("This routine can take a long time in case you use a slow machine, or "
                           "importing a lot of data."),
            2, QStringLiteral("Continue"), QStringLiteral("Cancel"), 4,
            QStringLiteral("Import notice")) != shell::MessageButton::First) {
        reject();
        return;
    }
    store::ImportPlan plan = session_.plan;
    plan.choices.clear();
    for (const int c : choices_) plan.choices << (c < 0 ? store::kNoneOfTheAbove : c);
    const QList<store::Card> incoming = store::CardsFromLines(session_.cardLines(), plan);
    const std::optional<DuplicateAnswer> answer = ResolveImportDuplicates(*context_.Store, incoming, plan.replace);
    if (!answer) return;  // back on this page
    // The first page asked before going on when the lines exceed the room.
    store::ImportOptions options;
    options.replace = plan.replace;
    options.duplicates = answer->choices;
    options.upToLimit = true;
    options.lineOf = session_.cardLineNumbers();
    options.emptyLines = session_.emptyLines;
    options.fileName = session_.fileName;
    const std::optional<store::ImportOutcome> done = RunImport(context_, this, incoming, options);
    if (first_) first_->close();
    if (done) TellImported(*done, {}, QStringLiteral("Import"));
}

}  // namespace tessaly::dialogs
