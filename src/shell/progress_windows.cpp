#include "progress_windows.h"

#include "main_window_link.h"
#include "placement.h"
#include "twips.h"
#include "window_opener.h"

#include "lumetctrl.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <functional>

namespace tessaly::shell {

void SetGaugePercent(CLumetCtrl* gauge, int percent) {
    gauge->SetProperty(CLumetCtrl::DispPercent, percent);
}

namespace {

constexpr Qt::WindowFlags kProgressFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
// The progress windows over the main window are its dialogs for the window manager, so a click on the
// greyed main window does not hide them behind it.
constexpr Qt::WindowFlags kOverMainFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

// A card-file drawing for the splash window: a few index cards, fanned.
QPixmap CardFilePicture(int size) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor fills[] = {QColor(0xE8, 0xD8, 0xA8), QColor(0xF4, 0xE8, 0xC0), QColor(0xFF, 0xFA, 0xE8)};
    for (int i = 0; i < 3; ++i) {
        const QRectF card(size * 0.08 + i * size * 0.06, size * 0.18 + i * size * 0.12, size * 0.72, size * 0.5);
        p.setPen(QPen(QColor(0x60, 0x50, 0x30), 1.5));
        p.setBrush(fills[i]);
        p.drawRoundedRect(card, 3, 3);
    }
    p.setPen(QPen(QColor(0x20, 0x40, 0x90), 2));
    const qreal x = size * 0.26, y = size * 0.5;
    for (int line = 0; line < 3; ++line)
        p.drawLine(QPointF(x, y + line * size * 0.09), QPointF(x + size * 0.42, y + line * size * 0.09));
    return picture;
}

CLumetCtrl* MakeGauge(QWidget* parent) {
    auto* gauge = new CLumetCtrl(parent);
    gauge->setObjectName(QStringLiteral("Lumet"));
    SetGaugePercent(gauge, 0);
    return gauge;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text = QString()) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

}  // namespace

Welcome::Welcome(QWidget* parent) : QWidget(parent, kProgressFlags) {
    setObjectName(QStringLiteral("Welcome"));
    setWindowTitle(QStringLiteral("Tessaly"));
    SetTwipsClientSize(this, 5400, 2700);
    auto* picture = MakeLabel(this, QStringLiteral("Picture"));
    picture->setPixmap(CardFilePicture(ToPixels(1200)));
    SetTwipsGeometry(picture, 240, 240, 1200, 1200);
    auto* product = MakeLabel(this, QStringLiteral("LblProduct"), QStringLiteral("Tessaly"));
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 2.2);
    big.setBold(true);
    product->setFont(big);
    SetTwipsGeometry(product, 1680, 300, 3500, 660);
    auto* version = MakeLabel(this, QStringLiteral("LblVersion"), QStringLiteral("Version 2.0"));
    SetTwipsGeometry(version, 1680, 1000, 3500, 300);
    Lbl = MakeLabel(this, QStringLiteral("Lbl"));
    SetTwipsGeometry(Lbl, 240, 1680, 4920, 300);
    Lumet = MakeGauge(this);
    SetTwipsGeometry(Lumet, 240, 2040, 4920, 360);
}

Percent::Percent(QWidget* parent) : QWidget(parent, kOverMainFlags) {
    setObjectName(QStringLiteral("Percent"));
    setWindowTitle(QStringLiteral("Tessaly"));
    SetTwipsClientSize(this, 4800, 1140);
    LblLumet = MakeLabel(this, QStringLiteral("LblLumet"));
    SetTwipsGeometry(LblLumet, 240, 180, 4320, 300);
    Lumet = MakeGauge(this);
    SetTwipsGeometry(Lumet, 240, 600, 4320, 360);
}

PleaseWait::PleaseWait(QWidget* parent) : QWidget(parent, kOverMainFlags) {
    setObjectName(QStringLiteral("PleaseWait"));
    setWindowTitle(QStringLiteral("Tessaly"));
    SetTwipsClientSize(this, 4800, 1080);
    Lbl1 = MakeLabel(this, QStringLiteral("Lbl1"));
    SetTwipsGeometry(Lbl1, 240, 240, 4320, 300);
    Lbl2 = MakeLabel(this, QStringLiteral("Lbl2"));
    SetTwipsGeometry(Lbl2, 240, 600, 4320, 300);
}

namespace {
QPointer<Percent>& PercentSlot() {
    static QPointer<Percent> window;
    return window;
}
// The percent window when it is up, else null (it is not made just to be asked).
Percent* VisiblePercent() {
    Percent* window = PercentSlot();
    return window && window->isVisible() ? window : nullptr;
}
}  // namespace

Percent& PercentWindow() {
    if (!PercentSlot()) PercentSlot() = new Percent;
    return *PercentSlot();
}

PleaseWait& PleaseWaitWindow() {
    static QPointer<PleaseWait> window;
    if (!window) window = new PleaseWait;
    return *window;
}

namespace {

// Steps shared by both progress windows: placed over the main window, the
// status texts cleared, the main window shown, disabled, and the window in front.
void OpenOverMain(QWidget& window, const std::function<void()>& resetTexts) {
    QWidget* main = MainWindow();
    CentreOnScreen(&window);
    if (main) CentreOver(&window, main);
    resetTexts();
    if (main) {
        main->show();
        main->raise();
        main->setEnabled(false);
        MarkModalOver(&window, main);
    }
    window.repaint();
    window.show();
    window.raise();
}

void ClearStatusPanels() {
    SetMainStatusText(0, QString());
    SetMainStatusText(1, QString());
}

}  // namespace

void ShowProgressWindow() {
    Percent& window = PercentWindow();
    OpenOverMain(window, [&] {
        ClearStatusPanels();
        window.LblLumet->clear();
        SetGaugePercent(window.Lumet, 0);
    });
}

void ShowPleaseWait() {
    PleaseWait& window = PleaseWaitWindow();
    OpenOverMain(window, [&] {
        ClearStatusPanels();
        window.Lbl1->clear();
        window.Lbl2->clear();
    });
}

void ShowPleaseWait(const QString& firstLine) {
    ShowPleaseWait();
    SetMainStatusText(0, firstLine);
    QLabel* line = PleaseWaitWindow().Lbl1;
    line->setText(firstLine);
    line->repaint();
}

void WindowProgress::statusText(int panel, const QString& text) {
    if (main_) emit main_->statusTextChanged(panel, text);
}

// A new phase's text is always shown at the next chance to repaint.
void WindowProgress::percentText(const QString& text) {
    if (Percent* window = VisiblePercent()) window->LblLumet->setText(text);
    sincePump_.invalidate();
}

void WindowProgress::welcomeText(const QString& text) {
    if (welcome_ && welcome_->isVisible()) welcome_->Lbl->setText(text);
    sincePump_.invalidate();
}

void WindowProgress::gauge(int percent) {
    if (welcome_ && welcome_->isVisible()) SetGaugePercent(welcome_->Lumet, percent);
    if (Percent* window = VisiblePercent()) SetGaugePercent(window->Lumet, percent);
    if (percent == 100) sincePump_.invalidate();  // a full gauge is always shown
}

// Sixty repaints a second keep the windows alive; handling the events after
// every card of a long operation would cost more than the operation itself.
void WindowProgress::pumpEvents() {
    if (sincePump_.isValid() && sincePump_.elapsed() < 16) return;
    QApplication::processEvents();
    sincePump_.start();
}

}  // namespace tessaly::shell
