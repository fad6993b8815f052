#include "../support/golden.h"
#include "../support/qt_print.h"
#include "../support/read_only_folder.h"
#include "../support/temp_folder.h"
#include "print/label_text.h"
#include "print/pdf_output.h"
#include "profile/profile_access.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QLocale>
#include <QProcess>
#include <QRectF>
#include <QStandardPaths>
#include <functional>

using namespace tessaly;

namespace {

// The output of a poppler tool, or an empty text when it fails.
QString Poppler(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    // Fonts join "fi" and "fl" into one glyph; compare the letters.
    return QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

// The text of one page inside a rectangle given in points.
QString TextIn(const QString& pdf, int page, const QRectF& r) {
    return Poppler("pdftotext", {"-f", QString::number(page), "-l", QString::number(page), "-r", "72", "-x",
                                 QString::number(int(r.x())), "-y", QString::number(int(r.y())), "-W",
                                 QString::number(int(r.width())), "-H", QString::number(int(r.height())), pdf, "-"})
        .simplified();
}

class PrintPdfTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty() ||
            QStandardPaths::findExecutable("pdfinfo").isEmpty())
            GTEST_SKIP() << "pdftotext and pdfinfo (poppler-utils) are not installed";
    }
    QString info(const QString& pdf, const QString& field) {
        for (const QString& line : Poppler("pdfinfo", {pdf}).split('\n'))
            if (line.startsWith(field + ':')) return line.mid(field.size() + 1).trimmed();
        return {};
    }
    TempFolder dir;
};

QList<QStringList> Labels(int count) {
    QList<QStringList> labels;
    for (int i = 1; i <= count; ++i)
        labels << QStringList({QString("Person %1").arg(i), QString("%1 Oak Road").arg(i), "Town"});
    return labels;
}

}  // namespace

TEST_F(PrintPdfTest, labelsStartAtTheGivenPositionAndRunOntoFurtherSheets) {
    struct Case {
        const char* sheet;
        int start, cards, pages;
        const char* size;
    } cases[] = {{"5160", 3, 35, 2, "612 x 792 pts (letter)"},
                 {"L7163", 14, 2, 2, "595 x 842 pts (A4)"},
                 {"5164", 1, 6, 1, "612 x 792 pts (letter)"}};
    const store::LabelSheets sheets = store::LoadLabelSheets(QString());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sheet);
        const store::LabelSheet& sheet = *sheets.find(c.sheet);
        const QString pdf = dir.path(QString(c.sheet) + ".pdf");
        ASSERT_NO_THROW(print::WriteLabelsPdf(pdf, sheet, c.start, Labels(c.cards)));
        EXPECT_EQ(info(pdf, "Pages"), QString::number(c.pages));
        EXPECT_TRUE(info(pdf, "Page size").startsWith(c.size)) << qPrintable(info(pdf, "Page size"));
        const QRectF first(sheet.LabelOrigin(c.start - 1), sheet.label);
        EXPECT_EQ(TextIn(pdf, 1, first), "Person 1 1 Oak Road Town");
        const int lastPosition = (c.start - 1 + c.cards - 1) % sheet.LabelsPerSheet();
        EXPECT_EQ(TextIn(pdf, c.pages, QRectF(sheet.LabelOrigin(lastPosition), sheet.label)),
                  QString("Person %1 %1 Oak Road Town").arg(c.cards));
        if (c.start > 1) {
            EXPECT_EQ(TextIn(pdf, 1, QRectF(sheet.LabelOrigin(0), sheet.label)), "");
        }
    }
}

TEST_F(PrintPdfTest, aLongNameIsShrunkIntoItsLabelNeverCut) {
    const store::LabelSheets sheets = store::LoadLabelSheets(QString());
    const store::LabelSheet& sheet = *sheets.find("5160");
    const QString name = "Bartholomew-Maximilian Featherstonehaugh-Cholmondeley of Little Snoring";
    QList<QStringList> labels = {{name, "1 Road", "2", "3", "4", "5", "6", "7", "8"}, {"Next"}};
    ASSERT_NO_THROW(print::WriteLabelsPdf(dir.path("long.pdf"), sheet, 1, labels));
    EXPECT_EQ(TextIn(dir.path("long.pdf"), 1, QRectF(sheet.LabelOrigin(0), sheet.label)),
              name + " 1 Road 2 3 4 5 6 7 8");
    EXPECT_EQ(TextIn(dir.path("long.pdf"), 1, QRectF(sheet.LabelOrigin(1), sheet.label)), "Next");
}

TEST_F(PrintPdfTest, listsCarryTitleDateAndPageNumbersOnEveryPage) {
    QList<store::Card> cards;
    for (int i = 0; i < 150; ++i) {
        store::Card c;
        c[store::LastName] = QString("Name%1").arg(i, 3, 10, QChar('0'));
        c[store::Phone1] = QString("555 %1").arg(i);
        c[store::Notes] = "line one\r\nline two";
        cards << c;
    }
    const QDate day(2026, 3, 4);
    struct Case {
        store::ListKind kind;
        const char* title;
    } cases[] = {{store::ListKind::Phone, "Phone list"}, {store::ListKind::Full, "Full list"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        const QString pdf = dir.path("list.pdf");
        int pages = 0;
        ASSERT_NO_THROW(pages = print::WriteReportPdf(pdf, QPageSize(QPageSize::A4),
                                                      store::BuildReport(c.kind, cards, false), day));
        ASSERT_GT(pages, 1);
        EXPECT_EQ(info(pdf, "Pages"), QString::number(pages));
        const QString last =
            Poppler("pdftotext", {"-f", QString::number(pages), "-l", QString::number(pages), pdf, "-"});
        for (const QString& page : {Poppler("pdftotext", {"-l", "1", pdf, "-"}), last}) {
            EXPECT_TRUE(page.contains(c.title));
            EXPECT_TRUE(page.contains(QLocale().toString(day, QLocale::LongFormat)));
        }
        EXPECT_TRUE(last.contains(QString("Page %1 of %1").arg(pages)));
        EXPECT_TRUE(last.contains("Name149"));
    }
}

TEST_F(PrintPdfTest, aFileThatCannotBeWrittenIsReportedAndTheOldOneKept) {
    QDir().mkpath(dir.path("out"));
    dir.put("out/keep.pdf", "old");
    const ReadOnlyFolder readOnly(dir.path("out"));
    if (!readOnly.refusesWrites()) GTEST_SKIP() << "the folder cannot be made read-only here";
    try {
        print::WriteReportPdf(dir.path("out/keep.pdf"), QPageSize(QPageSize::A4), {}, QDate::currentDate());
        ADD_FAILURE() << "written into a read-only folder";
    } catch (const tessaly::profile::WriteError& e) {
        EXPECT_TRUE(QString(e.what()).contains(dir.path("out/keep.pdf"))) << e.what();
    }
    EXPECT_EQ(dir.bytes("out/keep.pdf"), "old");
}

namespace {

// A few cards as people type them: accents, a company alone, a note of two lines, a long address.
QList<store::Card> GoldenCards() {
    auto card = [](std::initializer_list<std::pair<int, QString>> values) {
        store::Card c;
        for (const auto& [k, v] : values) c[k] = v;
        return c;
    };
    return {card({{store::Sal, "Dr."},
                  {store::FirstName, "Jürgen"},
                  {store::LastName, "Müller"},
                  {store::Company, "Küche & Co"},
                  {store::Address1, "Straße 1"},
                  {store::Address4, "Berlin, BE"},
                  {store::Address5, "10115"},
                  {store::Address6, "Germany"},
                  {store::Phone1, "+49 30 1"},
                  {store::EMail, "j@example.de"},
                  {store::Notes, "first line\r\nsecond line"}}),
            card({{store::Company, "Acme Ltd"},
                  {store::Address1, "7 Birch Rd"},
                  {store::Address4, "Austin, TX"},
                  {store::Phone2, "555 0101"},
                  {store::Fax, "555 0102"}}),
            card({{store::FirstName, "Ann"},
                  {store::LastName, "Lee"},
                  {store::Title, "Buyer"},
                  {store::Phone1, "555 0100"}})};
}

}  // namespace

// Each printed PDF, read back with pdftotext, against its text in tests/data/print (the day as <date>,
// since its words follow the locale).
TEST_F(PrintPdfTest, everyPrintedPdfReadsBackAsItsGoldenText) {
    const QList<store::Card> cards = GoldenCards();
    const QDate day(2026, 3, 4);
    const store::LabelSheets sheets = store::LoadLabelSheets(QString());
    QList<QStringList> labels;
    for (const store::Card& c : cards) labels << store::LabelLines(0, c);
    auto list = [&](store::ListKind kind) {
        return [&, kind](const QString& pdf) {
            return print::WriteReportPdf(pdf, QPageSize(QPageSize::A4), store::BuildReport(kind, cards, false), day);
        };
    };
    const struct {
        const char* golden;
        std::function<int(const QString&)> write;
    } cases[] = {
        {"print/labels-5160.txt",
         [&](const QString& pdf) { return print::WriteLabelsPdf(pdf, *sheets.find("5160"), 2, labels); }},
        {"print/phone-list.txt", list(store::ListKind::Phone)},
        {"print/full-list.txt", list(store::ListKind::Full)},
    };
    for (const auto& c : cases) {
        const QString pdf = dir.path("golden.pdf");
        ASSERT_NO_THROW(c.write(pdf)) << c.golden;
        QString text = Poppler("pdftotext", {pdf, "-"});
        ASSERT_FALSE(text.isEmpty()) << c.golden;
        ExpectGolden(c.golden, text.replace(QLocale().toString(day, QLocale::LongFormat), "<date>").toUtf8());
    }
}
