#include "setup_dialog.h"

#include "app_context.h"
#include "cards/card_details.h"
#include "main_window_link.h"
#include "msg_box.h"
#include "setup_checks.h"
#include "twips.h"
#include "window_opener.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QSpinBox>

namespace tessaly::shell {

namespace {

template <class Control>
Control* Make(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width, int height) {
    auto* c = new Control(caption, parent);
    c->setObjectName(name);
    SetTwipsGeometry(c, left, top, width, height);
    return c;
}

QGroupBox* Frame(QWidget* parent, const QString& caption, int left, int top, int width, int height) {
    auto* frame = Make<QGroupBox>(parent, QString(), caption, left, top, width, height);
    PutCaptionOnFrameLine(frame);
    return frame;
}

// The Backup frame sits under the Modem Port frame; the rows below it move down by this much.
constexpr int kBackupFrameTop = 4950, kBackupFrameHeight = 1080, kBackupFrameGrowth = kBackupFrameHeight + 120;
// The Sync frame sits under the Backup frame.
constexpr int kSyncFrameTop = kBackupFrameTop + kBackupFrameGrowth, kSyncFrameHeight = 1080,
              kFramesGrowth = kBackupFrameGrowth + kSyncFrameHeight + 120;

// A caption that gives its field's letter to the field.
QLabel* Caption(QWidget* parent, const QString& text, QWidget* field, int left, int top, int width, int height) {
    auto* label = Make<QLabel>(parent, QString(), text, left, top, width, height);
    label->setBuddy(field);
    return label;
}

QLineEdit* Box(QWidget* parent, const QString& name, int top) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    SetTwipsGeometry(box, 1200, top, 1815, 285);
    return box;
}

// A sample person in the four name styles.
// How to dial, as the list offers it and as the preferences store it (the modem as no value at all).
const QStringList kDialViaShown{QStringLiteral("Modem"), QStringLiteral("Phone app"), QStringLiteral("Command")};
const QStringList kDialViaStored{QString(), QStringLiteral("Phone"), QStringLiteral("Command")};

QStringList SampleNames() {
    store::Card sample{};
    sample[store::Sal] = QStringLiteral("Mr.");
    sample[store::FirstName] = QStringLiteral("John");
    sample[store::LastName] = QStringLiteral("Smith");
    QStringList names;
    for (int k = 0; k < store::kNameStyleCount; ++k) names << store::NameStyleCaption(k, sample);
    return names;
}

}  // namespace

SetupDialog::SetupDialog(AppContext& context, const QString& selectedRecNo, QWidget* parent)
    : QDialog(parent, kFixedDialogFlags), context_(context), selectedRecNo_(selectedRecNo) {
    setObjectName(QStringLiteral("SetupDialog"));
    setWindowTitle(QStringLiteral("Tessaly Setup"));
    setAttribute(Qt::WA_DeleteOnClose);
    SetTwipsClientSize(this, 6600, 5460 + kFramesGrowth);
    BuildNameAndList();
    BuildPrefixAndCopy();
    BuildDialing();
    BuildBackup();
    BuildSync();
    ChkTips = Make<QCheckBox>(this, QStringLiteral("ChkTips"), QStringLiteral("&Show Tip of The Day on startup"), 120,
                              5010 + kFramesGrowth, 3600, 255);
    BtnOK =
        Make<QPushButton>(this, QStringLiteral("BtnOK"), QStringLiteral("OK"), 3900, 4950 + kFramesGrowth, 1215, 375);
    BtnOK->setDefault(true);
    BtnCancel = Make<QPushButton>(this, QStringLiteral("BtnCancel"), QStringLiteral("Cancel"), 5265,
                                  4950 + kFramesGrowth, 1215, 375);
    connect(BtnOK, &QPushButton::clicked, this, &SetupDialog::BtnOK_Click);
    connect(BtnCancel, &QPushButton::clicked, this, &SetupDialog::BtnCancel_Click);
    Load();
    ClaimSlot();
}

void SetupDialog::BuildNameAndList() {
    QGroupBox* style = Frame(this, QStringLiteral(" Name St&yle "), 120, 120, 3135, 690);
    LstNameStyle = new QComboBox(style);
    LstNameStyle->setObjectName(QStringLiteral("LstNameStyle"));
    LstNameStyle->addItems(SampleNames());
    SetTwipsGeometry(LstNameStyle, 240, 270, 2655, 315);
    QGroupBox* show = Frame(this, QStringLiteral(" Sho&w in List "), 3375, 120, 3105, 690);
    OptShowName = Make<QRadioButton>(show, QStringLiteral("OptShowName"), QStringLiteral("Name"), 240, 300, 1200, 255);
    OptShowCompany =
        Make<QRadioButton>(show, QStringLiteral("OptShowCompany"), QStringLiteral("Company"), 1560, 300, 1400, 255);
    // A double-click chooses the order and saves at once.
    OptShowName->installEventFilter(this);
    OptShowCompany->installEventFilter(this);
}

void SetupDialog::BuildPrefixAndCopy() {
    QGroupBox* prefix = Frame(this, QStringLiteral(" Prefix "), 120, 930, 3135, 2490);
    ChkUsePrefix =
        Make<QCheckBox>(prefix, QStringLiteral("ChkUsePrefix"), QStringLiteral("&UsePrefix"), 240, 270, 1800, 255);
    connect(ChkUsePrefix, &QCheckBox::clicked, this, &SetupDialog::ChkUsePrefix_Click);
    LstPrefixSeparator = new QComboBox(prefix);
    LstPrefixSeparator->setObjectName(QStringLiteral("LstPrefixSeparator"));
    LstPrefixSeparator->addItems({QStringLiteral("Tab"), QStringLiteral("Space"), QStringLiteral("Semi-Colomn"),
                                  QStringLiteral("Semi-Colomn + Space")});
    SetTwipsGeometry(LstPrefixSeparator, 1200, 600, 1815, 315);
    Caption(prefix, QStringLiteral("S&eparator"), LstPrefixSeparator, 240, 630, 900, 255);
    const QString captions[] = {QStringLiteral("Phone&1"), QStringLiteral("Phone&2"), QStringLiteral("F&ax"),
                                QStringLiteral("E-Mai&l")};
    QLineEdit** boxes[] = {&TxtPhone1Prefix, &TxtPhone2Prefix, &TxtFaxPrefix, &TxtEMailPrefix};
    const QString names[] = {QStringLiteral("TxtPhone1Prefix"), QStringLiteral("TxtPhone2Prefix"),
                             QStringLiteral("TxtFaxPrefix"), QStringLiteral("TxtEMailPrefix")};
    for (int i = 0; i < 4; ++i) {
        *boxes[i] = Box(prefix, names[i], 990 + 360 * i);
        Caption(prefix, captions[i], *boxes[i], 240, 1020 + 360 * i, 900, 255);
    }

    QGroupBox* copy = Frame(this, QStringLiteral(" Copy Details "), 3375, 930, 3105, 1410);
    const QString copyCaptions[] = {QStringLiteral("&Name"),    QStringLiteral("&Title"),  QStringLiteral("&Company"),
                                    QStringLiteral("A&ddress"), QStringLiteral("P&hone1"), QStringLiteral("&Phone2"),
                                    QStringLiteral("Fa&x"),     QStringLiteral("E-&Mail")};
    const QString copyNames[] = {QStringLiteral("ChkCopyName"),    QStringLiteral("ChkCopyTitle"),
                                 QStringLiteral("ChkCopyCompany"), QStringLiteral("ChkCopyAddress"),
                                 QStringLiteral("ChkCopyPhone1"),  QStringLiteral("ChkCopyPhone2"),
                                 QStringLiteral("ChkCopyFax"),     QStringLiteral("ChkCopyEMail")};
    for (int i = 0; i < kCopyFlagCount; ++i)
        ChkCopy[i] =
            Make<QCheckBox>(copy, copyNames[i], copyCaptions[i], 240 + 1440 * (i / 4), 270 + 270 * (i % 4), 1300, 255);
}

void SetupDialog::BuildDialing() {
    // Taller than the other frames of its row, into the space above the port frame, for the way to dial.
    QGroupBox* dialing = Frame(this, QStringLiteral(" Dialin&g System "), 3375, 2460, 3105, 960);
    OptToneDial =
        Make<QRadioButton>(dialing, QStringLiteral("OptToneDial"), QStringLiteral("Tone Dial"), 240, 300, 1300, 255);
    OptPulseDial =
        Make<QRadioButton>(dialing, QStringLiteral("OptPulseDial"), QStringLiteral("Pulse Dial"), 1620, 300, 1300, 255);
    connect(OptToneDial, &QRadioButton::clicked, this, [this] { settings_.DialSystem = QStringLiteral("DT"); });
    connect(OptPulseDial, &QRadioButton::clicked, this, [this] { settings_.DialSystem = QStringLiteral("DP"); });
    CboDialVia = new QComboBox(dialing);
    CboDialVia->setObjectName(QStringLiteral("CboDialVia"));
    CboDialVia->addItems(kDialViaShown);
    SetTwipsGeometry(CboDialVia, 720, 600, 1350, 315);
    Caption(dialing, QStringLiteral("V&ia"), CboDialVia, 240, 630, 450, 255);
    TxtDialCommand = Box(dialing, QStringLiteral("TxtDialCommand"), 615);
    SetTwipsGeometry(TxtDialCommand, 2130, 615, 855, 285);
    TxtDialCommand->setPlaceholderText(QStringLiteral("program %n"));
    TxtDialCommand->setToolTip(
        QStringLiteral("The program that dials and its arguments: %N is the number as shown, "
                       "%n its digits with a leading +."));
    connect(CboDialVia, &QComboBox::currentIndexChanged, this, &SetupDialog::CboDialVia_Click);

    QGroupBox* port = Frame(this, QStringLiteral(" M&odem Port "), 120, 3540, 6360, 1290);
    for (int com = 1; com <= kComPortCount; ++com) {
        const int left = 240 + 1530 * (com - 1);
        OptCommPort[com - 1] = Make<QRadioButton>(port, QStringLiteral("OptCommPort%1").arg(com),
                                                  QStringLiteral("COM%1").arg(com), left, 270, 1400, 255);
        LblPortDevice[com - 1] =
            Make<QLabel>(port, QStringLiteral("LblPortDevice%1").arg(com), QString(), left + 240, 540, 1260, 255);
        LblPortDevice[com - 1]->setTextFormat(Qt::PlainText);
        connect(OptCommPort[com - 1], &QRadioButton::clicked, this, [this, com] { OptCommPort_Click(com); });
    }
    CboPortDevice = new QComboBox(port);
    CboPortDevice->setObjectName(QStringLiteral("CboPortDevice"));
    // A port the system does not report (a pty, a modem behind a name of its own) can be typed.
    CboPortDevice->setEditable(true);
    CboPortDevice->setInsertPolicy(QComboBox::NoInsert);
    SetTwipsGeometry(CboPortDevice, 1200, 870, 4920, 315);
    Caption(port, QStringLiteral("De&vice"), CboPortDevice, 240, 900, 900, 255);
    connect(CboPortDevice, &QComboBox::currentTextChanged, this, &SetupDialog::CboPortDevice_Change);
}

void SetupDialog::BuildBackup() {
    QGroupBox* backup = Frame(this, QStringLiteral(" &Backup "), 120, kBackupFrameTop, 6360, kBackupFrameHeight);
    OptBackupOff =
        Make<QRadioButton>(backup, QStringLiteral("OptBackupOff"), QStringLiteral("Off"), 240, 300, 900, 255);
    OptBackupOnExit =
        Make<QRadioButton>(backup, QStringLiteral("OptBackupOnExit"), QStringLiteral("On exit"), 1200, 300, 1300, 255);
    OptBackupDaily =
        Make<QRadioButton>(backup, QStringLiteral("OptBackupDaily"), QStringLiteral("Daily"), 2580, 300, 1100, 255);
    SpnBackupKeep = new QSpinBox(backup);
    SpnBackupKeep->setObjectName(QStringLiteral("SpnBackupKeep"));
    SpnBackupKeep->setRange(1, kMaxBackupsKept);
    SetTwipsGeometry(SpnBackupKeep, 5160, 255, 900, 315);
    Caption(backup, QStringLiteral("&Keep newest"), SpnBackupKeep, 3840, 300, 1300, 255);
    TxtBackupPath = new QLineEdit(backup);
    TxtBackupPath->setObjectName(QStringLiteral("TxtBackupPath"));
    SetTwipsGeometry(TxtBackupPath, 1200, 660, 3660, 285);
    Caption(backup, QStringLiteral("&Folder"), TxtBackupPath, 240, 690, 900, 255);
    BtnBackupBrowse =
        Make<QPushButton>(backup, QStringLiteral("BtnBackupBrowse"), QStringLiteral("B&rowse…"), 4920, 645, 1140, 315);
    connect(BtnBackupBrowse, &QPushButton::clicked, this, &SetupDialog::BtnBackupBrowse_Click);
}

void SetupDialog::BuildSync() {
    QGroupBox* sync =
        Frame(this, QStringLiteral(" Sync with the CardDAV accounts "), 120, kSyncFrameTop, 6360, kSyncFrameHeight);
    // The letters left in this window are few: z, q and the digits.
    ChkSyncAtStart = Make<QCheckBox>(sync, QStringLiteral("ChkSyncAtStart"), QStringLiteral("Synchroni&ze at start"),
                                     240, 300, 2900, 255);
    ChkSyncAtExit =
        Make<QCheckBox>(sync, QStringLiteral("ChkSyncAtExit"), QStringLiteral("Sync on &quit"), 3240, 300, 2900, 255);
    SpnSyncMinutes = new QSpinBox(sync);
    SpnSyncMinutes->setObjectName(QStringLiteral("SpnSyncMinutes"));
    SpnSyncMinutes->setRange(0, kMaxSyncMinutes);
    SpnSyncMinutes->setSpecialValueText(QStringLiteral("never"));
    SpnSyncMinutes->setSuffix(QStringLiteral(" minutes"));
    SetTwipsGeometry(SpnSyncMinutes, 3240, 645, 1500, 315);
    BtnSyncAccounts = Make<QPushButton>(sync, QStringLiteral("BtnSyncAccounts"), QStringLiteral("Accounts… (&3)"), 4800,
                                        630, 1440, 345);
    connect(BtnSyncAccounts, &QPushButton::clicked, this, [] {
        if (MainWindowLink* link = MainWindowLink::Current()) emit link->syncAccountsRequested();
    });
    Caption(sync, QStringLiteral("Sync every (&0: never)"), SpnSyncMinutes, 240, 690, 2900, 255);
}

void SetupDialog::Load() {
    AppContext& s = context_;
    SetMainStatusText(0, windowTitle());
    showAtLoad_ = s.Store ? s.Store->Show : s.Prefs.Show;
    nameFieldAtLoad_ = s.Prefs.NameField;
    settings_ = ReadSetup(s.Profile, s.PreferencesFile);
    loaded_ = settings_;
    // The name style and the copy flags are taken as saved, over any change made since start-up.
    s.Prefs.NameField = settings_.NameField < store::kNameStyleCount ? settings_.NameField : 0;
    s.Prefs.CopyFlags = settings_.CopyFlags;
    LstNameStyle->setCurrentIndex(s.Prefs.NameField);
    (settings_.Show == 0 ? OptShowName : OptShowCompany)->setChecked(true);
    ChkTips->setChecked(settings_.Tips);
    if (settings_.DialSystem == u"DT") OptToneDial->setChecked(true);
    if (settings_.DialSystem == u"DP") OptPulseDial->setChecked(true);
    CboDialVia->setCurrentIndex(0);
    for (int i = 1; i < kDialViaStored.size(); ++i)
        if (kDialViaStored[i].compare(settings_.DialVia.trimmed(), Qt::CaseInsensitive) == 0)
            CboDialVia->setCurrentIndex(i);
    TxtDialCommand->setText(settings_.DialCommand);
    CboDialVia_Click();
    for (int com = 1; com <= kComPortCount; ++com) ShowPortDevice(com);
    if (settings_.CommPort >= 1 && settings_.CommPort <= kComPortCount)
        OptCommPort[settings_.CommPort - 1]->setChecked(true);
    OptCommPort_Click(settings_.CommPort);
    ChkUsePrefix->setChecked(settings_.UsePrefix);
    LstPrefixSeparator->setCurrentIndex(settings_.PrefixSprt < 4 ? settings_.PrefixSprt : 0);
    TxtPhone1Prefix->setText(settings_.Phone1Prefix);
    TxtPhone2Prefix->setText(settings_.Phone2Prefix);
    TxtFaxPrefix->setText(settings_.FaxPrefix);
    TxtEMailPrefix->setText(settings_.EMailPrefix);
    ChkUsePrefix_Click();
    for (int i = 0; i < kCopyFlagCount; ++i) ChkCopy[i]->setChecked(settings_.CopyFlags[i] != 0);
    const AutoBackupWhen when = settings_.AutoBackup.When;
    (when == AutoBackupWhen::OnExit  ? OptBackupOnExit
     : when == AutoBackupWhen::Daily ? OptBackupDaily
                                     : OptBackupOff)
        ->setChecked(true);
    SpnBackupKeep->setValue(settings_.AutoBackup.Keep);
    ChkSyncAtStart->setChecked(settings_.AutoSync.AtStart);
    ChkSyncAtExit->setChecked(settings_.AutoSync.AtExit);
    SpnSyncMinutes->setValue(settings_.AutoSync.EveryMinutes);
    TxtBackupPath->setText(settings_.BackupPath);
}

void SetupDialog::ChkUsePrefix_Click() {
    const bool on = ChkUsePrefix->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{LstPrefixSeparator, TxtPhone1Prefix, TxtPhone2Prefix,
                                                      TxtFaxPrefix, TxtEMailPrefix})
        w->setEnabled(on);
}

// The device list offers the port's device and every serial port the system reports.
void SetupDialog::OptCommPort_Click(int com) {
    settings_.CommPort = static_cast<std::uint8_t>(com);
    // Filling the list is no choice of a device.
    const QSignalBlocker quiet(CboPortDevice);
    CboPortDevice->clear();
    const bool chosen = com >= 1 && com <= kComPortCount;
    CboPortDevice->setEnabled(chosen);
    if (!chosen) return;
    QStringList devices{settings_.PortDevices[com - 1]};
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        if (!devices.contains(info.systemLocation())) devices << info.systemLocation();
    CboPortDevice->addItems(devices);
    CboPortDevice->setCurrentIndex(0);
}

void SetupDialog::CboPortDevice_Change(const QString& text) {
    const int com = settings_.CommPort;
    if (com < 1 || com > kComPortCount) return;
    settings_.PortDevices[com - 1] = text.trimmed();
    ShowPortDevice(com);
}

// A long device name is shortened in the middle to its column, so it never runs into the next port's.
void SetupDialog::ShowPortDevice(int com) {
    QLabel* label = LblPortDevice[com - 1];
    const QString& device = settings_.PortDevices[com - 1];
    label->setText(label->fontMetrics().elidedText(device, Qt::ElideMiddle, label->width()));
    label->setToolTip(label->text() == device ? QString() : device);
}

void SetupDialog::BtnBackupBrowse_Click() {
    const QString start =
        QDir(TxtBackupPath->text().trimmed()).exists() ? TxtBackupPath->text().trimmed() : QDir::homePath();
    const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("Backup folder"), start);
    if (!chosen.isEmpty()) TxtBackupPath->setText(chosen.endsWith(u'/') ? chosen : chosen + u'/');
}

// What was changed must be usable: a device that is there, a backup folder that
// can be written and is no part of the card file's own folder. A missing backup
// folder is made here, where its parent may be far up, so the backups find it.
bool SetupDialog::ChecksPass() {
    auto refuse = [this](const QString& text, QWidget* field) {
        SingleTextBox().ShowMsg(text, 0, QStringLiteral("OK"), QString(), 1, windowTitle());
        field->setFocus();
        return false;
    };
    const bool modem = CboDialVia->currentIndex() == 0;
    for (int com = 1; com <= kComPortCount && modem; ++com) {
        const bool chosenNow = com == settings_.CommPort && com != loaded_.CommPort;
        if (!chosenNow && settings_.PortDevices[com - 1] == loaded_.PortDevices[com - 1]) continue;
        if (const QString problem = ModemDeviceProblem(settings_.PortDevices[com - 1]); !problem.isEmpty()) {
            if (com != settings_.CommPort) OptCommPort[com - 1]->click();
            return refuse(problem, CboPortDevice);
        }
    }
    const QString folder = TxtBackupPath->text().trimmed();
    if (folder == loaded_.BackupPath || folder + u'/' == loaded_.BackupPath) return true;
    if (const QString problem = BackupFolderProblem(folder, context_.DataDir); !problem.isEmpty())
        return refuse(problem, TxtBackupPath);
    if (!QDir().mkpath(folder))
        return refuse(QStringLiteral("The backup folder \"%1\" could not be made.").arg(folder), TxtBackupPath);
    return true;
}

// Tone or pulse is the modem's; the command box is the command's.
void SetupDialog::CboDialVia_Click() {
    const int via = CboDialVia->currentIndex();
    OptToneDial->setEnabled(via == 0);
    OptPulseDial->setEnabled(via == 0);
    TxtDialCommand->setEnabled(via == 2);
}

bool SetupDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick && (watched == OptShowName || watched == OptShowCompany)) {
        static_cast<QRadioButton*>(watched)->setChecked(true);
        BtnOK->click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void SetupDialog::BtnOK_Click() {
    AppContext& s = context_;
    SetupSettings chosen = settings_;
    chosen.NameField = static_cast<std::uint8_t>(std::max(LstNameStyle->currentIndex(), 0));
    chosen.Show = OptShowCompany->isChecked() ? 1 : 0;
    chosen.UsePrefix = ChkUsePrefix->isChecked();
    chosen.PrefixSprt = static_cast<std::uint8_t>(std::max(LstPrefixSeparator->currentIndex(), 0));
    chosen.Phone1Prefix = TxtPhone1Prefix->text();
    chosen.Phone2Prefix = TxtPhone2Prefix->text();
    chosen.FaxPrefix = TxtFaxPrefix->text();
    chosen.EMailPrefix = TxtEMailPrefix->text();
    for (int i = 0; i < kCopyFlagCount; ++i) chosen.CopyFlags[i] = ChkCopy[i]->isChecked() ? 1 : 0;
    chosen.Tips = ChkTips->isChecked();
    chosen.DialVia = kDialViaStored.value(CboDialVia->currentIndex());
    chosen.DialCommand = TxtDialCommand->text();
    chosen.AutoBackup.When = OptBackupOnExit->isChecked()  ? AutoBackupWhen::OnExit
                             : OptBackupDaily->isChecked() ? AutoBackupWhen::Daily
                                                           : AutoBackupWhen::Off;
    chosen.AutoBackup.Keep = SpnBackupKeep->value();
    chosen.AutoSync.AtStart = ChkSyncAtStart->isChecked();
    chosen.AutoSync.AtExit = ChkSyncAtExit->isChecked();
    // A few minutes at least: a sync every minute would keep the server and the disk busy.
    const int every = SpnSyncMinutes->value();
    chosen.AutoSync.EveryMinutes = every == 0 ? 0 : std::max(every, kMinSyncMinutes);
    chosen.BackupPath = TxtBackupPath->text().trimmed();
    if (!ChecksPass()) return;
    // Saved first: a file that refuses the write keeps the dialog open and nothing changes.
    try {
        WriteSetup(s.Profile, s.PreferencesFile, chosen);
    } catch (const std::exception& error) {
        ReportWriteFailure(error, QStringLiteral("The settings were not saved."));
        return;
    }
    Preferences& p = s.Prefs;
    p.NameField = chosen.NameField, p.Show = chosen.Show, p.UsePrefix = chosen.UsePrefix;
    p.PrefixSprt = chosen.PrefixSprt, p.CopyFlags = chosen.CopyFlags;
    p.Phone1Prefix = chosen.Phone1Prefix, p.Phone2Prefix = chosen.Phone2Prefix;
    p.FaxPrefix = chosen.FaxPrefix, p.EMailPrefix = chosen.EMailPrefix;
    RaiseMain();
    hide();
    int rowAfter = MainWindowLink::kSameRow;
    if (s.Store) {
        if (chosen.Show != showAtLoad_) s.Store->SetView(chosen.Show);
        rowAfter = std::max(s.Store->ListPosition(selectedRecNo_), 0);
    }
    close();
    RefreshMain(rowAfter);
    emit saved();
}

void SetupDialog::BtnCancel_Click() {
    close();
}

// Cancel and the window's close button leave the name style in use before the dialog opened.
void SetupDialog::closeEvent(QCloseEvent* event) {
    if (isVisible()) {
        context_.Prefs.NameField = nameFieldAtLoad_;
    }
    ReleaseSlot();
    QDialog::closeEvent(event);
}

void OpenSetupDialog(AppContext& context, const QString& selectedRecNo) {
    if (SetupDialog* open = SetupDialog::Current()) {
        open->raise();
        open->activateWindow();
        return;
    }
    SetMainStatusText(1, QString());
    OpenOverMain(new SetupDialog(context, selectedRecNo), Placement::TopRight);
}

}  // namespace tessaly::shell
