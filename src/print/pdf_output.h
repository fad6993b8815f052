#pragma once
#include "cards/progress_sink.h"
#include "print/label_sheets.h"
#include "print/list_report.h"

#include <QDate>
#include <QPageSize>
#include <optional>

namespace tessaly::print {

// The paper a sheet is made for.
QPageSize SheetPaper(const store::LabelSheet& sheet);
// "a4" or "letter"; anything else is no paper.
std::optional<QPageSize> PaperNamed(const QString& name);

// Writes the labels or the list to 'file', replacing it only once the whole
// document is written and flushed: a failure leaves what was there before. The
// progress, when given, hears of every page done. The file takes the mode of
// 'modeModel' (the card file; none: private) and is never written through a link.
// Both return the number of pages written and throw profile::WriteError, naming
// the file, when it could not be written.
int WriteLabelsPdf(const QString& file, const store::LabelSheet& sheet, int start, const QList<QStringList>& labels,
                   store::ProgressSink* progress = nullptr, const QString& modeModel = QString());
int WriteReportPdf(const QString& file, const QPageSize& paper, const store::ReportTable& table, const QDate& date,
                   store::ProgressSink* progress = nullptr, const QString& modeModel = QString());

}  // namespace tessaly::print
