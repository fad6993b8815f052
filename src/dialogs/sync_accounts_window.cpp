#include "sync_accounts_window.h"

#include "shell/app_context.h"
#include "shell/modal_seam.h"
#include "shell/msg_box.h"
#include "sync/dav_discovery.h"
#include "sync/dav_session.h"
#include "sync/sync_state.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tessaly::dialogs {

using namespace tessaly::sync;

namespace {

const QString kAccountsTitle = QStringLiteral("Sync Accounts");
// The server names its address books: a name longer than this is cut, more books than this are not listed.
constexpr qsizetype kMaxBookNameChars = 80;
constexpr qsizetype kMaxListedBooks = 100;
constexpr qsizetype kMaxMessageChars = 1000;

QLineEdit* AccountField(QWidget* parent, const QString& name, int maxLength) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(maxLength);
    return edit;
}

QString BookText(const AddressBookInfo& book) {
    const QString path = book.url.path().left(kMaxBookNameChars);
    if (book.displayName.trimmed().isEmpty()) return path;
    return QStringLiteral("%1 (%2)").arg(book.displayName.simplified().left(kMaxBookNameChars), path);
}

}  // namespace

SyncAccountsWindow::SyncAccountsWindow(shell::AppContext& context, QWidget* parent)
    : QDialog(parent, shell::kFixedDialogFlags), context_(context) {
    setObjectName(QStringLiteral("SyncAccountsWindow"));
    setWindowTitle(kAccountsTitle);
    setAttribute(Qt::WA_DeleteOnClose);

    // Made in the order they are read, which is then the order of the Tab key.
    auto* accountsLabel = new QLabel(QStringLiteral("Acc&ounts:"), this);
    LstAccounts = new QTreeWidget(this);
    LstAccounts->setObjectName(QStringLiteral("LstAccounts"));
    LstAccounts->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("User"), QStringLiteral("Address book")});
    LstAccounts->setRootIsDecorated(false);
    LstAccounts->setUniformRowHeights(true);
    LstAccounts->header()->setStretchLastSection(true);
    accountsLabel->setBuddy(LstAccounts);
    BtnRemove = new QPushButton(QStringLiteral("&Remove"), this);
    BtnRemove->setObjectName(QStringLiteral("BtnRemove"));

    auto* addBox = new QGroupBox(QStringLiteral("Add an account"), this);
    TxtName = AccountField(addBox, QStringLiteral("TxtName"), 100);
    TxtServer = AccountField(addBox, QStringLiteral("TxtServer"), 2000);
    TxtUser = AccountField(addBox, QStringLiteral("TxtUser"), 256);
    TxtPassword = AccountField(addBox, QStringLiteral("TxtPassword"), 1024);
    TxtPassword->setEchoMode(QLineEdit::Password);
    ChkPlainHttp = new QCheckBox(QStringLiteral("Allow plain &HTTP to this server"), addBox);
    ChkPlainHttp->setObjectName(QStringLiteral("ChkPlainHttp"));
    ChkPlainHttp->setToolTip(
        QStringLiteral("Without TLS the password travels readable; a server on this computer "
                       "needs no permission."));
    BtnTest = new QPushButton(QStringLiteral("&Test connection"), addBox);
    BtnTest->setObjectName(QStringLiteral("BtnTest"));
    BtnCancel = new QPushButton(QStringLiteral("Cance&l"), addBox);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    CboAddressBook = new QComboBox(addBox);
    CboAddressBook->setObjectName(QStringLiteral("CboAddressBook"));
    CboAddressBook->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    BtnAdd = new QPushButton(QStringLiteral("&Add"), addBox);
    BtnAdd->setObjectName(QStringLiteral("BtnAdd"));
    BtnClose = new QPushButton(QStringLiteral("&Close"), this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Name:"), TxtName);
    form->addRow(QStringLiteral("&Server address:"), TxtServer);
    form->addRow(QStringLiteral("&User name:"), TxtUser);
    form->addRow(QStringLiteral("&Password:"), TxtPassword);
    form->addRow(QString(), ChkPlainHttp);
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(BtnTest);
    testRow->addWidget(BtnCancel);
    testRow->addStretch();
    form->addRow(QString(), testRow);
    form->addRow(QStringLiteral("Address &book:"), CboAddressBook);
    auto* addRow = new QHBoxLayout;
    addRow->addStretch();
    addRow->addWidget(BtnAdd);
    form->addRow(addRow);
    addBox->setLayout(form);

    auto* removeRow = new QHBoxLayout;
    removeRow->addStretch();
    removeRow->addWidget(BtnRemove);
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    closeRow->addWidget(BtnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(accountsLabel);
    layout->addWidget(LstAccounts, 1);
    layout->addLayout(removeRow);
    layout->addWidget(addBox);
    layout->addLayout(closeRow);
    resize(560, 520);

    for (QLineEdit* edit : {TxtServer, TxtUser, TxtPassword})
        connect(edit, &QLineEdit::textEdited, this, &SyncAccountsWindow::ConnectionFields_Change);
    connect(ChkPlainHttp, &QCheckBox::toggled, this, &SyncAccountsWindow::ConnectionFields_Change);
    connect(LstAccounts, &QTreeWidget::currentItemChanged, this, &SyncAccountsWindow::UpdateButtons);
    connect(BtnTest, &QPushButton::clicked, this, &SyncAccountsWindow::BtnTest_Click);
    connect(BtnCancel, &QPushButton::clicked, this, [this] {
        if (running_) running_->cancel();
    });
    connect(BtnAdd, &QPushButton::clicked, this, &SyncAccountsWindow::BtnAdd_Click);
    connect(BtnRemove, &QPushButton::clicked, this, &SyncAccountsWindow::BtnRemove_Click);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, &QWidget::close);
    SetBusy(false);
    ClaimSlot();
}

void SyncAccountsWindow::Fill() {
    LstAccounts->clear();
    try {
        for (const SyncAccount& a : LoadAccounts())
            LstAccounts->addTopLevelItem(new QTreeWidgetItem({a.name, a.user, a.addressBook.toString()}));
    } catch (const AccountError& e) {
        Tell(QString::fromUtf8(e.what()), shell::icon::Exclamation);
    }
    LstAccounts->setCurrentItem(LstAccounts->topLevelItem(0));
    UpdateButtons();
}

void SyncAccountsWindow::reject() {
    if (!busy_)
        QDialog::reject();
    else if (running_)
        running_->cancel();
}

void SyncAccountsWindow::ConnectionFields_Change() {
    // The address books found belong to the address and credentials they were found with.
    CboAddressBook->clear();
    tested_ = {};
    UpdateButtons();
}

void SyncAccountsWindow::SetBusy(bool busy) {
    busy_ = busy;
    for (QWidget* w :
         std::initializer_list<QWidget*>{LstAccounts, TxtName, TxtServer, TxtUser, TxtPassword, ChkPlainHttp, BtnTest,
                                         CboAddressBook, BtnAdd, BtnRemove, BtnClose})
        w->setEnabled(!busy);
    BtnCancel->setEnabled(running_ != nullptr);
    if (running_) BtnCancel->setFocus();
    if (!busy) UpdateButtons();
}

void SyncAccountsWindow::UpdateButtons() {
    if (busy_) return;
    const bool addable = CboAddressBook->count() > 0;
    BtnTest->setEnabled(true);
    BtnAdd->setEnabled(addable);
    // Enter runs the next step: the test, then Add. The old default goes first: a dialog keeps one at most.
    (addable ? BtnTest : BtnAdd)->setDefault(false);
    (addable ? BtnAdd : BtnTest)->setDefault(true);
    BtnRemove->setEnabled(LstAccounts->currentItem() != nullptr);
}

SyncAccountsWindow::Tested SyncAccountsWindow::Typed() const {
    // An address without a scheme means TLS: a forgotten "https://" must not send the password readable.
    const QString address = TxtServer->text().trimmed();
    return {.server = QUrl::fromUserInput(address.contains(u"://") ? address : QStringLiteral("https://") + address),
            .user = TxtUser->text().trimmed(),
            .password = TxtPassword->text(),
            .allowPlainHttp = ChkPlainHttp->isChecked()};
}

void SyncAccountsWindow::BtnTest_Click() {
    const Tested typed = Typed();
    if (!typed.server.isValid() || typed.server.host().isEmpty()) {
        Tell(QStringLiteral("\"%1\" is no server address.").arg(TxtServer->text().left(200)), shell::icon::Exclamation);
        TxtServer->setFocus();
        return;
    }
    CboAddressBook->clear();
    tested_ = {};
    DavAccess access;
    access.url = typed.server;
    access.user = typed.user;
    access.password = typed.password;
    access.allowPlainHttp = typed.allowPlainHttp;
    DavSession session(access);
    QList<AddressBookInfo> books;
    std::optional<RemoteError> failure;
    running_ = &session;
    SetBusy(true);
    try {
        books = discoverAddressBooks(session, typed.server);
    } catch (const RemoteError& e) {
        failure = e;
    }
    running_ = nullptr;
    SetBusy(false);
    if (failure) {
        if (failure->kind != RemoteError::Kind::Cancelled)
            Tell(QString::fromUtf8(failure->what()), shell::icon::Exclamation);
        TxtServer->setFocus();
        return;
    }
    if (books.isEmpty()) {
        Tell(QStringLiteral("The server offers no address book."), shell::icon::Exclamation);
        return;
    }
    for (const AddressBookInfo& book : books.first(std::min(books.size(), kMaxListedBooks)))
        CboAddressBook->addItem(BookText(book), book.url);
    tested_ = typed;
    UpdateButtons();
    CboAddressBook->setFocus();
}

std::optional<QList<SyncAccount>> SyncAccountsWindow::CurrentAccounts(const QString& refused) {
    try {
        return LoadAccounts();
    } catch (const AccountError& e) {
        Tell(QStringLiteral("%1 %2 so as not to overwrite what it holds.").arg(QString::fromUtf8(e.what()), refused),
             shell::icon::Exclamation);
        return std::nullopt;
    }
}

void SyncAccountsWindow::BtnAdd_Click() {
    const QString name = TxtName->text().trimmed();
    if (name.isEmpty()) {
        Tell(QStringLiteral("Give the account a name."), shell::icon::Exclamation);
        TxtName->setFocus();
        return;
    }
    std::optional<QList<SyncAccount>> accounts = CurrentAccounts(QStringLiteral("No account is added to it,"));
    if (!accounts) return;
    for (const SyncAccount& a : *accounts)
        if (a.name == name) {
            Tell(QStringLiteral("There is an account \"%1\" already.").arg(name), shell::icon::Exclamation);
            TxtName->setFocus();
            return;
        }
    SyncAccount account;
    account.name = name;
    account.serverUrl = tested_.server;
    account.addressBook = CboAddressBook->currentData().toUrl();
    account.user = tested_.user;
    account.allowPlainHttp = tested_.allowPlainHttp;
    *accounts << account;
    try {
        SaveAccounts(*accounts);
    } catch (const AccountError& e) {
        Tell(QString::fromUtf8(e.what()) + QStringLiteral(" The account was not added."), shell::icon::Exclamation);
        return;
    }
    // Without a user name the server asks for no password, and none is kept.
    if (!account.user.isEmpty()) StorePassword(name, tested_.password);
    for (QLineEdit* edit : {TxtName, TxtServer, TxtUser, TxtPassword}) edit->clear();
    ChkPlainHttp->setChecked(false);
    ConnectionFields_Change();
    Fill();
    const QList<QTreeWidgetItem*> added = LstAccounts->findItems(name, Qt::MatchExactly);
    if (!added.isEmpty()) LstAccounts->setCurrentItem(added.first());
}

void SyncAccountsWindow::StorePassword(const QString& account, const QString& password) {
    SetBusy(true);
    const bool kept = StoreKeyringPassword(account, password).result == KeyringAnswer::Done;
    SetBusy(false);
    if (kept) {
        context_.SessionPasswords.remove(account);
        return;
    }
    context_.SessionPasswords.insert(account, password);
    if (noKeyringTold_) return;
    noKeyringTold_ = true;
    Tell(QStringLiteral("No keyring could be used; the password will be asked once each time Tessaly starts and is "
                        "never written anywhere."),
         shell::icon::Information);
}

void SyncAccountsWindow::BtnRemove_Click() {
    const QTreeWidgetItem* item = LstAccounts->currentItem();
    if (!item) return;
    const QString name = item->text(0);
    if (shell::SingleTextBox().ShowMsg(QStringLiteral("Remove the sync account \"%1\", with what it knows of the last "
                                                      "sync and its password? The cards stay in the card file.")
                                           .arg(name),
                                       3, QStringLiteral("Yes"), QStringLiteral("No"), shell::icon::Question,
                                       kAccountsTitle) != shell::MessageButton::First)
        return;
    std::optional<QList<SyncAccount>> accounts = CurrentAccounts(QStringLiteral("No account is removed from it,"));
    if (!accounts) return;
    accounts->removeIf([&](const SyncAccount& a) { return a.name == name; });
    try {
        SaveAccounts(*accounts);
    } catch (const AccountError& e) {
        Tell(QString::fromUtf8(e.what()) + QStringLiteral(" The account stays."), shell::icon::Exclamation);
        return;
    }
    try {
        RemoveSyncStates(name);
    } catch (const SyncStateError& e) {
        Tell(QString::fromUtf8(e.what()), shell::icon::Exclamation);
    }
    // A password left in the keyring would be handed to a later account of the same name.
    SetBusy(true);
    (void)ForgetKeyringPassword(name);
    SetBusy(false);
    context_.SessionPasswords.remove(name);
    Fill();
}

void SyncAccountsWindow::Tell(const QString& text, std::int16_t icon) {
    // The server's errors can carry its own words: a message window shows no more than a screen can.
    shell::SingleTextBox().ShowMsg(text.left(kMaxMessageChars), 0, QStringLiteral("OK"), QString(), icon,
                                   kAccountsTitle);
}

void RunSyncAccountsWindow(shell::AppContext& context) {
    if (SyncAccountsWindow::Current()) return;
    const QPointer<SyncAccountsWindow> window = new SyncAccountsWindow(context, QApplication::activeWindow());
    window->Fill();
    shell::RunModal(*window);
    // Closed, it deletes itself; hidden by an answer in a test, it goes here.
    if (window) window->deleteLater();
}

void OpenSyncAccountsWindow(shell::AppContext& context) {
    SyncAccountsWindow* window = SyncAccountsWindow::Current();
    const bool opened = window != nullptr;
    if (!window) window = new SyncAccountsWindow(context);
    shell::OpenOverMain(window, shell::Placement::Centred);
    // A second opening brings the window forward as it is: a test may be running in it.
    if (!opened) window->Fill();
    window->TxtName->setFocus();
}

}  // namespace tessaly::dialogs
