#pragma once
#include <QFrame>
#include <QPoint>
#include <array>

class QLabel;

namespace tessaly::mainwin {

// The main window's status bar: four sunken text panels, each with a tag.
// Mouse events report the pointer in twips from the bar's top-left corner.
class StatusBar : public QFrame {
    Q_OBJECT
public:
    static constexpr int kPanelCount = 4;
    explicit StatusBar(QWidget* parent = nullptr);

    QString text(int panel) const;
    void setText(int panel, const QString& text);
    QString tag(int panel) const { return tags_[panel]; }
    void setTag(int panel, const QString& tag) { tags_[panel] = tag; }
    // The panel under a point in pixels, or -1 outside every panel.
    int panelAt(QPoint pixels) const;
    QLabel* panel(int index) const { return panels_[index]; }

signals:
    void mouseMoved(QPoint twips, int panel);
    void mousePressed(Qt::MouseButton button, QPoint twips, int panel);
    void panelClicked(int panel);
    void panelDblClicked(int panel);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A hint wider than the first panel is shown up to a word's end and "…"; text() keeps it whole.
    void showText(int panel);

    std::array<QLabel*, kPanelCount> panels_{};
    std::array<QString, kPanelCount> texts_;
    std::array<QString, kPanelCount> tags_;
    int pressedPanel_ = -1;
};

}  // namespace tessaly::mainwin
