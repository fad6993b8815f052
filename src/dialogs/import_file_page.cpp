#include "import_file_page.h"

#include "import_records_page.h"

#include "exchange/csv/export_encoding.h"
#include "exchange/csv/import_source.h"
#include "exchange/import_cards.h"
#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/msg_box.h"
#include "shell/progress_windows.h"
#include "shell/twips.h"
#include "shell/window_opener.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>

namespace tessaly::dialogs {

using shell::SetTwipsGeometry;

namespace {

template <typename W>
W* Named(W* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

// Enough of a file for the first lines of the preview.
constexpr qint64 kPreviewBytes = 16 * 1024;
constexpr int kPreviewLines = 6;

void Tell(const QString& text, std::int16_t icon, const QString& title) {
    shell::SingleTextBox().ShowMsg(text, 0, QStringLiteral("OK"), QString(), icon, title);
}

}  // namespace

void OpenImportWizard(shell::AppContext& context, bool replace) {
    if (FileToImportDialog* open = FileToImportDialog::Current()) open->close();
    shell::OpenOverMain(new FileToImportDialog(context, replace), shell::Placement::TopRight);
}

FileToImportDialog::FileToImportDialog(shell::AppContext& context, bool replace, QWidget* parent)
    : QDialog(parent, shell::kFixedDialogFlags), Append_Replace(replace), context_(context) {
    setObjectName(QStringLiteral("FileToImportDialog"));
    // Wider than the page was first drawn: its captions ("Comma, and Quotes", "Import only records
    // with the following text:") are cut off in the fonts a Linux desktop has.
    constexpr int kWider = 720;
    setWindowTitle(QStringLiteral("File to Import"));
    setAttribute(Qt::WA_DeleteOnClose);
    QFont small = font();
    small.setPixelSize(shell::ToPixels(165));  // the page was drawn for a small font
    setFont(small);
    // Taller than it was first drawn, for the encoding and the preview of the file.
    constexpr int kTaller = 1740;
    shell::SetTwipsClientSize(this, 4620 + kWider, 6360 + kTaller);

    Frame1 = Named(new QGroupBox(QStringLiteral(" &File to Import "), this), QStringLiteral("Frame1"));
    SetTwipsGeometry(Frame1, 150, 150, 4335 + kWider, 2865);
    shell::PutCaptionOnFrameLine(Frame1);
    TxtFileToImport = Named(new QLineEdit(QStringLiteral("*.*"), Frame1), QStringLiteral("TxtFileToImport"));
    SetTwipsGeometry(TxtFileToImport, 150, 330, 4035 + kWider, 315);
    SlctFile = Named(new QListWidget(Frame1), QStringLiteral("SlctFile"));
    SetTwipsGeometry(SlctFile, 150, 720, 1875 + kWider / 2, 2040);
    SlctDir = Named(new QListWidget(Frame1), QStringLiteral("SlctDir"));
    SetTwipsGeometry(SlctDir, 2100 + kWider / 2, 720, 2085 + kWider / 2, 1665);
    LblFolder = Named(new QLabel(Frame1), QStringLiteral("LblFolder"));
    LblFolder->setTextFormat(Qt::PlainText);
    SetTwipsGeometry(LblFolder, 2100 + kWider / 2, 2430, 2085 + kWider / 2, 315);

    auto* frame2 = Named(new QGroupBox(QStringLiteral(" Records Delimiter "), this), QStringLiteral("Frame2"));
    SetTwipsGeometry(frame2, 150, 3120, 4335 + kWider, 1005);
    shell::PutCaptionOnFrameLine(frame2);
    const char* kinds[] = {"Co&mma", "Comma, and &Quotes", "&Tab", "Ot&her", "&Spreadsheet CSV (quoted)"};
    const int places[][2] = {{180, 240}, {180, 480}, {2340 + kWider / 2, 240}, {2340 + kWider / 2, 480}, {180, 720}};
    for (int i = 0; i < 5; ++i) {
        OptRcrdDelimiter[i] = Named(new QRadioButton(QString::fromLatin1(kinds[i]), frame2),
                                    QStringLiteral("OptRcrdDelimiter(%1)").arg(i));
        SetTwipsGeometry(OptRcrdDelimiter[i], places[i][0], places[i][1],
                         i == 4 ? 3900 : (i == 3 ? 960 : 2100 + kWider / 2), 255);
    }
    OptRcrdDelimiter[4]->setToolTip(
        QStringLiteral("Comma-separated (quoted as spreadsheets write it): Google Contacts, "
                       "Outlook, Thunderbird; with Other's text as the separator when it is one character"));
    TxtOtherDelimiter = Named(new QLineEdit(frame2), QStringLiteral("TxtOtherDelimiter"));
    SetTwipsGeometry(TxtOtherDelimiter, 3390 + kWider / 2, 450, 765 + kWider / 2, 285);  // clear of "Other"

    auto* frame3 = Named(new QGroupBox(QStringLiteral(" Records to Import "), this), QStringLiteral("Frame3"));
    SetTwipsGeometry(frame3, 150, 4230, 4335 + kWider, 1425);
    shell::PutCaptionOnFrameLine(frame3);
    OptRcrdToImport[0] = Named(new QRadioButton(QStringLiteral("Import &all records in data file"), frame3),
                               QStringLiteral("OptRcrdToImport(0)"));
    OptRcrdToImport[1] =
        Named(new QRadioButton(QStringLiteral("Import only records with the follo&wing text:"), frame3),
              QStringLiteral("OptRcrdToImport(1)"));
    SetTwipsGeometry(OptRcrdToImport[0], 150, 330, 4000 + kWider, 255);
    SetTwipsGeometry(OptRcrdToImport[1], 150, 630, 4000 + kWider, 255);
    for (int i = 0; i < 2; ++i) {
        TxtRecordsToImport[i] = Named(new QLineEdit(frame3), QStringLiteral("TxtRecordsToImport(%1)").arg(i));
        SetTwipsGeometry(TxtRecordsToImport[i], i == 0 ? 180 : 2370 + kWider / 2, 960, 1785 + kWider / 2, 285);
        TxtRecordsToImport[i]->installEventFilter(this);
    }
    auto* orLabel = new QLabel(QStringLiteral("O&r"), frame3);
    orLabel->setBuddy(TxtRecordsToImport[1]);
    SetTwipsGeometry(orLabel, 2040 + kWider / 2, 990, 300, 255);

    auto* frame4 = Named(new QGroupBox(QStringLiteral(" &Encoding "), this), QStringLiteral("Frame4"));
    SetTwipsGeometry(frame4, 150, 5760, 4335 + kWider, 1635);
    shell::PutCaptionOnFrameLine(frame4);
    CboEncoding = Named(new QComboBox(frame4), QStringLiteral("CboEncoding"));
    CboEncoding->addItems(store::ExportEncodings());
    CboEncoding->setToolTip(
        QStringLiteral("Automatic reads UTF-8 and UTF-16 (with or without a byte-order mark) and "
                       "Windows-1252; choose another when the preview shows the names garbled"));
    SetTwipsGeometry(CboEncoding, 150, 270, 2100, 300);
    TxtPreview = Named(new QPlainTextEdit(frame4), QStringLiteral("TxtPreview"));
    TxtPreview->setReadOnly(true);
    TxtPreview->setLineWrapMode(QPlainTextEdit::NoWrap);
    SetTwipsGeometry(TxtPreview, 150, 630, 4035 + kWider, 900);
    TxtOtherDelimiter->installEventFilter(this);

    BtnOK = Named(new QPushButton(QStringLiteral("&OK"), this), QStringLiteral("BtnOK"));
    SetTwipsGeometry(BtnOK, 960 + kWider / 2, 5820 + kTaller, 1215, 375);
    BtnOK->setDefault(true);
    BtnCancel = Named(new QPushButton(QStringLiteral("&Cancel"), this), QStringLiteral("BtnCancel"));
    SetTwipsGeometry(BtnCancel, 2460 + kWider / 2, 5820 + kTaller, 1215, 375);
    OptRcrdDelimiter[0]->setChecked(true);
    OptRcrdToImport[0]->setChecked(true);
    // Tab goes as the page reads: the delimiters row by row, each text box after its option.
    const QList<QWidget*> order = {TxtFileToImport,
                                   SlctFile,
                                   SlctDir,
                                   OptRcrdDelimiter[0],
                                   OptRcrdDelimiter[2],
                                   OptRcrdDelimiter[1],
                                   OptRcrdDelimiter[3],
                                   TxtOtherDelimiter,
                                   OptRcrdDelimiter[4],
                                   OptRcrdToImport[0],
                                   OptRcrdToImport[1],
                                   TxtRecordsToImport[0],
                                   TxtRecordsToImport[1],
                                   CboEncoding,
                                   TxtPreview,
                                   BtnOK,
                                   BtnCancel};
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

    connect(SlctFile, &QListWidget::currentTextChanged, this, [this](const QString& name) {
        if (!name.isEmpty()) TxtFileToImport->setText(name);
    });
    connect(TxtFileToImport, &QLineEdit::textChanged, this, &FileToImportDialog::ShowPreview);
    connect(CboEncoding, &QComboBox::currentIndexChanged, this, &FileToImportDialog::ShowPreview);
    connect(SlctFile, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        TxtFileToImport->setText(item->text());
        BtnOK->click();
    });
    connect(SlctDir, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { SetFolder(QDir(folder_).absoluteFilePath(item->text())); });
    connect(BtnOK, &QPushButton::clicked, this, &FileToImportDialog::BtnOK_Click);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, &QWidget::close);
    shell::SetMainStatusText(0, windowTitle());
    SetFolder(QDir::homePath());
    ClaimSlot();
}

// Focus on a text box chooses its option, as typing there means.
bool FileToImportDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == TxtOtherDelimiter && !OptRcrdDelimiter[4]->isChecked()) OptRcrdDelimiter[3]->setChecked(true);
        if (watched == TxtRecordsToImport[0] || watched == TxtRecordsToImport[1]) OptRcrdToImport[1]->setChecked(true);
    }
    return QDialog::eventFilter(watched, event);
}

void FileToImportDialog::SetFolder(const QString& folder) {
    folder_ = QDir(folder).absolutePath();
    // A long path keeps its start and its end; the whole of it shows as the tooltip.
    LblFolder->setText(LblFolder->fontMetrics().elidedText(folder_, Qt::ElideMiddle, LblFolder->width()));
    LblFolder->setToolTip(folder_);
    FillLists();
}

void FileToImportDialog::FillLists() {
    const QDir dir(folder_);
    SlctDir->clear();
    SlctDir->addItems(dir.entryList(QDir::Dirs | QDir::NoDot, QDir::Name));
    // "*.*" names every file, as it did where the dialog comes from.
    const QString pattern = pattern_ == u"*.*" ? QStringLiteral("*") : pattern_;
    const QSignalBlocker quiet(SlctFile);
    SlctFile->clear();
    SlctFile->addItems(dir.entryList({pattern}, QDir::Files, QDir::Name));
}

void FileToImportDialog::ShowPreview() {
    TxtPreview->clear();
    QFile file(QDir(folder_).filePath(TxtFileToImport->text()));
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) return;
    const QString text = store::DecodeExport(file.read(kPreviewBytes), CboEncoding->currentText());
    QStringList lines =
        text.split(QRegularExpression(QStringLiteral("\\r\\n|\\r|\\n")), Qt::SkipEmptyParts).mid(0, kPreviewLines);
    for (QString& line : lines) line.truncate(200);  // a long line would only slow the box down
    TxtPreview->setPlainText(lines.join(u'\n'));
}

void FileToImportDialog::ChangeFileName() {
    const QFileInfo typed(QDir(folder_), TxtFileToImport->text().trimmed());
    if (typed.isDir()) {
        SetFolder(typed.absoluteFilePath());
        return;
    }
    if (!typed.dir().exists()) return;  // a folder that is not there: the lists stay
    pattern_ = typed.fileName().isEmpty() ? QStringLiteral("*.*") : typed.fileName();
    TxtFileToImport->setText(pattern_);
    SetFolder(typed.absolutePath());
}

void FileToImportDialog::BtnOK_Click() {
    const int kind =
        int(std::find_if(OptRcrdDelimiter.begin(), OptRcrdDelimiter.end(), [](auto* o) { return o->isChecked(); }) -
            OptRcrdDelimiter.begin());
    if (kind == 3 && TxtOtherDelimiter->text().isEmpty()) {
        Tell(QStringLiteral("You didn't specify the delimiter.\rPlease try again."), 3,
             QStringLiteral("Missing Delimiter"));
        return;
    }
    const QString name = TxtFileToImport->text();
    if (SlctFile->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty()) {
        ChangeFileName();
        return;
    }
    // The quoted kind takes Other's text as its separator when it is one character (";" of European spreadsheets).
    const QString other = TxtOtherDelimiter->text();
    const store::Delimiter delimiter{store::DelimiterKind(kind), kind == 4 && other.size() != 1 ? QString() : other};
    const bool some = OptRcrdToImport[1]->isChecked();
    store::ImportSession session;
    shell::ShowPleaseWait(QStringLiteral("Please wait while counting number of records..."));
    const auto waited = qScopeGuard([] { shell::PleaseWaitWindow().hide(); });
    try {
        session = store::ImportSession::Read(
            QDir(folder_).filePath(name), delimiter, some ? TxtRecordsToImport[0]->text() : QString(),
            some ? TxtRecordsToImport[1]->text() : QString(), CboEncoding->currentText());
    } catch (const store::WrongDelimiter&) {
        Tell(QStringLiteral("The delimiter you specified does not exist.\rPlease choose another one."), 4,
             QStringLiteral("Wrong Delimiter"));
        return;
    } catch (const store::ImportFileError& e) {
        Tell(QString::fromUtf8(e.what()), 3, QStringLiteral("Import"));
        return;
    }
    session.plan.replace = Append_Replace;
    // Asked here, before the columns are chosen; the import leaves out what does not fit (after the
    // duplicates skipped) and says so at the end.
    const int room = store::ImportRoom(Append_Replace, context_.Store->NoOfRecords);
    const QList<int> numbers = session.cardLineNumbers();
    if (numbers.size() >= room && !numbers.isEmpty()) {
        const QString question =
            store::TooManyCardsQuestion(int(numbers.size()), room, numbers.value(room), store::ImportSourceKind::Lines);
        if (shell::SingleTextBox().ShowMsg(question, 2, QStringLiteral("Yes"), QStringLiteral("No"), 2,
                                           QStringLiteral("Too many records")) != shell::MessageButton::First)
            return;  // this page stays open
    }
    shell::RaiseMain();
    hide();
    OpenRecordsPage(context_, this, std::move(session));
}

}  // namespace tessaly::dialogs
