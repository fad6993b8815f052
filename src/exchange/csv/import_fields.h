#pragma once
#include <QString>
#include <QStringList>

namespace tessaly::store {

// How the fields of an export line are separated. The first four are the
// wizard's classic kinds; QuotedCsv reads fields as spreadsheets quote them.
enum class DelimiterKind { Comma = 0, CommaQuotes = 1, Tab = 2, Other = 3, QuotedCsv = 4 };

struct Delimiter {
    DelimiterKind kind = DelimiterKind::Comma;
    QString other;  // the typed text for Other; the separator for QuotedCsv (a comma when empty)

    // The text the line is split at.
    QString text() const;
};

// Exports of today carry far more than twenty columns (Google's e-mail is its
// 29th, Thunderbird's company its 27th); the wizard shows them twenty at a time.
inline constexpr int kMaxImportFields = 250;

// The field count F from the first line: the delimiters found in it, at most
// kMaxImportFields - 1, plus one; 0 when the line holds none.
int CountFields(const QString& firstLine, const Delimiter& d);

// The F fields of a line. The classic kinds take fields as they stand; a line
// with fewer delimiters gives its last field to every later one. QuotedCsv
// undoes the quoting and leaves missing fields empty.
QStringList SplitFields(const QString& line, const Delimiter& d, int fieldCount);

}  // namespace tessaly::store
