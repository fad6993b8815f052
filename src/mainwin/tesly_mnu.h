#pragma once
#include <QObject>
#include <QTimer>
#include <array>
#include <memory>

class QAction;
class QMenu;

namespace tessaly::shell {
struct AppContext;
class WordLink;
}  // namespace tessaly::shell

namespace tessaly::mainwin {

// The never-shown form that carries the main window's popup menus and the
// two timers that keep the menus in step with the card file's users and
// with the word processor.
class TeslyMnu : public QObject {
    Q_OBJECT
public:
    explicit TeslyMnu(shell::AppContext& context, QObject* parent = nullptr);
    ~TeslyMnu() override;

    // Name style: entries 0..3 (captions set before each popup), "-", "Cancel".
    QMenu* MnuNameStyle;
    std::array<QAction*, 6> MnuNameStyleArray{};

    QMenu* MnuLstNames;
    QMenu* MnuCopy;
    std::array<QAction*, 3> MnuCopyArray{};
    QMenu* MnuFilter;
    std::array<QAction*, 2> MnuFilterArray{};
    QAction* MnuDial;
    QAction* MnuEdit;
    QMenu* MnuNew;
    std::array<QAction*, 2> MnuNewArray{};
    QMenu* MnuDelete;
    std::array<QAction*, 2> MnuDeleteArray{};
    QMenu* MnuExchange;
    std::array<QAction*, 4> MnuExchangeArray{};
    QAction* MnuImportVCard;
    QAction* MnuExportVCard;
    QMenu* MnuReports;
    std::array<QAction*, 1> MnuReportsArray{};
    QAction* MnuPrintLabels;
    QAction* MnuPrintList;
    QMenu* MnuImport;
    std::array<QAction*, 2> MnuImportArray{};
    QMenu* MnuBackUp;
    std::array<QAction*, 2> MnuBackUpArray{};
    // Undo and Redo name what they take back; in the list's menu and the Exchange menu.
    QAction* MnuUndo;
    QAction* MnuRedo;
    QAction* MnuHistory;
    // The sync with the CardDAV accounts; Cancel only while one runs.
    QAction* MnuSyncNow;
    QAction* MnuSyncCancel;
    QAction* MnuSyncConflicts;
    QAction* MnuSyncAccounts;
    QMenu* MnuView;
    std::array<QAction*, 2> MnuViewArray{};
    QAction* MnuTipOfDay;
    QAction* MnuAbout;

    QTimer InUseTimer;
    QTimer WinWordRunTimer;

    // The entries that follow the card file's use by another program.
    void SetEditState(bool inUse);
    // The entries that act on the selected card, set before the list's popup:
    // an empty list offers none of them.
    void SetCardCommands(bool cardSelected, bool inUse);
    // "Restore Deleted Record", set before each popup that holds it.
    void SetRestoreDeleted(bool deletedCardsExist, bool inUse);
    // Printing needs cards on the list.
    void SetPrintable(bool cardsShown);
    // The two entries a click on the Exchange button adds below its menu.
    void AddExchangeCancel();
    void RemoveExchangeCancel();

    void SetWordLink(std::unique_ptr<shell::WordLink> link);

    // The timers' ticks.
    void InUseTimer_Timer();
    void WinWordRunTimer_Timer();

signals:
    // The use count of the card file now says another program has it open, or no longer does.
    void inUseChanged();

private:
    shell::AppContext& context_;
    std::unique_ptr<shell::WordLink> wordLink_;
    QAction* exchangeSeparator_ = nullptr;
    QAction* exchangeCancel_ = nullptr;
};

}  // namespace tessaly::mainwin
