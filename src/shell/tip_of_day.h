#pragma once
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tessaly::shell {

struct AppContext;

inline constexpr int kTipCount = 11;
QString TipText(int index);

// The tip window's own pseudo-random generator, values in [0, 1). It always
// starts from the same state, so every run shows the same sequence of tips.
double NextTipRandom();
void RestartTipRandom();

// One usage hint at a time. Shown not modal over the disabled main window; it
// deletes itself when it closes and enables the main window again.
class TipOfDay : public QWidget {
    Q_OBJECT
public:
    explicit TipOfDay(AppContext& context, QWidget* parent = nullptr);
    QLabel* TxtTipTxt;
    QCheckBox* ChkTips;
    QPushButton* BtnOK;
    QPushButton* BtnNext;
    int TipIndex() const { return tipIndex_; }

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void BtnOK_Click();
    void BtnNext_Click();
    void ShowTip(int index);
    AppContext& context_;
    int tipIndex_ = 0;
};

}  // namespace tessaly::shell
