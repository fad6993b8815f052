#include "status_bar.h"

#include "shell/twips.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

namespace tessaly::mainwin {

using shell::ToPixels;
using shell::ToTwips;

StatusBar::StatusBar(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("StatBar"));
    setMouseTracking(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(ToPixels(30), ToPixels(30), ToPixels(30), ToPixels(30));
    layout->setSpacing(ToPixels(30));
    const int widths[kPanelCount] = {5800, 1000, 1000, 1000};
    for (int i = 0; i < kPanelCount; ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setAttribute(Qt::WA_TransparentForMouseEvents);
        panel->setTextFormat(Qt::PlainText);
        panel->setMinimumWidth(i == 0 ? 0 : ToPixels(widths[i]));
        if (i > 0) panel->setAlignment(Qt::AlignCenter);
        layout->addWidget(panel, i == 0 ? 1 : 0);
        panel->installEventFilter(this);
        panels_[i] = panel;
    }
    setFixedHeight(ToPixels(330));
}

QString StatusBar::text(int panel) const {
    return texts_[panel];
}

void StatusBar::setText(int panel, const QString& text) {
    texts_[panel] = text;
    showText(panel);
}

void StatusBar::showText(int panel) {
    QLabel* label = panels_[panel];
    const QString& text = texts_[panel];
    const int room = label->contentsRect().width() - 2 * label->margin() - label->indent();
    // Only the hints of the first panel are long; the short texts of the others always stand whole.
    // A long hint takes a narrower face of the font before it loses its end.
    QFont font = this->font();
    if (panel == 0 && room > 0) {
        for (int stretch = 100; stretch >= 70; stretch -= 5) {
            font.setStretch(stretch);
            if (QFontMetrics(font).horizontalAdvance(text) <= room) break;
        }
    }
    if (label->font() != font) label->setFont(font);  // hints change on every mouse move
    const QFontMetrics metrics(font);
    if (panel != 0 || room <= 0 || metrics.horizontalAdvance(text) <= room) {
        label->setText(text);
        return;
    }
    const QString ellipsis(QChar(0x2026));
    QString shown = metrics.elidedText(text, Qt::ElideRight, room);
    shown.chop(1);  // the ellipsis
    // Cut at the end of a word when one ends in what fits.
    const qsizetype space = shown.lastIndexOf(u' ');
    if (space > 0 && shown.size() < text.size() && !text.at(shown.size()).isSpace()) shown.truncate(space);
    label->setText(shown.trimmed() + ellipsis);
}

bool StatusBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        for (int i = 0; i < kPanelCount; ++i)
            if (watched == panels_[i]) showText(i);
    }
    return QFrame::eventFilter(watched, event);
}

int StatusBar::panelAt(QPoint pixels) const {
    for (int i = 0; i < kPanelCount; ++i)
        if (panels_[i]->geometry().contains(pixels)) return i;
    return -1;
}

namespace {
QPoint Twips(QPointF p) {
    return {ToTwips(qRound(p.x())), ToTwips(qRound(p.y()))};
}
}  // namespace

void StatusBar::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(Twips(event->position()), panelAt(event->position().toPoint()));
}

void StatusBar::mousePressEvent(QMouseEvent* event) {
    pressedPanel_ = panelAt(event->position().toPoint());
    emit mousePressed(event->button(), Twips(event->position()), pressedPanel_);
}

void StatusBar::mouseReleaseEvent(QMouseEvent* event) {
    const int panel = panelAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && panel >= 0 && panel == pressedPanel_) emit panelClicked(panel);
    pressedPanel_ = -1;
}

void StatusBar::mouseDoubleClickEvent(QMouseEvent* event) {
    const int panel = panelAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && panel >= 0) emit panelDblClicked(panel);
}

}  // namespace tessaly::mainwin
