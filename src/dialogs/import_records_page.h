#pragma once
#include "exchange/csv/import_source.h"
#include "shell/window_opener.h"

#include <QDialog>
#include <QPointer>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace tessaly::shell {
struct AppContext;
}

namespace tessaly::dialogs {

class FileToImportDialog;

// The wizard's second page: the fields of the first lines, one row each, and
// the card field each holds. OK imports every kept line as a card.
class RecordsToImportDialog : public QDialog, public shell::OnlyOne<RecordsToImportDialog> {
    Q_OBJECT
public:
    static constexpr int kRows = 20;
    RecordsToImportDialog(shell::AppContext& context, FileToImportDialog* first, store::ImportSession session,
                          QWidget* parent = nullptr);

    std::array<QLabel*, kRows> LblFieldData{};
    std::array<QComboBox*, kRows> CboFieldName{};
    QCheckBox* ChkHeader;  // "First line holds column names"
    QPushButton *BtnPrev, *BtnNext, *BtnBack, *BtnOK, *BtnCancel;
    // Files with more than twenty columns show them twenty at a time.
    QPushButton *BtnPrevColumns, *BtnNextColumns;
    QLabel* LblColumns;
    int SampleLine = 0;
    int FirstColumn = 0;

    // The index of the last sample line.
    int LastSample() const;

private:
    void SetDropList();
    void ShowSample();
    void ShowColumns();
    void MoveColumns(int by);
    void BtnNext_Click();
    void BtnPrev_Click();
    void BtnBack_Click();
    void BtnOK_Click();
    void ChkHeader_Click();

    shell::AppContext& context_;
    QPointer<FileToImportDialog> first_;
    store::ImportSession session_;
    QList<int> choices_;  // per column of the file: the choice made, -1 none yet
};

// Opens the second page over the main window, after the first one has read the file.
void OpenRecordsPage(shell::AppContext& context, FileToImportDialog* first, store::ImportSession session);

}  // namespace tessaly::dialogs
