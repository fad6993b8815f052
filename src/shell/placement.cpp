#include "placement.h"

#include "twips.h"

#include <QWidget>

namespace tessaly::shell {

QPoint CentredOnScreen(QSize window, QSize screen) {
    return {(screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2};
}

QPoint CentredOver(const QRect& main, QSize window) {
    return {main.left() + (main.width() - window.width()) / 2, main.top() + (main.height() - window.height()) / 2};
}

QPoint KeptOnScreen(QPoint p, QSize window, QSize screen) {
    if (p.y() > screen.height() - window.height() - 300) p.setY(screen.height() - window.height() - 300);
    if (p.y() < 300) p.setY(300);
    if (p.x() > screen.width() - window.width() - 150) p.setX(screen.width() - window.width() - 150);
    if (p.x() < 150) p.setX(150);
    return p;
}

QPoint TopRightOf(const QRect& main, QSize window, QSize screen) {
    const QPoint p(main.left() + main.width() - window.width() - 150, main.top() + 150);
    return KeptOnScreen(p, window, screen);
}

QPoint MessageWindowCorrected(QPoint p, QSize window, QSize screen) {
    if (p.y() > screen.height() - window.height() - 300) p.setY(screen.height() - window.height() - 300);
    if (p.x() < 150) p.setX(150);
    return p;
}

namespace {
// A window that has not been shown has no frame yet; it will get the one the main window has.
QSize OuterSizeTwips(const QWidget* window, const QWidget* main) {
    QSize size = window->frameGeometry().size();
    if (size == window->size()) size += main->frameGeometry().size() - main->size();
    return ToTwips(QRect(QPoint(), size)).size();
}
}  // namespace

void CentreOnScreen(QWidget* window) {
    MoveWindowTwips(window, CentredOnScreen(WindowTwips(window).size(), ScreenTwips(window).size()));
}

void CentreOver(QWidget* window, const QWidget* main) {
    MoveWindowTwips(window, CentredOver(WindowTwips(main), OuterSizeTwips(window, main)));
}

void PlaceTopRight(QWidget* window, const QWidget* main) {
    MoveWindowTwips(window, TopRightOf(WindowTwips(main), OuterSizeTwips(window, main), ScreenTwips(main).size()));
}

void PlaceCentredOnScreenKept(QWidget* window, const QWidget* main) {
    const QSize size = OuterSizeTwips(window, main);
    MoveWindowTwips(window, KeptOnScreen(CentredOver(WindowTwips(main), size), size, ScreenTwips(main).size()));
}

}  // namespace tessaly::shell
