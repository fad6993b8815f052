#pragma once
#include "card_list_view.h"
#include "shell/selected_card.h"
#include "status_bar.h"
#include "tesly_mnu.h"

#include <QElapsedTimer>
#include <QWidget>
#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace tessaly::shell {
struct AppContext;
class MainWindowLink;
class SyncRunner;
struct AutoSyncSettings;
}  // namespace tessaly::shell

namespace tessaly::mainwin {

class CardListModel;
class DetailLabel;
class SyncPanel;

// The one window that stays open for the whole run: the card list, the
// details of the selected card, the find frame, the command buttons and the
// status bar. The program ends only through ExitApplication. It holds the
// selection, and hands the context and the selected card to the windows it opens.
class MainDialog : public QWidget {
    Q_OBJECT
public:
    explicit MainDialog(shell::AppContext& context, QWidget* parent = nullptr);
    ~MainDialog() override;

    void SetData();
    // The one way back from a change of the lists: they are shown again with
    // rowAfter selected (MainWindowLink::kSameRow keeps the row, within the list).
    void ShowLists(int rowAfter);
    // The selection: its row in the list, its card, and the card's fields as last read.
    int CurrentIndex() const { return currentIndex_; }
    const QString& CurrentRecNo() const { return currentRecNo_; }
    const store::Card& CurrentCard() const { return currentCard_; }
    // The selected card as the windows that work on it are handed it; no card when the list shows none.
    shell::SelectedCard Selected() const;
    // A number from a tel: link: Dial opens with it.
    void DialFromLink(const QString& number);
    void SetEditState();
    void ToggleView();
    void TurnFilterOff();
    void ExitApplication();
    // What the list shows; the store tells it of every change of its rows.
    CardListModel& ListModel() { return *listModel_; }
    TeslyMnu& Menus() { return *menus_; }
    // What the other windows hold of this one: its status texts and refresh come through its signals.
    shell::MainWindowLink& Link() { return *link_; }
    // Copying to the clipboard (main_dialog_copy.cpp): the ticked details, all
    // details, or the one detail of a label (the whole address block for labels 3 to 7).
    void CopySelected();
    void CopyAll();
    void CopyLabel(int index);

    // Panel 1 to 4 of the status bar, counted from 0.
    void SetStatusText(int panel, const QString& text) { StatBar->setText(panel, text); }

    QGroupBox* DetailsFrame;
    std::array<QCheckBox*, 8> ChkCopy{};  // Name, Title, Company, Address, Phone1, Phone2, Fax, E-Mail
    QLabel* Notes;
    std::array<DetailLabel*, 13> Label{};
    CardListView* LstNames;
    // Over the empty list: why it is empty and what to do.
    QLabel* EmptyListHint;
    QGroupBox* FrmFind;
    QLineEdit* TxtFind;
    QPushButton* BtnFind;
    QLabel* SrchInLabel;
    QComboBox* CboSrchIn;
    QPushButton *BtnCopy, *BtnFilter, *BtnDial, *BtnEdit, *BtnNew, *BtnDelete, *BtnExchange, *BtnSetup, *BtnAbout,
        *BtnExit;
    QWidget* NoticeBand;
    QLabel* NoticeLabel;
    StatusBar* StatBar;
    QTimer* SearchResultTimer;
    SyncPanel* SyncStatus = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void BuildDetails();
    void BuildFind();
    void BuildButtons();
    void ConnectEvents();

    // Find (main_dialog_find.cpp): its events are connected by ConnectFind.
    void ConnectFind();
    void BtnFind_Click();
    void SearchResultTimer_Timer();

    void LstNames_Click();
    void LstNames_MouseDown(QMouseEvent* event);
    void ChkCopy_Click(int index);
    void Label_MouseMove(int index);
    void Label_MouseDown(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint globalPos);
    void StatBar_MouseMove(QPoint twips, int panel);
    void StatBar_MouseDown(Qt::MouseButton button, QPoint twips, int panel);
    void StatBar_PanelDblClick(int panel);
    bool ButtonPress(QPushButton* button, QMouseEvent* press);
    void ButtonRightPress(QPushButton* button, QPoint globalPos);
    void BtnExchange_Click();
    void ShowHint(QObject* control);
    void ShowNameStyleMenu(QPoint globalPos);
    void ShowDetails();
    void ClearDetails();
    void OpenAbout();
    void OpenTipOfDay();
    void InUseChanged();
    void UpdateUndoEntries();
    // The sync (main_dialog_sync.cpp).
    void ConnectSync();
    void ShowSyncReport();
    bool CloseWaitsForSync();
    shell::AutoSyncSettings AutoSync();
    void SyncOnSchedule();
    void SyncBeforeExit();
    void ReloadLists();
    void SelectShownCard();
    void MarkViewAndFilter();
    void ShowWhyEmpty(int length);
    int ListLength() const;

    shell::AppContext& context_;
    int currentIndex_ = 0;
    QString currentRecNo_;
    store::Card currentCard_{};
    std::unique_ptr<TeslyMnu> menus_;
    CardListModel* listModel_;
    shell::MainWindowLink* link_;
    bool exiting_ = false;
    shell::SyncRunner* sync_ = nullptr;
    bool closeAfterSync_ = false;
    bool exitSynced_ = false;
    QTimer* syncClock_ = nullptr;
    QElapsedTimer lastAutoSync_;
};

}  // namespace tessaly::mainwin
