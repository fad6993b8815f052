#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace tessaly::shell {

// Where windows go, in twips. 'screen' is the screen's size; 'main' the main window's outer rectangle.
QPoint CentredOnScreen(QSize window, QSize screen);
QPoint CentredOver(const QRect& main, QSize window);
// Keeps 300 twips clear of the top and bottom of the screen and 150 of its sides.
QPoint KeptOnScreen(QPoint topLeft, QSize window, QSize screen);
// The dialog's right edge 150 twips inside the main window's, its top 150 below the main window's top.
QPoint TopRightOf(const QRect& main, QSize window, QSize screen);
// Corrections a message window makes each time it becomes active.
QPoint MessageWindowCorrected(QPoint topLeft, QSize window, QSize screen);

// The same rules applied to windows.
void CentreOnScreen(QWidget* window);
void CentreOver(QWidget* window, const QWidget* main);
void PlaceTopRight(QWidget* window, const QWidget* main);
// Centred over the main window, then kept on the screen.
void PlaceCentredOnScreenKept(QWidget* window, const QWidget* main);

}  // namespace tessaly::shell
