#include "list_report.h"

#include "cards/display_text.h"

#include <QRegularExpression>

namespace tessaly::store {

namespace {

// The details of the full list, each under its caption, in card order.
struct Detail {
    const char* caption;
    FieldIndex field;
};
constexpr Detail kFullDetails[] = {{"Salutation", Sal},     {"First name", FirstName},
                                   {"Last name", LastName}, {"Title", Title},
                                   {"Company", Company},    {"Address", Address1},
                                   {"", Address2},          {"", Address3},
                                   {"", Address4},          {"", Address5},
                                   {"", Address6},          {"Phone 1", Phone1},
                                   {"Phone 2", Phone2},     {"Fax", Fax},
                                   {"E-mail", EMail},       {"Notes", Notes}};

QString OneLine(const QString& text) {
    return text.simplified();
}

void AddFullCard(ReportTable& table, const Card& card, bool byCompany) {
    table.rows << ReportRow{{ListedName(card, byCompany)}, true};
    QString pendingCaption;  // an address caption waits for the first address line that has text
    for (const Detail& d : kFullDetails) {
        QString caption = QString::fromLatin1(d.caption);
        if (d.field == Address1) pendingCaption = caption;
        if (d.field >= Address1 && d.field <= Address6) caption = pendingCaption;
        const QString& value = card[d.field];
        if (value.trimmed().isEmpty()) continue;
        if (d.field == Notes) {
            // A note keeps its lines; each is a row so a long note can run onto the next page.
            for (const QString& line : value.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
                table.rows << ReportRow{{caption, line.trimmed()}};
                caption.clear();
            }
            continue;
        }
        table.rows << ReportRow{{caption, OneLine(value)}};
        if (d.field >= Address1 && d.field <= Address6) pendingCaption.clear();
    }
}

}  // namespace

QString ListedName(const Card& fields, bool byCompany) {
    QString first = fields.firstName(), last = fields.lastName(), company = fields.company();
    return OneLine(byCompany ? CompanyText(first, last, company) : NameText(first, last, company));
}

ReportTable BuildReport(ListKind kind, const QList<Card>& cards, bool byCompany) {
    ReportTable table;
    if (kind == ListKind::Phone) {
        table.title = QStringLiteral("Phone list");
        table.columns = {QStringLiteral("Name"), QStringLiteral("Phone 1"), QStringLiteral("Phone 2"),
                         QStringLiteral("Fax"), QStringLiteral("E-mail")};
        table.shares = {0.22, 0.18, 0.18, 0.18, 0.24};
        for (const Card& c : cards)
            table.rows << ReportRow{{ListedName(c, byCompany), OneLine(c.phone1()), OneLine(c.phone2()),
                                     OneLine(c.fax()), OneLine(c.email())}};
        return table;
    }
    table.title = QStringLiteral("Full list");
    table.columns = {QStringLiteral("Detail"), QStringLiteral("Value")};
    table.shares = {0.2, 0.8};
    for (const Card& c : cards) AddFullCard(table, c, byCompany);
    return table;
}

}  // namespace tessaly::store
