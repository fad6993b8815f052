#include "print_dialog.h"

#include "print/label_painter.h"
#include "print/label_text.h"
#include "print/list_report.h"
#include "print/pdf_output.h"
#include "print/report_painter.h"
#include "profile/profile_access.h"
#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/modal_seam.h"
#include "shell/msg_box.h"
#include "shell/progress_windows.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tessaly::dialogs {

namespace {

constexpr std::int16_t kExclamation = 3;

QList<store::Card> ShownCards(store::CardStore& s) {
    QList<store::Card> cards;
    for (const QString& n : s.ShownRecNos()) cards << s.ReadCard(n);
    return cards;
}

void Tell(const QString& text) {
    shell::SingleTextBox().ShowMsg(text, 0, QStringLiteral("OK"), QString(), kExclamation, QStringLiteral("Print"));
}

// A full list of thousands of cards takes seconds to lay out: the progress
// window is up meanwhile, and events are pumped so that it repaints. The window
// that asked takes no input until the pages are made, so that a second Print,
// Cancel, Esc or its close box can neither start a second print nor close it
// under the painter. Everything is as it was again on every way out.
class Painting : public QObject {
public:
    Painting(QWidget& asking, store::ProgressSink* progress) : asking_(&asking), progress_(progress) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        QWidget* main = shell::MainWindow();
        mainEnabled_ = main && main->isEnabled();
        asking.setEnabled(false);
        asking.installEventFilter(this);
        shell::ShowProgressWindow();
        sink()->percentText(QStringLiteral("Please wait while the pages are made..."));
        sink()->gauge(0);
    }
    ~Painting() override {
        shell::PercentWindow().hide();
        if (QWidget* main = shell::MainWindow(); main && mainEnabled_) main->setEnabled(true);
        if (asking_) asking_->setEnabled(true);
        QGuiApplication::restoreOverrideCursor();
    }
    store::ProgressSink* sink() { return progress_ ? progress_ : &silent_; }

protected:
    // A disabled window still hears its close box.
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Close) return false;
        event->ignore();
        return true;
    }

private:
    QPointer<QWidget> asking_;
    store::ProgressSink* progress_;
    bool mainEnabled_ = false;
    store::ProgressSink silent_;
};

template <class W>
W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace

PrintDialog::PrintDialog(shell::AppContext& context, PrintWhat what, QWidget* parent)
    : QDialog(parent), context_(context), what_(what) {
    setObjectName(QStringLiteral("PrintDialog"));
    setWindowTitle(what == PrintWhat::Labels ? QStringLiteral("Print Labels") : QStringLiteral("Print List"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    LblProblems = Named(new QLabel(this), "LblProblems");
    LblProblems->setTextFormat(Qt::PlainText);
    LblProblems->setWordWrap(true);
    if (what == PrintWhat::Labels) {
        sheets_ = store::LoadLabelSheets(store::UserLabelSheetsFile());
        CboSheet = Named(new QComboBox(this), "CboSheet");
        for (const store::LabelSheet& s : sheets_.sheets)
            CboSheet->addItem(QStringLiteral("%1 (%2, %3 × %4)")
                                  .arg(s.name, s.paper == u"a4" ? QStringLiteral("A4") : QStringLiteral("Letter"))
                                  .arg(s.columns)
                                  .arg(s.rows),
                              s.name);
        SpnStart = Named(new QSpinBox(this), "SpnStart");
        form->addRow(QStringLiteral("&Sheet"), CboSheet);
        form->addRow(QStringLiteral("Start at &label"), SpnStart);
        connect(CboSheet, &QComboBox::currentIndexChanged, this,
                [this] { SpnStart->setRange(1, sheet() ? sheet()->LabelsPerSheet() : 1); });
        SpnStart->setRange(1, sheet() ? sheet()->LabelsPerSheet() : 1);
        if (!sheets_.problems.isEmpty())
            LblProblems->setText(QStringLiteral("Skipped: ") + sheets_.problems.join(u'\n'));
    } else {
        CboKind = Named(new QComboBox(this), "CboKind");
        CboKind->addItems(
            {QStringLiteral("Phone list (name, phones, fax, e-mail)"), QStringLiteral("Full list (every detail)")});
        CboPaper = Named(new QComboBox(this), "CboPaper");
        CboPaper->addItems({QStringLiteral("A4"), QStringLiteral("Letter")});
        if (QLocale().measurementSystem() == QLocale::ImperialUSSystem) CboPaper->setCurrentIndex(1);
        form->addRow(QStringLiteral("&List"), CboKind);
        form->addRow(QStringLiteral("P&aper"), CboPaper);
    }
    layout->addWidget(LblProblems);
    LblProblems->setVisible(!LblProblems->text().isEmpty());

    OptPrinter = Named(new QRadioButton(QStringLiteral("P&rinter"), this), "OptPrinter");
    OptPdf = Named(new QRadioButton(QStringLiteral("PDF &file"), this), "OptPdf");
    TxtPdfFile = Named(new QLineEdit(QDir::homePath() + (what == PrintWhat::Labels ? QStringLiteral("/labels.pdf")
                                                                                   : QStringLiteral("/list.pdf")),
                                     this),
                       "TxtPdfFile");
    TxtPdfFile->setMinimumWidth(TxtPdfFile->fontMetrics().averageCharWidth() * 36);
    BtnBrowse = Named(new QPushButton(QStringLiteral("&Browse…"), this), "BtnBrowse");
    layout->addWidget(OptPrinter);
    auto* pdfRow = new QHBoxLayout;
    pdfRow->addWidget(OptPdf);
    pdfRow->addWidget(TxtPdfFile, 1);
    pdfRow->addWidget(BtnBrowse);
    layout->addLayout(pdfRow);
    OptPdf->setChecked(true);
    connect(OptPrinter, &QRadioButton::toggled, this, &PrintDialog::Destination_Changed);
    connect(BtnBrowse, &QPushButton::clicked, this, &PrintDialog::BtnBrowse_Click);

    auto* buttons = new QDialogButtonBox(this);
    BtnPreview = Named(buttons->addButton(QStringLiteral("Pre&view…"), QDialogButtonBox::ActionRole), "BtnPreview");
    BtnPrint = Named(buttons->addButton(QStringLiteral("&Print"), QDialogButtonBox::AcceptRole), "BtnPrint");
    BtnCancel = Named(buttons->addButton(QDialogButtonBox::Cancel), "BtnCancel");
    BtnPrint->setDefault(true);
    layout->addWidget(buttons);
    connect(BtnPreview, &QPushButton::clicked, this, &PrintDialog::BtnPreview_Click);
    connect(BtnPrint, &QPushButton::clicked, this, &PrintDialog::BtnPrint_Click);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    if (what == PrintWhat::Labels && sheets_.sheets.isEmpty())
        BtnPrint->setEnabled(false), BtnPreview->setEnabled(false);
}

const store::LabelSheet* PrintDialog::sheet() const {
    return CboSheet ? sheets_.find(CboSheet->currentData().toString()) : nullptr;
}

void PrintDialog::Destination_Changed() {
    TxtPdfFile->setEnabled(OptPdf->isChecked());
    BtnBrowse->setEnabled(OptPdf->isChecked());
}

void PrintDialog::BtnBrowse_Click() {
    const QString file =
        QFileDialog::getSaveFileName(this, windowTitle(), TxtPdfFile->text(), QStringLiteral("PDF files (*.pdf)"));
    if (!file.isEmpty()) TxtPdfFile->setText(file);
}

QPageSize PrintDialog::paper() const {
    if (what_ == PrintWhat::Labels) return print::SheetPaper(*sheet());
    return *print::PaperNamed(CboPaper->currentIndex() == 1 ? QStringLiteral("letter") : QStringLiteral("a4"));
}

QList<QStringList> PrintDialog::labels() const {
    QList<QStringList> labels;
    for (const store::Card& c : ShownCards(*context_.Store)) labels << store::LabelLines(context_.Prefs.NameField, c);
    return labels;
}

store::ReportTable PrintDialog::report() const {
    const auto kind = CboKind->currentIndex() == 0 ? store::ListKind::Phone : store::ListKind::Full;
    return store::BuildReport(kind, ShownCards(*context_.Store), context_.Store->ShowsCompanies());
}

void PrintDialog::preparePrinter(QPrinter& printer) const {
    printer.setFullPage(true);  // the painters measure from the paper's corner
    printer.setPageLayout(QPageLayout(paper(), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
}

bool PrintDialog::paint(QPrinter& printer, bool preview) {
    Painting painting(*this, context_.Progress.get());
    // The preview repaints the pages it holds while they are made anew: it must not hear of events meanwhile.
    store::ProgressSink* progress = preview ? nullptr : painting.sink();
    if (what_ == PrintWhat::Labels) return print::PaintLabels(printer, *sheet(), SpnStart->value(), labels(), progress);
    return print::PaintReport(printer, report(), QDate::currentDate(), progress) > 0;
}

void PrintDialog::BtnPreview_Click() {
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer);
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("PrintPreview"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) { paint(*p, true); });
    shell::RunModal(preview);
}

void PrintDialog::BtnPrint_Click() {
    if (context_.Store->ShownCount() == 0) return Tell(QStringLiteral("There are no cards to print."));
    if (OptPrinter->isChecked()) {
        QPrinter printer(QPrinter::HighResolution);
        preparePrinter(printer);
        QPrintDialog choose(&printer, this);
        if (shell::RunModal(choose) != QDialog::Accepted) return;
        if (!paint(printer)) return Tell(QStringLiteral("The printer could not be used."));
        accept();
        return;
    }
    const QString file = TxtPdfFile->text().trimmed();
    if (file.isEmpty()) return Tell(QStringLiteral("Please name the PDF file to write."));
    int pages = 0;
    try {
        Painting painting(*this, context_.Progress.get());
        pages = what_ == PrintWhat::Labels ? print::WriteLabelsPdf(file, *sheet(), SpnStart->value(), labels(),
                                                                   painting.sink(), context_.DataFile)
                                           : print::WriteReportPdf(file, paper(), report(), QDate::currentDate(),
                                                                   painting.sink(), context_.DataFile);
    } catch (const profile::WriteError& e) {
        return Tell(QString::fromUtf8(e.what()));
    }
    shell::SetMainStatusText(0, QStringLiteral("%1 written (%2 pages)").arg(file).arg(pages));
    accept();
}

void OpenPrintDialog(shell::AppContext& context, PrintWhat what) {
    if (!context.Store) return;
    PrintDialog dialog(context, what, shell::MainWindow());
    shell::RunModal(dialog);
}

}  // namespace tessaly::dialogs
