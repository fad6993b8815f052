#include "tesly_mnu.h"

#include "shell/app_context.h"
#include "shell/card_file_guard.h"
#include "shell/word_link.h"

#include <QAction>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>

namespace tessaly::mainwin {

namespace {

QMenu* Menu(QObject* owner, const QString& name, const QString& caption) {
    auto* menu = new QMenu(caption);
    menu->setObjectName(name);
    QObject::connect(owner, &QObject::destroyed, menu, &QObject::deleteLater);
    return menu;
}

QAction* Entry(QMenu* menu, const QString& name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QAction* Submenu(QMenu* parent, QMenu* child, const QString& name) {
    QAction* action = parent->addMenu(child);
    action->setObjectName(name);
    return action;
}

QAction* Separator(QMenu* menu, const QString& name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(name);
    return action;
}

QString Indexed(const char* array, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(index);
}

}  // namespace

TeslyMnu::TeslyMnu(shell::AppContext& context, QObject* parent)
    : QObject(parent), context_(context), wordLink_(std::make_unique<shell::WordLink>()) {
    setObjectName(QStringLiteral("TeslyMnu"));

    MnuNameStyle = Menu(this, QStringLiteral("MnuNameStyle"), QStringLiteral("NameStyle"));
    for (int k = 0; k < 4; ++k) MnuNameStyleArray[k] = Entry(MnuNameStyle, Indexed("MnuNameStyleArray", k), QString());
    MnuNameStyleArray[4] = Separator(MnuNameStyle, Indexed("MnuNameStyleArray", 4));
    MnuNameStyleArray[5] = Entry(MnuNameStyle, Indexed("MnuNameStyleArray", 5), QStringLiteral("Cancel"));

    MnuLstNames = Menu(this, QStringLiteral("MnuLstNames"), QStringLiteral("LstNames"));
    MnuCopy = Menu(this, QStringLiteral("MnuCopy"), QStringLiteral("&Copy"));
    MnuCopyArray = {Entry(MnuCopy, Indexed("MnuCopyArray", 0), QStringLiteral("&Selected Details")),
                    Entry(MnuCopy, Indexed("MnuCopyArray", 1), QStringLiteral("&All Details")),
                    Entry(MnuCopy, Indexed("MnuCopyArray", 2), QStringLiteral("Copy && &Paste into WinWord"))};
    Submenu(MnuLstNames, MnuCopy, QStringLiteral("MnuCopy"));
    MnuFilter = Menu(this, QStringLiteral("MnuFilter"), QStringLiteral("&Filter"));
    MnuFilterArray = {Entry(MnuFilter, Indexed("MnuFilterArray", 0), QStringLiteral("Filter - O&N")),
                      Entry(MnuFilter, Indexed("MnuFilterArray", 1), QStringLiteral("Filter - O&FF"))};
    for (QAction* a : MnuFilterArray) a->setCheckable(true);
    Submenu(MnuLstNames, MnuFilter, QStringLiteral("MnuFilter"));
    MnuDial = Entry(MnuLstNames, QStringLiteral("MnuDial"), QStringLiteral("D&ial"));
    Separator(MnuLstNames, QStringLiteral("MnuSprator0"));
    MnuEdit = Entry(MnuLstNames, QStringLiteral("MnuEdit"), QStringLiteral("&Edit"));
    MnuNew = Menu(this, QStringLiteral("MnuNew"), QStringLiteral("&New"));
    MnuNewArray = {Entry(MnuNew, Indexed("MnuNewArray", 0), QStringLiteral("&Insert New Name")),
                   Entry(MnuNew, Indexed("MnuNewArray", 1), QStringLiteral("&Duplicate selected Name"))};
    Submenu(MnuLstNames, MnuNew, QStringLiteral("MnuNew"));
    MnuDelete = Menu(this, QStringLiteral("MnuDelete"), QStringLiteral("&Delete"));
    MnuDeleteArray = {Entry(MnuDelete, Indexed("MnuDeleteArray", 0), QStringLiteral("&Delete selected Name")),
                      Entry(MnuDelete, Indexed("MnuDeleteArray", 1), QStringLiteral("Delete with &no confirmation !"))};
    Submenu(MnuLstNames, MnuDelete, QStringLiteral("MnuDelete"));
    Separator(MnuLstNames, QStringLiteral("MnuSprator1"));

    MnuExchange = Menu(this, QStringLiteral("MnuExchange"), QStringLiteral("E&xchange"));
    MnuReports = Menu(this, QStringLiteral("MnuReports"), QStringLiteral("Re&ports"));
    MnuReportsArray = {Entry(MnuReports, Indexed("MnuReports", 0), QStringLiteral("Create &Labels in WinWord"))};
    MnuPrintLabels = Entry(MnuReports, QStringLiteral("MnuPrintLabels"), QStringLiteral("&Print Labels…"));
    MnuPrintList = Entry(MnuReports, QStringLiteral("MnuPrintList"), QStringLiteral("Print Lis&t…"));
    MnuImport = Menu(this, QStringLiteral("MnuImport"), QStringLiteral("&Import"));
    MnuImportArray = {Entry(MnuImport, Indexed("MnuImport", 0), QStringLiteral("&Append to existing data")),
                      Entry(MnuImport, Indexed("MnuImport", 1), QStringLiteral("&Replace existing data"))};
    MnuBackUp = Menu(this, QStringLiteral("MnuBackUp"), QStringLiteral("&Back Up"));
    MnuBackUpArray = {Entry(MnuBackUp, Indexed("MnuBackUp", 0), QStringLiteral("&Create BackUp")),
                      Entry(MnuBackUp, Indexed("MnuBackUp", 1), QStringLiteral("&Restore from BackUp"))};
    MnuExchangeArray = {Submenu(MnuExchange, MnuReports, Indexed("MnuExchangeArray", 0)),
                        Submenu(MnuExchange, MnuImport, Indexed("MnuExchangeArray", 1)),
                        Submenu(MnuExchange, MnuBackUp, Indexed("MnuExchangeArray", 2)),
                        Entry(MnuExchange, Indexed("MnuExchangeArray", 3), QStringLiteral("Restore &Deleted Record"))};
    // Linux has no word processor to make the labels in; the entries below print them.
    MnuReportsArray[0]->setEnabled(false);
    MnuImportVCard = Entry(MnuExchange, QStringLiteral("MnuImportVCard"), QStringLiteral("Import &vCard…"));
    MnuExportVCard = Entry(MnuExchange, QStringLiteral("MnuExportVCard"), QStringLiteral("&Export vCard…"));
    MnuExchange->addSeparator();
    MnuUndo = Entry(MnuExchange, QStringLiteral("MnuUndo"), QStringLiteral("&Undo"));
    MnuUndo->setShortcut(QKeySequence::Undo);
    MnuRedo = Entry(MnuExchange, QStringLiteral("MnuRedo"), QStringLiteral("&Redo"));
    MnuRedo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    MnuHistory = Entry(MnuExchange, QStringLiteral("MnuHistory"), QStringLiteral("&History…"));
    MnuExchange->addSeparator();
    MnuSyncNow = Entry(MnuExchange, QStringLiteral("MnuSyncNow"), QStringLiteral("&Sync Now"));
    MnuSyncCancel = Entry(MnuExchange, QStringLiteral("MnuSyncCancel"), QStringLiteral("Cancel S&ync"));
    MnuSyncCancel->setEnabled(false);
    MnuSyncConflicts = Entry(MnuExchange, QStringLiteral("MnuSyncConflicts"), QStringLiteral("Sync C&onflicts…"));
    MnuSyncAccounts = Entry(MnuExchange, QStringLiteral("MnuSyncAccounts"), QStringLiteral("Sync &Accounts…"));
    Submenu(MnuLstNames, MnuExchange, QStringLiteral("MnuExchange"));
    Separator(MnuLstNames, QStringLiteral("MnuSprator2"));
    MnuLstNames->addActions({MnuUndo, MnuRedo, MnuHistory, MnuSyncNow});
    Separator(MnuLstNames, QStringLiteral("MnuSpratorHistory"));

    MnuView = Menu(this, QStringLiteral("MnuView"), QStringLiteral("&View"));
    MnuViewArray = {Entry(MnuView, Indexed("MnuViewArray", 0), QStringLiteral("&Name")),
                    Entry(MnuView, Indexed("MnuViewArray", 1), QStringLiteral("&Company"))};
    for (QAction* a : MnuViewArray) a->setCheckable(true);
    Submenu(MnuLstNames, MnuView, QStringLiteral("MnuView"));
    Separator(MnuLstNames, QStringLiteral("MnuSprator3"));
    MnuTipOfDay = Entry(MnuLstNames, QStringLiteral("MnuTipOfDay"), QStringLiteral("&Tip of The Day"));
    Separator(MnuLstNames, QStringLiteral("MnuSprator4"));
    MnuAbout = Entry(MnuLstNames, QStringLiteral("MnuAbout"), QStringLiteral("&About"));

    // The paste command waits for the word processor's answer.
    MnuCopyArray[2]->setEnabled(false);

    InUseTimer.setObjectName(QStringLiteral("InUseTimer"));
    InUseTimer.setInterval(2000);
    connect(&InUseTimer, &QTimer::timeout, this, &TeslyMnu::InUseTimer_Timer);
    WinWordRunTimer.setObjectName(QStringLiteral("WinWordRunTimer"));
    WinWordRunTimer.setInterval(10000);
    connect(&WinWordRunTimer, &QTimer::timeout, this, &TeslyMnu::WinWordRunTimer_Timer);
    WinWordRunTimer.start();
}

TeslyMnu::~TeslyMnu() = default;

// The buttons' menus open on their own, so their entries follow too.
void TeslyMnu::SetEditState(bool inUse) {
    MnuEdit->setEnabled(!inUse);
    MnuNew->menuAction()->setEnabled(!inUse);
    MnuDelete->menuAction()->setEnabled(!inUse);
    for (QAction* entry : MnuNewArray) entry->setEnabled(!inUse);
    for (QAction* entry : MnuDeleteArray) entry->setEnabled(!inUse);
    MnuExchangeArray[1]->setEnabled(!inUse);
    MnuImportVCard->setEnabled(!inUse);
    MnuBackUpArray[1]->setEnabled(!inUse);
}

void TeslyMnu::SetCardCommands(bool cardSelected, bool inUse) {
    MnuEdit->setEnabled(cardSelected && !inUse);
    MnuDelete->menuAction()->setEnabled(cardSelected && !inUse);
    MnuNewArray[1]->setEnabled(cardSelected && !inUse);
}

void TeslyMnu::SetRestoreDeleted(bool deletedCardsExist, bool inUse) {
    MnuExchangeArray[3]->setEnabled(deletedCardsExist && !inUse);
}

void TeslyMnu::SetPrintable(bool cardsShown) {
    MnuPrintLabels->setEnabled(cardsShown);
    MnuPrintList->setEnabled(cardsShown);
}

void TeslyMnu::AddExchangeCancel() {
    exchangeSeparator_ = Separator(MnuExchange, Indexed("MnuExchangeArray", 4));
    exchangeCancel_ = Entry(MnuExchange, Indexed("MnuExchangeArray", 5), QStringLiteral("Ca&ncel"));
}

void TeslyMnu::RemoveExchangeCancel() {
    delete exchangeSeparator_;
    delete exchangeCancel_;
    exchangeSeparator_ = exchangeCancel_ = nullptr;
}

void TeslyMnu::SetWordLink(std::unique_ptr<shell::WordLink> link) {
    wordLink_ = std::move(link);
}

namespace {
// A card file that was away when the lists were read (a share not mounted yet) is back.
bool MissingFilesBack(const shell::AppContext& s) {
    if (!s.Store || s.Store->MissingFiles().isEmpty()) return false;
    for (const QString& name : s.Store->MissingFiles()) {
        const QFileInfo file(s.DataDir + name);
        if (!file.isFile() || !file.isReadable()) return false;
    }
    return true;
}
}  // namespace

void TeslyMnu::InUseTimer_Timer() {
    shell::AppContext& s = context_;
    if (s.DataFile.isEmpty()) return;
    const bool was = s.InUse;
    try {
        s.InUse = shell::CheckInUse(s.Profile, s.DataFile);
    } catch (const profile::FileError&) {
        return;  // the header cannot be read just now: nothing changes until it can
    }
    if (s.InUse != was || (!s.InUse && MissingFilesBack(s))) emit inUseChanged();
}

void TeslyMnu::WinWordRunTimer_Timer() {
    MnuCopyArray[2]->setEnabled(wordLink_->ProbeWord());
}

}  // namespace tessaly::mainwin
