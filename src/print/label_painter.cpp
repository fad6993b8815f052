#include "label_painter.h"

#include "page_progress.h"
#include "point_canvas.h"

#include <algorithm>

namespace tessaly::print {

namespace {
constexpr double kTextPoints = 10;
}  // namespace

int LabelSheetsNeeded(const store::LabelSheet& sheet, int start, qsizetype labels) {
    const int perSheet = sheet.LabelsPerSheet();
    return int(std::max<qsizetype>(1, (std::clamp(start, 1, perSheet) - 1 + labels + perSheet - 1) / perSheet));
}

bool PaintLabels(QPagedPaintDevice& device, const store::LabelSheet& sheet, int start, const QList<QStringList>& labels,
                 store::ProgressSink* progress) {
    PointCanvas canvas(device);
    if (!canvas.isActive()) return false;
    const int perSheet = sheet.LabelsPerSheet();
    const int sheets = LabelSheetsNeeded(sheet, start, labels.size());
    PageProgress pages(progress);
    int done = 0;
    int position = std::clamp(start, 1, perSheet) - 1;
    for (const QStringList& lines : labels) {
        if (position == perSheet) {
            pages.step(++done, sheets);
            if (!canvas.newPage()) return false;
            position = 0;
        }
        // Printers rarely place a sheet to the millimetre: keep the text off the label's edges.
        const double pad = std::min({6.0, sheet.label.width() * 0.06, sheet.label.height() * 0.08});
        const QRectF box(sheet.LabelOrigin(position) + QPointF(pad, pad), sheet.label - QSizeF(2 * pad, 2 * pad));
        canvas.drawLinesShrunk(lines, box, kTextPoints);
        ++position;
    }
    pages.step(sheets, sheets);
    return true;
}

}  // namespace tessaly::print
