#pragma once
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

class QPagedPaintDevice;

namespace tessaly::print {

// A painter on a page whose coordinates are points (1/72 inch) from the
// paper's top left corner, whatever the device's resolution, with fonts and
// their metrics in points too. The device must paint the whole paper
// (no page margins, or QPrinter::setFullPage).
class PointCanvas {
public:
    explicit PointCanvas(QPagedPaintDevice& device);
    bool isActive() const { return painter_.isActive(); }
    QPainter& painter() { return painter_; }
    QFont font(double points, bool bold = false) const;
    QFontMetricsF metrics(const QFont& font) const;
    // Draws the lines left-aligned in 'box' at 'points', scaled down as a
    // whole when they would not fit, never cut.
    void drawLinesShrunk(const QStringList& lines, const QRectF& box, double points);
    bool newPage();

private:
    QPagedPaintDevice& device_;
    QPainter painter_;
};

}  // namespace tessaly::print
