#pragma once
#include "store/label_sheets.h"

#include <QList>
#include <QStringList>

class QPagedPaintDevice;

namespace tessaly::print {

// Paints one label a card, across then down, from label 'start' (1-based) of
// the first sheet, on as many sheets as the cards need. The device's page is
// the sheet's paper. False when the device could not be painted on.
bool PaintLabels(QPagedPaintDevice& device, const store::LabelSheet& sheet, int start, const QList<QStringList>& labels);

}  // namespace tessaly::print
