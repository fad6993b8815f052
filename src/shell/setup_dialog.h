#pragma once
#include "preferences.h"
#include "window_opener.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace tessaly::shell {

struct AppContext;

// Changes the preferences: read afresh at each opening, saved and applied at
// once by OK. Shown not modal over the disabled main window; deletes itself
// when it closes.
class SetupDialog : public QDialog, public OnlyOne<SetupDialog> {
    Q_OBJECT
public:
    // selectedRecNo is the card the main window shows: it stays selected when the view changes.
    SetupDialog(AppContext& context, const QString& selectedRecNo, QWidget* parent = nullptr);

    QComboBox* LstNameStyle;
    QRadioButton *OptShowName, *OptShowCompany;
    QRadioButton *OptToneDial, *OptPulseDial;
    QComboBox* CboDialVia;  // the modem, the desktop's phone program, or a command
    QLineEdit* TxtDialCommand;
    std::array<QRadioButton*, kComPortCount> OptCommPort{};  // COM1..COM4
    std::array<QLabel*, kComPortCount> LblPortDevice{};
    QComboBox* CboPortDevice;
    QCheckBox* ChkUsePrefix;
    QComboBox* LstPrefixSeparator;
    QLineEdit *TxtPhone1Prefix, *TxtPhone2Prefix, *TxtFaxPrefix, *TxtEMailPrefix;
    std::array<QCheckBox*, kCopyFlagCount> ChkCopy{};  // Name, Title, Company, Address, Phone1, Phone2, Fax, E-Mail
    QCheckBox* ChkTips;
    QPushButton *BtnOK, *BtnCancel;
    QRadioButton *OptBackupOff, *OptBackupOnExit, *OptBackupDaily;
    QSpinBox* SpnBackupKeep;
    QLineEdit* TxtBackupPath;
    QPushButton* BtnBackupBrowse;
    QCheckBox* ChkSyncAtStart;
    QCheckBox* ChkSyncAtExit;
    QSpinBox* SpnSyncMinutes;
    QPushButton* BtnSyncAccounts;

signals:
    // OK saved and applied the settings (a dial attempt waiting for them tries again).
    void saved();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildNameAndList();
    void BuildPrefixAndCopy();
    void BuildDialing();
    void BuildBackup();
    void BuildSync();
    void Load();
    void ChkUsePrefix_Click();
    void OptCommPort_Click(int com);
    void CboPortDevice_Change(const QString& text);
    void ShowPortDevice(int com);
    void BtnBackupBrowse_Click();
    bool ChecksPass();
    void CboDialVia_Click();
    void BtnOK_Click();
    void BtnCancel_Click();

    AppContext& context_;
    QString selectedRecNo_;
    SetupSettings settings_;
    SetupSettings loaded_;  // as read at opening: only what changed is checked on OK
    int showAtLoad_ = 0;
    std::uint8_t nameFieldAtLoad_ = 0;
};

// The main window's command that opens it.
void OpenSetupDialog(AppContext& context, const QString& selectedRecNo);

}  // namespace tessaly::shell
