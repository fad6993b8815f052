#include "modal_seam.h"

#include "window_opener.h"

#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace tessaly::shell {

namespace {
ModalAnswerer& Answerer() {
    static ModalAnswerer answerer;
    return answerer;
}
PopupAnswerer& PopupAnswererSlot() {
    static PopupAnswerer answerer;
    return answerer;
}
}  // namespace

void SetPopupAnswerer(PopupAnswerer answerer) {
    PopupAnswererSlot() = std::move(answerer);
}

void RunPopup(QMenu& menu, const QPoint& at) {
    if (PopupAnswererSlot()) {
        emit menu.aboutToShow();
        PopupAnswererSlot()(menu);
        return;
    }
    menu.exec(at);
}

void SetModalAnswerer(ModalAnswerer answerer) {
    Answerer() = std::move(answerer);
}

int RunModal(QDialog& window) {
    const ModalOverMain over(window);
    if (Answerer()) {
        QPointer<QDialog> guard(&window);
        QTimer::singleShot(0, &window, [guard] {
            if (guard && guard->isVisible() && Answerer()) Answerer()(*guard);
        });
    }
    return window.exec();
}

}  // namespace tessaly::shell
