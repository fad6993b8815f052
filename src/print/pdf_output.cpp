#include "pdf_output.h"

#include "label_painter.h"
#include "report_painter.h"

#include "cards/export_file.h"
#include "profile/profile_access.h"

#include <QPdfWriter>
#include <functional>

namespace tessaly::print {

namespace {

// Fine enough that a label lands within a hundredth of a millimetre.
constexpr int kPdfDpi = 1200;

int Write(const QString& file, const QString& modeModel, const QPageSize& paper,
          const std::function<int(QPdfWriter&)>& paint) {
    store::ExportFile out(file, modeModel);
    int pages = 0;
    {
        QPdfWriter writer(&out);
        writer.setResolution(kPdfDpi);
        writer.setCreator(QStringLiteral("Tessaly"));
        writer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        pages = paint(writer);
    }  // the writer finishes the document here
    if (pages == 0)
        throw profile::WriteError(
            QStringLiteral("Cannot write %1: the document could not be painted").arg(file).toStdString());
    out.commit();  // also reports a write the painting met
    return pages;
}

}  // namespace

QPageSize SheetPaper(const store::LabelSheet& sheet) {
    return sheet.paper == u"letter" ? QPageSize(QPageSize::Letter) : QPageSize(QPageSize::A4);
}

std::optional<QPageSize> PaperNamed(const QString& name) {
    if (name.compare(u"a4", Qt::CaseInsensitive) == 0) return QPageSize(QPageSize::A4);
    if (name.compare(u"letter", Qt::CaseInsensitive) == 0) return QPageSize(QPageSize::Letter);
    return std::nullopt;
}

int WriteLabelsPdf(const QString& file, const store::LabelSheet& sheet, int start, const QList<QStringList>& labels,
                   store::ProgressSink* progress, const QString& modeModel) {
    const int sheets = LabelSheetsNeeded(sheet, start, labels.size());
    return Write(file, modeModel, SheetPaper(sheet),
                 [&](QPdfWriter& w) { return PaintLabels(w, sheet, start, labels, progress) ? sheets : 0; });
}

int WriteReportPdf(const QString& file, const QPageSize& paper, const store::ReportTable& table, const QDate& date,
                   store::ProgressSink* progress, const QString& modeModel) {
    return Write(file, modeModel, paper, [&](QPdfWriter& w) { return PaintReport(w, table, date, progress); });
}

}  // namespace tessaly::print
