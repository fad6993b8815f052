#pragma once
#include "list_box.h"
#include "status_bar.h"
#include "tesly_mnu.h"

#include <QWidget>
#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace tessaly::shell {
class MainWindowLink;
}

namespace tessaly::mainwin {

class DetailLabel;

// The one window that stays open for the whole run: the card list, the
// details of the selected card, the find frame, the command buttons and the
// status bar. The program ends only through ExitApplication.
class MainDialog : public QWidget {
    Q_OBJECT
public:
    explicit MainDialog(QWidget* parent = nullptr);
    ~MainDialog() override;

    void SetData();
    void SetEditState();
    void ToggleView();
    void TurnFilterOff();
    void ExitApplication();
    // The store fills this list.
    store::ListBoxView& ListBox() { return *listBox_; }
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
    QListWidget* LstNames;
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
    void ReloadLists();
    void SelectShownCard();
    void MarkViewAndFilter();
    void ShowWhyEmpty(int length);
    int ListLength() const;

    std::unique_ptr<TeslyMnu> menus_;
    std::unique_ptr<ListBoxAdapter> listBox_;
    shell::MainWindowLink* link_;
    bool exiting_ = false;
};

}  // namespace tessaly::mainwin
