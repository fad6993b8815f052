#pragma once
#include "print/label_sheets.h"
#include "print/list_report.h"

#include <QPageSize>

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace tessaly::shell {
struct AppContext;
}

namespace tessaly::dialogs {

enum class PrintWhat { Labels, List };

// Prints the cards the main window shows (all, or those the filter kept), in
// list order: labels on a chosen sheet from a chosen position, or the phone
// or full list; to a printer (with the system's print dialog) or to a PDF
// file, with a preview first when asked.
class PrintDialog : public QDialog {
    Q_OBJECT
public:
    PrintDialog(shell::AppContext& context, PrintWhat what, QWidget* parent = nullptr);

    QComboBox* CboSheet = nullptr;  // labels
    QSpinBox* SpnStart = nullptr;   // labels
    QComboBox* CboKind = nullptr;   // list: phone, full
    QComboBox* CboPaper = nullptr;  // list: A4, Letter
    QLabel* LblProblems;            // damaged lines of the user's sheet file
    QRadioButton *OptPrinter, *OptPdf;
    QLineEdit* TxtPdfFile;
    QPushButton *BtnBrowse, *BtnPreview, *BtnPrint, *BtnCancel;

private:
    void BuildLabels();
    void BuildList();
    const store::LabelSheet* sheet() const;
    QPageSize paper() const;
    QList<QStringList> labels() const;
    store::ReportTable report() const;
    // Paints onto a printer set up for the paper, the dialog taking no input
    // meanwhile; false when nothing could be painted.
    bool paint(QPrinter& printer, bool preview = false);
    void preparePrinter(QPrinter& printer) const;
    void Destination_Changed();
    void BtnBrowse_Click();
    void BtnPreview_Click();
    void BtnPrint_Click();

    shell::AppContext& context_;
    PrintWhat what_;
    store::LabelSheets sheets_;
};

// The main window's "Print Labels…" and "Print List…".
void OpenPrintDialog(shell::AppContext& context, PrintWhat what);

}  // namespace tessaly::dialogs
