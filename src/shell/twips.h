#pragma once
#include <QPoint>
#include <QRect>

class QGroupBox;
class QLabel;
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
// A word-wrapped label placed in twips, cut to the whole lines of its font
// that its height holds, so that no line shows only its upper half.
void SetWholeLinesHeight(QLabel* label);
// A one-line label placed in twips, made tall enough for the descenders of its
// font where the twips height is not (its text stays at the top).
void GiveDescendersRoom(QLabel* label);
// A frame whose line runs through the middle of its caption, as the layouts
// were drawn: the controls placed just below the caption sit inside the frame
// (this platform's style would draw the line below the caption, across them).
void PutCaptionOnFrameLine(QGroupBox* frame);

// A top-level window's outer rectangle and the screen, in twips.
QRect WindowTwips(const QWidget* window);
void MoveWindowTwips(QWidget* window, QPoint topLeftTwips);
QRect ScreenTwips(const QWidget* window = nullptr);

}  // namespace tessaly::shell
