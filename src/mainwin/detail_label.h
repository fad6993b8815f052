#pragma once
#include <QLabel>
#include <QMouseEvent>

namespace tessaly::mainwin {

// One label of the details pane; it reports the pointer over it and presses
// on it with its index. Disabled labels (empty details) report nothing.
class DetailLabel : public QLabel {
    Q_OBJECT
public:
    DetailLabel(int index, QWidget* parent) : QLabel(parent), index_(index) {
        setMouseTracking(true);
        setTextFormat(Qt::PlainText);
    }
    int index() const { return index_; }
    // The text colour while enabled; a disabled label keeps the greyed look.
    void SetColour(const QColor& colour) {
        QPalette p = palette();
        p.setColor(QPalette::Active, QPalette::WindowText, colour);
        p.setColor(QPalette::Inactive, QPalette::WindowText, colour);
        setPalette(p);
    }
    QColor Colour() const { return palette().color(QPalette::Active, QPalette::WindowText); }

signals:
    void hovered(int index);
    void pressed(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint globalPos);

protected:
    void mouseMoveEvent(QMouseEvent* event) override {
        emit hovered(index_);
        QLabel::mouseMoveEvent(event);
    }
    void mousePressEvent(QMouseEvent* event) override {
        emit pressed(index_, event->button(), event->modifiers(), event->globalPosition().toPoint());
    }

private:
    int index_;
};

}  // namespace tessaly::mainwin
