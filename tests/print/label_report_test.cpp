#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "print/label_sheets.h"
#include "print/label_text.h"
#include "print/list_report.h"

#include <gtest/gtest.h>

using namespace tessaly::store;

namespace {

double Inches(double v) {
    return v * 72;
}
double Mm(double v) {
    return v * 72 / 25.4;
}

Card CardWith(std::initializer_list<std::pair<FieldIndex, const char*>> values) {
    Card f;
    for (const auto& [i, v] : values) f[i] = QString::fromUtf8(v);
    return f;
}

}  // namespace

// The manufacturers' figures: the first label's corner and the last one's, in points.
TEST(LabelSheetsTest, everySheetPlacesItsFirstAndLastLabelWhereTheManufacturerDoes) {
    struct Case {
        const char* name;
        double firstX, firstY, lastX, lastY;
    } cases[] = {
        {"5160", Inches(0.1875), Inches(0.5), Inches(5.6875), Inches(9.5)},
        {"5161", Inches(0.15625), Inches(0.5), Inches(4.34375), Inches(9.5)},
        {"5162", Inches(0.15625), Inches(0.8335), Inches(4.34375), Inches(8.8315)},
        {"5163", Inches(0.15625), Inches(0.5), Inches(4.34375), Inches(8.5)},
        {"5164", Inches(0.15625), Inches(0.5005), Inches(4.34375), Inches(7.1665)},
        {"L7160", Mm(7.2), Mm(15.15), Mm(139.28), Mm(243.75)},
        {"L7161", Mm(7.2), Mm(8.8), Mm(139.28), Mm(241.8)},
        {"L7162", Mm(4.65), Mm(12.9), Mm(106.25), Mm(250.2)},
        {"L7163", Mm(4.65), Mm(15.15), Mm(106.25), Mm(243.75)},
        {"L7165", Mm(4.65), Mm(13.1), Mm(106.25), Mm(216.2)},
        {"J8160", Mm(7.2), Mm(15.15), Mm(139.28), Mm(243.75)},
    };
    const LabelSheets sheets = LoadLabelSheets(QString());
    EXPECT_EQ(sheets.problems, QStringList());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LabelSheet* s = sheets.find(c.name);
        ASSERT_NE(s, nullptr);
        const QPointF first = s->LabelOrigin(0), last = s->LabelOrigin(s->LabelsPerSheet() - 1);
        EXPECT_NEAR(first.x(), c.firstX, 0.01);
        EXPECT_NEAR(first.y(), c.firstY, 0.01);
        EXPECT_NEAR(last.x(), c.lastX, 0.01);
        EXPECT_NEAR(last.y(), c.lastY, 0.01);
        // The last label ends inside the paper, with a margin as wide as the first one's.
        EXPECT_NEAR(s->page.width() - (last.x() + s->label.width()), first.x(), 0.6);
        EXPECT_NEAR(s->page.height() - (last.y() + s->label.height()), first.y(), 0.6);
    }
}

TEST(LabelSheetsTest, aDamagedOrImpossibleLineIsNamedAndSkipped) {
    struct Case {
        const char* line;
        const char* says;
    } cases[] = {
        {"Short letter 3 10 2.625in", "expected 10 fields"},
        {"Tabloid tabloid 3 10 1in 1in 0in 0in 1in 1in", "neither letter nor a4"},
        {"Comma letter 3 10 2,6in 1in 0.5in 0.2in 2.75in 1in", "\"2,6in\" is not a length"},
        {"Nothing letter 3 10 0in 1in 0.5in 0.2in 2.75in 1in", "\"0in\" is not a length"},
        {"Zero letter 0 10 2in 1in 0.5in 0.2in 2.75in 1in", "columns and rows"},
        {"Overlap letter 3 10 3in 1in 0.5in 0.2in 2.75in 1in", "labels overlap"},
        {"Wide letter 3 10 2.625in 1in 0.5in 1in 2.75in 1in", "across a page"},
        {"Tall a4 2 8 99.1mm 38.1mm 12.9mm 4.65mm 101.6mm 38.1mm", "down a page"},
        {"5160 letter 3 10 2.625in 1in 0.5in 0.1875in 2.75in 1in", "defined twice"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const QString text =
            QStringLiteral("# mine\n5160 letter 3 10 2.625in 1in 0.5in 0.1875in 2.75in 1in\n%1\n").arg(c.line);
        const LabelSheets parsed = ParseLabelSheets(text, "my.txt");
        ASSERT_EQ(parsed.problems.size(), 1);
        EXPECT_TRUE(parsed.problems[0].startsWith("my.txt, line 3: ")) << qPrintable(parsed.problems[0]);
        EXPECT_TRUE(parsed.problems[0].contains(c.says)) << qPrintable(parsed.problems[0]);
        EXPECT_EQ(parsed.sheets.size(), 1);
    }
}

TEST(LabelSheetsTest, aUsersFileAddsSheetsAndReplacesOnesOfTheSameName) {
    TempFolder dir;
    dir.put(
        "sheets.txt",
        "l7160 a4 1 1 100mm 100mm 0mm 0mm 100mm 100mm\r\nHome a4 2 2 100mm 100mm 0mm 0mm 100mm 100mm\r\nbroken\r\n");
    const LabelSheets sheets = LoadLabelSheets(dir.path("sheets.txt"));
    ASSERT_NE(sheets.find("Home"), nullptr);
    EXPECT_EQ(sheets.find("L7160")->LabelsPerSheet(), 1);
    EXPECT_EQ(
        sheets.problems,
        QStringList(
            {dir.path("sheets.txt") +
             ", line 3: expected 10 fields (name paper columns rows width height top left across down), found 1"}));
    EXPECT_NE(LoadLabelSheets(dir.path("none.txt")).find("5160"), nullptr);
}

TEST(LabelTextTest, awkwardCardsGiveTheAddressBlockWithoutBlankLines) {
    struct Case {
        const char* what;
        int style;
        Card card;
        QStringList lines;
    } cases[] = {
        {"company only", 1, CardWith({{Company, "Acme Ltd"}, {Address6, "France"}}), {"Acme Ltd", "France"}},
        {"empty address lines between",
         2,
         CardWith(
             {{FirstName, "Ann"}, {LastName, "Lee"}, {Address1, "1 Road"}, {Address3, "   "}, {Address5, "Leeds"}}),
         {"Ann Lee", "1 Road", "Leeds"}},
        {"six address lines",
         1,
         CardWith({{Sal, "Dr"},
                   {FirstName, "Ann"},
                   {LastName, "Lee"},
                   {Company, "Co"},
                   {Address1, "a1"},
                   {Address2, "a2"},
                   {Address3, "a3"},
                   {Address4, "City"},
                   {Address5, "ST 123"},
                   {Address6, "Country"}}),
         {"Dr Ann Lee", "Co", "a1", "a2", "a3", "City, ST 123", "Country"}},
        {"a style the card lacks a part for",
         3,
         CardWith({{LastName, "Lee"}, {Address1, "1 Road"}}),
         {"Lee", "1 Road"}},
        {"a salutation without a last name", 0, CardWith({{Sal, "Mr"}, {FirstName, "Bo"}}), {"Bo"}},
        {"line breaks inside a field",
         2,
         CardWith({{FirstName, "Ann"}, {Address1, "Flat 2\r\nBlock B"}}),
         {"Ann", "Flat 2 Block B"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(LabelLines(c.style, c.card), c.lines);
    }
}

TEST(ListReportTest, thePhoneListHasARowACardAndTheFullListEveryDetail) {
    const QList<Card> cards = {CardWith({{FirstName, "Ann"},
                                         {LastName, "Lee"},
                                         {Phone1, "555 1"},
                                         {EMail, "a@l.org"},
                                         {Address2, "Road"},
                                         {Address3, "Town"},
                                         {Notes, "one\r\ntwo"}}),
                               CardWith({{Company, "Acme"}, {Fax, "555 9"}})};
    const ReportTable phone = BuildReport(ListKind::Phone, cards, false);
    ASSERT_EQ(phone.rows.size(), 2);
    EXPECT_EQ(phone.rows[0].cells, QStringList({"Lee, Ann", "555 1", "", "", "a@l.org"}));
    EXPECT_EQ(phone.rows[1].cells[3], "555 9");
    EXPECT_EQ(phone.columns.size(), phone.shares.size());

    const ReportTable full = BuildReport(ListKind::Full, cards, false);
    QStringList flat;
    for (const ReportRow& r : full.rows) flat << (r.heading ? "# " : "") + r.cells.join('|');
    EXPECT_EQ(flat,
              QStringList({"# Lee, Ann", "First name|Ann", "Last name|Lee", "Address|Road", "|Town", "Phone 1|555 1",
                           "E-mail|a@l.org", "Notes|one", "|two", "# ( Acme )", "Company|Acme", "Fax|555 9"}));
}
