#pragma once
#include <QWidget>

class QLabel;
class QPushButton;

namespace tessaly::shell {

// The program's name, version and a short description. Shown not modal over
// the disabled main window; it deletes itself when it closes and enables the
// main window again.
class AboutWindow : public QWidget {
    Q_OBJECT
public:
    // The version shown is the program's, as the preferences name it.
    explicit AboutWindow(const QString& version, QWidget* parent = nullptr);
    QLabel* LblProduct;
    QLabel* LblVersion;
    QLabel* LblNotice;
    QPushButton* BtnOK;

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

}  // namespace tessaly::shell
