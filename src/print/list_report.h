#pragma once
#include "cards/card_layout.h"

#include <QList>
#include <QStringList>

namespace tessaly::store {

enum class ListKind { Phone, Full };

// One line of a printed list: its cells, or a card's heading across the page.
struct ReportRow {
    QStringList cells;
    bool heading = false;
};

// What a printed list shows, ready for a painter: a title, the column titles
// and their shares of the width, and the rows in list order.
struct ReportTable {
    QString title;
    QStringList columns;
    QList<double> shares;
    QList<ReportRow> rows;
};

// The card's line on the lists: the text it is listed under in the view's order.
QString ListedName(const Card& fields, bool byCompany);

// A phone list: the listed name, both phones, fax and e-mail, one row a card.
// A full list: a heading a card, then a row for every detail it has (each line
// of an address or a note its own row).
ReportTable BuildReport(ListKind kind, const QList<Card>& cards, bool byCompany);

}  // namespace tessaly::store
