#include "import_fields.h"

namespace tessaly::store {

namespace {

QChar CsvSeparator(const Delimiter& d) {
    return d.other.isEmpty() ? QChar(u',') : d.other.front();
}

// The fields of a record as spreadsheets write it: a quoted field may hold the
// separator, line breaks and doubled quotes.
QStringList CsvFields(const QString& record, QChar separator) {
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < record.size(); ++i) {
        const QChar c = record[i];
        if (quoted) {
            if (c != u'"')
                field += c;
            else if (i + 1 < record.size() && record[i + 1] == u'"')
                field += c, ++i;
            else
                quoted = false;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == separator) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

// The line the classic parser splits: kind 1 drops the outer quotes first.
QString Inner(const QString& line, const Delimiter& d) {
    return d.kind == DelimiterKind::CommaQuotes ? line.mid(1, line.size() - 2) : line;
}

}  // namespace

QString Delimiter::text() const {
    switch (kind) {
        case DelimiterKind::Comma:
            return QStringLiteral(",");
        case DelimiterKind::CommaQuotes:
            return QStringLiteral("\",\"");
        case DelimiterKind::Tab:
            return QStringLiteral("\t");
        case DelimiterKind::Other:
            return other;
        case DelimiterKind::QuotedCsv:
            return CsvSeparator(*this);
    }
    return QString();
}

int CountFields(const QString& firstLine, const Delimiter& d) {
    if (d.kind == DelimiterKind::QuotedCsv) {
        const qsizetype n = CsvFields(firstLine, CsvSeparator(d)).size();
        return n < 2 ? 0 : int(std::min<qsizetype>(n, kMaxImportFields));
    }
    const QString delimiter = d.text();
    if (delimiter.isEmpty()) return 0;
    const QString line = Inner(firstLine, d);
    int count = 0;
    for (qsizetype at = line.indexOf(delimiter); at >= 0 && count < kMaxImportFields - 1;
         at = line.indexOf(delimiter, at + delimiter.size()))
        ++count;
    return count == 0 ? 0 : count + 1;
}

QStringList SplitFields(const QString& line, const Delimiter& d, int fieldCount) {
    QStringList fields;
    if (d.kind == DelimiterKind::QuotedCsv) {
        fields = CsvFields(line, CsvSeparator(d));
        fields.resize(fieldCount);
        return fields;
    }
    const QString delimiter = d.text();
    const QString rest = Inner(line, d);
    qsizetype from = 0;
    for (int f = 0; f < fieldCount; ++f) {
        const qsizetype at = delimiter.isEmpty() ? -1 : rest.indexOf(delimiter, from);
        if (at < 0) {
            fields << rest.mid(from);  // the rest stays: later fields repeat it
        } else {
            fields << rest.mid(from, at - from);
            from = at + delimiter.size();
        }
    }
    return fields;
}

}  // namespace tessaly::store
