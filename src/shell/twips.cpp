#include "twips.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace tessaly::shell {

namespace {
double Dpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}
}  // namespace

int ToPixels(int twips) {
    return static_cast<int>(std::lround(twips * Dpi() / 1440.0));
}
int ToTwips(int pixels) {
    return static_cast<int>(std::lround(pixels * 1440.0 / Dpi()));
}

QRect ToPixels(const QRect& t) {
    return {ToPixels(t.x()), ToPixels(t.y()), ToPixels(t.width()), ToPixels(t.height())};
}
QRect ToTwips(const QRect& p) {
    return {ToTwips(p.x()), ToTwips(p.y()), ToTwips(p.width()), ToTwips(p.height())};
}

void SetTwipsGeometry(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(ToPixels(QRect(left, top, width, height)));
}

void SetTwipsClientSize(QWidget* window, int width, int height) {
    window->resize(ToPixels(width), ToPixels(height));
}

// Before a window is first shown it has no frame yet; its inner size stands for the outer one.
QRect WindowTwips(const QWidget* window) {
    const QRect frame = window->frameGeometry();
    return ToTwips(frame.isValid() ? frame : window->geometry());
}

void MoveWindowTwips(QWidget* window, QPoint topLeftTwips) {
    window->move(ToPixels(topLeftTwips.x()), ToPixels(topLeftTwips.y()));
}

QRect ScreenTwips(const QWidget* window) {
    const QScreen* screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? ToTwips(screen->geometry()) : QRect(0, 0, 1024 * 15, 768 * 15);
}

void SetWholeLinesHeight(QLabel* label) {
    const int line = label->fontMetrics().lineSpacing();
    const int room =
        label->height() - label->contentsMargins().top() - label->contentsMargins().bottom() - 2 * label->margin();
    const int lines = std::max(1, room / std::max(1, line));
    label->resize(label->width(), label->height() - room + lines * line);
}

void PutCaptionOnFrameLine(QGroupBox* frame) {
    const int half = frame->fontMetrics().height() / 2;
    frame->setStyleSheet(
        QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: %1px; }"
                       "QGroupBox::title { subcontrol-origin: margin; left: %2px; }")
            .arg(half)
            .arg(ToPixels(90)));
}

void GiveDescendersRoom(QLabel* label) {
    label->setAlignment((label->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignTop);
    // Hinting can put a descender's last row of ink just below the font's descent.
    const int needed = label->fontMetrics().height() + 2;
    if (label->height() < needed) label->resize(label->width(), needed);
}

}  // namespace tessaly::shell
