#include "report_painter.h"

#include "page_progress.h"
#include "point_canvas.h"

#include <QLocale>
#include <QPagedPaintDevice>
#include <algorithm>

namespace tessaly::print {

namespace {

// Measuring every row before the first page takes a fifth of the time of a long list.
constexpr int kMeasuredShare = 20;
// Rows measured between two reports: one row is far quicker than a page.
constexpr qsizetype kRowsPerStep = 64;

constexpr double kMargin = 36, kBodyPoints = 9, kHeadingPoints = 10, kTitlePoints = 13, kCellGap = 4, kRowGap = 2;

// Cells break between words; a word wider than its column (an e-mail address) breaks anywhere.
int WrapFlags(const QFontMetricsF& fm, const QString& text, double width) {
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts))
        if (fm.horizontalAdvance(word) > width) return Qt::TextWrapAnywhere;
    return Qt::TextWordWrap;
}

struct Layout {
    QRectF page, body;
    QList<double> left, width;  // of each column
    double headerHeight = 0;
};

struct PlacedRow {
    qsizetype row;
    double height;  // as drawn, after any scaling
    double scale;
};

class ReportPainter {
public:
    ReportPainter(QPagedPaintDevice& device, const store::ReportTable& table, store::ProgressSink* progress)
        : canvas_(device), table_(table), progress_(progress) {
        const QSizeF page = device.pageLayout().fullRectPoints().size();
        layout_.page = QRectF(QPointF(0, 0), page);
        const QFontMetricsF title = canvas_.metrics(canvas_.font(kTitlePoints, true));
        const QFontMetricsF head = canvas_.metrics(canvas_.font(kBodyPoints, true));
        layout_.headerHeight = title.lineSpacing() + 6 + head.lineSpacing() + 4;
        const double footer = canvas_.metrics(canvas_.font(kBodyPoints)).lineSpacing() + 6;
        layout_.body = QRectF(kMargin, kMargin + layout_.headerHeight, page.width() - 2 * kMargin,
                              page.height() - 2 * kMargin - layout_.headerHeight - footer);
        double x = kMargin;
        for (double share : table.shares) {
            layout_.left << x;
            layout_.width << share * layout_.body.width();
            x += share * layout_.body.width();
        }
    }

    int paint(const QDate& date) {
        if (!canvas_.isActive()) return 0;
        const QList<QList<PlacedRow>> pages = paginate();
        const QString day = QLocale().toString(date, QLocale::LongFormat);
        for (qsizetype p = 0; p < pages.size(); ++p) {
            if (p > 0 && !canvas_.newPage()) return 0;
            progress_.step(p, pages.size(), kMeasuredShare);
            paintFrame(day, p + 1, pages.size());
            double y = layout_.body.top();
            for (const PlacedRow& r : pages[p]) {
                paintRow(table_.rows[r.row], y, r.scale);
                y += r.height;
            }
        }
        progress_.step(pages.size(), pages.size(), kMeasuredShare);
        return pages.size();
    }

private:
    QRectF cellBox(const store::ReportRow& row, qsizetype c) const {
        if (row.heading) return QRectF(layout_.body.left(), 0, layout_.body.width(), 1e9);
        return QRectF(layout_.left[c], 0, layout_.width[c] - kCellGap, 1e9);
    }

    QFont rowFont(const store::ReportRow& row) const {
        return row.heading ? canvas_.font(kHeadingPoints, true) : canvas_.font(kBodyPoints);
    }

    double naturalHeight(const store::ReportRow& row) const {
        const QFontMetricsF fm = canvas_.metrics(rowFont(row));
        double h = fm.lineSpacing();
        for (qsizetype c = 0; c < row.cells.size() && (row.heading || c < layout_.width.size()); ++c)
            h = std::max(
                h, fm.boundingRect(cellBox(row, c), WrapFlags(fm, row.cells[c], cellBox(row, c).width()), row.cells[c])
                       .height());
        return h + kRowGap + (row.heading ? 4 : 0);
    }

    QList<QList<PlacedRow>> paginate() {
        QList<QList<PlacedRow>> pages(1);
        double used = 0;
        for (qsizetype i = 0; i < table_.rows.size(); ++i) {
            if (i % kRowsPerStep == 0) progress_.step(i, table_.rows.size(), 0, kMeasuredShare);
            const double natural = naturalHeight(table_.rows[i]);
            const double scale = std::min(1.0, layout_.body.height() / natural);
            const double height = natural * scale;
            if (used + height > layout_.body.height() && !pages.last().isEmpty()) {
                pages.append(QList<PlacedRow>());
                // A card's heading goes with its first detail.
                QList<PlacedRow>& previous = pages[pages.size() - 2];
                if (previous.size() > 1 && table_.rows[previous.last().row].heading)
                    pages.last() << previous.takeLast();
                used = pages.last().isEmpty() ? 0 : pages.last().last().height;
            }
            pages.last() << PlacedRow{i, height, scale};
            used += height;
        }
        return pages;
    }

    void paintFrame(const QString& day, qsizetype page, qsizetype pages) {
        QPainter& p = canvas_.painter();
        const double width = layout_.page.width() - 2 * kMargin;
        const QFont title = canvas_.font(kTitlePoints, true);
        const double titleHeight = canvas_.metrics(title).lineSpacing();
        p.setFont(title);
        p.drawText(QRectF(kMargin, kMargin, width, titleHeight), Qt::AlignLeft | Qt::AlignVCenter, table_.title);
        p.setFont(canvas_.font(kBodyPoints));
        p.drawText(QRectF(kMargin, kMargin, width, titleHeight), Qt::AlignRight | Qt::AlignVCenter, day);
        const QFont head = canvas_.font(kBodyPoints, true);
        p.setFont(head);
        const double headTop = kMargin + titleHeight + 6, headHeight = canvas_.metrics(head).lineSpacing();
        for (qsizetype c = 0; c < table_.columns.size() && c < layout_.left.size(); ++c)
            p.drawText(QRectF(layout_.left[c], headTop, layout_.width[c] - kCellGap, headHeight), Qt::AlignLeft,
                       table_.columns[c]);
        p.drawLine(QPointF(kMargin, headTop + headHeight + 2), QPointF(kMargin + width, headTop + headHeight + 2));
        p.setFont(canvas_.font(kBodyPoints));
        p.drawText(
            QRectF(kMargin, layout_.body.bottom(), width, layout_.page.height() - kMargin - layout_.body.bottom()),
            Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("Page %1 of %2").arg(page).arg(pages));
    }

    void paintRow(const store::ReportRow& row, double y, double scale) {
        QPainter& p = canvas_.painter();
        p.save();
        p.translate(layout_.body.left(), y + (row.heading ? 4 : 0));
        p.scale(scale, scale);
        p.translate(-layout_.body.left(), 0);
        p.setFont(rowFont(row));
        const QFontMetricsF fm = canvas_.metrics(rowFont(row));
        for (qsizetype c = 0; c < row.cells.size() && (row.heading || c < layout_.width.size()); ++c)
            p.drawText(cellBox(row, c), WrapFlags(fm, row.cells[c], cellBox(row, c).width()), row.cells[c]);
        p.restore();
    }

    PointCanvas canvas_;
    const store::ReportTable& table_;
    PageProgress progress_;
    Layout layout_;
};

}  // namespace

int PaintReport(QPagedPaintDevice& device, const store::ReportTable& table, const QDate& date,
                store::ProgressSink* progress) {
    return ReportPainter(device, table, progress).paint(date);
}

}  // namespace tessaly::print
