#include "main_dialog.h"
#include "shell/sync_runner.h"

#include "card_list_model.h"
#include "cards/card_details.h"
#include "detail_label.h"
#include "dial/dial_dialog.h"
#include "dialogs/card_form.h"
#include "dialogs/dialog_openers.h"
#include "dialogs/filter_dialog.h"
#include "dialogs/history_window.h"
#include "dialogs/import_file_page.h"
#include "dialogs/print_dialog.h"
#include "dialogs/vcard_exchange.h"
#include "shell/about_window.h"
#include "shell/app_context.h"
#include "shell/auto_backup.h"
#include "shell/backup_commands.h"
#include "shell/card_file_guard.h"
#include "shell/main_window_link.h"
#include "shell/modal_seam.h"
#include "shell/msg_box.h"
#include "shell/run_change.h"
#include "shell/setup_dialog.h"
#include "shell/tip_of_day.h"
#include "shell/twips.h"
#include "shell/window_opener.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace tessaly::mainwin {

namespace {
QString Tag(const QObject* control) {
    return control->property("tag").toString();
}
bool ShiftAlone(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier) && !(m & (Qt::ControlModifier | Qt::AltModifier));
}
bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::ContextMenu:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return true;
        default:
            return false;
    }
}
// A card dialog with typed changes goes only when the user agrees.
bool MayDiscard(QWidget* window) {
    auto* form = qobject_cast<dialogs::CardForm*>(window);
    if (!form || !form->HoldsTypedChanges()) return true;
    return shell::SingleTextBox().ShowMsg(
               QStringLiteral("Close Tessaly and lose what was typed in \"%1\"?").arg(form->windowTitle()), 3,
               QStringLiteral("Yes"), QStringLiteral("No"), 2, QStringLiteral("Exit")) == shell::MessageButton::First;
}

}  // namespace

MainDialog::MainDialog(shell::AppContext& context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      menus_(std::make_unique<TeslyMnu>(context)),
      listModel_(new CardListModel(this)),
      link_(new shell::MainWindowLink(this, &menus_->InUseTimer)) {
    BuildControls();
    LstNames->setModel(listModel_);
    listModel_->SetStore(context_.Store.get());
    connect(link_, &shell::MainWindowLink::statusTextChanged, this, &MainDialog::SetStatusText);
    connect(link_, &shell::MainWindowLink::listsChanged, this, &MainDialog::ShowLists);
    ConnectEvents();
    ConnectSync();
    ConnectFind();
}

MainDialog::~MainDialog() = default;

void MainDialog::ConnectEvents() {
    for (QWidget* w : std::initializer_list<QWidget*>{
             BtnCopy, BtnFilter, BtnDial, BtnEdit, BtnNew, BtnDelete, BtnExchange, BtnSetup, BtnAbout, BtnExit, BtnFind,
             TxtFind, SrchInLabel, NoticeLabel, DetailsFrame, FrmFind, LstNames->viewport()}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    // A row made current by the store's change is not the user's choice: ShowLists selects afterwards.
    connect(LstNames->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!listModel_->Changing()) LstNames_Click();
    });
    connect(LstNames, &QAbstractItemView::doubleClicked, this, &MainDialog::CopySelected);
    for (int i = 0; i < 8; ++i) connect(ChkCopy[i], &QCheckBox::clicked, this, [this, i] { ChkCopy_Click(i); });
    for (DetailLabel* label : Label) {
        connect(label, &DetailLabel::hovered, this, &MainDialog::Label_MouseMove);
        connect(label, &DetailLabel::pressed, this, &MainDialog::Label_MouseDown);
    }
    connect(StatBar, &StatusBar::mouseMoved, this, &MainDialog::StatBar_MouseMove);
    connect(StatBar, &StatusBar::mousePressed, this, &MainDialog::StatBar_MouseDown);
    connect(StatBar, &StatusBar::panelDblClicked, this, &MainDialog::StatBar_PanelDblClick);
    connect(BtnAbout, &QPushButton::clicked, this, &MainDialog::OpenAbout);
    connect(BtnExit, &QPushButton::clicked, this, &MainDialog::ExitApplication);
    connect(BtnExchange, &QPushButton::clicked, this, &MainDialog::BtnExchange_Click);
    const auto deleteCard = [this] { dialogs::OpenDeleteDialog(context_, Selected()); };
    const auto newCard = [this] { dialogs::OpenNewDialog(context_); };
    const auto editCard = [this] { dialogs::OpenEditDialog(context_, Selected()); };
    const auto filter = [this] { dialogs::OpenFilterDialog(context_, currentRecNo_); };
    const auto dial = [this] { dial::StartDialing(context_, Selected()); };
    connect(BtnDelete, &QPushButton::clicked, this, deleteCard);
    connect(BtnNew, &QPushButton::clicked, this, newCard);
    // The mouse copies on the press; Enter and the access key arrive as a click.
    connect(BtnCopy, &QPushButton::clicked, this, &MainDialog::CopySelected);
    connect(BtnEdit, &QPushButton::clicked, this, editCard);
    connect(BtnFilter, &QPushButton::clicked, this, filter);
    connect(BtnSetup, &QPushButton::clicked, this, [this] { shell::OpenSetupDialog(context_, currentRecNo_); });
    connect(BtnDial, &QPushButton::clicked, this, dial);

    TeslyMnu& m = *menus_;
    connect(m.MnuViewArray[0], &QAction::triggered, this, [this] {
        if (context_.Store->ShowsCompanies()) ToggleView();
    });
    connect(m.MnuViewArray[1], &QAction::triggered, this, [this] {
        if (!context_.Store->ShowsCompanies()) ToggleView();
    });
    connect(m.MnuFilterArray[0], &QAction::triggered, this, filter);
    connect(m.MnuFilterArray[1], &QAction::triggered, this, &MainDialog::TurnFilterOff);
    connect(m.MnuCopyArray[0], &QAction::triggered, this, &MainDialog::CopySelected);
    connect(m.MnuCopyArray[1], &QAction::triggered, this, &MainDialog::CopyAll);
    connect(m.MnuEdit, &QAction::triggered, this, editCard);
    connect(m.MnuDial, &QAction::triggered, this, dial);
    connect(m.MnuNewArray[0], &QAction::triggered, this, newCard);
    connect(m.MnuNewArray[1], &QAction::triggered, this,
            [this] { dialogs::OpenDuplicateDialog(context_, Selected()); });
    connect(m.MnuDeleteArray[0], &QAction::triggered, this, deleteCard);
    connect(m.MnuDeleteArray[1], &QAction::triggered, this, [this] { dialogs::DeleteNoConfirm(context_, Selected()); });
    connect(m.MnuExchangeArray[3], &QAction::triggered, this, [this] { dialogs::LoadDeletedList(context_); });
    connect(m.MnuImportArray[0], &QAction::triggered, this, [this] { dialogs::OpenImportWizard(context_, false); });
    connect(m.MnuImportArray[1], &QAction::triggered, this, [this] { dialogs::OpenImportWizard(context_, true); });
    connect(m.MnuBackUpArray[0], &QAction::triggered, this, [this] { shell::BackUp(context_); });
    connect(m.MnuBackUpArray[1], &QAction::triggered, this, [this] { shell::Restore(context_); });
    connect(m.MnuImportVCard, &QAction::triggered, this, [this] { dialogs::ImportVCard(context_); });
    connect(m.MnuExportVCard, &QAction::triggered, this, [this] { dialogs::ExportVCard(context_); });
    connect(m.MnuPrintLabels, &QAction::triggered, this,
            [this] { dialogs::OpenPrintDialog(context_, dialogs::PrintWhat::Labels); });
    connect(m.MnuPrintList, &QAction::triggered, this,
            [this] { dialogs::OpenPrintDialog(context_, dialogs::PrintWhat::List); });
    connect(m.MnuUndo, &QAction::triggered, this, [this] { dialogs::UndoLatest(context_); });
    connect(m.MnuRedo, &QAction::triggered, this, [this] { dialogs::RedoLatest(context_); });
    connect(m.MnuHistory, &QAction::triggered, this, [this] { dialogs::OpenHistoryWindow(context_); });
    // The keys work in the main window without opening a menu.
    addActions({m.MnuUndo, m.MnuRedo});
    for (QMenu* menu : {m.MnuLstNames, m.MnuExchange})
        connect(menu, &QMenu::aboutToShow, this, &MainDialog::UpdateUndoEntries);
    connect(m.MnuTipOfDay, &QAction::triggered, this, &MainDialog::OpenTipOfDay);
    connect(m.MnuAbout, &QAction::triggered, this, &MainDialog::OpenAbout);
    for (int k = 0; k < store::kNameStyleCount; ++k)
        connect(m.MnuNameStyleArray[k], &QAction::triggered, this,
                [this, k] { Label[0]->setText(store::NameStyleCaption(k, currentCard_)); });
    connect(&m, &TeslyMnu::inUseChanged, this, &MainDialog::InUseChanged);
}

shell::SelectedCard MainDialog::Selected() const {
    // A filter may show no card while one was selected before.
    if (!context_.Store || context_.Store->ShownCount() == 0 || currentRecNo_.isEmpty()) return {};
    return {currentIndex_, currentRecNo_, currentCard_};
}

void MainDialog::DialFromLink(const QString& number) {
    dial::DialFromLink(context_, Selected(), number);
}

int MainDialog::ListLength() const {
    const store::CardStore* s = context_.Store.get();
    if (!s) return 0;
    return s->ShownCount();
}

void MainDialog::resizeEvent(QResizeEvent*) {
    StatBar->setGeometry(0, height() - StatBar->height(), width(), StatBar->height());
}

void MainDialog::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Disabling a window disables its child windows too; the dialogs open over
    // this one are what the user works in now, so they keep taking input.
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        for (QObject* child : children()) {
            auto* window = qobject_cast<QWidget*>(child);
            if (window && window->isWindow() && !window->testAttribute(Qt::WA_ForceDisabled)) window->setEnabled(true);
        }
    }
    // A disabled window is not activated by the user: a dialog over it is still open.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isEnabled() && context_.Store) SetData();
}

// A window open over this one is closed first, as its Cancel closes it; one
// that holds typed changes asks first, and "No" keeps the program running.
void MainDialog::closeEvent(QCloseEvent* event) {
    if (!exiting_ && CloseWaitsForSync()) {
        event->ignore();
        return;
    }
    if (!exiting_) {
        while (QWidget* window = shell::OpenWindowOverMain()) {
            if (!MayDiscard(window) || !window->close()) {
                event->ignore();
                return;
            }
        }
        SyncBeforeExit();
        ExitApplication();
    }
    event->accept();
}

// Moves that a control ignored arrive here too; only the background itself clears the hint.
void MainDialog::mouseMoveEvent(QMouseEvent* event) {
    if (!childAt(event->position().toPoint())) SetStatusText(0, QString());
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    // A greyed control, or any control while a window is open over this one,
    // runs nothing: the input goes no further. The list is greyed while it is
    // empty, yet its menu still offers what needs no card.
    auto* control = qobject_cast<QWidget*>(watched);
    const bool greyed = !isEnabled() || (control && !control->isEnabled() && control != LstNames->viewport());
    if (greyed) return IsInput(event->type());
    if (event->type() == QEvent::MouseButtonDblClick && qobject_cast<QPushButton*>(watched) &&
        ShiftAlone(static_cast<QMouseEvent*>(event)->modifiers())) {
        // The second press of a Shift double-click is not a second command.
        return true;
    }
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        // A frame hears the moves its children ignored; it answers only for its own background.
        auto* frame = qobject_cast<QGroupBox*>(watched);
        const bool overChild = frame && event->type() == QEvent::MouseMove &&
                               frame->childAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (!overChild) ShowHint(watched == LstNames->viewport() ? LstNames : watched);
    } else if (event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        if (watched == LstNames->viewport() && press->button() == Qt::RightButton) {
            LstNames_MouseDown(press);
            return true;
        }
        if (watched == FrmFind) SetStatusText(0, QString());
        if (watched == NoticeLabel && press->button() == Qt::LeftButton) OpenAbout();
        if (auto* button = qobject_cast<QPushButton*>(watched)) return ButtonPress(button, press);
    }
    return QWidget::eventFilter(watched, event);
}

void MainDialog::ShowHint(QObject* control) {
    const store::CardStore& s = *context_.Store;
    if (control == BtnNew) {
        BtnNew->setProperty("tag", s.HasCards() ? QStringLiteral("Click to Insert New Name. (Right Click for options)")
                                                : QStringLiteral("Click to Insert New Name."));
    } else if (control == BtnFilter) {
        BtnFilter->setProperty(
            "tag", s.IsFiltered() ? QStringLiteral("Click to load Filter Dialog. (Right Click for options)")
                                  : QStringLiteral("Use filter to show part of your data. (Right Click for options)"));
    }
    if (control == NoticeLabel) {
        SetStatusText(0, Tag(BtnAbout));
    } else if (control == SrchInLabel) {
        SetStatusText(0, QStringLiteral("Select the fields to search in"));
    } else if (control == FrmFind) {
        SetStatusText(0, QString());
    } else if (control == DetailsFrame) {
        SetStatusText(0, QString());
        for (DetailLabel* label : Label) label->SetColour(context_.TextColor);
    } else {
        SetStatusText(0, Tag(control));
    }
}

// Presses that act at once: the right button's menus and the Shift commands.
// A press that ran a command goes no further, so its click does not run too.
bool MainDialog::ButtonPress(QPushButton* button, QMouseEvent* press) {
    if (press->button() == Qt::RightButton) {
        ButtonRightPress(button, press->globalPosition().toPoint());
        return true;
    }
    if (button == BtnCopy && press->button() == Qt::LeftButton) {
        const bool modifier = press->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        modifier ? CopyAll() : CopySelected();
        return true;
    }
    if (press->button() != Qt::LeftButton || !ShiftAlone(press->modifiers())) return false;
    const store::CardStore& s = *context_.Store;
    if (button == BtnFilter && s.IsFiltered()) {
        TurnFilterOff();
        return true;
    }
    if (button == BtnDelete) {
        dialogs::DeleteNoConfirm(context_, Selected());
        return true;
    }
    if (button == BtnNew && s.HasCards()) {
        dialogs::OpenDuplicateDialog(context_, Selected());
        return true;
    }
    return false;
}

void MainDialog::ButtonRightPress(QPushButton* button, QPoint globalPos) {
    TeslyMnu& m = *menus_;
    store::CardStore& s = *context_.Store;
    if (button == BtnCopy)
        shell::RunPopup(*m.MnuCopy, globalPos);
    else if (button == BtnFilter)
        shell::RunPopup(*m.MnuFilter, globalPos);
    else if (button == BtnNew && s.HasCards())
        shell::RunPopup(*m.MnuNew, globalPos);
    else if (button == BtnDelete)
        shell::RunPopup(*m.MnuDelete, globalPos);
    else if (button == BtnExchange) {
        m.SetRestoreDeleted(s.HasDeletedCards(), context_.InUse);
        m.SetPrintable(ListLength() > 0);
        shell::RunPopup(*m.MnuExchange, globalPos);
    }
}

// The Exchange menu right under the button, right-aligned with it, with a way
// out; the use count is not rechecked while it is up.
void MainDialog::BtnExchange_Click() {
    TeslyMnu& m = *menus_;
    const shell::InUseCheckPause pause;
    m.AddExchangeCancel();
    m.SetRestoreDeleted(context_.Store->HasDeletedCards(), context_.InUse);
    m.SetPrintable(ListLength() > 0);
    const QPoint bottomRight = BtnExchange->mapToGlobal(QPoint(BtnExchange->width(), BtnExchange->height()));
    shell::RunPopup(*m.MnuExchange, bottomRight - QPoint(m.MnuExchange->sizeHint().width(), 0));
    m.RemoveExchangeCancel();
}

void MainDialog::LstNames_MouseDown(QMouseEvent* event) {
    menus_->SetRestoreDeleted(context_.Store->HasDeletedCards(), context_.InUse);
    menus_->SetCardCommands(ListLength() > 0, context_.InUse);
    menus_->SetPrintable(ListLength() > 0);
    shell::RunPopup(*menus_->MnuLstNames, event->globalPosition().toPoint());
}

void MainDialog::ChkCopy_Click(int index) {
    context_.Prefs.CopyFlags[index] = ChkCopy[index]->isChecked() ? 1 : 0;
}

void MainDialog::Label_MouseMove(int index) {
    const bool address = index >= 3 && index <= 7;
    for (DetailLabel* label : Label) {
        const int i = label->index();
        const bool lit = i == index || (address && i >= 3 && i <= 7);
        label->SetColour(lit ? context_.HoverColor : context_.TextColor);
    }
    const bool dialable = index >= 8 && index <= 10;
    if (!(dialable && StatBar->text(0) == QStringLiteral("Dial a number."))) SetStatusText(0, Tag(Label[index]));
}

// Name: a plain press offers the other forms of the name, Shift copies it.
// Phones and fax: a plain press will dial, Shift copies. The rest copy on any press.
void MainDialog::Label_MouseDown(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint globalPos) {
    const bool plain =
        button == Qt::LeftButton && !(modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    const bool shift = button == Qt::LeftButton && ShiftAlone(modifiers);
    if (index == 0) {
        if (plain)
            ShowNameStyleMenu(globalPos);
        else if (shift)
            CopyLabel(0);
    } else if (index >= 8 && index <= 10) {
        if (plain)
            dial::DialFromDetails(context_, Selected(), currentCard_[index + 3]);
        else if (shift)
            CopyLabel(index);
    } else {
        CopyLabel(index);
    }
}

void MainDialog::ShowNameStyleMenu(QPoint globalPos) {
    TeslyMnu& m = *menus_;
    for (int k = 0; k < store::kNameStyleCount; ++k) {
        m.MnuNameStyleArray[k]->setText(store::NameStyleCaption(k, currentCard_));
        m.MnuNameStyleArray[k]->setVisible(store::NameStyleOffered(k, currentCard_));
    }
    shell::RunPopup(*m.MnuNameStyle, globalPos);
}

void MainDialog::StatBar_MouseMove(QPoint, int panel) {
    if (panel == 0 || panel == 1) {
        SetStatusText(0, QString());
    } else if (panel == 2) {
        StatBar->setTag(2, QStringLiteral("Double-Click to change, for this session only. (Right Click for options)"));
        SetStatusText(0, StatBar->tag(2));
    } else if (panel == 3) {
        StatBar->setTag(3, context_.Store->IsFiltered()
                               ? QStringLiteral("Double-Click to turn Filter OFF. (Right Click for options)")
                               : QStringLiteral("Double-Click to get Filter dialog. (Right Click for options)"));
        SetStatusText(0, StatBar->tag(3));
    }
}

void MainDialog::StatBar_MouseDown(Qt::MouseButton button, QPoint, int panel) {
    if (button != Qt::RightButton) return;
    if (panel == 2)
        shell::RunPopup(*menus_->MnuView, QCursor::pos());
    else if (panel == 3)
        shell::RunPopup(*menus_->MnuFilter, QCursor::pos());
}

void MainDialog::StatBar_PanelDblClick(int panel) {
    const QString text = StatBar->text(panel).trimmed();
    if (text == QStringLiteral("Name") || text == QStringLiteral("Company"))
        ToggleView();
    else if (text == QStringLiteral("Filter - ON"))
        TurnFilterOff();
    else if (text == QStringLiteral("Filter - OFF"))
        dialogs::OpenFilterDialog(context_, currentRecNo_);
}

void MainDialog::ToggleView() {
    store::CardStore& s = *context_.Store;
    s.SetView(s.ShowsCompanies() ? 0 : 1);
    SetStatusText(2, s.ShowsCompanies() ? QStringLiteral("Company") : QStringLiteral("Name"));
    SetStatusText(0, QString());
    ShowLists(std::max(s.ListPosition(currentRecNo_), 0));
}

void MainDialog::TurnFilterOff() {
    store::CardStore& s = *context_.Store;
    SetStatusText(0, QString());
    if (s.IsFiltered()) {
        s.ClearFilter();
        SelectShownCard();
    }
    SetData();
}

// The card shown before stays selected where the list still shows it.
void MainDialog::SelectShownCard() {
    const int at = context_.Store->ListPosition(currentRecNo_);
    if (at >= 0) currentIndex_ = at;
}

void MainDialog::UpdateUndoEntries() {
    dialogs::UpdateUndoEntries(context_, menus_->MnuUndo, menus_->MnuRedo);
}

void MainDialog::SetEditState() {
    UpdateUndoEntries();
    if (context_.Store) context_.Store->SetInUse(context_.InUse);
    // While a card file the lists need is away, the program only shows what it could read.
    const bool inUse = context_.InUse || (context_.Store && !context_.Store->MissingFiles().isEmpty());
    menus_->SetEditState(inUse);
    dialogs::SetDialogsEditState(inUse);
    // The buttons follow too, so that editing stops and resumes without waiting for the next refresh.
    const bool cards = ListLength() > 0;
    BtnNew->setEnabled(!inUse);
    BtnEdit->setEnabled(cards && !inUse);
    BtnDelete->setEnabled(cards && !inUse);
}

// When the other program lets go of the card file, it may have changed it:
// the lists are read again before editing comes back, so no change of this
// program works on a stale list.
void MainDialog::InUseChanged() {
    if (!context_.InUse) {
        context_.Store->SetInUse(false);  // so a repair kept pending meanwhile is written now
        ReloadLists();
    }
    SetEditState();
}

void MainDialog::ReloadLists() {
    store::CardStore& s = *context_.Store;
    shell::RefreshCardLists(s, QStringLiteral("The card list may not show every card."));
    s.FillList();
    SelectShownCard();  // else SetData keeps the row within the list
    SetData();
}

void MainDialog::ExitApplication() {
    if (exiting_) return;
    exiting_ = true;
    // A logout or a termination signal waits on no server: the sync ends at once.
    if (sync_) sync_->Cancel();
    shell::AutoBackupOnExit(context_);  // while this program still counts as the card file's user
    if (!context_.DataFile.isEmpty()) {
        try {
            shell::CountOff(context_.Profile, context_.DataFile);
        } catch (const profile::WriteError&) {
            // The program ends all the same; the next start recovers from a count that is one too high.
        }
    }
    menus_->InUseTimer.stop();
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
}

void MainDialog::OpenAbout() {
    SetStatusText(0, QString());
    auto* about = new shell::AboutWindow(context_.Prefs.AppVersion);
    about->ensurePolished();
    about->adjustSize();
    shell::OpenOverMain(about, shell::Placement::TopRight);
}

void MainDialog::OpenTipOfDay() {
    auto* tip = new shell::TipOfDay(context_);
    tip->adjustSize();
    shell::OpenOverMain(tip, shell::Placement::CentredKept);
}

}  // namespace tessaly::mainwin
