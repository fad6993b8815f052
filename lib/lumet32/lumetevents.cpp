// The control's events (_DLumetEvents) and its about box.
#include "lumetctrl.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace {

short buttonBits(Qt::MouseButtons buttons)
{
    return short((buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0)
        | (buttons & Qt::MiddleButton ? 4 : 0));
}

short shiftBits(Qt::KeyboardModifiers mods)
{
    return short(
        (mods & Qt::ShiftModifier ? 1 : 0) | (mods & Qt::ControlModifier ? 2 : 0) | (mods & Qt::AltModifier ? 4 : 0));
}

} // namespace

void CLumetCtrl::mousePressEvent(QMouseEvent *event)
{
    const short button = buttonBits(event->button());
    m_buttonsDown |= button;
    Q_EMIT MouseDown(
        button, shiftBits(event->modifiers()), event->position().toPoint().x(), event->position().toPoint().y());
}

void CLumetCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double-click: MouseDown, DblClick, and no Click on release.
    const short button = buttonBits(event->button());
    m_buttonsDown |= button;
    m_doubleClicked |= button;
    Q_EMIT MouseDown(
        button, shiftBits(event->modifiers()), event->position().toPoint().x(), event->position().toPoint().y());
    Q_EMIT DblClick();
}

void CLumetCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    const short button = buttonBits(event->button());
    if (!(m_buttonsDown & button))
        return;
    m_buttonsDown &= short(~button);
    const QPoint pos = event->position().toPoint();
    Q_EMIT MouseUp(button, shiftBits(event->modifiers()), pos.x(), pos.y());
    if (m_doubleClicked & button)
        m_doubleClicked &= short(~button);
    else if (rect().contains(pos))
        Q_EMIT Click();
}

void CLumetCtrl::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    Q_EMIT MouseMove(buttonBits(event->buttons()), shiftBits(event->modifiers()), pos.x(), pos.y());
}

QPixmap CLumetCtrl::toolboxBitmap()
{
    return QPixmap(QStringLiteral(":/lumet32/toolbox.xpm"));
}

QDialog *CLumetCtrl::createAboutBox(QWidget *parent) const
{
    auto *dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("LumetAboutBox"));
    dialog->setWindowTitle(tr("About Lumet Control"));
    auto *icon = new QLabel(dialog);
    icon->setPixmap(toolboxBitmap());
    auto *text = new QLabel(tr("Korvin LuMet Control, Version %1").arg(version()), dialog);
    text->setObjectName(QStringLiteral("LblVersion"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
    connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    auto *row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    auto *layout = new QVBoxLayout(dialog);
    layout->addLayout(row);
    layout->addWidget(buttons);
    return dialog;
}

void CLumetCtrl::AboutBox()
{
    QDialog *dialog = createAboutBox(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}
