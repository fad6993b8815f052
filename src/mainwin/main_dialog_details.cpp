// Showing the selected card and refreshing the window's state.
#include "detail_label.h"
#include "main_dialog.h"

#include "cards/card_details.h"
#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/modal_seam.h"
#include "shell/window_opener.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <exception>

namespace tessaly::mainwin {

namespace {

// The number an unexpected failure is reported under.
constexpr int kUnexpectedError = 5;

QString ErrorText(int number, const QString& where) {
    return QStringLiteral("Error No. ") + store::StrNumber(number) + QStringLiteral(" Found, in the ") + where +
           QStringLiteral("\rPlease contact the authour.");
}

}  // namespace

void MainDialog::LstNames_Click() {
    if (LstNames->model()->rowCount() == 0) return;
    currentIndex_ = LstNames->currentRow();
    if (currentIndex_ < 0) {
        currentIndex_ = 0;
        LstNames->setCurrentRow(0);
        return;
    }
    currentRecNo_ = context_.Store->ShownRecNo(currentIndex_);
    SetStatusText(1, store::PositionText(currentIndex_, ListLength()));
    for (DetailLabel* label : Label) label->SetColour(context_.TextColor);
    currentCard_ = context_.Store->ReadCard(currentRecNo_);
    ShowDetails();
}

void MainDialog::ShowDetails() {
    const store::Card& fields = currentCard_;
    const auto texts = store::DetailTexts(context_.Prefs.NameField, fields);
    for (int i = 0; i < store::kDetailLabelCount; ++i) Label[i]->setText(texts[i]);
    for (int g = 0; g < store::kDetailGroupCount; ++g) {
        const auto group = static_cast<store::DetailGroup>(g);
        const bool filled = store::GroupFilled(group, fields);
        if (g < 8) {
            ChkCopy[g]->setChecked(filled && context_.Prefs.CopyFlags[g] != 0);
            ChkCopy[g]->setEnabled(filled);
        } else {
            Notes->setEnabled(filled);
        }
        const auto [first, last] = store::GroupLabels(group);
        for (int i = first; i <= last; ++i) Label[i]->setEnabled(filled);
    }
}

void MainDialog::ClearDetails() {
    DetailsFrame->setEnabled(false);
    for (QCheckBox* box : ChkCopy) {
        box->setChecked(false);
        box->setEnabled(false);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{FrmFind, BtnFind, TxtFind, SrchInLabel, CboSrchIn})
        w->setEnabled(false);
    CboSrchIn->setCurrentIndex(-1);
    Notes->setEnabled(false);
    for (DetailLabel* label : Label) label->clear();
}

void MainDialog::ShowLists(int rowAfter) {
    if (rowAfter != shell::MainWindowLink::kSameRow) currentIndex_ = rowAfter;
    SetData();
    UpdateUndoEntries();
}

// Every step is attempted; the last failure is reported once at the end and the window stays usable.
void MainDialog::SetData() {
    shell::AppContext& s = context_;
    int error = 0;
    auto attempt = [&error](auto&& step) {
        try {
            step();
        } catch (const std::exception&) {
            error = kUnexpectedError;
        }
    };
    attempt([&] {
        // A window still open over this one keeps it disabled until it closes.
        setEnabled(!shell::OpenWindowOverMain());
        SetStatusText(0, QString());
        BtnNew->setEnabled(!s.InUse);
    });
    const int length = ListLength();
    attempt([&] { ShowWhyEmpty(length); });
    if (length <= 0) {
        attempt([&] {
            SetStatusText(1, QString());
            {
                // Not the user's choice: the window hears nothing of it, the list is only repainted.
                const QSignalBlocker quiet(LstNames->selectionModel());
                LstNames->setCurrentRow(-1);
            }
            LstNames->viewport()->update();
            LstNames->setEnabled(false);
            BtnCopy->setEnabled(false);
            BtnEdit->setEnabled(false);
            if (!s.Store->HasCards()) {
                if (!s.InUse) BtnNew->setFocus();
            } else {
                BtnFilter->setFocus();
            }
            BtnDelete->setEnabled(false);
            if (!s.Store->HasCards()) BtnFilter->setEnabled(false);
            ClearDetails();
        });
    } else {
        attempt([&] {
            LstNames->setEnabled(true);
            // A position past the end (the list shrank) selects the last card instead.
            currentIndex_ = std::clamp(currentIndex_, 0, std::min(length, LstNames->model()->rowCount()) - 1);
            if (LstNames->currentRow() == currentIndex_)
                LstNames_Click();
            else
                LstNames->setCurrentRow(currentIndex_);
        });
        attempt([&] {
            BtnCopy->setEnabled(true);
            BtnEdit->setEnabled(!s.InUse);
            BtnDelete->setEnabled(!s.InUse);
            for (QWidget* w : std::initializer_list<QWidget*>{BtnFilter, DetailsFrame, FrmFind, BtnFind, TxtFind,
                                                              SrchInLabel, CboSrchIn})
                w->setEnabled(true);
            if (CboSrchIn->currentIndex() < 0) CboSrchIn->setCurrentIndex(0);
        });
    }
    attempt([&] { MarkViewAndFilter(); });
    if (error != 0) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Tessaly for Windows, Version 2.0"),
                        ErrorText(error, QStringLiteral("MainDialog.SetData")).replace(u'\r', u'\n'), QMessageBox::Ok,
                        this);
        shell::RunModal(box);  // through the one seam that tests answer
    }
}

// With no card to show, the list says why and what to do; Dial has no card to dial from.
void MainDialog::ShowWhyEmpty(int length) {
    const store::CardStore& s = *context_.Store;
    const bool noCards = !s.HasCards();
    BtnDial->setEnabled(!noCards);
    QString hint;
    if (length <= 0 && noCards)
        hint = QStringLiteral("No cards yet: New adds one, Exchange imports a file");
    else if (length <= 0 && s.IsFiltered())
        hint = QStringLiteral("No card matches the filter \u2014 double-click Filter - ON to show all");
    EmptyListHint->setText(hint);
    EmptyListHint->setGeometry(LstNames->viewport()->rect());
    EmptyListHint->setVisible(!hint.isEmpty());
    if (length <= 0 && !noCards && s.IsFiltered()) SetStatusText(0, hint);
}

void MainDialog::MarkViewAndFilter() {
    const store::CardStore& s = *context_.Store;
    TeslyMnu& m = *menus_;
    SetStatusText(2, s.ShowsCompanies() ? QStringLiteral("Company") : QStringLiteral("Name"));
    m.MnuViewArray[0]->setChecked(!s.ShowsCompanies());
    m.MnuViewArray[1]->setChecked(s.ShowsCompanies());
    SetStatusText(3, s.IsFiltered() ? QStringLiteral("Filter - ON") : QStringLiteral("Filter - OFF"));
    m.MnuFilterArray[0]->setChecked(s.IsFiltered());
    m.MnuFilterArray[1]->setChecked(!s.IsFiltered());
}

}  // namespace tessaly::mainwin
