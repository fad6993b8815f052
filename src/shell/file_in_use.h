#pragma once
#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tessaly::shell {

struct AppContext;

// Shown modally at start-up when another program has the card file open. The
// user may declare the count left behind by a crash, making this program the
// file's only user again.
class FileInUse : public QDialog {
    Q_OBJECT
public:
    explicit FileInUse(AppContext& context, QWidget* parent = nullptr);
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QCheckBox* ChkCrashRecover;
    QPushButton* BtnOK;

private:
    void ChkCrashRecover_Click(bool ticked);
    void BtnOK_Click();
    AppContext& context_;
};

}  // namespace tessaly::shell
