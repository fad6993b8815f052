#pragma once
#include "cards/progress_sink.h"
#include "print/list_report.h"

#include <QDate>

class QPagedPaintDevice;

namespace tessaly::print {

// Paints the list on pages of the device's size: the title, the date and the
// column titles at the top of every page, "Page N of M" at the foot. Long
// cells wrap within their column; a row taller than a page is scaled down.
// Returns the number of pages, 0 when the device could not be painted on.
// The progress, when given, hears of the rows measured and every page done.
int PaintReport(QPagedPaintDevice& device, const store::ReportTable& table, const QDate& date,
                store::ProgressSink* progress = nullptr);

}  // namespace tessaly::print
