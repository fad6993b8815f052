#pragma once
#include <QDialog>
#include <array>
#include <cstdint>

class QGroupBox;
class QLabel;
class QPushButton;

namespace tessaly::shell {

// The button a message window was answered with; closing the window counts as the second.
enum class MessageButton { First, Second };

// The icons of ShowMsg.
namespace icon {
inline constexpr std::int16_t Stop = 1, Question = 2, Exclamation = 3, Information = 4;
}

// The program's own message windows: text, an icon and one or two buttons,
// shown modally over the main window. ShowMsg returns the button pressed
// (closing the window counts as the second). The windows are made once and
// hidden, not destroyed.
class MessageWindow : public QDialog {
    Q_OBJECT
public:
    QGroupBox* Frame;
    QLabel* Critical;
    QLabel* Question;
    QLabel* Exclamation;
    QLabel* Information;
    QLabel* Text1;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;

    // Esc while the second button is hidden, and closing from the system menu.
    void reject() override;

protected:
    struct Layout {
        int innerHeight, frameHeight, buttonTop;
    };
    MessageWindow(const QString& name, Layout layout);
    // Fills the window, shows it modally and returns once it is hidden again.
    MessageButton ShowFilled(std::int16_t buttons, const QString& cap1, const QString& cap2, std::int16_t icon,
                             const QString& title);
    // Shows a caller's text in one of the fixed-size labels.
    static void SetText(QLabel* label, const QString& text);
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void BtnOK_Click();
    void BtnCancel_Click();
    void PlaceButtons(std::int16_t buttons);
    void FitTexts();
    void ShowIcon(std::int16_t icon);
    // The default button, or the only one shown.
    QPushButton* DefaultButton() const;
    // The button that Enter presses: the one with the focus, else the default one.
    QPushButton* EnterButton() const;
    std::array<QLabel*, 4> pictures_;
    Layout layout_;
    MessageButton answer_ = MessageButton::Second;
};

class MsgBoxSnglTxt : public MessageWindow {
    Q_OBJECT
public:
    MsgBoxSnglTxt();
    MessageButton ShowMsg(const QString& text, std::int16_t buttons, const QString& cap1, const QString& cap2,
                          std::int16_t icon, const QString& title);
};

class MsgBoxDblTxt : public MessageWindow {
    Q_OBJECT
public:
    MsgBoxDblTxt();
    QLabel* Text2;
    MessageButton ShowMsg(const QString& text1, const QString& text2, std::int16_t buttons, const QString& cap1,
                          const QString& cap2, std::int16_t icon, const QString& title);
};

MsgBoxSnglTxt& SingleTextBox();
MsgBoxDblTxt& DoubleTextBox();

// Tells the user that a file refused a write: what failed, then what it means for them.
void ReportWriteFailure(const std::exception& error, const QString& consequence);

}  // namespace tessaly::shell
