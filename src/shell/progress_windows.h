#pragma once
#include "cards/progress_sink.h"
#include "main_window_link.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

class QLabel;
class CLumetCtrl;

namespace tessaly::shell {

// The percent gauge of lumet32, driven through its automation interface only.
void SetGaugePercent(CLumetCtrl* gauge, int percent);

// The splash window of start-up: picture, product name, version, status label and gauge.
class Welcome : public QWidget {
    Q_OBJECT
public:
    explicit Welcome(QWidget* parent = nullptr);
    QLabel* Lbl;
    CLumetCtrl* Lumet;
};

// The progress window with the gauge that long operations show over the main window.
class Percent : public QWidget {
    Q_OBJECT
public:
    explicit Percent(QWidget* parent = nullptr);
    QLabel* LblLumet;
    CLumetCtrl* Lumet;
};

// The wait window with two lines of text.
class PleaseWait : public QWidget {
    Q_OBJECT
public:
    explicit PleaseWait(QWidget* parent = nullptr);
    QLabel* Lbl1;
    QLabel* Lbl2;
};

// The progress windows are made on first use and hidden, not destroyed, after use.
Percent& PercentWindow();
PleaseWait& PleaseWaitWindow();
// Open them over the main window, with their texts and gauge reset; the main window is disabled.
void ShowProgressWindow();
void ShowPleaseWait();
// The wait window with its first line, which the main window's first status panel shows too.
void ShowPleaseWait(const QString& firstLine);

// What the store's long operations report, shown in the windows: the splash
// window while it is up, the percent window, and the main window's status bar.
class WindowProgress : public store::ProgressSink {
public:
    WindowProgress(Welcome* welcome, MainWindowLink* main) : welcome_(welcome), main_(main) {}
    void statusText(int panel, const QString& text) override;
    void percentText(const QString& text) override;
    void welcomeText(const QString& text) override;
    void gauge(int percent) override;
    void pumpEvents() override;

private:
    QPointer<Welcome> welcome_;
    QPointer<MainWindowLink> main_;
    QElapsedTimer sincePump_;
};

}  // namespace tessaly::shell
