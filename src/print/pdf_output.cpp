#include "pdf_output.h"

#include "label_painter.h"
#include "report_painter.h"

#include <QPdfWriter>
#include <QSaveFile>
#include <functional>

namespace tessaly::print {

namespace {

// Fine enough that a label lands within a hundredth of a millimetre.
constexpr int kPdfDpi = 1200;

PdfResult Write(const QString& file, const QPageSize& paper, const std::function<int(QPdfWriter&)>& paint) {
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return {QStringLiteral("Cannot write %1: %2").arg(file, out.errorString())};
    PdfResult result;
    {
        QPdfWriter writer(&out);
        writer.setResolution(kPdfDpi);
        writer.setCreator(QStringLiteral("Tessaly"));
        writer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        result.pages = paint(writer);
    }  // the writer finishes the document here
    if (result.pages == 0) {
        out.cancelWriting();
        return {QStringLiteral("Cannot write %1: the document could not be painted").arg(file)};
    }
    if (!out.commit()) return {QStringLiteral("Cannot write %1: %2").arg(file, out.errorString())};
    return result;
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
                         store::ProgressSink* progress) {
    const int sheets = LabelSheetsNeeded(sheet, start, labels.size());
    return Write(file, SheetPaper(sheet), [&](QPdfWriter& w) { return PaintLabels(w, sheet, start, labels, progress) ? sheets : 0; });
}

PdfResult WriteReportPdf(const QString& file, const QPageSize& paper, const store::ReportTable& table, const QDate& date,
                         store::ProgressSink* progress) {
    return Write(file, paper, [&](QPdfWriter& w) { return PaintReport(w, table, date, progress); });
}

}  // namespace tessaly::print
