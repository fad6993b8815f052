#include "point_canvas.h"

#include <QPagedPaintDevice>
#include <algorithm>

namespace tessaly::print {

PointCanvas::PointCanvas(QPagedPaintDevice& device) : device_(device), painter_(&device) {
    if (painter_.isActive()) painter_.scale(device.logicalDpiX() / 72.0, device.logicalDpiY() / 72.0);
}

QFont PointCanvas::font(double points, bool bold) const {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    // The painter's scale enlarges the font as well; its size is set so the two cancel.
    f.setPointSizeF(points * 72.0 / device_.logicalDpiY());
    f.setBold(bold);
    return f;
}

QFontMetricsF PointCanvas::metrics(const QFont& font) const {
    return QFontMetricsF(font, &device_);
}

void PointCanvas::drawLinesShrunk(const QStringList& lines, const QRectF& box, double points) {
    if (lines.isEmpty() || box.width() <= 0 || box.height() <= 0) return;
    const QFont f = font(points);
    const QFontMetricsF fm = metrics(f);
    double width = 0;
    for (const QString& line : lines) width = std::max(width, fm.horizontalAdvance(line));
    const double height = fm.lineSpacing() * lines.size();
    const double scale = std::min({1.0, box.width() / std::max(width, 1.0), box.height() / height});
    painter_.save();
    painter_.setFont(f);
    // Vertically centred: a short address sits in the middle of a tall label.
    painter_.translate(box.left(), box.top() + (box.height() - height * scale) / 2);
    painter_.scale(scale, scale);
    for (qsizetype i = 0; i < lines.size(); ++i)
        painter_.drawText(QPointF(0, i * fm.lineSpacing() + fm.ascent()), lines[i]);
    painter_.restore();
}

bool PointCanvas::newPage() {
    return device_.newPage();
}

}  // namespace tessaly::print
