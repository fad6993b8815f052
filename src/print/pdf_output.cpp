#include "pdf_output.h"

#include "label_painter.h"
#include "report_painter.h"

#include "profile/profile_access.h"
#include "cards/export_file.h"

#include <QPdfWriter>
#include <functional>

namespace tessaly::print {

namespace {

// Fine enough that a label lands within a hundredth of a millimetre.
constexpr int kPdfDpi = 1200;

PdfResult Write(const QString& file, const QString& modeModel, const QPageSize& paper, const std::function<int(QPdfWriter&)>& paint) {
    try {
        store::ExportFile out(file, modeModel);
        PdfResult result;
        {
            QPdfWriter writer(&out);
            writer.setResolution(kPdfDpi);
            writer.setCreator(QStringLiteral("Tessaly"));
            writer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
            result.pages = paint(writer);
        }  // the writer finishes the document here
        if (result.pages == 0) return {QStringLiteral("Cannot write %1: the document could not be painted").arg(file)};
        out.commit();  // also reports a write the painting met
        return result;
    } catch (const profile::WriteError& e) {
        return {QString::fromUtf8(e.what())};
    }
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

PdfResult WriteLabelsPdf(const QString& file, const store::LabelSheet& sheet, int start, const QList<QStringList>& labels,
                         store::ProgressSink* progress, const QString& modeModel) {
    const int sheets = LabelSheetsNeeded(sheet, start, labels.size());
    return Write(file, modeModel, SheetPaper(sheet), [&](QPdfWriter& w) { return PaintLabels(w, sheet, start, labels, progress) ? sheets : 0; });
}

PdfResult WriteReportPdf(const QString& file, const QPageSize& paper, const store::ReportTable& table, const QDate& date,
                         store::ProgressSink* progress, const QString& modeModel) {
    return Write(file, modeModel, paper, [&](QPdfWriter& w) { return PaintReport(w, table, date, progress); });
}

}  // namespace tessaly::print
