#pragma once
#include "shell/window_opener.h"

#include <QDialog>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace tessaly::shell {
struct AppContext;
}

namespace tessaly::dialogs {

// Opens the import wizard over the main window, appending to the cards or replacing them.
void OpenImportWizard(shell::AppContext& context, bool replace);

// The wizard's first page: the file, how its fields are separated, and which
// lines to import. OK reads the file and opens the second page.
class FileToImportDialog : public QDialog, public shell::OnlyOne<FileToImportDialog> {
    Q_OBJECT
public:
    FileToImportDialog(shell::AppContext& context, bool replace, QWidget* parent = nullptr);

    QGroupBox* Frame1;
    QLineEdit* TxtFileToImport;
    QLabel* LblFolder;  // the folder whose files SlctFile lists
    QListWidget* SlctFile;
    QListWidget* SlctDir;
    std::array<QRadioButton*, 5> OptRcrdDelimiter{};
    QLineEdit* TxtOtherDelimiter;
    std::array<QRadioButton*, 2> OptRcrdToImport{};
    std::array<QLineEdit*, 2> TxtRecordsToImport{};
    QComboBox* CboEncoding;      // "Automatic", or the encoding the file is read in
    QPlainTextEdit* TxtPreview;  // the first lines of the chosen file, as that encoding reads them
    QPushButton* BtnOK;
    QPushButton* BtnCancel;
    const bool Append_Replace;  // the hidden check box: false append, true replace

    // The folder the lists show; the pattern stays.
    void SetFolder(const QString& folder);
    QString Folder() const { return folder_; }

private:
    void BtnOK_Click();
    // The typed text taken as a folder, a path or a file pattern.
    void ChangeFileName();
    void FillLists();
    // Shows the chosen file's first lines in the chosen encoding.
    void ShowPreview();
    bool eventFilter(QObject* watched, QEvent* event) override;

    shell::AppContext& context_;
    QString folder_, pattern_ = QStringLiteral("*.*");
};

}  // namespace tessaly::dialogs
