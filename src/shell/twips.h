#pragma once
#include <QPoint>
#include <QRect>

class QWidget;

namespace tessaly::shell {

// The windows are laid out in twips (1/1440 inch); the screen's logical
// resolution turns them into pixels (15 twips per pixel at 96 dpi).
int ToPixels(int twips);
int ToTwips(int pixels);
QRect ToPixels(const QRect& twips);
QRect ToTwips(const QRect& pixels);

// Place a control inside its container, in twips.
void SetTwipsGeometry(QWidget* widget, int left, int top, int width, int height);
// The size of a window's inner area, in twips.
void SetTwipsClientSize(QWidget* window, int width, int height);

// A top-level window's outer rectangle and the screen, in twips.
QRect WindowTwips(const QWidget* window);
void MoveWindowTwips(QWidget* window, QPoint topLeftTwips);
QRect ScreenTwips(const QWidget* window = nullptr);

}  // namespace tessaly::shell
