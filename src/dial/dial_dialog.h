#pragma once
#include "dial_settings.h"
#include "modem_call.h"
#include "shell/selected_card.h"
#include "shell/window_opener.h"

#include <QDialog>
#include <QTimer>
#include <chrono>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tessaly::shell {
struct AppContext;
}

namespace tessaly::dial {

// Dials a typed number or one of the selected card's numbers. Shown not modal
// over the disabled main window; deletes itself when it closes. A number put
// into TxtDialNumber before it is shown is dialed at once.
class DialDialog : public QDialog, public shell::OnlyOne<DialDialog> {
    Q_OBJECT
public:
    // The numbers of the selected card are listed to pick from.
    DialDialog(shell::AppContext& context, const shell::SelectedCard& selected, QWidget* parent = nullptr);
    ~DialDialog() override;
    // The pick-up wait of the attempts this dialog starts (tests shorten it).
    static void SetPickUpAfter(std::chrono::milliseconds wait);
    // Puts a number in the box to be dialed by Dial (not at once); false while a call is being dialed.
    bool OfferNumber(const QString& number);

    QGroupBox* Frame1;
    QLabel* Label1;
    QLineEdit* TxtDialNumber;
    QLabel* LblDialList;
    QListWidget* LstDialList;
    QLabel* LblProgress;  // the number being dialed and the seconds left before the handset is wanted
    QPushButton *BtnDial, *BtnCancel;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Activate();
    void LstDialList_Click();
    void TxtDialNumber_Change(const QString& text);
    void BtnDial_Click();
    void BtnCancel_Click();
    void CallEnded(Outcome outcome);
    void HandOver(const DialSettings& settings, const QString& number);
    void MakeDefault(QPushButton* button);
    bool Dialing() const;
    void ShowProgress(const QString& text);
    void CountDown();

    shell::AppContext& context_;
    shell::SelectedCard card_;
    std::unique_ptr<ModemCall> call_;
    bool activated_ = false;
    bool dialAtOnce_ = true;  // a number put in before showing is dialed at once, one offered is not
    QString dialing_;         // the number of the running attempt
    QTimer* countdown_;
    std::chrono::steady_clock::time_point pickUpAt_;
};

// The Dial button's and menu entry's command: the dialog with an empty box, or,
// when the modem's settings are wrong, the offer to put them right in Setup,
// whose OK then tries again.
void StartDialing(shell::AppContext& context, const shell::SelectedCard& selected);
// A press on a number in the details: the dialog dials it at once; nothing
// opens when the modem's settings are wrong.
void DialFromDetails(shell::AppContext& context, const shell::SelectedCard& selected, const QString& number);
// A number from a tel: link (another start of the program passed it on): the
// dialog opens with it and waits for Dial, for a link is not yet a wish to call.
// Wrong settings lead to the offer of Setup first.
void DialFromLink(shell::AppContext& context, const shell::SelectedCard& selected, const QString& number);

}  // namespace tessaly::dial
