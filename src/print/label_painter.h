#pragma once
#include "cards/progress_sink.h"
#include "print/label_sheets.h"

#include <QList>
#include <QStringList>

class QPagedPaintDevice;

namespace tessaly::print {

// Paints one label a card, across then down, from label 'start' (1-based) of
// the first sheet, on as many sheets as the cards need. The device's page is
// the sheet's paper. False when the device could not be painted on. The
// progress, when given, hears of every sheet done.
bool PaintLabels(QPagedPaintDevice& device, const store::LabelSheet& sheet, int start, const QList<QStringList>& labels,
                 store::ProgressSink* progress = nullptr);
// The sheets the labels fill from label 'start' (at least one).
int LabelSheetsNeeded(const store::LabelSheet& sheet, int start, qsizetype labels);

}  // namespace tessaly::print
