#include "sync_panel.h"

#include "lumetctrl.h"
#include "shell/progress_windows.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

namespace tessaly::mainwin {

SyncPanel::SyncPanel(QWidget* parent) : QFrame(parent), text_(new QLabel(this)), gauge_(new CLumetCtrl(this)) {
    setObjectName(QStringLiteral("SyncPanel"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setToolTip(QStringLiteral("Double-click for the last sync's report"));
    text_->setObjectName(QStringLiteral("LblSync"));
    gauge_->setObjectName(QStringLiteral("SyncGauge"));
    gauge_->setFixedWidth(fontMetrics().averageCharWidth() * 10);
    gauge_->hide();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->addWidget(text_);
    layout->addWidget(gauge_);
    hide();
}

void SyncPanel::setStatus(const QString& text) {
    text_->setText(text);
    setVisible(!text.isEmpty());
}

QString SyncPanel::status() const {
    return text_->text();
}

void SyncPanel::setRunning(bool running) {
    shell::SetGaugePercent(gauge_, 0);
    gauge_->setVisible(running);
}

void SyncPanel::setPercent(int percent) {
    shell::SetGaugePercent(gauge_, percent);
}

void SyncPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit doubleClicked();
}

}  // namespace tessaly::mainwin
